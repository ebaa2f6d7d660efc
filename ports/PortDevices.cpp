#include "PortDevices.h"

#include "SettingsFile.h"

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

QString devicePathFor(int comNumber) {
    if (comNumber < 1) {
        return {};
    }
#ifndef Q_OS_WIN
    const QFileInfo link(SettingsFolder() + QStringLiteral("ports/com%1").arg(comNumber));
    if (link.isSymLink() || link.exists()) {
        // The real device path keeps lock files unique per device, however many links point at it.
        const QString target = link.canonicalFilePath();
        return target.isEmpty() ? link.absoluteFilePath() : target;
    }
#endif
    return tableDeviceFor(comNumber);
}
