#pragma once

#include "ArchiveViews.h"

#include <QDateTime>

// A controller is overdue when its newest download ended more than `days` days before `now` (or it has
// none): the one rule behind the command line's status list and the viewer's mark.
inline bool isOverdue(const ControllerSummary& controller, const QDateTime& now, int days) {
    return !controller.lastDownload.isValid() || controller.lastDownload.addDays(days) < now;
}
