#pragma once

#include "DateOrder.h"

#include <QDateTime>
#include <vector>

struct DownloadParts;

// Where each record of a download stands in time, read both ways a date such as 03/04/2026 can be read,
// so the archive can order a history by whichever reading the viewer chooses. A key is the date and time
// as the number yyyymmddhhmmss; a record whose date cannot be read takes the key of the record before
// it (0 for none), so stray lines stay beside their neighbours.
struct RecordKeys {
    std::vector<qint64> dayFirst;
    std::vector<qint64> monthFirst;
    DateOrder evidence = DateOrder::Unknown; // what the dates themselves say (a day above 12, ISO dates)

    static RecordKeys of(const DownloadParts& parts);
};

// The key of a date and time (its date() and time(), whatever its zone), and back; 0 and an invalid
// QDateTime for none. A record's time is the controller's clock: it comes back marked UTC only so that no
// daylight-saving change on this PC can shift it.
qint64 timeKey(const QDateTime& when);
QDateTime fromTimeKey(qint64 key);
