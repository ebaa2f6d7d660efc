#pragma once

#include "PortError.h"

#include <QString>

// Why a device did not open, in words an operator can act on: what was tried (the COM number and its
// device), the cause and the fix. The facts come from the system right after the failure: the error of a
// plain open of the device, the device's owner, group and mode, a lock file of a live program, and the
// programs known to grab new serial devices. The text becomes the PortError's reason, so the log and the
// message box tell the same.
namespace PortDiagnosis {

// Who reads the advice: the window's operator (the port list, Retry) or a command-line user (--port).
enum class Audience { Window, CommandLine };

// qtCause is what the serial port library made of the failure, qtMessage its words.
PortError openFailure(int comNumber, const QString& device, PortError::Cause qtCause,
                      const QString& qtMessage, Audience audience = Audience::Window);

// For a number that names no device at all.
PortError noSuchNumber(int comNumber);

// What the operator reads when the port closed because its device hung up.
QString hangUp(int comNumber, const QString& device, Audience audience = Audience::Window);

} // namespace PortDiagnosis
