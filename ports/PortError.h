#pragma once

#include <QString>
#include <stdexcept>

// Raised when the serial port cannot be numbered, configured or opened. Callers treat every cause alike.
class PortError : public std::runtime_error {
public:
    explicit PortError(const QString& reason) : std::runtime_error(reason.toStdString()) {}
};
