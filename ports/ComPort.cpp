#include "ComPort.h"

#include "ControllerWire.h"
#include "Logging.h"
#include "PortDevices.h"
#include "PortDiagnosis.h"
#include "PortError.h"

#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#ifndef Q_OS_WIN
#include <sys/file.h>
#endif

namespace {

// A read this small after a pause this long means the bytes trickle in: the port may rest.
constexpr qsizetype kSmallRead = 256;
constexpr int kTrickleGapMs = 5;

struct LineSettings {
    qint32 baud;
    QSerialPort::Parity parity;
    QSerialPort::DataBits dataBits;
    QSerialPort::StopBits stopBits;
};

// Reads "baud,parity,data bits,stop bits" as in "9600,n,8,1".
LineSettings parseSettings(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4) {
        throw PortError(PortError::Cause::InvalidSettings,
                        QStringLiteral("Invalid port settings \"%1\"").arg(text));
    }
    bool ok = false;
    const int baud = fields[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0) {
        throw PortError(PortError::Cause::InvalidSettings,
                        QStringLiteral("Invalid baud rate \"%1\"").arg(fields[0]));
    }
    LineSettings settings{baud, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop};

    const QString parity = fields[1].trimmed().toLower();
    if (parity == u"n") {
        settings.parity = QSerialPort::NoParity;
    } else if (parity == u"e") {
        settings.parity = QSerialPort::EvenParity;
    } else if (parity == u"o") {
        settings.parity = QSerialPort::OddParity;
    } else if (parity == u"m") {
        settings.parity = QSerialPort::MarkParity;
    } else if (parity == u"s") {
        settings.parity = QSerialPort::SpaceParity;
    } else {
        throw PortError(PortError::Cause::InvalidSettings,
                        QStringLiteral("Invalid parity \"%1\"").arg(fields[1]));
    }

    const int dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8) {
        throw PortError(PortError::Cause::InvalidSettings,
                        QStringLiteral("Invalid data bits \"%1\"").arg(fields[2]));
    }
    settings.dataBits = QSerialPort::DataBits(dataBits);

    const QString stop = fields[3].trimmed();
    if (stop == u"1") {
        settings.stopBits = QSerialPort::OneStop;
    } else if (stop == u"1.5") {
        settings.stopBits = QSerialPort::OneAndHalfStop;
    } else if (stop == u"2") {
        settings.stopBits = QSerialPort::TwoStop;
    } else {
        throw PortError(PortError::Cause::InvalidSettings,
                        QStringLiteral("Invalid stop bits \"%1\"").arg(fields[3]));
    }
    return settings;
}

PortError::Cause causeOf(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortError::Cause::NoDevice;
    case QSerialPort::PermissionError:
        return PortError::Cause::PermissionDenied;
    default:
        return PortError::Cause::Other;
    }
}

} // namespace

ComPort::ComPort(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &ComPort::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &ComPort::onError);
    m_rest.setSingleShot(true);
    m_rest.setInterval(kRestMs);
    m_rest.setTimerType(Qt::PreciseTimer); // a rest a little longer than the display's 40 ms, never shorter
    connect(&m_rest, &QTimer::timeout, this, [this] {
        watchForInput(true);
        if (m_port.isOpen() && m_port.bytesAvailable() > 0) {
            onReadyRead(); // read from the device meanwhile: no notice will come for these
        }
    });
}

void ComPort::onReadyRead() {
    if (m_rest.isActive()) {
        return; // read when the rest is over
    }
    const bool afterPause = m_sinceRead.isValid() && m_sinceRead.elapsed() >= kTrickleGapMs;
    m_lastRead = 0;
    raise(Receive);
    m_sinceRead.start();
    // Two small reads after pauses in a row: one alone may be the last of a fast stream, or a stall.
    m_smallReads = afterPause && m_lastRead > 0 && m_lastRead < kSmallRead ? m_smallReads + 1 : 0;
    if (m_smallReads >= 2 && m_port.isOpen()) {
        watchForInput(false);
        m_rest.start();
    }
}

// The serial port watches its device through a notifier of its own; while it is off, bytes wait in the
// system's buffer and nothing wakes the program. Where the notifier cannot be found, the port never rests.
void ComPort::watchForInput(bool watch) {
    if (m_readNotifier.isNull()) {
        const auto notifiers = m_port.findChildren<QSocketNotifier*>();
        for (QSocketNotifier* notifier : notifiers) {
            if (notifier->type() == QSocketNotifier::Read) {
                m_readNotifier = notifier;
            }
        }
    }
    if (!m_readNotifier.isNull()) {
        m_readNotifier->setEnabled(watch);
    }
}

void ComPort::setCommPort(int number) {
    if (m_port.isOpen()) {
        throw PortError(PortError::Cause::AlreadyOpen,
                        QStringLiteral("COM %1 is open and cannot be renumbered").arg(m_commPort), m_commPort,
                        deviceName());
    }
    m_commPort = number;
    m_device.clear();
}

void ComPort::setCommPort(int number, const QString& device) {
    setCommPort(number);
    m_device = device;
}

void ComPort::setSettings(const QString& settings) {
    parseSettings(settings);
    m_settings = settings;
}

QString ComPort::deviceName() const {
    if (!m_devicePath.isEmpty()) {
        return m_devicePath;
    }
    return m_device.isEmpty() ? devicePathFor(m_commPort) : m_device;
}

void ComPort::setPortOpen(bool open) {
    // Each opening has a notifier of its own; the one found for an earlier opening is not this one.
    m_readNotifier.clear();
    if (!open) {
        m_rest.stop();
        m_port.close();
        return;
    }
    const QString device = deviceName();
    if (m_port.isOpen()) {
        throw PortError(PortError::Cause::AlreadyOpen,
                        QStringLiteral("COM %1 is already open").arg(m_commPort), m_commPort, device);
    }
    if (device.isEmpty()) {
        m_openFailure = PortError::Cause::InvalidNumber;
        throw PortDiagnosis::noSuchNumber(m_commPort);
    }
    const LineSettings line = parseSettings(m_settings);
    // The device itself, not the link or by-id name that reached it: the library names its lock file
    // after what it opens, and one device must have one lock.
    const QString real = QFileInfo(device).canonicalFilePath();
    m_port.setPortName(real.isEmpty() ? device : real);
    m_port.setBaudRate(line.baud);
    m_port.setParity(line.parity);
    m_port.setDataBits(line.dataBits);
    m_port.setStopBits(line.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_hangUpReason.clear();
    m_openedDevice = device;
    emit opening(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const PortError error = PortDiagnosis::openFailure(m_commPort, device, causeOf(m_port.error()),
                                                           m_port.errorString(), m_audience);
        m_openFailure = error.cause();
        throw error;
    }
    holdDevice(device);
}

// The library's lock file counts as left over once it is half a minute old, and root opens a device held
// for one program alone: a download takes minutes. An exclusive lock on the open device holds it for as
// long as the port is open, for any user.
void ComPort::holdDevice(const QString& device) {
#ifndef Q_OS_WIN
    if (::flock(int(m_port.handle()), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_port.close();
        const PortError error =
            PortDiagnosis::openFailure(m_commPort, device, PortError::Cause::Busy,
                                       QStringLiteral("Device or resource busy"), m_audience);
        m_openFailure = error.cause();
        throw error;
    }
#else
    Q_UNUSED(device);
#endif
}

void ComPort::open(int number, const QString& device) {
    if (device.isEmpty()) {
        setCommPort(number);
    } else {
        setCommPort(number, device);
    }
    setSettings(QString::fromLatin1(ControllerWire::kLineSettings));
    setPortOpen(true);
}

void ComPort::Output(QByteArrayView bytes) {
    if (!m_port.isOpen()) {
        return;
    }
    if (m_port.write(bytes.data(), bytes.size()) != bytes.size()) {
        onError(QSerialPort::WriteError);
        return;
    }
    m_port.flush();
}

QByteArray ComPort::Input() {
    QByteArray bytes = m_port.isOpen() ? m_port.readAll() : QByteArray();
    m_lastRead += bytes.size();
    return bytes;
}

void ComPort::discardInput() {
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
    }
}

void ComPort::raise(Event event) {
    m_event = event;
    emit OnComm();
    m_event = NoEvent;
}

void ComPort::onError(QSerialPort::SerialPortError error) {
    // A device that hung up keeps reporting read errors as fast as it can be asked; closing the port at
    // the first one stops the storm, and the response watchdog reports the silence in its own time.
    const bool deviceLost = error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
                            error == QSerialPort::WriteError;
    if (deviceLost && m_port.isOpen()) {
        qCWarning(lcPort) << "COM" << m_commPort << '(' << m_port.portName()
                          << ") went away:" << m_port.errorString();
        m_hangUpReason = PortDiagnosis::hangUp(m_commPort, m_openedDevice, m_audience);
        m_rest.stop();
        m_port.close();
        raise(HangUp);
    }
}
