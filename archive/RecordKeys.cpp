#include "RecordKeys.h"

#include "ColumnKinds.h"
#include "CsvLine.h"
#include "DownloadParts.h"
#include "FieldValue.h"
#include "LineStore.h"
#include "LogLayout.h"

namespace {

qint64 keyOf(const QDate& date, const QTime& time) {
    if (!date.isValid()) {
        return 0;
    }
    return ((qint64(date.year()) * 100 + date.month()) * 100 + date.day()) * 1000000 +
           qint64(time.hour()) * 10000 + qint64(time.minute()) * 100 + time.second();
}

} // namespace

RecordKeys RecordKeys::of(const DownloadParts& parts) {
    RecordKeys keys;
    const auto count = size_t(parts.records.size());
    keys.dayFirst.assign(count, 0);
    keys.monthFirst.assign(count, 0);
    if (count == 0) {
        return keys;
    }
    // The viewer's own judgement of the columns, made over the titles and records.
    LineStore store;
    store.append(parts.titles.toByteArray() + "\r\n");
    for (const QByteArrayView record : parts.records) {
        store.append(record);
    }
    const LogLayout layout = LogLayout::of(store);
    const ColumnKinds kinds = ColumnKinds::detect(store, layout, CsvLine::fieldCount(parts.titles));
    if (kinds.dateColumn < 0) {
        return keys;
    }
    keys.evidence = ColumnKinds::dateOrderIn(store, layout, kinds.dateColumn);

    QList<QByteArrayView> fields;
    qint64 lastDayFirst = 0;
    qint64 lastMonthFirst = 0;
    for (size_t i = 0; i < count; ++i) {
        CsvLine::fieldViews(parts.records.at(qsizetype(i)), fields);
        QTime time(0, 0);
        if (kinds.timeColumn >= 0 && kinds.timeColumn < fields.size()) {
            time = FieldValue::time(fields.at(kinds.timeColumn)).value_or(QTime(0, 0));
        }
        if (kinds.dateColumn < fields.size()) {
            if (const auto date = FieldValue::dateParts(fields.at(kinds.dateColumn))) {
                const qint64 dayFirst = keyOf(FieldValue::date(*date, DateOrder::DayFirst), time);
                const qint64 monthFirst = keyOf(FieldValue::date(*date, DateOrder::MonthFirst), time);
                lastDayFirst = dayFirst != 0 ? dayFirst : lastDayFirst;
                lastMonthFirst = monthFirst != 0 ? monthFirst : lastMonthFirst;
            }
        }
        keys.dayFirst[i] = lastDayFirst;
        keys.monthFirst[i] = lastMonthFirst;
    }
    return keys;
}

qint64 timeKey(const QDateTime& when) {
    return when.isValid() ? keyOf(when.date(), when.time()) : 0;
}

QDateTime fromTimeKey(qint64 key) {
    if (key <= 0) {
        return {};
    }
    const qint64 date = key / 1000000;
    const qint64 time = key % 1000000;
    return {QDate(int(date / 10000), int(date / 100 % 100), int(date % 100)),
            QTime(int(time / 10000), int(time / 100 % 100), int(time % 100)), Qt::UTC};
}
