#pragma once

#include <QList>
#include <QString>

// Round tick marks for the chart's axes: values at 1, 2 or 5 times a power of ten; times at whole
// seconds, minutes, hours, days, months or years of the local clock, labelled year first
// (2026-11-01 00:49), which reads the same whichever way the download writes its dates.
namespace ChartScale {

struct Values {
    double low = 0;
    double high = 1;
    double step = 1;
    int decimals = 0; // the decimals a label needs to show the step

    int steps() const;
    QString label(double value) const;
};
// From a multiple of the step at or below `min` to one at or above `max`, with the smallest round step
// that needs at most `maxSteps` steps. A single value gets a range around it.
Values values(double min, double max, int maxSteps);

struct Times {
    QList<qint64> ticks; // ms since the epoch, ascending
    QString format;      // QDateTime format of their labels
};
// The round times from `from` to `to` (ms since the epoch), at most `maxTicks` of them and at least one
// when the range is long enough to hold one.
Times times(qint64 from, qint64 to, int maxTicks);
QString timeLabel(qint64 msecs, const QString& format);

} // namespace ChartScale
