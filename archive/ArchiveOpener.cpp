#include "ArchiveOpener.h"

#include "ArchiveLocation.h"
#include "ArchiveSchema.h"
#include "BaseFolders.h"
#include "Logging.h"
#include "ServerAddress.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>

namespace ArchiveOpener {

namespace {

constexpr QByteArrayView kSqliteMagic{"SQLite format 3\0", 16};
// Another program archiving at the same time holds the file for at most one download.
constexpr int kBusyMilliseconds = 30000;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;
// Tries of an open that finds the database busy, 2.25 s apart in all.
constexpr int kOpenAttempts = 10;

QString newerText(const QString& where, int version) {
    return QStringLiteral("The archive %1 was written by a newer version of this program (layout %2; this "
                          "version knows %3). It is left as it is, and downloads are not archived in this "
                          "run; downloading and saving work as before.")
        .arg(where)
        .arg(version)
        .arg(ArchiveSchema::kVersion);
}

bool isDamage(const SqlSession& session) {
    const int primary = session.lastNativeCode() & 0xFF;
    return session.isSqlite() && (primary == kSqliteCorrupt || primary == kSqliteNotADatabase);
}

// Looks at what the database holds before anything is written to it; `damaged` tells when the file is no
// archive of ours. Opened when it is (or now can be) an archive; else the session stays with the caller.
Opened inspectedOnce(std::unique_ptr<SqlSession>& session, bool& damaged, QString& damage,
                     const std::function<bool(SqlSession&)>& settle) {
    Opened opened;
    int version = 0;
    const ArchiveSchema::State state = ArchiveSchema::inspect(*session, version);
    if (state == ArchiveSchema::State::Newer) {
        opened.newer = true;
        opened.error = newerText(session->where(), version);
        return opened;
    }
    if (state == ArchiveSchema::State::Foreign) {
        damaged = true;
        damage = QStringLiteral("it holds another program's tables");
        return opened;
    }
    if (state == ArchiveSchema::State::Failed || !settle(*session) ||
        (state == ArchiveSchema::State::Empty && !ArchiveSchema::create(*session))) {
        damaged = isDamage(*session);
        damage = session->error();
        opened.error = session->error();
        return opened;
    }
    opened.session = std::move(session);
    return opened;
}

// The same, looked at again while another program holds the database for a moment.
Opened inspected(std::unique_ptr<SqlSession> session, bool& damaged, QString& damage,
                 const std::function<bool(SqlSession&)>& settle) {
    for (int attempt = 1;; ++attempt) {
        Opened opened = inspectedOnce(session, damaged, damage, settle);
        if (opened.session || opened.newer || damaged || !session->mayRetry() || attempt == kOpenAttempts) {
            return opened;
        }
        // SQLite answers busy without waiting while the last program to close the file tidies its
        // write-ahead log, and where waiting could deadlock: a moment later the file is free.
        qCInfo(lcArchive).noquote() << "opening" << session->where() << "again:" << session->error();
        QThread::msleep(50UL * ulong(attempt));
    }
}

QString fileHeaderFault(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0) {
        return {}; // an empty file becomes a fresh archive; an unreadable one fails to open below
    }
    const QByteArray start = file.read(kSqliteMagic.size());
    return start == kSqliteMagic ? QString() : QStringLiteral("it is not an SQLite database");
}

Opened tryFile(const QString& connectionName, const QString& path, bool& damaged, QString& damage) {
    damaged = false;
    damage = fileHeaderFault(path);
    if (!damage.isEmpty()) {
        damaged = true;
        return {};
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMilliseconds));
        if (!db.open()) {
            const QString reason = sqlReason(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
            return {nullptr, reason, false, {}};
        }
    }
    // WAL lets the viewer read while another program writes, and a killed writer leaves the file whole.
    const auto settle = [](SqlSession& session) {
        QSqlQuery pragma(session.db());
        return session.run(pragma, QStringLiteral("PRAGMA journal_mode = WAL")) &&
               session.run(pragma, QStringLiteral("PRAGMA synchronous = NORMAL"));
    };
    return inspected(std::make_unique<SqlSession>(connectionName, QStringLiteral("file ") + path), damaged,
                     damage, settle);
}

// Renames the file (and its write-ahead log) out of the way; the new name, or "" with `error` set.
QString putAside(const QString& path, QString& error) {
    QString aside = path + QStringLiteral(".damaged-") +
                    QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QFile file(path);
    if (!file.rename(aside)) {
        error = file.errorString();
        return {};
    }
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(path + suffix)) {
            QFile::rename(path + suffix, aside + suffix);
        }
    }
    return aside;
}

} // namespace

Opened openFile(const QString& connectionName, const QString& path) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        return {nullptr,
                QStringLiteral("Qt's SQLite driver is not installed (package libqt6sql6-sqlite)"),
                false,
                {}};
    }
    QString error = BaseFolders::makePrivateFolder(QFileInfo(path).absolutePath());
    if (error.isEmpty()) {
        error = BaseFolders::makePrivateFile(path);
    }
    if (!error.isEmpty()) {
        return {nullptr, QStringLiteral("%1: %2").arg(path, error), false, {}};
    }
    bool damaged = false;
    QString damage;
    Opened opened = tryFile(connectionName, path, damaged, damage);
    if (!damaged) {
        return opened;
    }
    const QString aside = putAside(path, error);
    if (aside.isEmpty()) {
        qCWarning(lcArchive) << path << "cannot be used (" << damage << ") nor put aside:" << error;
        return {nullptr,
                QStringLiteral("%1 cannot be used (%2) nor put aside: %3").arg(path, damage, error),
                false,
                {}};
    }
    qCWarning(lcArchive) << path << "cannot be used:" << damage << "- put aside as" << aside;
    const QString why = damage;
    BaseFolders::makePrivateFile(path);
    opened = tryFile(connectionName, path, damaged, damage);
    opened.notice = QStringLiteral("The archive file %1 could not be used (%2). It was put aside as %3 and a "
                                   "fresh archive started.")
                        .arg(path, why, aside);
    return opened;
}

Opened openServer(const QString& connectionName, const ServerAddress& address) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        return {nullptr,
                QStringLiteral("Qt's PostgreSQL driver is not installed (package libqt6sql6-psql)"),
                false,
                {}};
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(address.host);
        if (address.port > 0) {
            db.setPort(address.port);
        }
        db.setDatabaseName(address.database);
        db.setUserName(address.user);
        db.setPassword(address.password);
        db.setConnectOptions(address.options);
        if (!db.open()) {
            const QString reason = sqlReason(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
            return {nullptr, reason, false, {}};
        }
    }
    bool damaged = false;
    QString damage;
    // Bytes come back as they are where they are printable, instead of two hex digits each: a history of
    // text lines crosses the wire at half the size.
    const auto settle = [](SqlSession& session) {
        QSqlQuery query(session.db());
        return session.run(query, QStringLiteral("SET bytea_output = 'escape'"));
    };
    return inspected(std::make_unique<SqlSession>(connectionName, address.display()), damaged, damage,
                     settle);
}

} // namespace ArchiveOpener
