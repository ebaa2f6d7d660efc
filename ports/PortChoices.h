#pragma once

#include "Operator.h"
#include "PortListing.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

struct Settings;

// What the port dialog offers, worked out without opening anything: each of COM 1 to 16 whose device is
// there, described; and the devices that no COM number reaches (ttyUSB8 and up, ttyACM4 and up, rfcomm,
// by-id names of their own), each placed under the first of COM 1 to 16 that has no device and is not
// pinned to an adapter that is unplugged. A device keeps its place for as long as it stays.
class PortChoices {
public:
    struct Entry {
        int number;
        QString device;
        QString text;  // "COM 5  /dev/ttyUSB0 · FTDI FT232R USB UART · A1B2C3 · 0403:6001"
        QString pinTo; // what choosing the entry links the number to; empty: the number stays as it is
        bool placed;   // under a free number, which does not reach the device by itself

        bool operator==(const Entry&) const = default;
    };

    static constexpr int kFirstNumber = 1;
    static constexpr int kLastNumber = 16;

    explicit PortChoices(DeviceSource source = DeviceSource::system()) : m_source(std::move(source)) {}

    // Looks at the system afresh; the entries come in the order of their numbers.
    QList<Entry> look();

    // What OK makes of the text in the box: the entry's number (and its pin) when it is one of `listed`;
    // a typed text names the number read from its fifth character on when it begins with "COM", port 1
    // when it names no port or the number does not fit 16 bits; an empty box, or one that still invites
    // a choice, chooses nothing (the port stays as it was).
    static std::optional<PortChoice> selection(const QString& text, const QList<Entry>& listed);
    // The port a text names: the number from its fifth character on when it begins with "COM", held as a
    // 16-bit value; nothing when it names no port or the number does not fit.
    static std::optional<int> portNumberOf(const QString& text);

    static inline const QString kInvitation = QStringLiteral("Select Com Port");

private:
    DeviceSource m_source;
    QHash<QString, int> m_placed; // device -> the free number it was placed under
};

// Makes a chosen port the one in use: PortNumber, "Comport" in korvane.ini and, when the choice names
// one, the pin of the number to the adapter's stable name.
void storePortChoice(const PortChoice& choice, Settings& settings);
