#include "Outbox.h"

#include "SqlSession.h"

namespace Outbox {

bool put(SqlSession& session, const PreparedDownload& download) {
    const DownloadFacts& facts = download.facts;
    QSqlQuery query(session.db());
    return session.transaction([&] {
        return session.run(
            query,
            QStringLiteral("INSERT INTO rm7_outbox (raw_hash, started, ended, host, com_number,"
                           " device, how_ended, raw) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"
                           " ON CONFLICT (raw_hash) DO NOTHING"),
            {download.rawHash, storedTime(facts.started), storedTime(facts.ended), storedText(facts.host),
             facts.comNumber, storedText(facts.device), downloadEndText(facts.end), download.compressed});
    });
}

std::optional<QList<qint64>> waiting(SqlSession& session) {
    QSqlQuery query(session.db());
    if (!session.run(query, QStringLiteral("SELECT id FROM rm7_outbox ORDER BY id"))) {
        return std::nullopt;
    }
    QList<qint64> ids;
    while (query.next()) {
        ids << query.value(0).toLongLong();
    }
    return ids;
}

std::optional<PreparedDownload> take(SqlSession& session, qint64 id) {
    QSqlQuery query(session.db());
    if (!session.run(
            query,
            QStringLiteral("SELECT raw_hash, started, ended, host, com_number, device, how_ended, raw"
                           " FROM rm7_outbox WHERE id = ?"),
            {id})) {
        return std::nullopt;
    }
    if (!query.next()) {
        session.fail(QStringLiteral("no waiting download %1").arg(id));
        return std::nullopt;
    }
    QString error;
    const QByteArray bytes =
        PreparedDownload::uncompressed(query.value(7).toByteArray(), query.value(0).toByteArray(), error);
    if (!error.isEmpty()) {
        session.fail(error);
        return std::nullopt;
    }
    DownloadFacts facts;
    facts.started = QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs);
    facts.ended = QDateTime::fromString(query.value(2).toString(), Qt::ISODateWithMs);
    facts.host = query.value(3).toString();
    facts.comNumber = query.value(4).toInt();
    facts.device = query.value(5).toString();
    facts.end = downloadEndFromText(query.value(6).toString()).value_or(DownloadEnd::Interrupted);
    return PreparedDownload::of(bytes, facts);
}

bool remove(SqlSession& session, qint64 id) {
    QSqlQuery query(session.db());
    return session.run(query, QStringLiteral("DELETE FROM rm7_outbox WHERE id = ?"), {id});
}

} // namespace Outbox
