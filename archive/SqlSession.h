#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>

// One open connection to an archive database, SQLite or PostgreSQL, and what differs between the two.
// It owns the connection and removes it when it goes; like every QSqlDatabase connection it belongs to
// the thread that opened it.
class SqlSession {
public:
    // Takes over the open connection of that name.
    SqlSession(const QString& connectionName, QString where);
    ~SqlSession();
    SqlSession(const SqlSession&) = delete;
    SqlSession& operator=(const SqlSession&) = delete;

    QSqlDatabase& db() { return m_db; }
    bool isPostgres() const { return m_postgres; }
    bool isSqlite() const { return !m_postgres; }
    // The file or the server, as the operator reads it.
    const QString& where() const { return m_where; }

    // Prepares `sql` and runs it with `values` bound in order; false with the reason in error().
    bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {});
    // Runs a query prepared before with these values.
    bool runPrepared(QSqlQuery& query, const QVariantList& values);
    // Runs a statement that returns one value, e.g. a count; nothing (error() set) when it fails or
    // returns no row.
    std::optional<QVariant> value(const QString& sql, const QVariantList& values = {});
    // Runs `work` in one transaction and commits it. When `work` returns false everything it did is
    // rolled back; when the database asked for a retry (busy, deadlock) it runs again, a few times. A
    // reading sees the database as it was at its start, while others go on writing.
    enum class Access { Write, Read };
    bool transaction(const std::function<bool()>& work, Access access = Access::Write);

    const QString& error() const { return m_error; }
    void fail(const QString& reason) {
        m_error = reason;
        m_retry = false;
    }
    // The error the driver gave last, for telling a damaged file from other failures.
    int lastNativeCode() const { return m_nativeCode; }
    // Whether the last failure was another program holding what this one needed (busy, locked, a deadlock).
    bool mayRetry() const { return m_retry; }

private:
    void failWith(const QSqlError& error);
    bool plain(const QString& statement);

    QString m_name;
    QSqlDatabase m_db;
    QString m_where;
    bool m_postgres = false;
    QString m_error;
    bool m_retry = false;
    int m_nativeCode = 0;
};

// The reason in a driver's error, its own words first.
QString sqlReason(const QSqlError& error);
// Text as a column that holds no NULL stores it: a null QString would bind as NULL.
QString storedText(const QString& text);
// A time as stored: UTC in ISO 8601 with milliseconds, which sorts as text; "" for none.
QString storedTime(const QDateTime& when);
