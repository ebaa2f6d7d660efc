#include "Logging.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TextNumber.h"

std::optional<int> usablePortNumber(const QString& stored) {
    const double value = leadingNumber(stored);
    const double rounded = roundHalfEven(value);
    // The number must reach 1 before rounding (0.9 is no port) and stay within 32 after it (32.4 is
    // port 32, 32.6 would be 33).
    if (!stored.isEmpty() && value >= 1 && rounded <= 32) {
        return int(rounded);
    }
    return std::nullopt;
}

std::optional<int> storedPortNumber() {
    const QString stored = StoredSettings::comport();
    const auto number = usablePortNumber(stored);
    if (!number && !stored.isEmpty()) {
        qCWarning(lcSettings) << "Comport" << stored << "is no port from 1 to 32";
    }
    return number;
}

void LoadSettings(Settings& settings) {
    settings.PortDefaulted = 0;
    if (const auto stored = storedPortNumber()) {
        settings.PortNumber = *stored;
    } else {
        settings.PortDefaulted = 1;
        StoredSettings::writeDefaultComport();
        settings.PortNumber = 1;
    }
    settings.SavePath = StoredSettings::savePath();
}
