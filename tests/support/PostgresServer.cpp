#include "PostgresServer.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QVersionNumber>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kWaitMilliseconds = 60000;
const QString kUser = QStringLiteral("rm7");

} // namespace

PostgresServer::PostgresServer(QString folder) : m_folder(std::move(folder)), m_bin(binFolder()) {}

PostgresServer::~PostgresServer() {
    stop();
}

QString PostgresServer::binFolder() {
    QString best;
    QVersionNumber bestVersion;
    for (const QString& version :
         QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
        const QVersionNumber number = QVersionNumber::fromString(version);
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() && number > bestVersion) {
            best = bin;
            bestVersion = number;
        }
    }
    return best;
}

void PostgresServer::prepare(QProcess& process, const QString& program, const QStringList& arguments) const {
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_folder);
    process.setProgram(m_bin + '/' + program);
    process.setArguments(arguments);
    // In the child before it becomes the program: nobody instead of root, and an end with its parent.
    process.setChildProcessModifier([] {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(126);
        }
        ::prctl(PR_SET_PDEATHSIG, SIGQUIT);
    });
}

bool PostgresServer::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    prepare(process, program, arguments);
    process.start();
    if (!process.waitForFinished(kWaitMilliseconds) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_error = program + QStringLiteral(" failed: ") + process.errorString() + '\n' +
                  QString::fromLocal8Bit(process.readAll());
        return false;
    }
    return true;
}

bool PostgresServer::start(bool durable) {
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral(
            "no PostgreSQL server is installed under /usr/lib/postgresql (package postgresql)");
        return false;
    }
    const QString data = m_folder + QStringLiteral("/data");
    if (!QFileInfo::exists(data)) {
        if (::geteuid() == 0 && ::chown(QFile::encodeName(m_folder).constData(), kNobody, kNobody) != 0) {
            m_error = QStringLiteral("cannot give %1 to nobody").arg(m_folder);
            return false;
        }
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), kUser, QStringLiteral("-A"),
                  QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--no-sync")})) {
            return false;
        }
    }
    prepare(m_server, QStringLiteral("postgres"),
            {QStringLiteral("-D"), data, QStringLiteral("-k"), m_folder, QStringLiteral("-c"),
             QStringLiteral("listen_addresses="), QStringLiteral("-c"),
             durable ? QStringLiteral("fsync=on") : QStringLiteral("fsync=off")});
    m_server.start();
    m_server.waitForStarted();
    for (int waited = 0; waited < kWaitMilliseconds; waited += 100) {
        if (m_server.state() != QProcess::Running) {
            break;
        }
        QProcess ready;
        ready.start(m_bin + QStringLiteral("/pg_isready"),
                    {QStringLiteral("-q"), QStringLiteral("-h"), m_folder});
        if (ready.waitForFinished() && ready.exitCode() == 0) {
            return true;
        }
        QThread::msleep(100);
    }
    m_error = QStringLiteral("the server did not start: %1\n").arg(m_server.errorString()) +
              QString::fromLocal8Bit(m_server.readAll());
    stop();
    return false;
}

bool PostgresServer::stop() {
    if (m_server.state() == QProcess::NotRunning) {
        return true;
    }
    ::kill(pid_t(m_server.processId()), SIGINT); // a fast shutdown: sessions end, nothing waits
    return m_server.waitForFinished(kWaitMilliseconds);
}

bool PostgresServer::createDatabase(const QString& name) {
    return run(QStringLiteral("createdb"),
               {QStringLiteral("-h"), m_folder, QStringLiteral("-U"), kUser, name});
}

QString PostgresServer::address(const QString& name) const {
    return QStringLiteral("host=%1 user=%2 dbname=%3").arg(m_folder, kUser, name);
}
