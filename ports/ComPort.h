#pragma once

#include "ControllerWire.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

// The program's one serial port. A COM number and a settings text ("9600,n,8,1") configure it; opening
// finds the device for the number. Numbering, configuring or opening it may raise PortError. Every
// arrival of bytes raises OnComm with CommEvent Receive; a device that hangs up (adapter pulled, pty
// closed) closes the port at once and raises OnComm once with CommEvent HangUp. While bytes trickle in (a
// controller at 9600 baud sends a few every millisecond), the port rests kRestMs after each small read and
// then hands over all that came meanwhile, so the program wakes a few dozen times a second rather than
// for every few bytes; a fast stream is handed over as it comes.
class ComPort : public QObject {
    Q_OBJECT

public:
    enum Event { NoEvent = 0, Receive = 2, HangUp = 5 };
    static constexpr int kRestMs = 45;

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

    // The device that the current CommPort stands for.
    QString deviceName() const;

signals:
    void OnComm();

private:
    void raise(Event event);
    void onError(QSerialPort::SerialPortError error);
    void onReadyRead();
    void watchForInput(bool watch);

    QSerialPort m_port;
    QTimer m_rest;
    QPointer<QSocketNotifier> m_readNotifier;
    QElapsedTimer m_sinceRead;
    qsizetype m_lastRead = 0;
    int m_smallReads = 0;
    int m_commPort = 1;
    QString m_settings = QString::fromLatin1(ControllerWire::kLineSettings);
    int m_event = NoEvent;
};
