#pragma once

#include <QString>

// How a COM number finds its device. On Linux the link ports/comN in the settings folder wins (the
// simulator places its pseudo-terminal there, a /dev/serial/by-id path pins a USB adapter); otherwise a
// fixed table maps the number to the usual device names. Windows uses COMn as it is.
// Returns an empty string for numbers that name no device.
QString devicePathFor(int comNumber);

// The fixed part of the mapping, without the settings-folder links.
QString tableDeviceFor(int comNumber);
