#include "DownloadListModel.h"

#include "ArchiveTimes.h"

#include <QLocale>

namespace {

// The PC and its port, or for an import the file (the PC named only when known).
QString source(const DownloadSummary& d) {
    QStringList parts;
    if (!d.host.isEmpty() && d.end != DownloadEnd::Imported) {
        parts << d.host;
    }
    if (d.comNumber > 0) {
        parts << DownloadListModel::tr("COM %1").arg(d.comNumber);
    }
    if (!d.device.isEmpty()) {
        parts << d.device;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

void DownloadListModel::setDownloads(const QList<DownloadSummary>& downloads) {
    beginResetModel();
    m_downloads = downloads;
    endResetModel();
}

int DownloadListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_downloads.size());
}

int DownloadListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_downloads.size()) {
        return {};
    }
    const DownloadSummary& d = m_downloads.at(index.row());
    const bool number = index.column() == Records || index.column() == Lines || index.column() == Bytes;
    if (role == Qt::TextAlignmentRole) {
        return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    const QLocale locale;
    switch (index.column()) {
    case Ended:
        return ArchiveTimes::downloadTime(d.ended);
    case Started:
        return ArchiveTimes::downloadTime(d.started);
    case End:
        return downloadEndText(d.end);
    case Records:
        return locale.toString(d.recordCount);
    case Lines:
        return locale.toString(d.lineCount);
    case Bytes:
        return locale.toString(d.bytes);
    case Source:
        return source(d);
    default:
        return {};
    }
}

QVariant DownloadListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const kTitles[ColumnCount] = {
        QT_TR_NOOP("Ended"), QT_TR_NOOP("Started"), QT_TR_NOOP("How it ended"), QT_TR_NOOP("Records"),
        QT_TR_NOOP("Lines"), QT_TR_NOOP("Bytes"),   QT_TR_NOOP("Taken from")};
    return section >= 0 && section < ColumnCount ? tr(kTitles[section]) : QVariant();
}
