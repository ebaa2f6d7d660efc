#pragma once

#include "ArchiveViews.h"

#include <QAbstractTableModel>

// A controller's downloads as a table, oldest first: when each ended and started, how it ended, its
// records, lines and bytes, and where it came from (the PC and port, or the file it was imported from).
class DownloadListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Ended, Started, End, Records, Lines, Bytes, Source, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setDownloads(const QList<DownloadSummary>& downloads);
    const DownloadSummary& download(int row) const { return m_downloads.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<DownloadSummary> m_downloads;
};
