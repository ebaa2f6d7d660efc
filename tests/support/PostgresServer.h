#pragma once

#include <QString>

// A PostgreSQL server of a test's own: a cluster made with initdb in `folder`, listening only on a Unix
// socket in that folder, run as an unprivileged user when the test runs as root (the server refuses root).
// The binaries are looked for under /usr/lib/postgresql/*/bin; stop() (and the destructor) shuts it down.
class PostgresServer {
public:
    explicit PostgresServer(QString folder);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // The newest installed server's bin folder, "" when none is installed.
    static QString binFolder();

    // Makes the cluster (once) and starts the server; false with the reason in error().
    bool start();
    bool stop();
    bool createDatabase(const QString& name);
    // libpq key=value settings that reach database `name` on this server.
    QString address(const QString& name) const;
    const QString& folder() const { return m_folder; }
    const QString& error() const { return m_error; }

private:
    bool run(const QString& program, const QStringList& arguments);

    QString m_folder;
    QString m_bin;
    QString m_error;
    bool m_running = false;
};
