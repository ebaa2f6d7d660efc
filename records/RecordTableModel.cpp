#include "RecordTableModel.h"

#include "ControllerWire.h"
#include "CsvLine.h"
#include "LineStore.h"
#include "StoredSettings.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace {

constexpr int kRowsAtHand = 1000;

} // namespace

RecordTableModel::RecordTableModel(const LineStore& store, int refreshMs, QObject* parent)
    : QAbstractTableModel(parent), m_store(&store), m_rows(kRowsAtHand),
      m_refresh(refreshMs, [this] { refresh(); }), m_chosenOrder(StoredSettings::dateOrder()) {
    rebuild();
}

void RecordTableModel::linesStored() {
    m_refresh.request();
}

void RecordTableModel::linesDropped() {
    m_refresh.cancel();
    if (m_store != nullptr) {
        rebuild();
    }
}

void RecordTableModel::detach() {
    m_refresh.cancel();
    beginResetModel();
    m_store = nullptr;
    m_layout = {};
    m_seenLines = 0;
    m_otherLines.clear();
    m_matches.clear();
    m_rows.clear();
    m_kinds = {};
    m_order = {};
    endResetModel();
    emit titlesChanged();
}

void RecordTableModel::rebuild() {
    beginResetModel();
    m_rows.clear();
    m_otherLines.clear();
    m_matches.clear();
    m_layout = LogLayout::of(*m_store);
    m_seenLines = m_store->count();
    int widest = std::max(1, int(m_layout.titles.size()));
    scan(m_layout.firstRowLine(), m_seenLines, widest, m_matches);
    m_columns = widest;
    m_kinds = ColumnKinds::detect(*m_store, m_layout, m_columns);
    if (m_order.isActive()) {
        m_order = RowOrder(sortColumn(m_order.column()), m_sortOrder);
        m_order.sort(*m_store, shownLines());
    }
    endResetModel();
    emit titlesChanged();
}

void RecordTableModel::scan(int first, int last, int& widest, std::vector<int>& matches) {
    for (int k = first; k <= last; ++k) {
        const QByteArrayView line = m_store->line(k);
        const int fields = CsvLine::fieldCount(line);
        if (fields < 2) {
            m_otherLines.push_back(k);
        }
        widest = std::max(widest, fields);
        if (!m_filter.isEmpty() && m_filter.matches(CsvLine::withoutLineEnd(line))) {
            matches.push_back(k);
        }
    }
}

void RecordTableModel::refresh() {
    if (m_store == nullptr) {
        return;
    }
    const int count = m_store->count();
    if (count == m_seenLines) {
        return;
    }
    if (count < m_seenLines || m_seenLines == 0) {
        rebuild();
        return;
    }
    if (!m_layout.hasTitles()) {
        for (int k = m_seenLines + 1; k <= count; ++k) {
            if (m_store->line(k).startsWith(ControllerWire::kColumnTitles)) {
                rebuild(); // the header lines leave the table for the text above it
                return;
            }
        }
    }
    const int before = m_seenLines;
    m_seenLines = count;
    int widest = m_columns;
    std::vector<int> matches;
    scan(std::max(before + 1, m_layout.firstRowLine()), count, widest, matches);
    if (widest > m_columns) {
        beginInsertColumns({}, m_columns, widest - 1);
        m_columns = widest;
        endInsertColumns();
    }
    m_kinds = ColumnKinds::detect(*m_store, m_layout, m_columns);
    if (m_order.isActive()) {
        // New rows join at the end, then move to their places among the others.
        std::vector<int> added = matches;
        if (m_filter.isEmpty()) {
            added.resize(size_t(std::max(0, count - std::max(before + 1, m_layout.firstRowLine()) + 1)));
            std::iota(added.begin(), added.end(), std::max(before + 1, m_layout.firstRowLine()));
        }
        m_matches.insert(m_matches.end(), matches.begin(), matches.end());
        if (!added.empty()) {
            const int from = m_order.size();
            beginInsertRows({}, from, from + int(added.size()) - 1);
            m_order.append(*m_store, added);
            endInsertRows();
            reorder([this, from] { m_order.settle(*m_store, from); });
        }
    } else if (m_filter.isEmpty()) {
        const int firstRow = std::max(0, before - m_layout.firstRowLine() + 1);
        const int lastRow = count - m_layout.firstRowLine();
        if (lastRow >= firstRow) {
            // The rows are counted from the store, which already holds them.
            m_seenLines = before;
            beginInsertRows({}, firstRow, lastRow);
            m_seenLines = count;
            endInsertRows();
        }
    } else if (!matches.empty()) {
        const int firstRow = int(m_matches.size());
        beginInsertRows({}, firstRow, firstRow + int(matches.size()) - 1);
        m_matches.insert(m_matches.end(), matches.begin(), matches.end());
        endInsertRows();
    }
}

QString RecordTableModel::headerText() const {
    if (m_store == nullptr || m_layout.titleLine <= 1) {
        return {};
    }
    QString text = QString::fromLatin1(m_store->lines(1, m_layout.titleLine - 1));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text;
}

QByteArray RecordTableModel::titleLine() const {
    return m_store != nullptr && m_layout.hasTitles() ? m_store->line(m_layout.titleLine).toByteArray()
                                                      : QByteArray();
}

int RecordTableModel::lineOf(int row) const {
    if (m_order.isActive()) {
        return row >= 0 && row < m_order.size() ? m_order.lineAt(row) : 0;
    }
    if (!m_filter.isEmpty()) {
        return row >= 0 && size_t(row) < m_matches.size() ? m_matches[size_t(row)] : 0;
    }
    return m_layout.firstRowLine() + row;
}

QList<int> RecordTableModel::nonRecordRows() const {
    if (m_order.isActive()) {
        return m_order.rowsWithoutValue(m_otherLines); // they have no value in any column
    }
    QList<int> rows;
    for (const int line : m_otherLines) {
        if (m_filter.isEmpty()) {
            rows << line - m_layout.firstRowLine();
        } else {
            const auto at = std::lower_bound(m_matches.begin(), m_matches.end(), line);
            if (at != m_matches.end() && *at == line) {
                rows << int(at - m_matches.begin());
            }
        }
    }
    return rows;
}

void RecordTableModel::setFilter(const QString& text) {
    if (text == m_filter.text()) {
        return;
    }
    const LineFilter previous = m_filter;
    m_filter = LineFilter(text);
    beginResetModel();
    if (m_filter.isEmpty()) {
        m_matches = {};
    } else if (!previous.isEmpty() && m_filter.narrows(previous)) {
        // Typing on: only the lines that passed so far can pass now.
        std::erase_if(m_matches, [this](int line) {
            return !m_filter.matches(CsvLine::withoutLineEnd(m_store->line(line)));
        });
    } else {
        m_matches.clear();
        if (m_store != nullptr) {
            for (int k = m_layout.firstRowLine(); k <= m_seenLines; ++k) {
                if (m_filter.matches(CsvLine::withoutLineEnd(m_store->line(k)))) {
                    m_matches.push_back(k);
                }
            }
        }
    }
    if (m_order.isActive() && m_store != nullptr) {
        if (!m_filter.isEmpty() && !previous.isEmpty() && m_filter.narrows(previous)) {
            m_order.keepOnly(
                [this](int line) { return std::binary_search(m_matches.begin(), m_matches.end(), line); });
        } else {
            m_order.sort(*m_store, shownLines());
        }
    }
    endResetModel();
}

std::vector<int> RecordTableModel::shownLines() const {
    if (!m_filter.isEmpty()) {
        return m_matches;
    }
    std::vector<int> lines(static_cast<size_t>(allRows()));
    std::iota(lines.begin(), lines.end(), m_layout.firstRowLine());
    return lines;
}

int RecordTableModel::allRows() const {
    return m_store == nullptr ? 0 : std::max(0, m_seenLines - m_layout.firstRowLine() + 1);
}

void RecordTableModel::setChosenDateOrder(DateOrder order) {
    m_chosenOrder = order;
    if (m_order.isActive() && sortColumn(m_order.column()).key == RowOrder::Key::Moment) {
        resort(m_order.column(), m_sortOrder);
    }
}

RowOrder::Column RecordTableModel::sortColumn(int column) const {
    RowOrder::Column by;
    by.column = column;
    const ColumnKind kind = m_kinds.kinds.value(column, ColumnKind::Text);
    if (kind == ColumnKind::Number) {
        by.key = RowOrder::Key::Number;
    } else if (kind == ColumnKind::Date || kind == ColumnKind::Time) {
        // Date and time together name the moment, whichever of the two is clicked.
        by.key = RowOrder::Key::Moment;
        by.dateColumn = m_kinds.dateColumn;
        by.timeColumn = m_kinds.timeColumn;
        by.order = ColumnKinds::dateOrderIn(*m_store, m_layout, m_kinds.dateColumn);
        if (by.order == DateOrder::Unknown) {
            by.order = m_chosenOrder == DateOrder::Unknown ? DateOrder::DayFirst : m_chosenOrder;
        }
    }
    return by;
}

void RecordTableModel::sort(int column, Qt::SortOrder order) {
    // Rows in order stay in order as they arrive and as Find narrows them: the same sort again (which a
    // view asks for twice) changes nothing.
    const bool same = m_order.isActive() ? column == m_order.column() && order == m_sortOrder : column < 0;
    if (!same) {
        resort(column, order);
    }
}

void RecordTableModel::resort(int column, Qt::SortOrder order) {
    if (m_store == nullptr) {
        return;
    }
    reorder([&] {
        m_sortOrder = order;
        if (column < 0 || column >= m_columns) {
            m_order = {};
            return;
        }
        m_order = RowOrder(sortColumn(column), order);
        m_order.sort(*m_store, shownLines());
    });
}

void RecordTableModel::reorder(const std::function<void()>& change) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QHash<int, int> rowOfLine; // the lines of the chosen and current rows, and their rows afterwards
    QList<int> lines;
    for (const QModelIndex& index : before) {
        lines << lineOf(index.row());
        rowOfLine.insert(lines.last(), -1);
    }
    change();
    if (!before.isEmpty()) {
        for (int row = 0, rows = rowCount(); row < rows; ++row) {
            if (const auto at = rowOfLine.find(lineOf(row)); at != rowOfLine.end()) {
                *at = row;
            }
        }
        QModelIndexList after;
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int row = rowOfLine.value(lines.at(i), -1);
            after << (row >= 0 ? index(row, before.at(i).column()) : QModelIndex());
        }
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QByteArray RecordTableModel::linesOf(QList<int> rows) const {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray bytes;
    for (const int row : rows) {
        if (row >= 0 && row < rowCount() && m_store != nullptr) {
            bytes += m_store->line(lineOf(row));
        }
    }
    return bytes;
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_store == nullptr) {
        return 0;
    }
    if (m_order.isActive()) {
        return m_order.size();
    }
    if (!m_filter.isEmpty()) {
        return int(m_matches.size());
    }
    return allRows();
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

RecordTableModel::Row RecordTableModel::rowAt(int line) const {
    if (const Row* kept = m_rows.object(line)) {
        return *kept;
    }
    Row row;
    const QByteArrayView bytes = m_store->line(line);
    if (CsvLine::fieldCount(bytes) < 2) {
        row.record = false;
        row.fields << QString::fromLatin1(CsvLine::withoutLineEnd(bytes));
    } else {
        row.fields = CsvLine::fields(bytes);
    }
    m_rows.insert(line, new Row(row)); // the cache owns its copy; the fields are shared, not copied
    return row;
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || m_store == nullptr || index.row() >= rowCount()) {
        return {};
    }
    const int line = lineOf(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        const Row row = rowAt(line);
        return index.column() < row.fields.size() ? row.fields.at(index.column()) : QString();
    }
    case IsRecordRole:
        return rowAt(line).record;
    case LineRole:
        return m_store->line(line).toByteArray();
    case LineNumberRole:
        return line;
    case Qt::TextAlignmentRole:
        if (m_kinds.kinds.value(index.column()) == ColumnKind::Number && rowAt(line).record) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    default:
        return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        // The record's number in the download.
        return lineOf(section) - m_layout.titleLine;
    }
    if (section < m_layout.titles.size()) {
        return m_layout.titles.at(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
