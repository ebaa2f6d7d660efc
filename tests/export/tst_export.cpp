// Saving to real files: the bytes written, the remembered folder and every failure path.

#include "ChildReport.h"
#include "FileErrors.h"
#include "SaveLogs.h"
#include "ScriptedOperator.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TestEnvironment.h"

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

// Runs the save in a child process, with what the child needs changed there alone (dropped privileges, a
// file size limit); returns the child's answer: the save's result, then what the operator was told.
QByteArray saveInChild(const std::function<void()>& prepare, const QByteArrayList& lines,
                       const QString& name) {
    return reportFromChild([&] {
        prepare();
        ScriptedOperator op;
        op.saveFiles = {name};
        Settings settings;
        const SaveResult result = SaveLogs(sourceOf(lines), settings, op);
        return QByteArray::number(int(result)) + '|' + op.texts().join(u'|').toUtf8();
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
