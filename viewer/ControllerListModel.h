#pragma once

#include "ArchiveViews.h"

#include <QAbstractTableModel>

// The archive's controllers as a table: name, downloads, records, first and last record, last download,
// and whether it is overdue (no download for more than the days korvane.ini allows), the overdue rows
// marked in red. The name can be edited in place: the edit is asked for (renameAsked) and shows once the
// archive has taken it and the list is read again.
class ControllerListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, Downloads, Records, FirstRecord, LastRecord, LastDownload, Overdue, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setControllers(const QList<ControllerSummary>& controllers, const QDateTime& now, int overdueDays);
    const ControllerSummary& controller(int row) const { return m_controllers.at(row); }
    bool isOverdue(int row) const { return m_overdue.at(row); }
    // The row of a controller, -1 when it is not listed.
    int rowOf(qint64 controllerId) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void renameAsked(qint64 controllerId, const QString& name);

private:
    QString text(const ControllerSummary& c, int column, bool overdue) const;

    QList<ControllerSummary> m_controllers;
    QList<bool> m_overdue;
    QDateTime m_now;
    int m_overdueDays = 0;
};
