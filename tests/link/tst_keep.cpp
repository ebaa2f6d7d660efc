// What counts as saved, without a window: a save counts only when every line is in a file that closed
// without error and reached the disk, and only then does the recovery copy go; when the link asks before
// lines are thrown away; what an earlier run left is offered at the next start.

#include "ChildReport.h"
#include "LinkFixture.h"
#include "RecoveryCopy.h"
#include "SimReply.h"

#include <QtTest>
#include <cerrno>
#include <sys/syscall.h>

Q_DECLARE_METATYPE(Answer)

namespace {

const QString kSaveQuestion = QStringLiteral("Save Downloaded Logs?");
const QByteArray kLines = SimReply::downloadLines(20).join();

// A download of 28 lines kept in a recovery copy, and what keeps it.
struct Kept {
    ScriptedOperator op;
    Settings settings;
    LineStore lines = LineStore::fromText(kLines);
    RecoveryCopy copy;
    KeepDownload keep{lines, copy, settings, op};

    Kept() {
        copy.restart();
        copy.finish(lines);
    }
    QString report(int result) const {
        return QStringLiteral("%1|%2|%3|").arg(result).arg(keep.LogsSaved()).arg(QFile::exists(copy.path())) +
               op.texts().join(u'|');
    }
};

} // namespace

class TestKeep : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Each save in a child process of its own, where the fault is made real: a full device, a file that
    // may grow no further, a disk that fails to flush or a close that reports a late error.
    void saveCountsOnlyWhenWholeAndOnTheDisk_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("savedBefore");
        QTest::addColumn<QString>("outcome"); // SaveResult|LogsSaved|copy kept|what the operator was told
        const QString failed = QStringLiteral("2|%1|1|Error Writing to File!!");
        QTest::newRow("saved") << "" << false << "0|1|0|";
        QTest::newRow("Cancel in the Save dialog") << "cancel" << false << "1|0|1|";
        QTest::newRow("refused name")
            << "x[1].csv" << false << "2|0|1|Illegal File Number/Name.\r\n Accessing: %1";
        QTest::newRow("full device") << "/dev/full" << false << failed.arg(0);
        QTest::newRow("full device, saved before") << "/dev/full" << true << "2|1|0|Error Writing to File!!";
        QTest::newRow("no room for line 10") << "line 10" << false << failed.arg(0);
        QTest::newRow("the disk does not flush") << "fsync" << false << failed.arg(0);
        QTest::newRow("a late error at close") << "close" << false << failed.arg(0);
    }
    void saveCountsOnlyWhenWholeAndOnTheDisk() {
        QFETCH(QString, fault);
        QFETCH(bool, savedBefore);
        QFETCH(QString, outcome);
        const QString name =
            fault.startsWith(u'/') ? fault : m_env->path(fault.contains(u'[') ? fault : "run.csv");
        const QByteArray report = reportFromChild([&] {
            Kept k;
            if (savedBefore) {
                k.op.saveFiles = {m_env->path(QStringLiteral("before.csv"))};
                k.keep.SaveLogs();
            }
            k.op.saveFiles = {fault == u"cancel" ? std::nullopt : std::optional<QString>(name)};
            if (fault == u"line 10") {
                limitFileSize(long(LineStore::fromText(kLines).endOf(9)) + 5);
            } else if (fault == u"fsync" || fault == u"close") {
                failSystemCall(fault == u"fsync" ? SYS_fsync : SYS_close, EIO);
            }
            return k.report(int(k.keep.SaveLogs())).toUtf8();
        });
        QCOMPARE(QString::fromUtf8(report), outcome.contains(u'%') ? outcome.arg(name) : outcome);
        if (fault == u"line 10") { // the file keeps the whole lines before the failure
            QCOMPARE(readFileBytes(name), LineStore::fromText(kLines).lines(1, 9).toByteArray());
        } else if (fault.isEmpty()) {
            QCOMPARE(readFileBytes(name), kLines);
        }
    }

    // "Save Downloaded Logs?": Yes saves (and asks again after a failed save), No gives the lines and
    // their copy up, Cancel in the Save dialog keeps the copy for the next start.
    void prompt_data() {
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("copyKept");
        QTest::newRow("No") << QList<Answer>{Answer::No} << QStringList{} << 1 << false;
        QTest::newRow("Yes, saved") << QList<Answer>{Answer::Yes} << QStringList{"run.csv"} << 1 << false;
        QTest::newRow("Yes, Cancel") << QList<Answer>{Answer::Yes} << QStringList{} << 1 << true;
        QTest::newRow("Yes, failed, Yes, saved") << QList<Answer>{Answer::Yes, Answer::Ok, Answer::Yes}
                                                 << QStringList{"no/such/x.csv", "run.csv"} << 3 << false;
        QTest::newRow("Yes, failed, No") << QList<Answer>{Answer::Yes, Answer::Ok, Answer::No}
                                         << QStringList{"no/such/x.csv"} << 3 << false;
    }
    void prompt() {
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, files);
        QFETCH(int, questions);
        QFETCH(bool, copyKept);
        Kept k;
        k.op.answers = answers;
        for (const QString& file : files) {
            k.op.saveFiles << m_env->path(file);
        }
        k.keep.PromptSaveLogs();
        QCOMPARE(k.op.questions.size(), questions);
        QCOMPARE(k.op.texts().first(), kSaveQuestion);
        QCOMPARE(k.op.questions.first().style, 52);
        QCOMPARE(k.op.questions.first().title, QStringLiteral("Warning!!"));
        QCOMPARE(QFile::exists(k.copy.path()), copyKept);
        QCOMPARE(readFileBytes(m_env->path(QStringLiteral("run.csv"))),
                 files.contains("run.csv") ? kLines : "");
    }

    // When the link asks before stored lines are thrown away: a new download asks about unsaved lines
    // only, Exit and the close box about any, and Cancel on a port that does not open about unsaved lines
    // only (a download start has not made saved lines unsaved before the port opened).
    void linkAsksBeforeThrowingLinesAway_data() {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("asked");
        for (const bool saved : {false, true}) {
            const char* how = saved ? "a saved" : "an unsaved";
            QTest::addRow("download after %s one", how) << "download" << saved << !saved;
            QTest::addRow("exit after %s one", how) << "exit" << saved << true;
            QTest::addRow("port cancelled after %s one", how) << "port" << saved << !saved;
        }
        QTest::newRow("second download after a saved one") << "second" << true << true;
        QTest::newRow("port cancelled on Retry, lines unsaved") << "retry" << false << true;
    }
    void linkAsksBeforeThrowingLinesAway() {
        QFETCH(QString, then);
        QFETCH(bool, saved);
        QFETCH(bool, asked);
        LinkFixture f;
        QVERIFY(f.startSim({.records = 4, .hangUpAfterLine = then == u"retry" ? 12 : -1}));
        QVERIFY(f.download() || then == u"retry");
        if (saved) {
            f.op.saveFiles = {f.env.path(QStringLiteral("saved.csv"))};
            QCOMPARE(f.link.keep().SaveLogs(), SaveResult::Saved);
        }
        if (then == u"second") {
            QVERIFY(f.download());
        }
        f.op.questions.clear();
        f.op.answers = {Answer::No};
        if (then == u"exit") {
            f.link.confirmExit();
        } else {
            if (then == u"port" || then == u"retry") { // the cable was pulled, the device is gone
                QFile::remove(f.env.settingsFolder() + QStringLiteral("ports/com1"));
                f.env.placeMissingDevice(1);
                f.op.answers.prepend(Answer::Cancel);
            }
            if (then == u"retry") { // the watchdog's Retry finds no port
                f.op.answers.prepend(Answer::Retry);
                f.link.ResponseTimer_Timer();
                f.link.ResponseTimer_Timer();
            } else if (then == u"port") {
                f.link.startDownload(DownloadEntry::Button);
            } else {
                QVERIFY(f.download());
            }
        }
        QCOMPARE(f.op.texts().contains(kSaveQuestion), asked);
        QCOMPARE(f.op.programEnds, then == u"port" || then == u"retry" ? 1 : 0);
        QCOMPARE(f.link.LineCount(), asked && then != u"download" && then != u"second" ? 0 : 12);
    }

    // The lines stored when writing starts are written: here Exit during a download, Yes, and the Save
    // dialog open while more lines arrive.
    void linesArrivingWhileTheSaveDialogIsOpenAreWritten() {
        LinkFixture f;
        QVERIFY(f.startSim({.records = 60, .lineGapMs = 5}));
        f.link.startDownload(DownloadEntry::Button);
        QTRY_VERIFY(f.link.LineCount() >= 20);
        const QString name = f.env.path(QStringLiteral("exit.csv"));
        f.op.saveFiles = {name};
        f.op.answers = {Answer::Yes};
        int atWriting = 0;
        f.op.onSaveDialog = [&] {
            const int atOpening = f.link.LineCount();
            QTRY_VERIFY(f.link.LineCount() >= atOpening + 10);
            atWriting = f.link.LineCount();
        };
        f.link.confirmExit();
        QCOMPARE(readFileBytes(name), SimReply::downloadLines(60).mid(0, atWriting).join());
    }

    // At start-up each copy an earlier run left is offered: Yes saves its whole lines through the Save
    // dialog, No gives them up, Cancel in the Save dialog keeps them for the next start.
    void leftoversAreOffered_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<bool>("kept");
        QTest::newRow("Yes") << Answer::Yes << true << false;
        QTest::newRow("No") << Answer::No << false << false;
        QTest::newRow("Yes, then Cancel") << Answer::Yes << false << true;
    }
    void leftoversAreOffered() {
        QFETCH(Answer, answer);
        QFETCH(bool, chooseFile);
        QFETCH(bool, kept);
        const QByteArray lines = LineStore::fromText(kLines).lines(1, 17).toByteArray();
        QDir().mkpath(m_env->stateFolder());
        const QString copy = m_env->stateFolder() + QStringLiteral("recovery-20261201-120000-4242-0.csv");
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lines + "01/11/2026,00:1"); // killed in the middle of a line
        file.close();
        const QString when = QFileInfo(copy).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        Kept k;
        k.op.questions.clear();
        k.op.answers = {answer};
        k.op.saveFiles = {chooseFile ? std::optional<QString>(m_env->path(QStringLiteral("r.csv")))
                                     : std::nullopt};
        k.keep.offerLeftovers();
        QCOMPARE(k.op.texts(), QStringList{QStringLiteral("17 lines downloaded on %1 were not saved.\r\n"
                                                          "Save them now?")
                                               .arg(when)});
        QCOMPARE(k.op.questions.first().title, QStringLiteral("Unsaved Download"));
        QCOMPARE(readFileBytes(m_env->path(QStringLiteral("r.csv"))), chooseFile ? lines : QByteArray());
        QCOMPARE(QFile::exists(copy), kept);
        QVERIFY(QFile::exists(k.copy.path())); // this program's own copy is not a leftover
    }
};

QTEST_GUILESS_MAIN(TestKeep)
#include "tst_keep.moc"
