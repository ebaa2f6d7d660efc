#pragma once

#include <QByteArray>
#include <QList>

// What the simulated controller says. A download reply is six header lines (the fifth carries the record
// count after its 12-character label), the "Date," column titles, one line per record and
// "END OF DOWNLOAD", every line ending in CR LF; a controller without records says "No log entries!".
namespace SimReply {

QList<QByteArray> downloadLines(int records);
QByteArray noLogs();
// The 13-character answer to the log-count query: characters 9 to 12 are the count in upper-case hex.
QByteArray logCount(int count);

} // namespace SimReply
