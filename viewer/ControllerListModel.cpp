#include "ControllerListModel.h"

#include "ArchiveTimes.h"
#include "Overdue.h"

#include <QColor>
#include <QLocale>

namespace {

QString days(qint64 n) {
    return n == 1 ? ControllerListModel::tr("1 day") : ControllerListModel::tr("%1 days").arg(n);
}

} // namespace

void ControllerListModel::setControllers(const QList<ControllerSummary>& controllers, const QDateTime& now,
                                         int overdueDays) {
    beginResetModel();
    m_controllers = controllers;
    m_now = now;
    m_overdueDays = overdueDays;
    m_overdue.clear();
    for (const ControllerSummary& c : controllers) {
        m_overdue << ::isOverdue(c, now, overdueDays);
    }
    endResetModel();
}

int ControllerListModel::rowOf(qint64 controllerId) const {
    for (int row = 0; row < m_controllers.size(); ++row) {
        if (m_controllers.at(row).id == controllerId) {
            return row;
        }
    }
    return -1;
}

int ControllerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_controllers.size());
}

int ControllerListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ControllerListModel::text(const ControllerSummary& c, int column, bool overdue) const {
    const QLocale locale;
    switch (column) {
    case Name:
        return c.name;
    case Downloads:
        return locale.toString(c.downloads);
    case Records:
        return locale.toString(c.records);
    case FirstRecord:
        return ArchiveTimes::recordTime(c.firstRecord);
    case LastRecord:
        return ArchiveTimes::recordTime(c.lastRecord);
    case LastDownload:
        return c.lastDownload.isValid() ? ArchiveTimes::downloadTime(c.lastDownload) : tr("never");
    case Overdue:
        if (!overdue) {
            return {};
        }
        return c.lastDownload.isValid() ? tr("overdue: %1").arg(days(c.lastDownload.daysTo(m_now)))
                                        : tr("overdue");
    default:
        return {};
    }
}

QVariant ControllerListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_controllers.size()) {
        return {};
    }
    const ControllerSummary& c = m_controllers.at(index.row());
    const bool overdue = m_overdue.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(c, index.column(), overdue);
    case Qt::TextAlignmentRole:
        return index.column() == Downloads || index.column() == Records
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    case Qt::ForegroundRole:
        return overdue ? QVariant(QColor(0xb0, 0x00, 0x20)) : QVariant();
    case Qt::ToolTipRole:
        return overdue ? tr("No download for more than %1").arg(days(m_overdueDays)) : QVariant();
    default:
        return {};
    }
}

QVariant ControllerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const kTitles[ColumnCount] = {QT_TR_NOOP("Controller"),  QT_TR_NOOP("Downloads"),
                                                     QT_TR_NOOP("Records"),     QT_TR_NOOP("First record"),
                                                     QT_TR_NOOP("Last record"), QT_TR_NOOP("Last download"),
                                                     QT_TR_NOOP("Overdue")};
    return section >= 0 && section < ColumnCount ? tr(kTitles[section]) : QVariant();
}

Qt::ItemFlags ControllerListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags usual = QAbstractTableModel::flags(index);
    return index.column() == Name ? usual | Qt::ItemIsEditable : usual;
}

bool ControllerListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != Name || index.row() >= m_controllers.size()) {
        return false;
    }
    const QString name = value.toString().trimmed();
    const ControllerSummary& c = m_controllers.at(index.row());
    if (name.isEmpty() || name == c.name) {
        return false;
    }
    emit renameAsked(c.id, name);
    return true;
}
