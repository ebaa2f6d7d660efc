// Saving to real files: the writer's bytes and its two ways of placing a file, and the window's save with
// its messages, Retry and every failure path.

#include "ChildReport.h"
#include "CsvWriter.h"
#include "FileErrors.h"
#include "LineStore.h"
#include "OutputFile.h"
#include "SaveLogs.h"
#include "ScriptedOperator.h"
#include "Settings.h"
#include "TestEnvironment.h"

#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Lines of every kind a controller may send: short and long, a bare LF, NUL and 0xFF bytes.
LineStore mixedLines() {
    QByteArray text;
    for (int i = 1; i <= 12; ++i) {
        text += "01/11/2026,08:" + QByteArray::number(i).rightJustified(2, '0') + ",LEVEL," +
                QByteArray::number(i) + "\r\n";
        if (i == 3) {
            text += QByteArray(3000, 'x') + "\r\n\n" + QByteArray("a\0b\xff,c\n", 7);
        }
    }
    return LineStore::fromText(text + "END OF DOWNLOAD\r\n");
}

QByteArray bytesOf(const LineStore& lines) {
    return lines.lines(1, lines.count()).toByteArray();
}

// A save as the window makes it, of the mixed lines into `name`: the result and what the operator was told.
QString save(const QString& name, ScriptedOperator& op) {
    op.saveFiles = {name.isEmpty() ? std::nullopt : std::optional<QString>(name)};
    Settings settings;
    settings.SavePath = QStringLiteral("/old/");
    const SaveResult result = SaveLogs(mixedLines(), settings, op);
    return QString::number(int(result)) + u'|' + op.texts().join(u'|');
}

// A local socket bound at path: the system refuses to open it as a file (ENXIO). -1 on failure.
int bindSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::copy(name.begin(), name.end(), address.sun_path);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

mode_t umaskNow() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void saveFailures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome"); // %1: the name
        QTest::newRow("saved") << "run.csv"
                               << "0|";
        QTest::newRow("Cancel") << ""
                                << "1|";
        QTest::newRow("missing folder") << "no/such/run.csv"
                                        << "2|Path doesn't exist.\r\n Accessing: %1";
        QTest::newRow("full device") << "/dev/full"
                                     << "2|Error Writing to File!!";
        QTest::newRow("a folder's name") << "."
                                         << "2|That name belongs to a folder.\r\n Accessing: %1";
        for (const char* refused :
             {"logs[1].csv", "a;b.csv", "a<b", "a=b.csv", "a>b", "what?.csv", "x]y.csv", "all*.csv"}) {
            QTest::newRow(refused) << refused << "2|Illegal File Number/Name.\r\n Accessing: %1";
        }
    }
    void saveFailures() {
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        const QString path = name.isEmpty() || name.startsWith(u'/') ? name : m_env->path(name);
        ScriptedOperator op;
        QCOMPARE(save(path, op), outcome.contains(u'%') ? outcome.arg(path) : outcome);
        if (QFileInfo(path).isFile()) {
            QCOMPARE(readFileBytes(path), name == u"run.csv" ? bytesOf(mixedLines()) : QByteArray());
        }
        if (!op.questions.isEmpty()) {
            QCOMPARE(op.questions.first().style, outcome.contains(u"Writing") ? 16 : 48);
        }
        QCOMPARE(op.saveRequests.first().folder, QStringLiteral("/old/"));
        // The folder is remembered as soon as a name is chosen, whatever the save then comes to.
        QCOMPARE(m_env->readIni().contains("path="), !name.isEmpty());
    }

    void noPermissionIsReported() {
        QDir().mkpath(m_env->path(QStringLiteral("locked")));
        ::chmod(QFile::encodeName(m_env->path(QStringLiteral("locked"))).constData(), 0555);
        const QString name = m_env->path(QStringLiteral("locked/run.csv"));
        const QByteArray report = reportFromChild([&] {
            ScriptedOperator op; // root writes anywhere: the save runs as an unprivileged user
            return becomeUnprivileged() ? save(name, op).toUtf8() : QByteArray();
        });
        QCOMPARE(report, "2|Permission denied.\r\n Accessing: " + name.toUtf8());
    }

    // However the lines are split into writes, the file holds them byte for byte.
    void writePieces_data() {
        QTest::addColumn<qsizetype>("pieceBytes");
        for (const qsizetype piece : {1, 2, 40, 41, 100, 2999, 3002, 4000, int(OutputFile::kPieceBytes)}) {
            QTest::addRow("%lld", qlonglong(piece)) << piece;
        }
    }
    void writePieces() {
        QFETCH(qsizetype, pieceBytes);
        const QString name = m_env->path(QStringLiteral("split.csv"));
        ScriptedOperator op;
        OutputFile file(op);
        QVERIFY(file.OpenOutputFile(name));
        QVERIFY(file.writeLines(mixedLines(), pieceBytes));
        QCOMPARE(file.close(), QString());
        QCOMPARE(readFileBytes(name), bytesOf(mixedLines()));
        QVERIFY(op.questions.isEmpty());
    }

    // The disk fills up anywhere: inside a line, at a line's end, inside or at the end of a piece. The file
    // keeps the whole lines before the one that did not fit, and the failure is told at that line.
    void diskFillsUpAnywhere_data() {
        QTest::addColumn<int>("wholeLines");
        QTest::addColumn<int>("extraBytes");
        QTest::addColumn<qsizetype>("pieceBytes");
        const LineStore lines = mixedLines();
        for (const qsizetype piece : {1, 100, 4000}) {
            for (const int whole : {0, 1, 3, 4, 9, 15}) {
                for (const int extra : {0, 1, 20}) {
                    if (extra < lines.line(whole + 1).size()) { // else the next line would fit
                        QTest::addRow("%d lines + %d bytes, pieces of %lld", whole, extra, qlonglong(piece))
                            << whole << extra << piece;
                    }
                }
            }
        }
    }
    void diskFillsUpAnywhere() {
        QFETCH(int, wholeLines);
        QFETCH(int, extraBytes);
        QFETCH(qsizetype, pieceBytes);
        const LineStore lines = mixedLines();
        const QString name = m_env->path(QStringLiteral("full.csv"));
        const QByteArray report = reportFromChild([&] {
            limitFileSize(long(lines.endOf(wholeLines) + extraBytes));
            ScriptedOperator op;
            OutputFile file(op);
            return QByteArray::number(file.OpenOutputFile(name) && file.writeLines(lines, pieceBytes)) + '|' +
                   op.texts().join(u'|').toUtf8();
        });
        QCOMPARE(report, QByteArray("0|")); // an unlisted error (EFBIG) shows no file error message
        QCOMPARE(readFileBytes(name), lines.lines(1, wholeLines).toByteArray());
    }

    // "That device appears to be unavailable." offers Retry: asked again on every Retry, given up on
    // Cancel, and saved once the name can be opened.
    void unavailableDeviceIsRetried_data() {
        QTest::addColumn<bool>("freedAtSecond");
        QTest::newRow("Retry, Retry, Cancel") << false;
        QTest::newRow("freed before the second Retry") << true;
    }
    void unavailableDeviceIsRetried() {
        QFETCH(bool, freedAtSecond);
        const QString name = m_env->path(QStringLiteral("device.csv"));
        const int socket = bindSocket(name);
        QVERIFY(socket >= 0);
        ScriptedOperator op;
        op.answers = {Answer::Retry, Answer::Retry, Answer::Cancel};
        op.onQuestion = [&](const ScriptedOperator::Question&) {
            if (freedAtSecond && op.questions.size() == 2) {
                ::unlink(QFile::encodeName(name).constData());
            }
        };
        const QString result = save(name, op);
        ::close(socket);
        const QString message = "That device appears to be unavailable.\r\n Accessing: " + name;
        QCOMPARE(result,
                 freedAtSecond ? "0|" + message + u'|' + message : "2|" + QStringList(3, message).join(u'|'));
        QCOMPARE(op.questions.first().style, 53);
        QCOMPARE(readFileBytes(name), freedAtSecond ? bytesOf(mixedLines()) : QByteArray());
    }

    // A FIFO that nobody reads would hold the save (and the window) in open() for good.
    void fifoWithoutAReaderDoesNotHang() {
        const QString fifo = m_env->path(QStringLiteral("pipe.csv"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        ScriptedOperator op;
        op.answers = {Answer::Cancel};
        QCOMPARE(save(fifo, op), "2|That device appears to be unavailable.\r\n Accessing: " + fifo);
    }

    // Saving into a FIFO never freezes the window: the event loop turns while the reader is slow; a reader
    // that takes nothing for a while fails the save as an unavailable device, one that goes away is a write
    // error. Nothing counts as saved.
    void pipeReaders_data() {
        QTest::addColumn<bool>("goesAway");
        QTest::newRow("takes nothing") << false;
        QTest::newRow("goes away") << true;
    }
    void pipeReaders() {
        QFETCH(bool, goesAway);
        std::signal(SIGPIPE, SIG_IGN); // as the program does from its start
        const QString fifo = m_env->path(QStringLiteral("pipe.csv"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QSocketNotifier notifier(reader, QSocketNotifier::Read);
        notifier.setEnabled(goesAway);
        connect(&notifier, &QSocketNotifier::activated, this, [&] { // reads a little, then goes
            char buffer[100];
            [[maybe_unused]] const auto n = ::read(reader, buffer, sizeof buffer);
            notifier.setEnabled(false);
            ::close(std::exchange(reader, -1));
        });
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start(10);
        ScriptedOperator op;
        op.answers = {Answer::Cancel};
        op.saveFiles = {fifo};
        Settings settings;
        QByteArray text;
        for (int i = 0; i < 5000; ++i) {
            text += "01/11/2026,08:00:00,1,LEVEL," + QByteArray::number(i) + ",m,12.5V,OK,000001\r\n";
        }
        QCOMPARE(SaveLogs(LineStore::fromText(text), settings, op), SaveResult::Failed);
        QVERIFY(ticks > 0); // the window went on meanwhile
        QCOMPARE(op.texts().first(), goesAway ? QStringLiteral("Error Writing to File!!")
                                              : QStringLiteral("That device appears to be unavailable."));
        ::close(reader);
    }

    // The command line's placement: a regular file (new, or through a link) is replaced in one step,
    // keeping its mode and leaving no temporary file; a folder is refused; a failed run leaves the old
    // file as it was.
    void replacingWriter_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("new file") << "new";
        QTest::newRow("existing file") << "existing";
        QTest::newRow("link to a file") << "link";
        QTest::newRow("folder") << "folder";
        QTest::newRow("abandoned") << "abandoned";
    }
    void replacingWriter() {
        QFETCH(QString, target);
        const QString file = m_env->path(QStringLiteral("out/run.csv"));
        QDir().mkpath(m_env->path(QStringLiteral("out")));
        if (target != u"new") {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old\n");
            old.close();
            ::chmod(QFile::encodeName(file).constData(), 0640);
        }
        QString path = target == u"folder" ? m_env->path(QStringLiteral("out")) : file;
        if (target == u"link") {
            path = m_env->path(QStringLiteral("link.csv"));
            QVERIFY(QFile::link(file, path));
        }
        CsvWriter writer;
        const WriteResult opened = writer.open(path, CsvWriter::Placement::Replace);
        QCOMPARE(opened.systemError, target == u"folder" ? EISDIR : 0);
        if (target == u"folder") {
            return;
        }
        QVERIFY(writer.write("a,1\r\n").ok());
        if (target == u"abandoned") {
            writer.abandon();
        } else {
            QVERIFY(writer.finish().ok());
        }
        QCOMPARE(readFileBytes(file), target == u"abandoned" ? QByteArray("old\n") : QByteArray("a,1\r\n"));
        QCOMPARE(QDir(m_env->path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(QFileInfo(path).isSymLink(), target == u"link");
        struct stat info {};
        ::stat(QFile::encodeName(file).constData(), &info);
        QCOMPARE(info.st_mode & 0777, target == u"new" ? 0666 & ~umaskNow() : 0640);
    }

    void reportFileError_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::newRow("52") << 52 << "Illegal File Number/Name." << 48;
        QTest::newRow("53") << 53 << "File Not Found." << 48;
        QTest::newRow("54") << 54 << "Bad File mode." << 48;
        QTest::newRow("55") << 55 << "File already open." << 48;
        QTest::newRow("57") << 57 << "The disk is full." << 48;
        QTest::newRow("62")
            << 62
            << "This file has a nonstandard end-of-file marker,or an attempt was made to read "
               "beyond the end-of-file marker."
            << 48;
        QTest::newRow("68") << 68 << "That device appears to be unavailable." << 53;
        QTest::newRow("71") << 71 << "The disk is not ready." << 48;
        QTest::newRow("76") << 76 << "Path doesn't exist." << 48;
        QTest::newRow("75 unlisted") << 75 << "" << 0;
        QTest::newRow("999 unlisted") << 999 << "" << 0;
    }
    void reportFileError() {
        QFETCH(int, number);
        QFETCH(QString, text);
        QFETCH(int, style);
        ScriptedOperator op;
        if (style == 53) {
            op.answers = {Answer::Retry};
        }
        const FileErrorAnswer answer = ReportFileError(number, QString(), op);
        QCOMPARE(answer, style == 0    ? FileErrorAnswer::Unlisted
                         : style == 53 ? FileErrorAnswer::Retry
                                       : FileErrorAnswer::GaveUp);
        QCOMPARE(op.texts(), text.isEmpty() ? QStringList() : QStringList{text});
        if (style != 0) {
            QCOMPARE(op.questions.first().style, style);
            QCOMPARE(op.questions.first().title, QStringLiteral("File Error"));
        }
        const QList<int> numbers = {
            FileError::fromSystemError(ENOENT), FileError::fromSystemError(ENOTDIR),
            FileError::fromSystemError(EIO),    FileError::fromSystemError(ENXIO),
            FileError::fromSystemError(ENOSPC), FileError::fromSystemError(ENAMETOOLONG)};
        QCOMPARE(numbers, QList<int>({76, 76, 57, 68, 75, 52}));
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
