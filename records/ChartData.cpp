#include "ChartData.h"

#include "CsvLine.h"
#include "FieldValue.h"
#include "LineStore.h"
#include "LogLayout.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// The lowest and highest point of one run of records, in the order they came.
struct Run {
    std::optional<QPointF> low;
    std::optional<QPointF> high;

    void add(QPointF p) {
        if (!low || p.y() < low->y()) {
            low = p;
        }
        if (!high || p.y() > high->y()) {
            high = p;
        }
    }
    void flushInto(QList<QPointF>& points) {
        if (low && high) {
            const bool lowFirst = low->x() <= high->x();
            points << (lowFirst ? *low : *high);
            if (*low != *high) {
                points << (lowFirst ? *high : *low);
            }
        }
        low.reset();
        high.reset();
    }
};

// Midnight of the last date seen, so that a day of records builds its date once.
class DayClock {
public:
    qint64 msecs(QDate date, QTime time) {
        if (date != m_date) {
            m_date = date;
            m_midnight = QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch();
        }
        return m_midnight + time.msecsSinceStartOfDay();
    }

private:
    QDate m_date;
    qint64 m_midnight = 0;
};

// Reads the x of records: their date and time (ms since the epoch), or their number in the download.
class RecordClock {
public:
    RecordClock(const LogLayout& layout, const ColumnKinds& kinds, const ChartData& data)
        : m_titleLine(layout.titleLine), m_kinds(kinds), m_data(data) {}

    // Nothing for a line that is no record, or a record without a usable date on a time axis.
    std::optional<double> x(int line, const QList<QByteArrayView>& fields) {
        if (fields.size() < 2) {
            return std::nullopt;
        }
        if (!m_data.timeAxis) {
            return double(line - m_titleLine);
        }
        const auto parts = m_kinds.dateColumn < fields.size()
                               ? FieldValue::dateParts(fields.at(m_kinds.dateColumn))
                               : std::nullopt;
        const QDate date = parts ? FieldValue::date(*parts, m_data.order) : QDate();
        if (!date.isValid()) {
            return std::nullopt;
        }
        std::optional<QTime> time;
        if (m_kinds.timeColumn >= 0 && m_kinds.timeColumn < fields.size()) {
            time = FieldValue::time(fields.at(m_kinds.timeColumn));
        }
        return double(m_day.msecs(date, time.value_or(QTime(0, 0))));
    }

private:
    int m_titleLine;
    const ColumnKinds& m_kinds;
    const ChartData& m_data;
    DayClock m_day;
};

constexpr int kIntervalSamples = 400;

// The usual interval between neighbouring records that differ in time, from pairs spread over the download;
// 0 when there are none.
double usualInterval(const LineStore& store, int first, RecordClock& clock) {
    const int span = store.count() - first; // pairs (k, k + 1)
    if (span < 1) {
        return 0;
    }
    std::vector<double> intervals;
    QList<QByteArrayView> fields;
    const int samples = std::min(span, kIntervalSamples);
    for (int i = 0; i < samples; ++i) {
        const int k = first + int(qint64(i) * span / samples);
        CsvLine::fieldViews(store.line(k), fields);
        const auto x = clock.x(k, fields);
        CsvLine::fieldViews(store.line(k + 1), fields);
        const auto next = clock.x(k + 1, fields);
        if (x && next && *next > *x) {
            intervals.push_back(*next - *x);
        }
    }
    if (intervals.empty()) {
        return 0;
    }
    const auto middle = intervals.begin() + qsizetype(intervals.size() / 2);
    std::nth_element(intervals.begin(), middle, intervals.end());
    return *middle;
}

} // namespace

ChartData ChartData::build(const LineStore& store, const LogLayout& layout, const ColumnKinds& kinds,
                           DateOrder chosenOrder, int buckets) {
    ChartData data;
    if (!layout.hasTitles()) {
        return data;
    }
    for (const int column : kinds.numberColumns) {
        data.series << Series{column,
                              column < layout.titles.size() ? layout.titles.at(column) : QString(),
                              kinds.isReading(column),
                              {},
                              {}};
    }
    data.timeAxis = kinds.dateColumn >= 0;
    if (data.timeAxis) {
        data.order = ColumnKinds::dateOrderIn(store, layout, kinds.dateColumn);
        if (data.order == DateOrder::Unknown) {
            data.orderAmbiguous = true;
            data.order = chosenOrder == DateOrder::Unknown ? DateOrder::DayFirst : chosenOrder;
        }
    }

    const int first = layout.firstRowLine();
    RecordClock clock(layout, kinds, data);
    if (data.timeAxis) {
        data.gapLimit = kGapFactor * usualInterval(store, first, clock);
    }
    const int records = std::max(0, store.count() - first + 1);
    const int perRun = std::max(1, (records + buckets - 1) / std::max(1, buckets));
    QList<Run> runs(data.series.size());
    QList<QByteArrayView> fields;
    const auto flush = [&] {
        for (qsizetype s = 0; s < data.series.size(); ++s) {
            runs[s].flushInto(data.series[s].points);
        }
    };
    std::optional<double> previous;
    for (int k = first; k <= store.count(); ++k) {
        CsvLine::fieldViews(store.line(k), fields);
        const std::optional<double> x = clock.x(k, fields);
        if (!x) {
            continue;
        }
        if (previous && (*x < *previous || (data.gapLimit > 0 && *x - *previous > data.gapLimit))) {
            flush();
            for (Series& series : data.series) {
                const bool newStretch =
                    series.breaks.isEmpty() || series.breaks.last() != series.points.size();
                if (!series.points.isEmpty() && newStretch) {
                    series.breaks << int(series.points.size());
                }
            }
        }
        if (!previous) {
            data.firstX = *x;
        }
        previous = x;
        data.lastX = *x;
        ++data.plotted;
        for (qsizetype s = 0; s < data.series.size(); ++s) {
            const int column = data.series.at(s).column;
            if (column >= fields.size()) {
                continue;
            }
            if (const auto y = FieldValue::number(fields.at(column)); y && std::isfinite(*y)) {
                runs[s].add(QPointF(*x, *y));
            }
        }
        if ((k - first + 1) % perRun == 0) {
            flush();
        }
    }
    flush();
    return data;
}
