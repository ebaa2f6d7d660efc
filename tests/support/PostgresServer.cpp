#include "PostgresServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QVersionNumber>
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

bool PostgresServer::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_folder);
    if (::geteuid() == 0) {
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                                             QStringLiteral("--"), m_bin + '/' + program} +
                                                     arguments);
    } else {
        process.start(m_bin + '/' + program, arguments);
    }
    if (!process.waitForFinished(kWaitMilliseconds) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_error = program + QStringLiteral(" failed: ") + process.errorString() + '\n' +
                  QString::fromLocal8Bit(process.readAll());
        return false;
    }
    return true;
}

bool PostgresServer::start() {
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral(
            "no PostgreSQL server is installed under /usr/lib/postgresql (package postgresql)");
        return false;
    }
    const QString data = m_folder + QStringLiteral("/data");
    if (!QFileInfo::exists(data)) {
        // The server runs as nobody when the test is root: the folder must be nobody's.
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
    m_running = run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), data, QStringLiteral("-l"),
                     m_folder + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("-o"),
                     QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off").arg(m_folder),
                     QStringLiteral("start")});
    return m_running;
}

bool PostgresServer::stop() {
    if (!m_running) {
        return true;
    }
    m_running = !run(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), m_folder + QStringLiteral("/data"), QStringLiteral("-m"),
                      QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !m_running;
}

bool PostgresServer::createDatabase(const QString& name) {
    return run(QStringLiteral("createdb"),
               {QStringLiteral("-h"), m_folder, QStringLiteral("-U"), kUser, name});
}

QString PostgresServer::address(const QString& name) const {
    return QStringLiteral("host=%1 user=%2 dbname=%3").arg(m_folder, kUser, name);
}
