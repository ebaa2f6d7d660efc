#pragma once

#include "ColumnKinds.h"
#include "LineFilter.h"
#include "LogLayout.h"
#include "RowOrder.h"
#include "Throttle.h"

#include <QAbstractTableModel>
#include <QCache>
#include <functional>
#include <vector>

class LineStore;

// The stored lines of a download as a table: one row per line after the "Date," line, its fields in the
// columns that line names. Rows are read from the store when a view asks for them (a few hundred are
// kept at hand), so a download of a million lines opens at once and costs little more memory. A line
// that is no record (no comma: the final "END OF DOWNLOAD", stray text) shows its whole text in the first
// column. Rows arriving during a download are added as the link tells of them. A click on a column title
// sorts the rows by that column (see RowOrder); numbers stand to the right of their cells.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role {
        IsRecordRole = Qt::UserRole + 1, // bool: a record, not a line of other text
        LineRole,                        // QByteArray: the line exactly as it arrived
        LineNumberRole,                  // int: the line's number in the download
    };

    // Rows arriving during a download are taken in at most once every refreshMs: a fast download stores
    // lines hundreds of times a second, more than a table can draw.
    explicit RecordTableModel(const LineStore& store, int refreshMs = 0, QObject* parent = nullptr);

    // More lines were stored: their rows are added now or at the end of the running interval.
    void linesStored();
    // The store was emptied (a new download): the table starts again.
    void linesDropped();
    // The store is gone: the table shows nothing and never reads it again.
    void detach();
    // Takes in every line stored since it last looked.
    void refresh();

    const LogLayout& layout() const { return m_layout; }
    const ColumnKinds& kinds() const { return m_kinds; }
    // The lines above the "Date," line, as text.
    QString headerText() const;
    // The "Date," line as it arrived; empty without one.
    QByteArray titleLine() const;
    int lineOf(int row) const;
    // Rows whose lines are no records, in ascending order.
    QList<int> nonRecordRows() const;

    // Only rows whose line holds this text (any case); empty shows every row.
    void setFilter(const QString& text);
    QString filterText() const { return m_filter.text(); }
    // Every row there is, whatever the filter shows.
    int allRows() const;
    // How dates that read both ways (no day above 12) are read when the rows are sorted by date.
    void setChosenDateOrder(DateOrder order);
    // The lines of these rows as they arrived, oldest first: the bytes a spreadsheet reads as CSV.
    QByteArray linesOf(QList<int> rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // By one column, or (column -1) in the order the lines arrived.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // The header lines or the column titles changed (a new download, or its "Date," line arrived).
    void titlesChanged();

private:
    struct Row {
        QStringList fields;
        bool record = true;
    };
    void rebuild();
    // Looks at lines first to last: widths, lines of other text, filter matches.
    void scan(int first, int last, int& widest, std::vector<int>& matches);
    Row rowAt(int line) const;
    // The lines the table shows when it is not sorted.
    std::vector<int> shownLines() const;
    RowOrder::Column sortColumn(int column) const;
    void resort(int column, Qt::SortOrder order);
    // Puts the rows in a new order, the chosen rows going with their lines.
    void reorder(const std::function<void()>& change);

    const LineStore* m_store;
    LogLayout m_layout;
    int m_seenLines = 0;
    int m_columns = 1;
    std::vector<int> m_otherLines;
    LineFilter m_filter;
    std::vector<int> m_matches; // line numbers that pass the filter, while there is one
    mutable QCache<int, Row> m_rows;
    Throttle m_refresh;
    ColumnKinds m_kinds;
    RowOrder m_order; // while the table is sorted
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    DateOrder m_chosenOrder;
};
