#pragma once

#include <QString>
#include <stdexcept>
#include <utility>

// Raised when the serial port cannot be numbered, configured or opened. It keeps what was tried (the COM
// number and its device) and why it failed, so the reason can be logged and told; the program's callers
// still treat every cause alike.
class PortError : public std::runtime_error {
public:
    enum class Cause {
        InvalidNumber,    // the number names no device
        InvalidSettings,  // the line settings text cannot be read
        AlreadyOpen,      // the port is open and cannot be renumbered or opened again
        NoDevice,         // nothing is connected under the device's name
        PermissionDenied, // the system refused access to the device
        Busy,             // another program holds the device
        Other,
    };

    PortError(Cause cause, const QString& reason, int comNumber = 0, QString device = QString())
        : std::runtime_error(reason.toStdString()), m_cause(cause), m_reason(reason), m_comNumber(comNumber),
          m_device(std::move(device)) {}

    Cause cause() const { return m_cause; }
    // What the operator reads under the message and the log records: what was tried, why it failed and
    // what to do, e.g. "Nothing is connected as COM 5 (/dev/ttyUSB0). Check the cable or adapter, ...".
    const QString& reason() const { return m_reason; }
    int comNumber() const { return m_comNumber; }
    const QString& device() const { return m_device; }

private:
    Cause m_cause;
    QString m_reason;
    int m_comNumber;
    QString m_device;
};
