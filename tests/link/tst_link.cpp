// The controller link without a window: the receive dispatcher, the live display's figures and the
// response watchdog, fed the controller's bytes directly; opening the port before a command.

#include "ComPort.h"
#include "ControllerSim.h"
#include "Link.h"
#include "LiveDisplay.h"
#include "OpenPort.h"
#include "ReceiveDispatcher.h"
#include "RecoveryCopy.h"
#include "ResponseWatchdog.h"
#include "ScriptedOperator.h"
#include "Settings.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QtTest>
#include <clocale>

namespace {

const QByteArray kHeader = "RM7 CONTROLLER\r\nKorvane\r\nSite A\r\nUnit 7\r\nLog Entries: 3\r\nFW 1.7\r\n";
const QByteArray kRecords =
    "Date,Time,Value\r\n01/11/2026,08:00,1\r\n01/11/2026,08:01,2\r\n01/11/2026,08:02,3\r\n";
const QByteArray kEnd = "END OF DOWNLOAD\r\n";

// A link as the download command leaves it: reply awaited, commands disabled.
struct Fixture {
    TestEnvironment env;
    ComPort port;
    Settings settings;
    ScriptedOperator op;
    Link link{port, settings, op};

    Fixture() {
        link.display.setCommandsEnabled(false);
        link.display.setPanelText(0, QStringLiteral("Downloading..."));
        link.ResponseTimer.start();
    }

    void feed(const QByteArray& bytes, qsizetype chunk) {
        for (qsizetype i = 0; i < bytes.size(); i += chunk) {
            receiveReply(link, QByteArrayView(bytes).sliced(i, std::min(chunk, bytes.size() - i)));
        }
    }

    QByteArrayList lines() const {
        QByteArrayList all;
        for (int k = 1; k <= link.state.LineCount(); ++k) {
            all << link.state.LogLines.line(k).toByteArray();
        }
        return all;
    }

    // Everything an operator could see, in one comparable text.
    QString seen() const {
        QStringList parts;
        for (int i = 0; i < LinkDisplay::kPanels; ++i) {
            parts << link.display.panelText(i) << QString::number(int(link.display.panelColour(i)));
        }
        parts << QString::fromLatin1(link.display.logText()) << QString::number(link.display.progress())
              << QString::number(link.display.commandsEnabled())
              << QString::number(link.display.saveEnabled()) << op.texts() << QString::number(op.beeps)
              << QString::number(link.state.ExpectedLines) << QString::number(link.ResponseTimer.isActive());
        return parts.join(QLatin1Char('|'));
    }
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT

private slots:
    // Run under a comma locale too (see tests/CMakeLists.txt): the numbers read the same.
    void initTestCase() {
        if (qEnvironmentVariableIsSet("RM7_EXPECT_COMMA_LOCALE")) {
            QCOMPARE(QString::fromLatin1(std::localeconv()->decimal_point), QStringLiteral(","));
        }
    }

    void splitReadsGiveTheSameResult_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("download") << QByteArray("zz" + SimReply::downloadLines(40).join());
        QTest::newRow("no logs") << QByteArray("\x01N?No log entries!trailing");
        QTest::newRow("unfinished") << QByteArray(kHeader + kRecords.left(30));
    }
    void splitReadsGiveTheSameResult() {
        QFETCH(QByteArray, reply);
        Fixture whole;
        whole.feed(reply, reply.size());
        for (const qsizetype chunk : {1, 2, 3, 5, 7, 16, 61, 500}) {
            Fixture split;
            split.feed(reply, chunk);
            QCOMPARE(split.lines(), whole.lines());
            QCOMPARE(split.seen(), whole.seen());
            QCOMPARE(split.link.state.RxBuffer, whole.link.state.RxBuffer);
        }
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QString>("finish");
        QTest::addColumn<QStringList>("panels");
        QTest::addColumn<int>("expectedLines");

        const QStringList none(5);
        const QStringList header = {"Downloading...", "Site A", "Log Entries: 3", "Unit 7", "FW 1.7"};
        QTest::newRow("stray characters before no logs")
            << QByteArray("xyNo log entries!") << QByteArrayList() << "No logs to load.."
            << QStringList{"No logs to load..", "", "", "", ""} << 0;
        QTest::newRow("stray line feed first") << QByteArray("\nNo log entries!") << QByteArrayList{"\n"}
                                               << "" << QStringList{"Downloading...", "", "", "", ""} << 0;
        QTest::newRow("first line with capital N kept whole")
            << QByteArray("RM7 CONTROLLER NO 42\r\nN2\r\n")
            << QByteArrayList{"RM7 CONTROLLER NO 42\r\n", "N2\r\n"} << ""
            << QStringList{"Downloading...", "", "", "", ""} << 0;
        QTest::newRow("end only at a line start, in capitals")
            << QByteArray("a\r\nx END OF DOWNLOAD\r\nEnd Of Download\r\n")
            << QByteArrayList{"a\r\n", "x END OF DOWNLOAD\r\n", "End Of Download\r\n"} << ""
            << QStringList{"Downloading...", "", "", "", ""} << 0;
        QTest::newRow("Date, as line 4 fills nothing")
            << QByteArray("a\nb\nc\nDate,x\n") << QByteArrayList{"a\n", "b\n", "c\n", "Date,x\n"} << ""
            << QStringList{"Downloading...", "", "", "", ""} << 0;
        QTest::newRow("Date, as line 5 fills the panels")
            << QByteArray("l1\nl2\nLog Entries: 7\nl4\nDate,x\n")
            << QByteArrayList{"l1\n", "l2\n", "Log Entries: 7\n", "l4\n", "Date,x\n"} << ""
            << QStringList{"Downloading...", "l1", "Log Entries: 7", "l2", "l4"} << 15;
        QTest::newRow("a second Date, fills them again")
            << QByteArray(kHeader + "Date,\r\nA\r\nB\r\nLog Entries: 50\r\nC\r\nDate,\r\n")
            << QByteArrayList() << "" << QStringList{"Downloading...", "A", "Log Entries: 50", "B", "C"}
            << 58;
        QTest::newRow("complete download")
            << QByteArray(kHeader + kRecords + kEnd) << QByteArrayList() << "Download Complete!"
            << QStringList{"Load Complete.", "Site A", "Log Entries: 3", "Unit 7", "FW 1.7"} << 0;
    }
    void replies() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArrayList, lines);
        QFETCH(QString, finish);
        QFETCH(QStringList, panels);
        QFETCH(int, expectedLines);
        Fixture f;
        f.feed(reply, 1);
        // An empty list of lines stands for every byte stored, cut after each line feed.
        QCOMPARE(f.lines().join(), lines.isEmpty() && finish != u"No logs to load.." ? reply : lines.join());
        QStringList shown;
        for (int i = 0; i < LinkDisplay::kPanels; ++i) {
            shown << f.link.display.panelText(i);
        }
        QCOMPARE(shown, panels);
        QCOMPARE(f.link.state.ExpectedLines, expectedLines);
        QCOMPARE(f.op.texts(), finish == u"Download Complete!" ? QStringList{finish} : QStringList());
        QCOMPARE(f.link.ResponseTimer.isActive(), finish.isEmpty());
    }

    void downloadShownLineByLine() {
        Fixture f;
        const QList<QByteArray> lines = SimReply::downloadLines(100);
        QMap<int, int> progress;
        for (const QByteArray& line : lines) {
            f.feed(line, line.size());
            progress[f.link.state.LineCount()] = f.link.display.progress();
        }
        QCOMPARE(f.link.state.LineCount(), 108);
        QCOMPARE(progress[6], 0);
        QCOMPARE(progress[7], 6); // 7 / 108
        QCOMPARE(progress[54], 50);
        QCOMPARE(progress[107], 99);
        QCOMPARE(progress[108], 0);
        QByteArray newest;
        for (int k = 83; k <= 107; ++k) {
            newest += lines[k - 1];
        }
        QCOMPARE(f.link.display.logText(), newest);
    }

    void headerCount_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("expected"); // -1: ignored
        QTest::newRow("100") << "Log Entries: 100" << 108;
        QTest::newRow("not a number") << "Log Entries: many" << 8;
        QTest::newRow("blanks between digits") << "Log Entries: 1 2" << 20;
        QTest::newRow("2.5 rounds to even") << "Log Entries: 2.5" << 10;
        QTest::newRow("3.5 rounds to even") << "Log Entries: 3.5" << 12;
        QTest::newRow("10000 ignored") << "Log Entries: 10000" << -1;
        QTest::newRow("shorter than the label") << "Log" << 8;
        QTest::newRow("hugely negative") << "Log Entries: -99999999999999999999" << -1000000000;
    }
    void headerCount() {
        QFETCH(QString, line);
        QFETCH(int, expected);
        QCOMPARE(expectedLinesFor(line).value_or(-1), expected);
    }

    void panelsDropTheLineEnd_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << QByteArray("Site A\r\n") << "Site A";
        QTest::newRow("LF alone") << QByteArray("Log Entries: 100\n") << "Log Entries: 100";
        QTest::newRow("Latin-1") << QByteArray("Temp \xb0"
                                               "C\r\n")
                                 << QStringLiteral("Temp \u00b0C");
    }
    void panelsDropTheLineEnd() {
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        QCOMPARE(panelText(line), shown);
    }

    void progressFigures_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("percent"); // -1: the bar keeps its value
        QTest::newRow("first percent") << 1 << 108 << 1;
        QTest::newRow("below 1") << 1 << 300 << -1;
        QTest::newRow("beyond 100") << 110 << 108 << -1;
        QTest::newRow("no header yet") << 5 << 0 << -1;
        QTest::newRow("negative count") << 5 << -92 << -1;
    }
    void progressFigures() {
        QFETCH(int, lines);
        QFETCH(int, expected);
        QFETCH(int, percent);
        QCOMPARE(progressFor(lines, expected).value_or(-1), percent);
    }

    void storeBoundEndsTheDownloadKeepingItsLines() {
        Fixture f;
        f.link.state.maxLines = 10;
        f.feed(SimReply::downloadLines(20).join(), 64);
        QCOMPARE(f.link.state.LineCount(), 10);
        QCOMPARE(f.op.questions.size(), 1);
        QVERIFY(f.op.texts().first().contains(QStringLiteral("10 lines")));
        QVERIFY(f.link.display.saveEnabled());
        QVERIFY(!f.link.ResponseTimer.isActive());
    }

    void bytesAfterTheEndAreNotStored() {
        Fixture f;
        f.op.onQuestion = [&f](const ScriptedOperator::Question&) { f.feed("late line\r\n", 4); };
        f.feed(kHeader + kRecords + kEnd + "same read\r\n", 1000);
        QCOMPARE(f.link.state.LineCount(), 11);
        QCOMPARE(f.lines().last(), kEnd);
    }

    // Within a read, new lines and progress wait for the next publication (at most every 50 ms); a change
    // of status or commands, and an explicit publish before a box, show at once.
    void displayPublishesLinesLaterAndStatusAtOnce() {
        Fixture f;
        QSignalSpy published(&f.link.display, &LinkDisplay::changed);
        QElapsedTimer clock;
        clock.start();
        for (int k = 1; k <= 200; ++k) {
            DisplayHold hold(f.link.display);
            f.link.display.appendLogText("line\r\n");
            f.link.display.setProgress(k % 100);
        }
        QVERIFY(published.size() <= 1 + clock.elapsed() / LinkDisplay::kPublishMs);
        QTRY_VERIFY(!published.isEmpty()); // the last lines follow without a further read
        QCOMPARE(f.link.display.logText().count("line"), 200);
        QTest::qWait(2 * LinkDisplay::kPublishMs);
        published.clear();
        {
            DisplayHold hold(f.link.display);
            f.link.display.setProgress(6);
            f.link.display.setPanelText(0, QStringLiteral("Load Complete."));
        }
        QCOMPARE(published.size(), 1);
        {
            DisplayHold hold(f.link.display);
            f.link.display.setProgress(7);
            f.link.display.publish();
            QCOMPARE(published.size(), 2);
        }
        QTest::qWait(2 * LinkDisplay::kPublishMs);
        QCOMPARE(published.size(), 2); // nothing was left to publish
    }

    // What the store hands over for saving stays as it was while lines arrive and after a clear.
    void storeSnapshotOutlivesChanges() {
        LineStore store;
        QByteArray all;
        for (int k = 1; k <= 5000; ++k) {
            const QByteArray line = "line " + QByteArray::number(k) + "\r\n";
            store.append(line);
            all += line;
        }
        const QByteArray shared = store.sharedBytes();
        const std::vector<qsizetype> ends = store.ends();
        store.append("more\r\n");
        QCOMPARE(store.lines(1, 5001).toByteArray(), all + "more\r\n");
        store.clear();
        QCOMPARE(store.count(), 0);
        QCOMPARE(store.capacityBytes(), 0); // cleared means given back
        QCOMPARE(shared.first(ends.back()), all);
        QCOMPARE(ends.size(), size_t(5000));
    }

    // A long download of short lines costs at most 16 bytes a line beyond the lines' bytes.
    void storeCostsLittleMoreThanItsBytes() {
        LineStore store;
        qsizetype bytes = 0;
        for (int k = 1; k <= 200'000; ++k) {
            const QByteArray line = "01/11/2026,08:00," + QByteArray::number(k) + "\r\n";
            store.append(line);
            bytes += line.size();
        }
        QVERIFY2(store.capacityBytes() <= bytes + 16 * qsizetype(store.count()),
                 qPrintable(QStringLiteral("%1 bytes held for %2").arg(store.capacityBytes()).arg(bytes)));
    }

    void watchdogCountsCompletedLines() {
        Fixture f;
        watchdogTick(f.link); // first tick, no line yet
        QCOMPARE(f.op.texts(), QStringList{"No Response from Controller."});
        QCOMPARE(f.op.questions.first().style, 309);
        QCOMPARE(f.op.questions.first().title, QStringLiteral("Controller not Responding!"));
        // Cancel: the download is abandoned.
        QCOMPARE(f.link.state.LineCount(), 0);
        QVERIFY(f.link.display.commandsEnabled());
        QVERIFY(!f.link.display.saveEnabled());
        QVERIFY(!f.link.ResponseTimer.isActive());
        QCOMPARE(f.link.display.panelText(0), QString());

        Fixture g;
        for (int i = 0; i < 3; ++i) {
            g.feed("line\r\n", 6);
            g.feed("part of a line", 14); // characters alone are no progress ...
            watchdogTick(g.link);         // ... but the completed line is
        }
        QVERIFY(g.op.questions.isEmpty());
        QCOMPARE(g.link.state.WatchLineCount, 3);
        g.feed("still the same line", 19);
        watchdogTick(g.link);
        QCOMPARE(g.op.questions.size(), 1);
    }

    // The recovery copy holds every stored line, byte for byte, and only whole lines: a line still arriving
    // is not in it. While its program runs the copy is its own; once the program is gone it is a leftover
    // to offer. A download that brought no line leaves nothing to recover.
    void recoveryCopyHoldsTheStoredLines() {
        Fixture f;
        const QByteArray sent = kHeader + kRecords;
        f.feed(sent + "01/11/2026,08:03", 7);
        QCOMPARE(f.link.state.LineCount(), 10);
        auto copy = std::make_unique<RecoveryCopy>();
        copy->restart();
        copy->catchUp(f.link.state.LogLines);
        copy->finish(f.link.state.LogLines);
        const QString path = copy->path();
        QCOMPARE(readFileBytes(path), sent);
        QVERIFY(RecoveryCopy::leftovers().isEmpty()); // a running program keeps it
        copy.reset();                                 // the program is gone
        const QList<RecoveryCopy::Found> found = RecoveryCopy::leftovers();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().path, path);
        QCOMPARE(found.first().lines, sent);
        QCOMPARE(found.first().count, 10);

        RecoveryCopy empty;
        empty.restart();
        empty.finish(LineStore());
        QVERIFY(empty.path().isEmpty());
        QCOMPARE(RecoveryCopy::leftovers().size(), 1);
    }

    // Downloads running side by side (a script fetching from several controllers) each keep a copy of their
    // own: neither writes into the other's, and giving one up leaves the other.
    void sideBySideDownloadsKeepCopiesOfTheirOwn() {
        TestEnvironment env;
        LineStore first;
        LineStore second;
        RecoveryCopy a;
        RecoveryCopy b;
        a.restart();
        b.restart();
        QVERIFY(a.path() != b.path());
        for (int i = 0; i < 3; ++i) {
            first.append("a,1\r\n");
            a.catchUp(first);
            second.append("b,2\r\n");
            b.catchUp(second);
        }
        a.finish(first);
        b.finish(second);
        a.remove();
        QVERIFY(!QFile::exists(a.path()));
        QCOMPARE(readFileBytes(b.path()), QByteArray("b,2\r\nb,2\r\nb,2\r\n"));
    }

    // What an earlier run left: only its whole lines are offered; a copy without one is removed.
    void leftoverRecoveryCopies_data() {
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("no whole line") << QByteArray("\x01\xff garbage without an end") << 0;
        QTest::newRow("cut off mid-line") << QByteArray("a,1\r\nb,2\r\nc,") << 2;
        QTest::newRow("binary lines") << QByteArray("\0\xff\n\x80\n", 5) << 2;
    }
    void leftoverRecoveryCopies() {
        QFETCH(QByteArray, left);
        QFETCH(int, count);
        TestEnvironment env;
        QDir().mkpath(env.stateFolder());
        const QString path = env.stateFolder() + QStringLiteral("recovery-20261201-120000-4242-0.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(left);
        file.close();
        const QList<RecoveryCopy::Found> found = RecoveryCopy::leftovers();
        QCOMPARE(found.size(), count > 0 ? 1 : 0);
        QCOMPARE(QFile::exists(path), count > 0);
        if (!found.isEmpty()) {
            QCOMPARE(found.first().count, count);
            QCOMPARE(found.first().lines, left.left(left.lastIndexOf('\n') + 1));
        }
    }

    // A copy that cannot be written never stops the download: the reason is logged once.
    void unwritableRecoveryCopyLetsTheDownloadGoOn() {
        Fixture f;
        qputenv("XDG_STATE_HOME", "/proc/rm7-no-such-folder"); // not writable, even for root
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("without a recovery copy")));
        f.link.recovery.restart();
        f.feed(kHeader + kRecords + kEnd, 9);
        QCOMPARE(f.link.state.LineCount(), 11);
        QCOMPARE(f.op.texts(), QStringList{"Download Complete!"});
    }

    void watchdogAsksOnceWhileItsBoxIsOpen() {
        Fixture f;
        f.op.onQuestion = [&f](const ScriptedOperator::Question&) { watchdogTick(f.link); };
        watchdogTick(f.link);
        QCOMPARE(f.op.questions.size(), 1);
    }

    // After Retry's new command the controller gets the full interval again, not the rest of the old one.
    void watchdogRetryRestartsTheInterval() {
        Fixture f;
        ControllerSim sim(SimOptions{.records = 3, .silentAfterLine = 0, .silentAttempts = 2});
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(f.env.settingsFolder(), 1));
        QTest::qWait(600); // the interval running since the command is part gone
        f.op.answers = {Answer::Retry};
        watchdogTick(f.link);
        QVERIFY(f.link.ResponseTimer.isActive());
        QVERIFY2(f.link.ResponseTimer.remainingTime() > 1700, "the interval was not started again");
    }

    void watchdogRetryStartsOver() {
        Fixture f;
        ControllerSim sim(SimOptions{.records = 3});
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(f.env.settingsFolder(), 1));
        f.feed(kHeader + kRecords.left(17), 5);
        watchdogTick(f.link); // progress
        f.op.answers = {Answer::Retry};
        watchdogTick(f.link); // silence
        QCOMPARE(f.link.state.LineCount(), 0);
        QCOMPARE(f.link.state.WatchLineCount, 0);
        QCOMPARE(f.link.display.logText(), QByteArray());
        QVERIFY(f.port.PortOpen());
        QTRY_COMPARE(sim.received(), QByteArray("*LOAD#"));
        QVERIFY(f.link.ResponseTimer.isActive());
        QCOMPARE(f.link.display.panelText(1), QStringLiteral("Site A")); // kept until new lines come
    }

    void openPortRetriesThroughThePortDialog() {
        TestEnvironment env;
        ControllerSim sim;
        QVERIFY(sim.start());
        Settings settings;
        env.placeMissingDevice(7);
        settings.PortNumber = 7;
        ComPort port;
        ScriptedOperator op;
        op.answers = {Answer::Retry, Answer::Retry};
        op.onPortSelection = [&] {
            if (op.portSelections == 2) { // the operator picks the port the controller is on
                sim.placeLink(env.settingsFolder(), 2);
                settings.PortNumber = 2;
            }
        };
        // The reason a port did not open is kept: logged, and handed to the operator under the message.
        const QString reason =
            QStringLiteral("Nothing is connected as COM 7 (/nonexistent/rm7-device). Check the "
                           "cable or adapter, or choose another port.");
        const QRegularExpression logged(
            QStringLiteral("COM 7 did not open: %1").arg(QRegularExpression::escape(reason)));
        QTest::ignoreMessage(QtWarningMsg, logged);
        QTest::ignoreMessage(QtWarningMsg, logged);
        QVERIFY(OpenPort(port, settings, op));
        QVERIFY(port.PortOpen());
        QCOMPARE(port.CommPort(), 2);
        QCOMPARE(op.questions.first().details, reason);
        QCOMPARE(op.texts(), QStringList(2, QStringLiteral("Coms Port not available!")));
        QCOMPARE(op.questions.first().title, QStringLiteral("Warning"));
        QCOMPARE(op.questions.first().style, 21);
        QCOMPARE(op.programEnds, 0);
    }

    void openPortCancelEndsTheProgram() {
        Settings settings;
        settings.PortNumber = 0;
        ComPort port;
        ScriptedOperator op;
        op.answers = {Answer::Cancel};
        QVERIFY(!OpenPort(port, settings, op));
        QCOMPARE(op.programEnds, 1);
        QCOMPARE(op.portSelections, 0);
    }

    void openPortReopensAnOpenPort() {
        TestEnvironment env;
        ControllerSim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(env.settingsFolder(), 1));
        Settings settings;
        ComPort port;
        ScriptedOperator op;
        QVERIFY(OpenPort(port, settings, op));
        QVERIFY(OpenPort(port, settings, op));
        QVERIFY(port.PortOpen());
        QVERIFY(op.questions.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
