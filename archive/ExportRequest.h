#pragma once

#include "DateOrder.h"

#include <QDateTime>

// Which records of a controller to export, and how. The time range is read from the records' own dates
// (their date() and time(), whatever the zone), both ends included; an invalid end leaves that side open.
struct ExportRequest {
    qint64 controllerId = 0;
    DateOrder order = DateOrder::Unknown; // how to read dates such as 03/04/2026; Unknown: as the dates show
    QDateTime from;
    QDateTime to;
    bool plain = false; // titles and records only, instead of the controller's own layout
};
