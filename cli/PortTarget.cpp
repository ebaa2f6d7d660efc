#include "PortTarget.h"

#include "PortDevices.h"

#include <QFileInfo>

QString PortTarget::device() const {
    return devicePath.isEmpty() ? devicePathFor(comNumber.value_or(0)) : devicePath;
}

QString PortTarget::name() const {
    return devicePath.isEmpty() ? QStringLiteral("COM %1").arg(comNumber.value_or(0)) : devicePath;
}

QString PortTarget::label() const {
    return devicePath.isEmpty() ? QStringLiteral("%1 (%2)").arg(name(), device()) : devicePath;
}

std::optional<PortTarget> PortTarget::read(const QString& text, QString& reason) {
    bool isNumber = false;
    const int number = text.toInt(&isNumber); // QString reads digits alike in every locale
    if (isNumber) {
        if (number < 1 || (tableDeviceFor(number).isEmpty() && !hasComLink(number))) {
            reason = QStringLiteral("COM %1 is not a port this program knows: give COM 1 to 32, or a device "
                                    "path such as /dev/serial/by-id/...")
                         .arg(text);
            return std::nullopt;
        }
        return PortTarget{number, {}};
    }
    if (!text.contains(QLatin1Char('/'))) {
        reason = QStringLiteral("--port takes a COM number or a device path, not '%1'.").arg(text);
        return std::nullopt;
    }
    return PortTarget{std::nullopt, text};
}

QList<PortTarget> withoutRepeats(const QList<PortTarget>& targets) {
    QList<PortTarget> kept;
    QStringList devices;
    for (const PortTarget& target : targets) {
        const QString real = QFileInfo(target.device()).canonicalFilePath();
        const QString device = real.isEmpty() ? QFileInfo(target.device()).absoluteFilePath() : real;
        if (!devices.contains(device)) {
            devices << device;
            kept << target;
        }
    }
    return kept;
}
