#pragma once

#include "LineFilter.h"
#include "LogLayout.h"
#include "Throttle.h"

#include <QAbstractTableModel>
#include <QCache>
#include <vector>

class LineStore;

// The stored lines of a download as a table: one row per line after the "Date," line, its fields in the
// columns that line names. Rows are read from the store when a view asks for them (a few hundred are
// kept at hand), so a download of a million lines opens at once and costs little more memory. A line
// that is no record (no comma: the final "END OF DOWNLOAD", stray text) shows its whole text in the first
// column. Rows arriving during a download are added as the link tells of them.
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
    // The lines above the "Date," line, as text.
    QString headerText() const;
    int lineOf(int row) const;
    // Rows whose lines are no records, in ascending order.
    QList<int> nonRecordRows() const;

    // Only rows whose line holds this text (any case); empty shows every row.
    void setFilter(const QString& text);
    QString filterText() const { return m_filter.text(); }
    // The lines of these rows as they arrived, oldest first: the bytes a spreadsheet reads as CSV.
    QByteArray linesOf(QList<int> rows) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

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

    const LineStore* m_store;
    LogLayout m_layout;
    int m_seenLines = 0;
    int m_columns = 1;
    std::vector<int> m_otherLines;
    LineFilter m_filter;
    std::vector<int> m_matches; // line numbers that pass the filter, while there is one
    mutable QCache<int, Row> m_rows;
    Throttle m_refresh;
};
