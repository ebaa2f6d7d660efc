#pragma once

#include "ControllerWire.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSerialPort>

// The program's one serial port. A COM number and a settings text ("9600,n,8,1") configure it; opening
// finds the device for the number. Numbering, configuring or opening it may raise PortError. Every
// arrival of bytes raises OnComm with CommEvent Receive; a device that hangs up (adapter pulled, pty
// closed) closes the port at once and raises OnComm once with CommEvent HangUp.
class ComPort : public QObject {
    Q_OBJECT

public:
    enum Event { NoEvent = 0, Receive = 2, HangUp = 5 };

    explicit ComPort(QObject* parent = nullptr);

    int CommPort() const { return m_commPort; }
    void setCommPort(int number);

    QString Settings() const { return m_settings; }
    void setSettings(const QString& settings);

    bool PortOpen() const { return m_port.isOpen(); }
    void setPortOpen(bool open);

    // Sends the bytes unchanged. A write the device refuses counts as a hang-up.
    void Output(QByteArrayView bytes);
    // Every byte received and not yet read.
    QByteArray Input();
    // Drops whatever the port holds unread, in the system's buffer and in its own.
    void discardInput();
    int CommEvent() const { return m_event; }

    // The device that the current CommPort stands for, or the device path given instead.
    QString deviceName() const;
    // A device to open as it is, whatever CommPort says (a command line may name one); empty for none.
    void setDevicePath(const QString& path) { m_devicePath = path; }

signals:
    void OnComm();

private:
    void raise(Event event);
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    int m_commPort = 1;
    QString m_devicePath;
    QString m_settings = QString::fromLatin1(ControllerWire::kLineSettings);
    int m_event = NoEvent;
};
