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

// Which serial devices the system has and what they are. The real source is QSerialPortInfo; tests put
// their own in place (real USB adapters are not at hand there) together with a by-id folder of their own.
using PortInfoSource = std::function<QList<PortDescription>()>;

// An empty source and folder bring back the system's own.
void setPortInfoSource(PortInfoSource source, const QString& byIdFolder = QString());

// The folder of stable adapter names, /dev/serial/by-id unless a test replaced it.
QString byIdFolder();

// Every device the source lists, and every device a by-id name points at (the source never lists
// pseudo-terminals), each once by its real path, with its by-id name filled in when it has one.
QList<PortDescription> availableDevices();
