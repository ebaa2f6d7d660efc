#pragma once

#include "ControllerWire.h"
#include "PortDiagnosis.h"
#include "PortError.h"

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
//
// An open port holds its device for this program alone: the serial port library's lock file (named
// after the device itself, whichever link or path reached it) and an exclusive lock on the open device,
// which the system drops with the program and which no user, root included, passes. A second program
// (or a second collection) gets "in use" instead of sharing the controller's reply.
class ComPort : public QObject {
    Q_OBJECT

public:
    enum Event { NoEvent = 0, Receive = 2, HangUp = 5 };
    static constexpr int kRestMs = 45;

    explicit ComPort(QObject* parent = nullptr);

    int CommPort() const { return m_commPort; }
    void setCommPort(int number);
    // Numbers the port and names its device, until the number changes: the port dialog tries a device
    // that no number reaches yet under a free number.
    void setCommPort(int number, const QString& device);

    QString Settings() const { return m_settings; }
    void setSettings(const QString& settings);

    bool PortOpen() const { return m_port.isOpen(); }
    void setPortOpen(bool open);

    // Opens COM `number` at 9600,n,8,1 (on `device` when given: one the port dialog placed under a free
    // number): CommPort, Settings and PortOpen in one call. An open port is not renumbered: PortError.
    void open(int number, const QString& device = QString());

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
    // Who reads why the port failed: its advice is in the words of the window or of the command line.
    void setAudience(PortDiagnosis::Audience audience) { m_audience = audience; }

    // When the port last closed because its device hung up, what the operator is told about it; empty
    // otherwise. Kept until the next opening.
    QString hangUpReason() const { return m_hangUpReason; }
    // Why the last opening that failed did, e.g. NoDevice or Busy.
    PortError::Cause lastOpenFailure() const { return m_openFailure; }

signals:
    void OnComm();
    // Each attempt to open a device, just before it is made.
    void opening(const QString& device);

private:
    void raise(Event event);
    void onError(QSerialPort::SerialPortError error);
    void onReadyRead();
    void watchForInput(bool watch);
    void holdDevice(const QString& device);

    QSerialPort m_port;
    QTimer m_rest;
    QPointer<QSocketNotifier> m_readNotifier;
    QElapsedTimer m_sinceRead;
    qsizetype m_lastRead = 0;
    int m_smallReads = 0;
    int m_commPort = 1;
    QString m_devicePath; // named on the command line: every opening uses it, whatever the number
    QString m_device;     // named with the number (a device placed under a free one), until it changes
    QString m_openedDevice;
    QString m_hangUpReason;
    QString m_settings = QString::fromLatin1(ControllerWire::kLineSettings);
    int m_event = NoEvent;
    PortError::Cause m_openFailure = PortError::Cause::Other;
    PortDiagnosis::Audience m_audience = PortDiagnosis::Audience::Window;
};
