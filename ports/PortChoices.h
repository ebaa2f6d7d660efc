#pragma once

#include <QHash>
#include <QList>
#include <QString>

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

    // Looks at the system afresh; the entries come in the order of their numbers.
    QList<Entry> look();

private:
    QHash<QString, int> m_placed; // device -> the free number it was placed under
};
