#include "HistoryReader.h"

#include "ExportLayout.h"
#include "RecordKeys.h"
#include "SqlSession.h"

#include <QSqlQuery>
#include <limits>

namespace HistoryReader {

namespace {

// Records are read a page at a time, so that a server never hands over a whole history in one reply.
constexpr int kPageRows = 50000;
constexpr QByteArrayView kLineEnd = "\r\n";

QString keyColumn(DateOrder order) {
    return order == DateOrder::MonthFirst ? QStringLiteral("key_mdy") : QStringLiteral("key_dmy");
}

// Calls `take` with each record line (without line end) whose key lies in [fromKey, toKey], in order.
bool forEachRecord(SqlSession& session, qint64 controllerId, DateOrder order, qint64 fromKey, qint64 toKey,
                   const std::function<void(QByteArrayView)>& take) {
    const QString key = keyColumn(order);
    // The page goes on from the last record read: the lower bound lets the index start there.
    const QString sql = QStringLiteral("SELECT %1, id, line FROM rm7_record WHERE controller_id = ?"
                                       " AND %1 >= ? AND %1 <= ? AND (%1 > ? OR id > ?)"
                                       " ORDER BY %1, id LIMIT %2")
                            .arg(key)
                            .arg(kPageRows);
    QSqlQuery query(session.db());
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        session.fail(sqlReason(query.lastError()));
        return false;
    }
    qint64 lastKey = -1;
    qint64 lastId = -1;
    for (;;) {
        if (!session.runPrepared(query, {controllerId, std::max(fromKey, lastKey), toKey, lastKey, lastId})) {
            return false;
        }
        int rows = 0;
        while (query.next()) {
            take(query.value(2).toByteArray());
            if (++rows == kPageRows) { // only a full page's last record tells where the next one starts
                lastKey = query.value(0).toLongLong();
                lastId = query.value(1).toLongLong();
            }
        }
        if (rows < kPageRows) {
            return true;
        }
    }
}

// The newest download's lines up to its "Date," line, as received.
std::optional<QByteArray> newestHead(SqlSession& session, qint64 controllerId) {
    QSqlQuery query(session.db());
    if (!session.run(query,
                     QStringLiteral("SELECT head FROM rm7_download WHERE controller_id = ?"
                                    " ORDER BY ended DESC, id DESC LIMIT 1"),
                     {controllerId})) {
        return std::nullopt;
    }
    if (!query.next()) {
        session.fail(QStringLiteral("there is no controller %1 in the archive").arg(controllerId));
        return std::nullopt;
    }
    return query.value(0).toByteArray();
}

} // namespace

DateOrder settledOrder(SqlSession& session, qint64 controllerId, DateOrder order) {
    if (order != DateOrder::Unknown) {
        return order;
    }
    const auto shown =
        session.value(QStringLiteral("SELECT date_order FROM rm7_download WHERE controller_id = ?"
                                     " AND date_order <> 0 ORDER BY ended DESC, id DESC LIMIT 1"),
                      {controllerId});
    return shown && shown->toInt() == 2 ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

ArchiveResult<HistoryLines> history(SqlSession& session, qint64 controllerId, DateOrder order) {
    const auto head = newestHead(session, controllerId);
    if (!head) {
        return ArchiveResult<HistoryLines>::failure(session.error());
    }
    HistoryLines lines;
    const auto append = [&lines](QByteArrayView line) {
        lines.bytes.append(line);
        lines.bytes.append(kLineEnd);
        lines.ends.push_back(lines.bytes.size());
    };
    for (QByteArrayView rest = *head; !rest.isEmpty();) {
        const qsizetype lf = rest.indexOf('\n');
        QByteArrayView line = lf < 0 ? rest : rest.first(lf);
        rest = lf < 0 ? QByteArrayView() : rest.sliced(lf + 1);
        append(line.endsWith('\r') ? line.chopped(1) : line);
    }
    lines.titleLine = lines.count();
    const DateOrder settled = settledOrder(session, controllerId, order);
    const bool read = session.transaction(
        [&] {
            lines.ends.resize(lines.titleLine); // what a try that had to start again read goes
            lines.bytes.truncate(lines.ends.back());
            return forEachRecord(session, controllerId, settled, 0, std::numeric_limits<qint64>::max(),
                                 append);
        },
        SqlSession::Access::Read);
    if (!read) {
        return ArchiveResult<HistoryLines>::failure(session.error());
    }
    lines.bytes.squeeze();
    lines.ends.squeeze();
    return {std::move(lines), {}};
}

ArchiveResult<QByteArray> exportRecords(SqlSession& session, const ExportRequest& request) {
    const auto head = newestHead(session, request.controllerId);
    if (!head) {
        return ArchiveResult<QByteArray>::failure(session.error());
    }
    const qint64 fromKey = request.from.isValid() ? timeKey(request.from) : 0;
    const qint64 toKey = request.to.isValid() ? timeKey(request.to) : std::numeric_limits<qint64>::max();
    QByteArray records;
    qint64 count = 0;
    const DateOrder settled = settledOrder(session, request.controllerId, request.order);
    const bool read = session.transaction(
        [&] {
            records.clear();
            count = 0;
            return forEachRecord(session, request.controllerId, settled, fromKey, toKey,
                                 [&](QByteArrayView line) {
                                     records += line;
                                     records += kLineEnd;
                                     ++count;
                                 });
        },
        SqlSession::Access::Read);
    if (!read) {
        return ArchiveResult<QByteArray>::failure(session.error());
    }
    if (request.plain) {
        QByteArrayView titles = *head;
        titles.chop(titles.endsWith("\r\n") ? 2 : titles.endsWith('\n') ? 1 : 0);
        titles = titles.sliced(titles.lastIndexOf('\n') + 1);
        return {ExportLayout::plainTable(titles, records), {}};
    }
    return {ExportLayout::controllerLayout(*head, records, count), {}};
}

} // namespace HistoryReader
