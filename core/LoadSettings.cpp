#include "Settings.h"
#include "SettingsFile.h"
#include "TextNumber.h"

void LoadSettings(Settings& settings) {
    settings.PortDefaulted = 0;
    const QString stored = ReadSetting(QStringLiteral("DEFAULT"), QStringLiteral("Comport"));
    const double value = leadingNumber(stored);
    const double rounded = roundHalfEven(value);
    // The number must reach 1 before rounding (0.9 is no port) and stay within 32 after it (32.4 is
    // port 32, 32.6 would be 33).
    if (!stored.isEmpty() && value >= 1 && rounded <= 32) {
        settings.PortNumber = int(rounded);
    } else {
        settings.PortDefaulted = 1;
        WriteSetting(QStringLiteral("DEFAULT"), QStringLiteral("Comport"), QStringLiteral("1"));
        settings.PortNumber = 1;
    }
    settings.SavePath = ReadSetting(QStringLiteral("DEFAULT"), QStringLiteral("path"));
}

QString formatPortNumber(int portNumber) {
    return portNumber < 0 ? QString::number(portNumber) : QLatin1Char(' ') + QString::number(portNumber);
}
