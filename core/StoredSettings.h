#pragma once

#include <QString>

// The keys of korvane.ini, all in section "DEFAULT", read and written with their types: the COM port
// under "Comport" and the folder of the last save under "path".
namespace StoredSettings {

// The text stored under "Comport", "" when there is none.
QString comport();
// The start-up default, written when no usable port is stored: "1".
void writeDefaultComport();
// A port chosen in the port dialog, as it writes it: " 3", or "-3" for a negative number.
void writePortNumber(int portNumber);

// The folder of the last saved file, ending in a separator, or "".
QString savePath();
void writeSavePath(const QString& folder);

} // namespace StoredSettings

// The text stored under "Comport" for a port number: the number with a blank where a plus sign would stand.
QString formatPortNumber(int portNumber);
