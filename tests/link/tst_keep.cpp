// What counts as saved, without a window: a save counts only when every line is in a file that closed
// without error and reached the disk, and only then does the recovery copy go; when the link asks before
// lines are thrown away; what an earlier run left is offered at the next start.

#include "ChildReport.h"
#include "LinkFixture.h"
#include "RecoveryCopy.h"
#include "SimReply.h"

#include <QSysInfo>
#include <QtTest>
#include <cerrno>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
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
        copy.finish(lines, false);
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

    // At start-up every copy earlier runs left is offered in one dialog, described from its header (the
    // controller, its lines of those announced, when to the second); each is saved through the Save
    // dialog (a Cancel there keeps it, a failed save offers it again), discarded, or kept for later.
    void leftoversAreOffered() {
        const QList<QByteArray> lines = SimReply::downloadLines(20);
        const QStringList names = {"a", "b", "c", "d"};
        QDir().mkpath(m_env->stateFolder());
        for (const QString& name : names) {
            QFile file(m_env->stateFolder() +
                       QStringLiteral("recovery-20261201-12000%1-4242-0.csv").arg(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(name == u"d" ? lines.join()
                                    : lines.mid(0, 17).join() + "01/11/2026,00:1"); // cut mid-line
        }
        // One from a controller that never stopped, under a program without limits: past the most one
        // download may bring, only its first part is read and offered, however complete the whole.
        QFile huge(m_env->stateFolder() + QStringLiteral("recovery-20261201-12000e-4242-0.csv"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        const QByteArray records = lines.mid(7, 12).join();
        huge.write(lines.mid(0, 7).join());
        for (qint64 at = 0; at <= LinkState::kMaxBytes; at += records.size()) {
            huge.write(records);
        }
        huge.write(lines.last());
        huge.close();
        const QDateTime writtenA =
            QFileInfo(m_env->stateFolder() + "recovery-20261201-12000a-4242-0.csv").lastModified();
        Kept k;
        k.op.leftoverChoices = {{LeftoverChoice::Save, LeftoverChoice::Save, LeftoverChoice::Discard,
                                 LeftoverChoice::Later, LeftoverChoice::Later},
                                {LeftoverChoice::Later}};
        const QString saved = m_env->path(QStringLiteral("a.csv"));
        k.op.saveFiles = {saved, std::nullopt};
        k.op.answers = {Answer::Ok}; // the failed save of the second copy
        k.op.onSaveDialog = [&] {    // the second copy's save fails: its file name is refused
            if (k.op.saveRequests.size() == 2) {
                k.op.saveFiles = {m_env->path(QStringLiteral("b[1].csv"))};
            }
        };
        k.keep.offerLeftovers();
        QCOMPARE(k.op.leftoverReviews.size(), 2);
        const LeftoverCopy& a = k.op.leftoverReviews.first().first();
        QCOMPARE(a.controller, QStringLiteral("RM7-0042, North Pump Station"));
        QCOMPARE(QList<int>({a.lines, a.expected, int(a.complete)}), QList<int>({17, 28, 0}));
        QCOMPARE(a.written, writtenA);
        QCOMPARE(k.op.leftoverReviews.last().first().load().lines(1, 17).toByteArray(),
                 lines.mid(0, 17).join());
        QVERIFY(k.op.leftoverReviews.first()[3].complete);
        const LeftoverCopy& e = k.op.leftoverReviews.first().last();
        const LineStore firstPart = e.load();
        QVERIFY(!e.complete && e.lines == firstPart.count() && firstPart.byteCount() <= LinkState::kMaxBytes);
        QCOMPARE(e.bytes, huge.size());
        QVERIFY(firstPart.byteCount() > LinkState::kMaxBytes - records.size());
        QCOMPARE(k.op.leftoverReviews.last().size(), 1); // the copy whose save failed, again
        QCOMPARE(readFileBytes(saved), lines.mid(0, 17).join());
        const QStringList left = QDir(m_env->stateFolder()).entryList({"recovery-*.csv"}, QDir::Files);
        QCOMPARE(left.size(), 4); // this program's own copy, the failed one, two for later
        QVERIFY(!left.contains("recovery-20261201-12000a-4242-0.csv") &&
                !left.contains("recovery-20261201-12000c-4242-0.csv"));
    }

    // After Retry the attempt so far keeps a copy of its own until a later attempt holds as many lines or
    // completes: after a worse attempt and Cancel, the next start offers the better one too.
    void retryKeepsTheBestAttempt_data() {
        QTest::addColumn<int>("secondSilentAfter"); // -1: the second attempt completes
        QTest::addColumn<QList<int>>("offered");    // the lines of the copies offered at the next start
        QTest::newRow("worse, then Cancel") << 10 << QList<int>{46, 10};
        QTest::newRow("better, then Cancel") << 50 << QList<int>{50};
        QTest::newRow("complete") << -1 << QList<int>{};
    }
    void retryKeepsTheBestAttempt() {
        QFETCH(int, secondSilentAfter);
        QFETCH(QList<int>, offered);
        {
            ControllerSim sim({.records = 60, .silentAfterLine = 46, .silentAttempts = 2});
            QVERIFY(sim.start() && sim.placeLink(m_env->settingsFolder(), 1));
            ComPort port; // the program, without LinkFixture's settings and state folders of its own
            Settings settings;
            ScriptedOperator op;
            Link link(port, settings, op);
            link.startDownload(DownloadEntry::Button);
            QTRY_COMPARE(link.LineCount(), 46);
            link.ResponseTimer_Timer(); // progress
            sim.options().silentAfterLine = secondSilentAfter;
            sim.options().silentAttempts = secondSilentAfter < 0 ? 0 : 2;
            op.answers = {Answer::Retry, Answer::Cancel};
            link.ResponseTimer_Timer(); // silence: Retry
            QTRY_VERIFY(link.LineCount() >= std::max(secondSilentAfter, 10) || !link.replyAwaited());
            if (secondSilentAfter >= 0) {
                QTRY_COMPARE(link.LineCount(), secondSilentAfter);
                link.ResponseTimer_Timer();
                link.ResponseTimer_Timer(); // silence again: Cancel
            } else {
                QTRY_VERIFY(!link.replyAwaited());
                link.PromptSaveLogs(); // given up (No), as a new download or Exit would ask
            }
            QCOMPARE(link.LineCount(), secondSilentAfter < 0 ? 0 : secondSilentAfter);
        } // the program is gone
        QList<int> counts;
        for (const RecoveryCopy::Found& found : RecoveryCopy::leftovers()) {
            counts << found.count;
        }
        std::sort(counts.rbegin(), counts.rend());
        QCOMPARE(counts, offered);
    }

    // The copies are the user's alone, whatever the umask; with the state disk full a leftover is still
    // offered, read-only when its lock cannot be made (in a child with a full tmpfs of its own).
    void copiesArePrivateAndOfferedOnAFullDisk() {
        const mode_t before = ::umask(022);
        RecoveryCopy copy;
        copy.restart();
        ::umask(before);
        const auto mode = [](const QString& path) { return QFileInfo(path).permissions() & 0x7777; };
        QCOMPARE(mode(m_env->stateFolder()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                 QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(mode(copy.path()),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(mode(copy.path() + ".lock"), mode(copy.path()));
        copy.remove();

        const QByteArray report = reportFromChild([this]() -> QByteArray {
            if (::unshare(CLONE_NEWNS) != 0 ||
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", QFile::encodeName(m_env->stateFolder()).constData(), "tmpfs", 0,
                        "size=64k") != 0) {
                return "no mount";
            }
            QFile copy(m_env->stateFolder() + QStringLiteral("recovery-20261201-120000-4242-0.csv"));
            copy.open(QIODevice::WriteOnly);
            copy.write("a,1\r\nb,2\r\nc,"); // the disk filled in the middle of a line
            copy.close();
            QFile lock(copy.fileName() + QStringLiteral(".lock")); // its program is gone
            lock.open(QIODevice::WriteOnly);
            lock.write("999999\nrm7-download\n" + QSysInfo::machineHostName().toUtf8() + "\n");
            lock.close();
            QFile filler(m_env->stateFolder() + QStringLiteral("filler"));
            filler.open(QIODevice::WriteOnly);
            while (filler.write(QByteArray(4096, 'f')) > 0 && filler.flush()) {
            }
            const QList<RecoveryCopy::Found> found = RecoveryCopy::leftovers();
            return found.size() == 1 ? QByteArray::number(found.first().count) +
                                           (found.first().readOnly ? " read-only" : "")
                                     : "offered " + QByteArray::number(found.size());
        });
        if (report == "no mount") {
            QSKIP("no tmpfs can be mounted here");
        }
        QCOMPARE(report, QByteArray("2 read-only"));
    }
};

QTEST_GUILESS_MAIN(TestKeep)
#include "tst_keep.moc"
