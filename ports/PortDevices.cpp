#include "PortDevices.h"

#include "Logging.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

struct Range {
    int firstCom;
    int lastCom;
    const char* device;
    int firstIndex;
};

// COM 1 to 4 are the motherboard ports, COM 5 to 16 the USB adapters (so the port dialog's search finds
// them), COM 17 to 32 the remaining on-board ports.
constexpr Range kTable[] = {
    {1, 4, "/dev/ttyS", 0},
    {5, 12, "/dev/ttyUSB", 0},
    {13, 16, "/dev/ttyACM", 0},
    {17, 32, "/dev/ttyS", 4},
};

QString linkPath(int comNumber) {
    return SettingsFolder() + QStringLiteral("ports/com%1").arg(comNumber);
}

} // namespace

QString tableDeviceFor(int comNumber) {
#ifdef Q_OS_WIN
    return comNumber >= 1 ? QStringLiteral("COM%1").arg(comNumber) : QString();
#else
    for (const Range& range : kTable) {
        if (comNumber >= range.firstCom && comNumber <= range.lastCom) {
            return QString::fromLatin1(range.device) +
                   QString::number(range.firstIndex + comNumber - range.firstCom);
        }
    }
    return {};
#endif
}

bool hasComLink(int comNumber) {
#ifdef Q_OS_WIN
    Q_UNUSED(comNumber);
    return false;
#else
    const QFileInfo link(linkPath(comNumber));
    return comNumber >= 1 && (link.isSymLink() || link.exists());
#endif
}

QString devicePathFor(int comNumber) {
    if (comNumber < 1) {
        return {};
    }
    if (hasComLink(comNumber)) {
        // The real device path keeps lock files unique per device, however many links point at it.
        const QFileInfo link(linkPath(comNumber));
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty()) {
            return target;
        }
        return link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
    }
    return tableDeviceFor(comNumber);
}

bool isPinned(int comNumber, const QString& byIdFolder) {
    if (!hasComLink(comNumber)) {
        return false;
    }
    const QFileInfo link(linkPath(comNumber));
    return link.isSymLink() &&
           QDir::cleanPath(QFileInfo(link.symLinkTarget()).absolutePath()) == QDir::cleanPath(byIdFolder);
}

bool followsUsbTable(int comNumber) {
    const QString device = tableDeviceFor(comNumber);
    return !hasComLink(comNumber) && (device.startsWith(QLatin1String("/dev/ttyUSB")) ||
                                      device.startsWith(QLatin1String("/dev/ttyACM")));
}

bool pinComNumber(int comNumber, const QString& device) {
    const QString path = linkPath(comNumber);
    const QFileInfo link(path);
    if (link.isSymLink() && link.symLinkTarget() == QFileInfo(device).absoluteFilePath()) {
        return true;
    }
    QDir().mkpath(SettingsFolder() + QStringLiteral("ports"));
    if ((link.isSymLink() || link.exists()) && !QFile::remove(path)) {
        qCWarning(lcPort).noquote() << "COM" << comNumber << "not pinned:" << path << "cannot be replaced";
        return false;
    }
    if (!QFile::link(device, path)) {
        qCWarning(lcPort).noquote() << "COM" << comNumber << "not pinned: cannot link" << path << "to"
                                    << device;
        return false;
    }
    qCInfo(lcPort).noquote() << "COM" << comNumber << "pinned to" << device;
    return true;
}
