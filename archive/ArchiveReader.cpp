#include "ArchiveReader.h"

#include "DownloadParts.h"
#include "PreparedDownload.h"
#include "RecordKeys.h"
#include "SqlSession.h"

#include <QHash>
#include <QSqlQuery>

namespace ArchiveReader {

namespace {

QDateTime utc(const QVariant& text) {
    QDateTime when = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    return when.isValid() ? when.toUTC() : QDateTime();
}

// Each record of `lines` beyond as many times as `other` holds it, in order.
QList<QByteArray> beyond(const QList<QByteArrayView>& lines, const QList<QByteArrayView>& other) {
    QHash<QByteArrayView, int> held;
    for (const QByteArrayView line : other) {
        ++held[line];
    }
    QList<QByteArray> extra;
    for (const QByteArrayView line : lines) {
        int& count = held[line];
        if (count > 0) {
            --count;
        } else {
            extra << line.toByteArray();
        }
    }
    return extra;
}

} // namespace

ArchiveResult<QList<ControllerSummary>> controllers(SqlSession& session, DateOrder order) {
    QSqlQuery query(session.db());
    const bool ran = session.run(
        query,
        QStringLiteral(
            "SELECT c.id, c.name,"
            " (SELECT COUNT(*) FROM rm7_download d WHERE d.controller_id = c.id),"
            " (SELECT MAX(d.ended) FROM rm7_download d WHERE d.controller_id = c.id),"
            " (SELECT COUNT(*) FROM rm7_record r WHERE r.controller_id = c.id),"
            " (SELECT MIN(r.key_dmy) FROM rm7_record r WHERE r.controller_id = c.id AND r.key_dmy > 0),"
            " (SELECT MAX(r.key_dmy) FROM rm7_record r WHERE r.controller_id = c.id),"
            " (SELECT MIN(r.key_mdy) FROM rm7_record r WHERE r.controller_id = c.id AND r.key_mdy > 0),"
            " (SELECT MAX(r.key_mdy) FROM rm7_record r WHERE r.controller_id = c.id),"
            " (SELECT d.date_order FROM rm7_download d WHERE d.controller_id = c.id AND d.date_order <> 0"
            "  ORDER BY d.ended DESC, d.id DESC LIMIT 1)"
            " FROM rm7_controller c ORDER BY c.name, c.id"));
    if (!ran) {
        return ArchiveResult<QList<ControllerSummary>>::failure(session.error());
    }
    QList<ControllerSummary> list;
    while (query.next()) {
        ControllerSummary summary;
        summary.id = query.value(0).toLongLong();
        summary.name = query.value(1).toString();
        summary.downloads = query.value(2).toInt();
        summary.lastDownload = utc(query.value(3));
        summary.records = query.value(4).toLongLong();
        const bool monthFirst =
            order == DateOrder::MonthFirst || (order == DateOrder::Unknown && query.value(9).toInt() == 2);
        summary.firstRecord = fromTimeKey(query.value(monthFirst ? 7 : 5).toLongLong());
        summary.lastRecord = fromTimeKey(query.value(monthFirst ? 8 : 6).toLongLong());
        list << summary;
    }
    return {list, {}};
}

ArchiveResult<QList<DownloadSummary>> downloads(SqlSession& session, qint64 controllerId) {
    QSqlQuery query(session.db());
    if (!session.run(query,
                     QStringLiteral("SELECT id, controller_id, started, ended, host, com_number, device,"
                                    " how_ended, line_count, record_count, raw_size FROM rm7_download"
                                    " WHERE controller_id = ? ORDER BY ended, id"),
                     {controllerId})) {
        return ArchiveResult<QList<DownloadSummary>>::failure(session.error());
    }
    QList<DownloadSummary> list;
    while (query.next()) {
        DownloadSummary summary;
        summary.id = query.value(0).toLongLong();
        summary.controllerId = query.value(1).toLongLong();
        summary.started = utc(query.value(2));
        summary.ended = utc(query.value(3));
        summary.host = query.value(4).toString();
        summary.comNumber = query.value(5).toInt();
        summary.device = query.value(6).toString();
        summary.end = downloadEndFromText(query.value(7).toString()).value_or(DownloadEnd::Interrupted);
        summary.lineCount = query.value(8).toInt();
        summary.recordCount = query.value(9).toInt();
        summary.bytes = query.value(10).toLongLong();
        list << summary;
    }
    return {list, {}};
}

ArchiveResult<QByteArray> downloadBytes(SqlSession& session, qint64 downloadId) {
    QSqlQuery query(session.db());
    if (!session.run(query, QStringLiteral("SELECT raw, raw_hash FROM rm7_download WHERE id = ?"),
                     {downloadId})) {
        return ArchiveResult<QByteArray>::failure(session.error());
    }
    if (!query.next()) {
        return ArchiveResult<QByteArray>::failure(
            QStringLiteral("there is no download %1 in the archive").arg(downloadId));
    }
    QString error;
    QByteArray bytes =
        PreparedDownload::uncompressed(query.value(0).toByteArray(), query.value(1).toByteArray(), error);
    return {std::move(bytes), error};
}

ArchiveResult<DownloadComparison> compare(SqlSession& session, qint64 firstId, qint64 secondId) {
    const auto first = downloadBytes(session, firstId);
    if (!first.ok()) {
        return ArchiveResult<DownloadComparison>::failure(first.error);
    }
    const auto second = downloadBytes(session, secondId);
    if (!second.ok()) {
        return ArchiveResult<DownloadComparison>::failure(second.error);
    }
    const DownloadParts a = DownloadParts::of(first.value);
    const DownloadParts b = DownloadParts::of(second.value);
    return {{a.titles.toByteArray(), beyond(a.records, b.records), beyond(b.records, a.records)}, {}};
}

} // namespace ArchiveReader
