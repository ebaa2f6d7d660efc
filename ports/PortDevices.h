#pragma once

#include <QString>

// How a COM number finds its device. On Linux the link ports/comN in the settings folder wins (the
// simulator places its pseudo-terminal there, a /dev/serial/by-id path pins a USB adapter); otherwise a
// fixed table maps the number to the usual device names. Windows uses COMn as it is.
// Returns an empty string for numbers that name no device. A link whose device is gone gives the name it
// points at, so that what is missing can be told.
QString devicePathFor(int comNumber);

// The fixed part of the mapping, without the settings-folder links.
QString tableDeviceFor(int comNumber);

// The number has a link of its own in the settings folder.
bool hasComLink(int comNumber);

// The number's link points at a stable adapter name (in byIdFolder), whether the adapter is plugged in or
// not.
bool isPinned(int comNumber, const QString& byIdFolder);

// The number follows the fixed table to a USB adapter's name, which the system hands to whichever
// adapter comes first.
bool followsUsbTable(int comNumber);

// Points the number's link at the device (a by-id name pins an adapter wherever it is plugged in).
// False, with the reason logged, when the link cannot be written.
bool pinComNumber(int comNumber, const QString& device);
