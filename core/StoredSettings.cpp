#include "StoredSettings.h"

#include "SettingsFile.h"

namespace {

const QString kSection = QStringLiteral("DEFAULT");
const QString kComport = QStringLiteral("Comport");
const QString kPath = QStringLiteral("path");

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

} // namespace StoredSettings

QString formatPortNumber(int portNumber) {
    return portNumber < 0 ? QString::number(portNumber) : QLatin1Char(' ') + QString::number(portNumber);
}
