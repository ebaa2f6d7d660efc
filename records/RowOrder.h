#pragma once

#include "DateOrder.h"

#include <QByteArrayView>
#include <QList>
#include <Qt>
#include <functional>
#include <vector>

class LineStore;

// The rows of the table in the order of one column's values: numbers as numbers, dates and times as the
// moment they name, text by its characters (upper and lower case alike). A line without a value there (an
// empty field, text among numbers, a line that is no record) comes after every value in either direction;
// lines with equal values keep the order they arrived in. Each line's key is read once and kept beside its
// line number, so a million rows sort in a fraction of a second and rows arriving later are merged in.
class RowOrder {
public:
    enum class Key { Text, Number, Moment };
    struct Column {
        int column = -1;
        Key key = Key::Text;
        int dateColumn = -1; // a moment: its date and time from these columns
        int timeColumn = -1;
        DateOrder order = DateOrder::DayFirst;
    };

    RowOrder() = default; // the lines in the order they arrived
    RowOrder(const Column& by, Qt::SortOrder direction);

    bool isActive() const { return m_by.column >= 0; }
    int column() const { return m_by.column; }
    int size() const { return int(m_entries.size()); }
    int lineAt(int row) const { return m_entries[size_t(row)].line; }

    // These lines, in order.
    void sort(const LineStore& store, const std::vector<int>& lines);
    // More lines at the end, not yet in order; `settle` merges them with those before.
    void append(const LineStore& store, const std::vector<int>& lines);
    void settle(const LineStore& store, int from);
    // Drops the lines that do not pass, the others keeping their order.
    void keepOnly(const std::function<bool(int line)>& passes);
    // The rows of these lines (ascending line numbers) among the rows without a value, which come last.
    QList<int> rowsWithoutValue(const std::vector<int>& lines) const;

private:
    // 16 bytes, so that a million of them sort within the cache's reach.
    struct Entry {
        double key = 0;  // a number or a moment (seconds), NaN without one; text: where it starts in the
                         // store's bytes (exact as a double up to 2^53)
        int length = -1; // text: its length; -1 without one
        int line = 0;
    };
    Entry entryOf(const LineStore& store, int line, const char* base, QList<QByteArrayView>& fields) const;
    bool hasValue(const Entry& e) const;
    bool before(const Entry& a, const Entry& b, const char* base) const;

    Column m_by;
    bool m_descending = false;
    std::vector<Entry> m_entries;
};
