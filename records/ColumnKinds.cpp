#include "ColumnKinds.h"

#include "CsvLine.h"
#include "FieldValue.h"
#include "LineStore.h"
#include "LogLayout.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {

constexpr int kSampleLines = 400;

// Among the number columns, two sorts are not readings: an identifier (which channel or sensor a record is
// of) and a counter (which record it is). Both are whole numbers; an identifier takes few values and
// either its title names one or it changes between most neighbouring records; a counter rises by the same
// step from each record to the next. Each is judged on the sampled records and the record after each.
// An identifier takes few values: channels, sensors, inputs of one controller.
constexpr int kMostIdentifiers = 16;
// Below this many pairs of neighbouring records nothing is read into how a column changes.
constexpr int kFewestPairs = 3;

struct Tally {
    int values = 0;
    int numbers = 0;
    int dates = 0;
    int times = 0;
    int wholeNumbers = 0;   // numbers written without a decimal point
    QList<double> distinct; // up to one more than kMostIdentifiers
    int pairs = 0;          // neighbouring records that both hold a number here
    int changes = 0;        // ... whose numbers differ
    int rises = 0;          // ... where the later one is larger
    QHash<double, int> steps;
};

// Most of the values, so that one "ERR" in a column of readings leaves it a column of readings.
bool most(int part, int whole) {
    return whole > 0 && part * 10 >= whole * 9;
}

bool isWhole(QByteArrayView field) {
    return !field.contains('.');
}

// Words of a column title that name an identifier or a counter ("Channel", "Sensor ID", "Seq No").
bool titleHas(const QString& title, std::initializer_list<const char*> words) {
    static const QRegularExpression kBetweenWords(QStringLiteral("[^a-z0-9#]+"));
    const QStringList parts = title.toLower().split(kBetweenWords, Qt::SkipEmptyParts);
    return std::any_of(words.begin(), words.end(),
                       [&](const char* word) { return parts.contains(QLatin1String(word)); });
}

bool namesIdentifier(const QString& title) {
    return titleHas(title, {"channel", "chan", "ch", "id", "sensor", "input", "probe", "address", "addr",
                            "node", "zone", "port", "station"});
}

bool namesCounter(const QString& title) {
    return titleHas(title,
                    {"seq", "sequence", "no", "nr", "num", "number", "index", "idx", "record", "rec", "#"});
}

// The step most neighbouring records rise by, and how many pairs rise by it.
std::pair<double, int> commonStep(const QHash<double, int>& steps) {
    std::pair<double, int> best{0, 0};
    for (auto it = steps.cbegin(); it != steps.cend(); ++it) {
        if (it.value() > best.second) {
            best = {it.key(), it.value()};
        }
    }
    return best;
}

// Whole numbers rising by one step from each record to the next (000001, 000002, ...), or rising at
// nearly every record under a title that names a counter.
bool looksLikeCounter(const Tally& t, const QString& title) {
    if (!most(t.wholeNumbers, t.numbers) || t.pairs < kFewestPairs) {
        return false;
    }
    const auto [step, count] = commonStep(t.steps);
    return (step > 0 && most(count, t.pairs)) || (namesCounter(title) && most(t.rises, t.pairs));
}

// A few whole numbers, under a title that names an identifier or changing between most neighbouring
// records (a controller that logs its channels in turn): a reading in whole units changes slowly.
bool looksLikeIdentifier(const Tally& t, const QString& title) {
    if (!most(t.wholeNumbers, t.numbers) || t.distinct.size() > kMostIdentifiers) {
        return false;
    }
    return namesIdentifier(title) || (t.pairs >= kFewestPairs && t.changes * 2 >= t.pairs);
}

} // namespace

bool ColumnKinds::isReading(int column) const {
    return numberColumns.contains(column) && !identifierColumns.contains(column) &&
           !counterColumns.contains(column);
}

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
    QList<QByteArrayView> next;
    QList<std::optional<double>> numbers(columns);
    const int span = last - first + 1;
    const int samples = std::min(span, kSampleLines);
    for (int i = 0; i < samples; ++i) {
        const int k = first + int(qint64(i) * span / samples);
        CsvLine::fieldViews(store.line(k), fields);
        if (fields.size() < 2) {
            continue; // not a record
        }
        for (int c = 0; c < columns; ++c) {
            numbers[c].reset();
            const QByteArrayView field = c < fields.size() ? fields.at(c).trimmed() : QByteArrayView();
            if (field.isEmpty()) {
                continue;
            }
            Tally& tally = tallies[c];
            ++tally.values;
            numbers[c] = FieldValue::number(field);
            if (numbers[c]) {
                ++tally.numbers;
                tally.wholeNumbers += isWhole(field);
                if (tally.distinct.size() <= kMostIdentifiers && !tally.distinct.contains(*numbers[c])) {
                    tally.distinct << *numbers[c];
                }
            }
            tally.dates += FieldValue::dateParts(field).has_value();
            tally.times += FieldValue::time(field).has_value();
        }
        // How each number changes from this record to the next one.
        if (k == last) {
            continue;
        }
        CsvLine::fieldViews(store.line(k + 1), next);
        if (next.size() < 2) {
            continue;
        }
        for (int c = 0; c < std::min(columns, int(next.size())); ++c) {
            const auto later = numbers[c] ? FieldValue::number(next.at(c)) : std::nullopt;
            if (!later) {
                continue;
            }
            Tally& tally = tallies[c];
            ++tally.pairs;
            tally.changes += *later != *numbers[c];
            tally.rises += *later > *numbers[c];
            ++tally.steps[*later - *numbers[c]];
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
            const QString title = c < layout.titles.size() ? layout.titles.at(c) : QString();
            if (looksLikeCounter(tally, title)) {
                result.counterColumns << c;
            } else if (looksLikeIdentifier(tally, title)) {
                result.identifierColumns << c;
            }
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
