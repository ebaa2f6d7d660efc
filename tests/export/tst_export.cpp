// Saving to real files: the bytes written, the remembered folder and every failure path.

#include "ChildReport.h"
#include "FileErrors.h"
#include "OutputFile.h"
#include "SaveLogs.h"
#include "ScriptedOperator.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TestEnvironment.h"
#include "WriteLogLines.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArrayList sampleLines(int count) {
    QByteArrayList lines;
    for (int i = 1; i <= count; ++i) {
        lines << "01/11/2026,08:" + QByteArray::number(i).rightJustified(2, '0') + ",LEVEL," +
                     QByteArray::number(i) + "\r\n";
    }
    return lines;
}

LogSource sourceOf(const QByteArrayList& lines) {
    return {[&lines] { return int(lines.size()); },
            [&lines](int k) { return QByteArrayView(lines.at(k - 1)); }};
}

// Lines of every kind a controller may send: short and long, a bare LF, NUL and 0xFF bytes.
QByteArrayList mixedLines() {
    QByteArrayList lines = sampleLines(12);
    lines.insert(3, QByteArray(3000, 'x') + "\r\n");
    lines.insert(5, "\n");
    lines.insert(7, QByteArray("a\0b\xff,c", 7) + "\n");
    lines << "END OF DOWNLOAD\r\n";
    return lines;
}

LineBytes bytesOf(const QByteArrayList& lines) {
    LineBytes joined;
    for (const QByteArray& line : lines) {
        joined.bytes += line;
        joined.ends.push_back(joined.bytes.size());
    }
    return joined;
}

// Runs the save in a child process, with what the child needs changed there alone (dropped privileges, a
// file size limit); returns the child's answer: the save's result, then what the operator was told.
QByteArray saveInChild(const std::function<void()>& prepare, const QByteArrayList& lines, const QString& name,
                       qsizetype chunkBytes = 0) {
    return reportFromChild([&] {
        prepare();
        ScriptedOperator op;
        op.saveFiles = {name};
        Settings settings;
        int result = 0;
        if (chunkBytes == 0) {
            result = int(SaveLogs(sourceOf(lines), settings, op));
        } else {
            // The writing alone, in pieces of chunkBytes: 0 written, 1 failed.
            OutputFile file(op);
            result = file.OpenOutputFile(name) == FileStep::Done &&
                             WriteLogLines(file, bytesOf(lines), chunkBytes) == FileStep::Done
                         ? 0
                         : 1;
        }
        return QByteArray::number(result) + '|' + op.texts().join(u'|').toUtf8();
    });
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void refusedCharacters_data() {
        QTest::addColumn<QString>("fileName");
        for (const char* name :
             {"logs[1].csv", "a;b.csv", "a<b", "a=b.csv", "a>b", "what?.csv", "x]y.csv", "all*.csv"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }
    void refusedCharacters() {
        QFETCH(QString, fileName);
        const QString name = m_env->path(QStringLiteral("data/")) + fileName;
        ScriptedOperator op;
        op.saveFiles = {name};
        Settings settings;
        QCOMPARE(SaveLogs(sourceOf(sampleLines(3)), settings, op), SaveResult::Failed);
        QCOMPARE(op.texts(), QStringList{"Illegal File Number/Name.\r\n Accessing: " + name});
        QCOMPARE(op.questions.first().title, QStringLiteral("File Error"));
        QCOMPARE(op.questions.first().style, 48);
        QCOMPARE(settings.SavePath, m_env->path(QStringLiteral("data/"))); // remembered all the same
        QVERIFY(!QFile::exists(name));
    }

    void missingFolder() {
        const QString name = m_env->path(QStringLiteral("no/such/folder/run1.csv"));
        ScriptedOperator op;
        op.saveFiles = {name};
        Settings settings;
        QCOMPARE(SaveLogs(sourceOf(sampleLines(3)), settings, op), SaveResult::Failed);
        QCOMPARE(op.texts(), QStringList{"Path doesn't exist.\r\n Accessing: " + name});
    }

    void cancelWritesNothing() {
        ScriptedOperator op;
        Settings settings;
        settings.SavePath = QStringLiteral("/old/");
        QCOMPARE(SaveLogs(sourceOf(sampleLines(3)), settings, op), SaveResult::Cancelled);
        QCOMPARE(op.saveRequests.first().folder, QStringLiteral("/old/"));
        QCOMPARE(settings.SavePath, QStringLiteral("/old/"));
        QVERIFY(!QFile::exists(m_env->iniPath()));
        QVERIFY(op.questions.isEmpty());
    }

    void noPermissionIsReported() {
        QDir().mkpath(m_env->path(QStringLiteral("locked")));
        QFile::setPermissions(m_env->path(QStringLiteral("locked")),
                              QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const QString name = m_env->path(QStringLiteral("locked/run.csv"));
        // Root writes anywhere, so the save runs as an unprivileged user.
        const QByteArray report = saveInChild(
            [] {
                if (!becomeUnprivileged()) {
                    ::_exit(1);
                }
            },
            sampleLines(3), name);
        QCOMPARE(report, QByteArray("2|Permission denied.\r\n Accessing: ") + name.toUtf8());
        QVERIFY(!QFile::exists(name));
    }

    void fullDevice() {
        ScriptedOperator op;
        op.saveFiles = {QStringLiteral("/dev/full")};
        Settings settings;
        QCOMPARE(SaveLogs(sourceOf(sampleLines(3)), settings, op), SaveResult::Failed);
        QCOMPARE(op.texts(), QStringList{"Error Writing to File!!"});
        QCOMPARE(op.questions.first().title, QStringLiteral("FILE WRITE ERROR"));
        QCOMPARE(op.questions.first().style, 16);
    }

    void diskFillsUpMidway() {
        const QByteArrayList lines = sampleLines(20);
        const QString name = m_env->path(QStringLiteral("partial.csv"));
        const rlim_t room = rlim_t(lines.mid(0, 9).join().size() + 5); // line 10 does not fit
        const QByteArray report = saveInChild(
            [room] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{room, room};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            },
            lines, name);
        QCOMPARE(report, QByteArray("2|Error Writing to File!!"));
        QCOMPARE(readFileBytes(name), lines.mid(0, 9).join());
    }

    // However the lines are split into writes, the file holds them byte for byte.
    void writeSplits_data() {
        QTest::addColumn<qsizetype>("chunkBytes");
        for (const qsizetype chunk :
             {qsizetype(1), qsizetype(2), qsizetype(40), qsizetype(41), qsizetype(100), qsizetype(2999),
              qsizetype(3002), qsizetype(4000), kWriteChunkBytes}) {
            QTest::addRow("%lld", qlonglong(chunk)) << chunk;
        }
    }
    void writeSplits() {
        QFETCH(qsizetype, chunkBytes);
        const QByteArrayList lines = mixedLines();
        const QString name = m_env->path(QStringLiteral("split.csv"));
        ScriptedOperator op;
        OutputFile file(op);
        QCOMPARE(file.OpenOutputFile(name), FileStep::Done);
        QCOMPARE(WriteLogLines(file, bytesOf(lines), chunkBytes), FileStep::Done);
        file.close();
        QCOMPARE(readFileBytes(name), lines.join());
        QVERIFY(op.questions.isEmpty());
    }

    // A source that hands its lines over in one piece writes the same file as one asked line by line.
    void snapshotSourceWritesTheSameBytes() {
        const QByteArrayList lines = mixedLines();
        LogSource source = sourceOf(lines);
        source.snapshot = [&lines](int count) { return bytesOf(lines.mid(0, count)); };
        const QString name = m_env->path(QStringLiteral("snapshot.csv"));
        ScriptedOperator op;
        op.saveFiles = {name};
        Settings settings;
        QCOMPARE(SaveLogs(source, settings, op), SaveResult::Saved);
        QCOMPARE(readFileBytes(name), lines.join());
    }

    // The disk fills up anywhere: inside a line, at a line's end, inside or at the end of a piece. The file
    // keeps the whole lines before the one that did not fit, whatever the pieces.
    void diskFillsUpAnywhere_data() {
        QTest::addColumn<int>("wholeLines");
        QTest::addColumn<int>("extraBytes");
        QTest::addColumn<qsizetype>("chunkBytes");
        const QByteArrayList lines = mixedLines();
        for (const qsizetype chunk : {qsizetype(0), qsizetype(1), qsizetype(100), qsizetype(4000)}) {
            for (const int whole : {0, 1, 3, 4, 9, 15}) {
                for (const int extra : {0, 1, 20}) {
                    if (extra >= lines.at(whole).size()) {
                        continue; // the next line would fit
                    }
                    QTest::addRow("%d lines + %d bytes, pieces of %lld", whole, extra, qlonglong(chunk))
                        << whole << extra << chunk;
                }
            }
        }
    }
    void diskFillsUpAnywhere() {
        QFETCH(int, wholeLines);
        QFETCH(int, extraBytes);
        QFETCH(qsizetype, chunkBytes);
        const QByteArrayList lines = mixedLines();
        const QByteArray kept = lines.mid(0, wholeLines).join();
        const QString name = m_env->path(QStringLiteral("full.csv"));
        const rlim_t room = rlim_t(kept.size() + extraBytes);
        const QByteArray report = saveInChild(
            [room] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{room, room};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            },
            lines, name, chunkBytes);
        QCOMPARE(report, chunkBytes == 0 ? QByteArray("2|Error Writing to File!!") : QByteArray("1|"));
        QCOMPARE(readFileBytes(name), kept);
    }

    void reportFileError_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::newRow("57") << 57 << ""
                            << "The disk is full." << 48;
        QTest::newRow("62")
            << 62 << ""
            << "This file has a nonstandard end-of-file marker,or an attempt was made to read beyond "
               "the end-of-file marker."
            << 48;
        QTest::newRow("68") << 68 << "/mnt/x"
                            << "That device appears to be unavailable.\r\n Accessing: /mnt/x" << 53;
        QTest::newRow("71") << 71 << ""
                            << "The disk is not ready." << 48;
    }
    void reportFileError() {
        QFETCH(int, number);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, style);
        ScriptedOperator op;
        if (style == 53) {
            op.answers = {Answer::Retry};
        }
        QCOMPARE(ReportFileError(number, name, op),
                 style == 53 ? FileErrorAnswer::Retry : FileErrorAnswer::GaveUp);
        QCOMPARE(op.texts(), QStringList{text});
        QCOMPARE(op.questions.first().style, style);
    }

    void unlistedErrorsShowNothing() {
        ScriptedOperator op;
        QCOMPARE(ReportFileError(75, QStringLiteral("x"), op), FileErrorAnswer::Unlisted);
        QCOMPARE(ReportFileError(999, QString(), op), FileErrorAnswer::Unlisted);
        QVERIFY(op.questions.isEmpty());
        QCOMPARE(FileError::fromSystemError(ENOENT), 76);
        QCOMPARE(FileError::fromSystemError(EIO), 57);
        QCOMPARE(FileError::fromSystemError(ENOSPC), 75);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
