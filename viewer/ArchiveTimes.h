#pragma once

#include <QDateTime>
#include <QString>

// How the archive side writes times, year first like the chart, so no reader takes a day for a month. A
// record's time is the controller's own clock (stored as UTC only so that no daylight-saving change shifts
// it) and is shown as it stands; a download's time is a moment, shown on this PC's clock.
namespace ArchiveTimes {

inline QString recordTime(const QDateTime& when) {
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

inline QString downloadTime(const QDateTime& when) {
    return when.isValid() ? when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

} // namespace ArchiveTimes
