#include "StoredSettings.h"

#include "Logging.h"
#include "SettingsFile.h"

#include <QLocale>

namespace {

const QString kSection = QStringLiteral("DEFAULT");
const QString kComport = QStringLiteral("Comport");
const QString kPath = QStringLiteral("path");
const QString kViewerSection = QStringLiteral("VIEWER");
const QString kDateOrder = QStringLiteral("DateOrder");
const QString kArchiveSection = QStringLiteral("ARCHIVE");
const QString kDatabase = QStringLiteral("Database");
const QString kExportPath = QStringLiteral("ExportPath");
const QString kOverdueDays = QStringLiteral("OverdueDays");

} // namespace

namespace StoredSettings {

QString comport() {
    return ReadSetting(kSection, kComport);
}

void writeDefaultComport() {
    WriteSetting(kSection, kComport, QStringLiteral("1"));
}

void writePortNumber(int portNumber) {
    WriteSetting(kSection, kComport, formatPortNumber(portNumber));
}

QString savePath() {
    return ReadSetting(kSection, kPath);
}

void writeSavePath(const QString& folder) {
    WriteSetting(kSection, kPath, folder);
}

DateOrder dateOrder() {
    const QString value = ReadSetting(kViewerSection, kDateOrder);
    if (value.compare(u"DMY", Qt::CaseInsensitive) == 0) {
        return DateOrder::DayFirst;
    }
    if (value.compare(u"MDY", Qt::CaseInsensitive) == 0) {
        return DateOrder::MonthFirst;
    }
    if (!value.isEmpty()) {
        qCWarning(lcSettings) << "DateOrder" << value
                              << "in [VIEWER] is neither DMY nor MDY: read as no choice";
    }
    return DateOrder::Unknown;
}

void writeDateOrder(DateOrder order) {
    if (order != DateOrder::Unknown) {
        WriteSetting(kViewerSection, kDateOrder,
                     order == DateOrder::DayFirst ? QStringLiteral("DMY") : QStringLiteral("MDY"));
    }
}

QString archiveDatabase() {
    return ReadSetting(kArchiveSection, kDatabase).trimmed();
}

void writeArchiveDatabase(const QString& database) {
    WriteSetting(kArchiveSection, kDatabase, database);
}

int overdueDays() {
    const QString value = ReadSetting(kArchiveSection, kOverdueDays).trimmed();
    if (value.isEmpty()) {
        return kDefaultOverdueDays;
    }
    bool ok = false;
    const int days = QLocale::c().toInt(value, &ok);
    if (!ok || days < 1 || days > kMaxOverdueDays) {
        qCWarning(lcSettings) << "OverdueDays" << value << "in [ARCHIVE] is not a number of days from 1 to"
                              << kMaxOverdueDays << ": read as" << kDefaultOverdueDays;
        return kDefaultOverdueDays;
    }
    return days;
}

QString exportPath() {
    return ReadSetting(kViewerSection, kExportPath);
}

void writeExportPath(const QString& folder) {
    WriteSetting(kViewerSection, kExportPath, folder);
}

} // namespace StoredSettings

QString formatPortNumber(int portNumber) {
    return portNumber < 0 ? QString::number(portNumber) : QLatin1Char(' ') + QString::number(portNumber);
}
