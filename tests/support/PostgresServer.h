#pragma once

#include <QProcess>
#include <QString>

// A PostgreSQL server of a test's own: a cluster made with initdb in `folder`, listening only on a Unix
// socket in that folder. When the test runs as root, the server and its tools run as nobody (the server
// refuses root) and the folder is handed to nobody. The server is a child of the test and goes when the
// test goes, however it ends. The binaries are looked for under /usr/lib/postgresql/*/bin.
class PostgresServer {
public:
    explicit PostgresServer(QString folder);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // The newest installed server's bin folder, "" when none is installed.
    static QString binFolder();

    // Makes the cluster (once) and starts the server; false with the reason in error(). Tests run it
    // without flushing to disk (fsync off); the benchmark measures a server that flushes as in use.
    bool start(bool durable = false);
    bool stop();
    bool createDatabase(const QString& name);
    // libpq key=value settings that reach database `name` on this server.
    QString address(const QString& name) const;
    const QString& error() const { return m_error; }

private:
    void prepare(QProcess& process, const QString& program, const QStringList& arguments) const;
    bool run(const QString& program, const QStringList& arguments);

    QString m_folder;
    QString m_bin;
    QString m_error;
    QProcess m_server;
};
