#include "DownloadWriter.h"

#include "Logging.h"
#include "PreparedDownload.h"
#include "SqlSession.h"

#include <QSqlQuery>

namespace DownloadWriter {

namespace {

// Records go in many to a statement: one statement per record would take a round trip each to a server.
// A server takes a batch as one array per column; Qt's SQLite driver looks up each bound value's name in
// a list as long as the statement's values, so a statement there stays short.
constexpr int kServerRowsPerInsert = 5000;
constexpr int kFileRowsPerInsert = 40;

int orderCode(DateOrder order) {
    return order == DateOrder::DayFirst ? 1 : order == DateOrder::MonthFirst ? 2 : 0;
}

QString recordInsert(bool postgres, qsizetype rows) {
    const QString insert = QStringLiteral(
        "INSERT INTO rm7_record (controller_id, line_key, occurrence, key_dmy, key_mdy, line) ");
    if (postgres) {
        return insert +
               QStringLiteral("SELECT ?, k, o, d, m, l FROM unnest(?::bytea[], ?::bigint[], ?::bigint[],"
                              " ?::bigint[], ?::bytea[]) AS t (k, o, d, m, l) ON CONFLICT DO NOTHING");
    }
    QString values = QStringLiteral("VALUES (?,?,?,?,?,?)");
    for (qsizetype i = 1; i < rows; ++i) {
        values += QStringLiteral(",(?,?,?,?,?,?)");
    }
    return insert + values + QStringLiteral(" ON CONFLICT DO NOTHING");
}

// PostgreSQL's text for an array of bytes or of numbers.
template <typename Item> QString arrayText(qsizetype from, qsizetype rows, Item item) {
    QByteArray text = "{";
    for (qsizetype i = from; i < from + rows; ++i) {
        text += i == from ? "" : ",";
        item(text, size_t(i));
    }
    return QString::fromLatin1(text + '}');
}

QVariantList recordValues(bool postgres, const PreparedDownload& download, qint64 controller, qsizetype from,
                          qsizetype rows) {
    // In a quoted array element a backslash escapes the next character: "\\x..." is bytea's hex form.
    const auto bytes = [](QByteArray& text, QByteArrayView value) {
        text += R"("\\x)" + value.toByteArray().toHex() + '"';
    };
    if (postgres) {
        return {controller,
                arrayText(from, rows, [&](QByteArray& text, size_t i) { bytes(text, download.lineKeys[i]); }),
                arrayText(
                    from, rows,
                    [&](QByteArray& text, size_t i) { text += QByteArray::number(download.occurrences[i]); }),
                arrayText(from, rows,
                          [&](QByteArray& text, size_t i) {
                              text += QByteArray::number(download.keys.dayFirst[i]);
                          }),
                arrayText(from, rows,
                          [&](QByteArray& text, size_t i) {
                              text += QByteArray::number(download.keys.monthFirst[i]);
                          }),
                arrayText(from, rows, [&](QByteArray& text, size_t i) {
                    bytes(text, download.parts.records.at(qsizetype(i)));
                })};
    }
    QVariantList values;
    values.reserve(rows * 6);
    for (qsizetype i = from; i < from + rows; ++i) {
        const auto k = size_t(i);
        values << controller << download.lineKeys[k] << download.occurrences[k] << download.keys.dayFirst[k]
               << download.keys.monthFirst[k] << download.parts.records.at(i).toByteArray();
    }
    return values;
}

// The controller of this identity, made with its default name when it is new. Two programs meeting a new
// controller at once both insert the identity; the unique key keeps one, and the other takes that one.
std::optional<qint64> controllerOf(SqlSession& session, const PreparedDownload& download) {
    // On a server the identity row is locked until the end, so joining controllers waits for this download.
    const QString find =
        session.isPostgres()
            ? QStringLiteral("SELECT controller_id FROM rm7_identity WHERE hash = ? FOR SHARE")
            : QStringLiteral("SELECT controller_id FROM rm7_identity WHERE hash = ?");
    QSqlQuery query(session.db());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!session.run(query, find, {download.identity})) {
            return std::nullopt;
        }
        if (query.next()) {
            return query.value(0).toLongLong();
        }
        const auto made =
            session.value(QStringLiteral("INSERT INTO rm7_controller (name) VALUES (?) RETURNING id"),
                          {download.parts.defaultName()});
        if (!made) {
            return std::nullopt;
        }
        if (!session.run(query,
                         QStringLiteral("INSERT INTO rm7_identity (hash, controller_id) VALUES (?, ?)"
                                        " ON CONFLICT DO NOTHING"),
                         {download.identity, *made})) {
            return std::nullopt;
        }
        if (query.numRowsAffected() == 1) {
            return made->toLongLong();
        }
        if (!session.run(query, QStringLiteral("DELETE FROM rm7_controller WHERE id = ?"), {*made})) {
            return std::nullopt;
        }
    }
    session.fail(QStringLiteral("the controller's identity could not be stored"));
    return std::nullopt;
}

std::optional<qint64> insertDownload(SqlSession& session, const PreparedDownload& download,
                                     qint64 controller) {
    const DownloadFacts& facts = download.facts;
    QSqlQuery query(session.db());
    const bool ran = session.run(
        query,
        QStringLiteral("INSERT INTO rm7_download (controller_id, raw_hash, started, ended, host, com_number,"
                       " device, how_ended, line_count, record_count, date_order, head, raw_size, raw)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                       " ON CONFLICT (raw_hash) DO NOTHING RETURNING id"),
        {controller, download.rawHash, storedTime(facts.started), storedTime(facts.ended),
         storedText(facts.host), facts.comNumber, storedText(facts.device), downloadEndText(facts.end),
         download.parts.lineCount, qint64(download.parts.records.size()), orderCode(download.keys.evidence),
         download.parts.head.toByteArray(), qint64(download.bytes.size()), download.compressed});
    if (!ran) {
        return std::nullopt;
    }
    return query.next() ? query.value(0).toLongLong() : 0;
}

std::optional<qint64> insertRecords(SqlSession& session, const PreparedDownload& download,
                                    qint64 controller) {
    const auto total = qsizetype(download.parts.records.size());
    const bool postgres = session.isPostgres();
    const qsizetype rowsPerInsert = postgres ? kServerRowsPerInsert : kFileRowsPerInsert;
    QSqlQuery full(session.db());
    QSqlQuery rest(session.db());
    if (total >= rowsPerInsert && !full.prepare(recordInsert(postgres, rowsPerInsert))) {
        session.fail(sqlReason(full.lastError()));
        return std::nullopt;
    }
    qint64 added = 0;
    for (qsizetype from = 0; from < total; from += rowsPerInsert) {
        const qsizetype rows = std::min(rowsPerInsert, total - from);
        const QVariantList values = recordValues(postgres, download, controller, from, rows);
        QSqlQuery& query = rows == rowsPerInsert ? full : rest;
        const bool ran = rows == rowsPerInsert ? session.runPrepared(query, values)
                                               : session.run(query, recordInsert(postgres, rows), values);
        if (!ran) {
            return std::nullopt;
        }
        added += std::max(0, query.numRowsAffected());
        qCDebug(lcArchive) << "stored" << from + rows << "of" << total << "records";
    }
    return added;
}

} // namespace

AddResult add(SqlSession& session, const PreparedDownload& download) {
    AddResult result;
    const bool done = session.transaction([&] {
        result = AddResult();
        const auto controller = controllerOf(session, download);
        if (!controller) {
            return false;
        }
        result.controllerId = *controller;
        const auto id = insertDownload(session, download, *controller);
        if (!id) {
            return false;
        }
        if (*id == 0) {
            result.outcome = AddOutcome::AlreadyThere;
            return true; // nothing was written
        }
        result.downloadId = *id;
        const auto added = insertRecords(session, download, *controller);
        if (!added) {
            return false;
        }
        result.recordsAdded = *added;
        result.outcome = AddOutcome::Added;
        return true;
    });
    if (!done) {
        return {AddOutcome::Failed, session.error(), {}, 0, 0, 0};
    }
    if (result.outcome == AddOutcome::AlreadyThere) {
        const auto id = session.value(QStringLiteral("SELECT id FROM rm7_download WHERE raw_hash = ?"),
                                      {download.rawHash});
        result.downloadId = id ? id->toLongLong() : 0;
    }
    qCInfo(lcArchive) << "download" << result.downloadId << "of controller" << result.controllerId << "in"
                      << session.where() << ':' << result.recordsAdded << "new records";
    return result;
}

} // namespace DownloadWriter
