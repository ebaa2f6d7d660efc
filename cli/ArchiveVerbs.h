#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The command line's archive verbs, each run against the archive korvane.ini names and returning its
// exit code: bringing saved files in, listing the controllers and who is overdue, and writing a
// controller's records out.
namespace ArchiveVerbs {

// A date as --from and --to take it: 2026-03-04, 2026-03-04 08:30 or 2026-03-04T08:30:15. A date without
// a time means the start of that day, or its end when `endOfDay` (so --to includes the whole day).
std::optional<QDateTime> readDate(const QString& text, bool endOfDay);

struct ExportOptions {
    QString controller; // its number in the list, or its name
    QDateTime from;     // invalid: from the first record
    QDateTime to;       // invalid: to the last
    bool plain = false;
    QString file; // "-" is standard output
};

int importPaths(const QStringList& paths);
int listControllers();
// Each controller with its last download, newest record, records and whether it is overdue: no download
// for more than `overdueDays` days.
int listStatus(int overdueDays);
int exportRecords(const ExportOptions& options);

} // namespace ArchiveVerbs
