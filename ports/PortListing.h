#pragma once

#include <QList>
#include <QString>
#include <functional>

// What the system says a serial device is: its path and, for a USB adapter, what the adapter reports.
struct PortDescription {
    QString device; // the real device, e.g. /dev/ttyUSB0
    QString manufacturer;
    QString product;
    QString serialNumber;
    int vid = -1; // -1: no USB data
    int pid = -1;
    QString byIdPath; // its stable name under the by-id folder, when it has one

    bool isUsb() const { return vid >= 0 && pid >= 0; }
    // "/dev/ttyUSB0 · FTDI FT232R USB UART · A1B2C3 · 0403:6001"; just the path without USB data.
    QString text() const;
};

// Where the port list learns which serial devices there are: what the system says about them
// (QSerialPortInfo) and the folder of stable adapter names. Tests describe devices of their own (real USB
// adapters are not at hand there) with a by-id folder of their own.
struct DeviceSource {
    std::function<QList<PortDescription>()> describe;
    QString byIdFolder;

    static DeviceSource system();
    // Every device the source describes, and every device a by-id name points at (the system never lists
    // pseudo-terminals), each once by its real path, with its by-id name filled in when it has one.
    QList<PortDescription> available() const;
};
