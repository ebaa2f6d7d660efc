#include "SqlSession.h"

#include "Logging.h"

#include <QSqlError>
#include <QThread>

namespace {

constexpr int kAttempts = 5;

// SQLite's busy and locked, PostgreSQL's deadlock and serialization failure: another program held what
// this one needed, and trying again succeeds.
bool asksForRetry(const QSqlError& error, bool postgres) {
    const QString code = error.nativeErrorCode();
    if (postgres) {
        return code == QLatin1String("40P01") || code == QLatin1String("40001");
    }
    const int primary = code.toInt() & 0xFF;
    return primary == 5 || primary == 6;
}

} // namespace

QString sqlReason(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty()) {
        text = error.driverText().trimmed();
    }
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

QString storedText(const QString& text) {
    return text.isNull() ? QString(QLatin1String("")) : text;
}

QString storedTime(const QDateTime& when) {
    return storedText(when.isValid() ? when.toUTC().toString(Qt::ISODateWithMs) : QString());
}

SqlSession::SqlSession(const QString& connectionName, QString where)
    : m_name(connectionName), m_db(QSqlDatabase::database(connectionName, false)), m_where(std::move(where)),
      m_postgres(m_db.driverName() == QLatin1String("QPSQL")) {}

SqlSession::~SqlSession() {
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void SqlSession::failWith(const QSqlError& error) {
    m_error = sqlReason(error);
    m_retry = asksForRetry(error, m_postgres);
    m_nativeCode = error.nativeErrorCode().toInt();
}

bool SqlSession::run(QSqlQuery& query, const QString& sql, const QVariantList& values) {
    query.setForwardOnly(true);
    // Without values the statement runs as it is: a server prepares no table definitions.
    if (values.isEmpty()) {
        if (!query.exec(sql)) {
            failWith(query.lastError());
            return false;
        }
        return true;
    }
    if (!query.prepare(sql)) {
        failWith(query.lastError());
        return false;
    }
    return runPrepared(query, values);
}

bool SqlSession::runPrepared(QSqlQuery& query, const QVariantList& values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        query.bindValue(int(i), values.at(i));
    }
    if (!query.exec()) {
        failWith(query.lastError());
        return false;
    }
    return true;
}

std::optional<QVariant> SqlSession::value(const QString& sql, const QVariantList& values) {
    QSqlQuery query(m_db);
    if (!run(query, sql, values)) {
        return std::nullopt;
    }
    if (!query.next()) {
        fail(QStringLiteral("the database returned no row"));
        return std::nullopt;
    }
    return query.value(0);
}

bool SqlSession::plain(const QString& statement) {
    QSqlQuery query(m_db);
    if (!query.exec(statement)) {
        failWith(query.lastError());
        return false;
    }
    return true;
}

bool SqlSession::transaction(const std::function<bool()>& work, Access access) {
    // SQLite takes the write lock at the start, so two writers wait for each other instead of failing
    // half-way when both want to write.
    QString begin = m_postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
    if (access == Access::Read) {
        begin = m_postgres ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                           : QStringLiteral("BEGIN");
    }
    for (int attempt = 1;; ++attempt) {
        m_error.clear();
        m_retry = false;
        if (plain(begin) && work() && plain(QStringLiteral("COMMIT"))) {
            return true;
        }
        const QString reason = m_error;
        const bool retry = m_retry;
        const int code = m_nativeCode;
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_error = reason;
        m_nativeCode = code;
        if (!retry || attempt == kAttempts) {
            return false;
        }
        qCInfo(lcArchive) << "trying again:" << reason;
        QThread::msleep(20UL * ulong(attempt));
    }
}
