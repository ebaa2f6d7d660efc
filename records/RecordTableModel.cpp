#include "RecordTableModel.h"

#include "ControllerWire.h"
#include "CsvLine.h"
#include "LineStore.h"

#include <algorithm>

namespace {

constexpr int kRowsAtHand = 1000;

} // namespace

RecordTableModel::RecordTableModel(const LineStore& store, int refreshMs, QObject* parent)
    : QAbstractTableModel(parent), m_store(&store), m_rows(kRowsAtHand),
      m_refresh(refreshMs, [this] { refresh(); }) {
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
    if (m_filter.isEmpty()) {
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

int RecordTableModel::lineOf(int row) const {
    if (!m_filter.isEmpty()) {
        return row >= 0 && size_t(row) < m_matches.size() ? m_matches[size_t(row)] : 0;
    }
    return m_layout.firstRowLine() + row;
}

QList<int> RecordTableModel::nonRecordRows() const {
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
    endResetModel();
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
    if (!m_filter.isEmpty()) {
        return int(m_matches.size());
    }
    return std::max(0, m_seenLines - m_layout.firstRowLine() + 1);
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
