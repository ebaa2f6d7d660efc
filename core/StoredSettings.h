#pragma once

#include "DateOrder.h"

#include <QString>

// The keys of korvane.ini, read and written with their types: in section "DEFAULT" the COM port under
// "Comport" and the folder of the last save under "path"; in section "VIEWER" the log viewer's reading of
// dates under "DateOrder" and the folder of its last chart picture under "ExportPath"; in section "ARCHIVE"
// the team's archive database under "Database" and after how many days without a download a controller is
// overdue under "OverdueDays".
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

// The operator's answer for dates that read both ways (no day above 12): "DMY" or "MDY"; Unknown while
// none was given.
DateOrder dateOrder();
void writeDateOrder(DateOrder order);

// The PostgreSQL database that holds the team's archive, as written (a postgresql:// address or libpq
// key=value pairs); "" for the archive file on this PC.
QString archiveDatabase();
void writeArchiveDatabase(const QString& database);

// Days without a download after which a controller counts as overdue: a whole number from 1 to 3650,
// kDefaultOverdueDays when none (or an unusable one, logged) is stored.
constexpr int kDefaultOverdueDays = 7;
constexpr int kMaxOverdueDays = 3650;
int overdueDays();

// The folder the log viewer last saved a chart picture in, ending in a separator, or "".
QString exportPath();
void writeExportPath(const QString& folder);

} // namespace StoredSettings

// The text stored under "Comport" for a port number: the number with a blank where a plus sign would stand.
QString formatPortNumber(int portNumber);
