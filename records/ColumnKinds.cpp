#include "ColumnKinds.h"

#include "CsvLine.h"
#include "FieldValue.h"
#include "LineStore.h"
#include "LogLayout.h"

namespace {

constexpr int kSampleLines = 400;

struct Tally {
    int values = 0;
    int numbers = 0;
    int dates = 0;
    int times = 0;
};

// Most of the values, so that one "ERR" in a column of readings leaves it a column of readings.
bool most(int part, int whole) {
    return whole > 0 && part * 10 >= whole * 9;
}

} // namespace

ColumnKinds ColumnKinds::detect(const LineStore& store, const LogLayout& layout, int columns) {
    ColumnKinds result;
    result.kinds = QList<ColumnKind>(columns, ColumnKind::Text);
    const int first = layout.firstRowLine();
    const int last = store.count();
    if (!layout.hasTitles() || first > last) {
        return result;
    }
    QList<Tally> tallies(columns);
    QList<QByteArrayView> fields;
    const int span = last - first + 1;
    const int samples = std::min(span, kSampleLines);
    for (int i = 0; i < samples; ++i) {
        const int k = first + int(qint64(i) * span / samples);
        CsvLine::fieldViews(store.line(k), fields);
        if (fields.size() < 2) {
            continue; // not a record
        }
        for (int c = 0; c < std::min(columns, int(fields.size())); ++c) {
            const QByteArrayView field = fields.at(c).trimmed();
            if (field.isEmpty()) {
                continue;
            }
            Tally& tally = tallies[c];
            ++tally.values;
            tally.numbers += FieldValue::number(field).has_value();
            tally.dates += FieldValue::dateParts(field).has_value();
            tally.times += FieldValue::time(field).has_value();
        }
    }
    for (int c = 0; c < columns; ++c) {
        const Tally& tally = tallies.at(c);
        if (most(tally.dates, tally.values)) {
            result.kinds[c] = ColumnKind::Date;
            if (result.dateColumn < 0) {
                result.dateColumn = c;
            }
        } else if (most(tally.times, tally.values)) {
            result.kinds[c] = ColumnKind::Time;
            if (result.timeColumn < 0) {
                result.timeColumn = c;
            }
        } else if (most(tally.numbers, tally.values)) {
            result.kinds[c] = ColumnKind::Number;
            result.numberColumns << c;
        }
    }
    return result;
}

DateOrder ColumnKinds::dateOrderIn(const LineStore& store, const LogLayout& layout, int dateColumn) {
    if (dateColumn < 0 || !layout.hasTitles()) {
        return DateOrder::Unknown;
    }
    QList<QByteArrayView> fields;
    for (int k = layout.firstRowLine(); k <= store.count(); ++k) {
        CsvLine::fieldViews(store.line(k), fields);
        if (dateColumn >= fields.size()) {
            continue;
        }
        if (const auto parts = FieldValue::dateParts(fields.at(dateColumn))) {
            const DateOrder evidence = FieldValue::orderEvidence(*parts);
            if (evidence != DateOrder::Unknown) {
                return evidence;
            }
        }
    }
    return DateOrder::Unknown;
}
