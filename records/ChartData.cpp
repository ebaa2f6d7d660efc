#include "ChartData.h"

#include "CsvLine.h"
#include "FieldValue.h"
#include "LineStore.h"
#include "LogLayout.h"

#include <QDateTime>
#include <cmath>
#include <optional>

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

} // namespace

ChartData ChartData::build(const LineStore& store, const LogLayout& layout, const ColumnKinds& kinds,
                           DateOrder chosenOrder, int buckets) {
    ChartData data;
    if (!layout.hasTitles()) {
        return data;
    }
    for (const int column : kinds.numberColumns) {
        data.series << Series{
            column, column < layout.titles.size() ? layout.titles.at(column) : QString(), {}};
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
    const int records = std::max(0, store.count() - first + 1);
    const int perRun = std::max(1, (records + buckets - 1) / std::max(1, buckets));
    QList<Run> runs(data.series.size());
    QList<QByteArrayView> fields;
    DayClock clock;
    for (int k = first; k <= store.count(); ++k) {
        CsvLine::fieldViews(store.line(k), fields);
        if (fields.size() < 2) {
            continue; // not a record
        }
        double x = k - layout.titleLine; // the record number
        if (data.timeAxis) {
            const auto parts = kinds.dateColumn < fields.size()
                                   ? FieldValue::dateParts(fields.at(kinds.dateColumn))
                                   : std::nullopt;
            const QDate date = parts ? FieldValue::date(*parts, data.order) : QDate();
            if (!date.isValid()) {
                continue; // a record without a usable date has no place on a time axis
            }
            std::optional<QTime> time;
            if (kinds.timeColumn >= 0 && kinds.timeColumn < fields.size()) {
                time = FieldValue::time(fields.at(kinds.timeColumn));
            }
            x = double(clock.msecs(date, time.value_or(QTime(0, 0))));
        }
        for (qsizetype s = 0; s < data.series.size(); ++s) {
            const int column = data.series.at(s).column;
            if (column >= fields.size()) {
                continue;
            }
            if (const auto y = FieldValue::number(fields.at(column)); y && std::isfinite(*y)) {
                runs[s].add(QPointF(x, *y));
            }
        }
        if ((k - first + 1) % perRun == 0) {
            for (qsizetype s = 0; s < data.series.size(); ++s) {
                runs[s].flushInto(data.series[s].points);
            }
        }
    }
    for (qsizetype s = 0; s < data.series.size(); ++s) {
        runs[s].flushInto(data.series[s].points);
    }
    return data;
}
