#pragma once

#include <QString>
#include <optional>

// The settings the program keeps between runs, as loaded at start-up and changed by the port dialog
// (PortNumber) and the Save dialog (SavePath).
struct Settings {
    int PortNumber = 1;
    int PortDefaulted = 0; // 1: no usable port was stored, so the port dialog is shown at first activation
    QString SavePath;      // folder of the last saved file, ending in a separator, or ""
};

// Reads korvane.ini; a missing or unusable "Comport" becomes 1 and is written back.
void LoadSettings(Settings& settings);

// The port stored under "Comport" when it is usable (it must reach 1 before rounding and stay within 32
// after it), read without writing anything back: the command line never stores a port by itself.
std::optional<int> storedPortNumber();
// The rule itself, for a "Comport" text.
std::optional<int> usablePortNumber(const QString& stored);
