#include "RowOrder.h"

#include "CsvLine.h"
#include "FieldValue.h"
#include "LineStore.h"

#include <QByteArrayView>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr double kSecondsADay = 86400;

const char* bytesOf(const LineStore& store) {
    return store.count() > 0 ? store.line(1).data() : nullptr;
}

} // namespace

RowOrder::RowOrder(const Column& by, Qt::SortOrder direction)
    : m_by(by), m_descending(direction == Qt::DescendingOrder) {}

RowOrder::Entry RowOrder::entryOf(const LineStore& store, int line, const char* base,
                                  QList<QByteArrayView>& fields) const {
    Entry e;
    e.line = line;
    e.key = kNone;
    const int needed = std::max({2, m_by.column + 1, m_by.dateColumn + 1, m_by.timeColumn + 1});
    CsvLine::fieldViews(store.line(line), fields, needed);
    if (fields.size() < 2 || m_by.column >= fields.size()) {
        return e; // no record, or a short one
    }
    const QByteArrayView field = fields.at(m_by.column).trimmed();
    switch (m_by.key) {
    case Key::Text:
        if (!field.isEmpty()) {
            e.key = double(field.data() - base);
            e.length = int(field.size());
        }
        break;
    case Key::Number:
        if (const auto value = FieldValue::number(field); value && !std::isnan(*value)) {
            e.key = *value;
        }
        break;
    case Key::Moment: {
        double seconds = 0;
        if (m_by.dateColumn >= 0) {
            const auto parts = m_by.dateColumn < fields.size()
                                   ? FieldValue::dateParts(fields.at(m_by.dateColumn))
                                   : std::nullopt;
            const QDate date = parts ? FieldValue::date(*parts, m_by.order) : QDate();
            if (!date.isValid()) {
                return e;
            }
            seconds = double(date.toJulianDay()) * kSecondsADay;
        }
        const auto time = m_by.timeColumn >= 0 && m_by.timeColumn < fields.size()
                              ? FieldValue::time(fields.at(m_by.timeColumn))
                              : std::nullopt;
        if (!time && m_by.dateColumn < 0) {
            return e;
        }
        e.key = seconds + (time ? time->msecsSinceStartOfDay() / 1000.0 : 0);
        break;
    }
    }
    return e;
}

bool RowOrder::hasValue(const Entry& e) const {
    return m_by.key == Key::Text ? e.length >= 0 : !std::isnan(e.key);
}

bool RowOrder::before(const Entry& a, const Entry& b, const char* base) const {
    const bool aHas = hasValue(a);
    if (aHas != hasValue(b)) {
        return aHas;
    }
    if (aHas) {
        int c = 0;
        if (m_by.key == Key::Text) {
            c = QByteArrayView(base + qint64(a.key), a.length)
                    .compare(QByteArrayView(base + qint64(b.key), b.length), Qt::CaseInsensitive);
        } else {
            c = a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
        }
        if (c != 0) {
            return m_descending ? c > 0 : c < 0;
        }
    }
    return a.line < b.line;
}

void RowOrder::sort(const LineStore& store, const std::vector<int>& lines) {
    m_entries.clear();
    append(store, lines);
    settle(store, 0);
}

void RowOrder::append(const LineStore& store, const std::vector<int>& lines) {
    const char* base = bytesOf(store);
    QList<QByteArrayView> fields;
    m_entries.reserve(m_entries.size() + lines.size());
    for (const int line : lines) {
        m_entries.push_back(entryOf(store, line, base, fields));
    }
}

void RowOrder::settle(const LineStore& store, int from) {
    // Text keys are offsets into the store's bytes, which stay the same however often the bytes move.
    const char* base = bytesOf(store);
    const auto middle = m_entries.begin() + std::clamp<qsizetype>(from, 0, qsizetype(m_entries.size()));
    // The new lines with a value first, by value, then those without, as they came: the same order as
    // `before` gives, with the cheapest comparison for each part.
    const auto withoutValue =
        std::partition(middle, m_entries.end(), [this](const Entry& e) { return hasValue(e); });
    const auto byLine = [](const Entry& a, const Entry& b) { return a.line < b.line; };
    if (m_by.key != Key::Text) {
        const bool descending = m_descending;
        std::sort(middle, withoutValue, [descending](const Entry& a, const Entry& b) {
            if (a.key != b.key) {
                return descending ? a.key > b.key : a.key < b.key;
            }
            return a.line < b.line;
        });
    } else {
        std::sort(middle, withoutValue,
                  [this, base](const Entry& a, const Entry& b) { return before(a, b, base); });
    }
    std::sort(withoutValue, m_entries.end(), byLine);
    std::inplace_merge(m_entries.begin(), middle, m_entries.end(),
                       [this, base](const Entry& a, const Entry& b) { return before(a, b, base); });
}

void RowOrder::keepOnly(const std::function<bool(int line)>& passes) {
    std::erase_if(m_entries, [&](const Entry& e) { return !passes(e.line); });
}

QList<int> RowOrder::rowsWithoutValue(const std::vector<int>& lines) const {
    QList<int> rows;
    for (int row = size() - 1; row >= 0 && !hasValue(m_entries[size_t(row)]); --row) {
        if (std::binary_search(lines.begin(), lines.end(), m_entries[size_t(row)].line)) {
            rows.prepend(row);
        }
    }
    return rows;
}
