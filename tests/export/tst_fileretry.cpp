// The Retry of "That device appears to be unavailable.": a save aimed at something that is not a file
// the system can open for writing (here a local socket, which opens with ENXIO) asks again on every
// Retry and gives up cleanly on Cancel.

#include "SaveLogs.h"
#include "ScriptedOperator.h"
#include "Settings.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QtTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArrayList kLines = {"01/11/2026,08:00,LEVEL,1\r\n", "01/11/2026,08:01,LEVEL,2\r\n",
                               "END OF DOWNLOAD\r\n"};

LogSource sampleSource() {
    return {[] { return int(kLines.size()); }, [](int k) { return QByteArrayView(kLines.at(k - 1)); }};
}

// A local socket bound at path; the system refuses to open it as a file (ENXIO). -1 on failure.
int bindSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path) {
        return -1;
    }
    std::copy(name.begin(), name.end(), address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

class TestFileRetry : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    int m_socket = -1;
    QString m_name;

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_name = m_env->path(QStringLiteral("device.csv"));
        m_socket = bindSocket(m_name);
        QVERIFY(m_socket >= 0);
    }
    void cleanup() {
        ::close(m_socket);
        m_env.reset();
    }

    void retriedThenCancelled() {
        ScriptedOperator op;
        op.saveFiles = {m_name};
        op.answers = {Answer::Retry, Answer::Retry, Answer::Cancel};
        Settings settings;
        QCOMPARE(SaveLogs(sampleSource(), settings, op), SaveResult::Failed);
        const QString message = "That device appears to be unavailable.\r\n Accessing: " + m_name;
        QCOMPARE(op.texts(), QStringList(3, message));
        for (const ScriptedOperator::Question& question : op.questions) {
            QCOMPARE(question.style, 53);
            QCOMPARE(question.title, QStringLiteral("File Error"));
        }
        QVERIFY(op.answers.isEmpty());
        // Nothing written: the socket is still there, and no file beside it.
        QVERIFY(!QFileInfo(m_name).isFile());
        QCOMPARE(QDir(m_env->path(QString())).entryList(QDir::Files), QStringList());
    }

    // A FIFO that nobody reads would hold the save (and the window) in open() for good: it is reported as
    // an unavailable device instead.
    void fifoWithoutAReaderDoesNotHang() {
        const QString fifo = m_env->path(QStringLiteral("pipe.csv"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        ScriptedOperator op;
        op.saveFiles = {fifo};
        Settings settings;
        QCOMPARE(SaveLogs(sampleSource(), settings, op), SaveResult::Failed);
        QCOMPARE(op.texts(), QStringList{"That device appears to be unavailable.\r\n Accessing: " + fifo});
    }

    void retryOpensOnceTheDeviceIsBack() {
        ScriptedOperator op;
        op.saveFiles = {m_name};
        op.answers = {Answer::Retry, Answer::Retry};
        op.onQuestion = [&](const ScriptedOperator::Question&) {
            if (op.questions.size() == 2) { // the operator frees the name before the second Retry
                ::unlink(QFile::encodeName(m_name).constData());
            }
        };
        Settings settings;
        QCOMPARE(SaveLogs(sampleSource(), settings, op), SaveResult::Saved);
        QCOMPARE(op.questions.size(), 2);
        QCOMPARE(readFileBytes(m_name), kLines.join());
    }
};

QTEST_GUILESS_MAIN(TestFileRetry)
#include "tst_fileretry.moc"
