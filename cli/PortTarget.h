#pragma once

#include <QList>
#include <QString>
#include <optional>

// A port as the command line names it: a COM number the program knows (the fixed table's 1 to 32, or a
// number with a link of its own in the settings folder) or a device path used as it is.
struct PortTarget {
    std::optional<int> comNumber;
    QString devicePath;

    // The device it reaches now: the path given, or where the number leads.
    QString device() const;
    // How progress and the summary name it: "COM 3" or the path given.
    QString name() const;
    // With the device: "COM 3 (/dev/ttyUSB0)", or the path given.
    QString label() const;

    // --port's text read into a target; the reason (a usage error) when it names no port.
    static std::optional<PortTarget> read(const QString& text, QString& reason);
};

// The targets with every device reached a second time left out (the same number twice, a link and the
// device it leads to, two links to one device), in their order: each port is collected once.
QList<PortTarget> withoutRepeats(const QList<PortTarget>& targets);
