// The controller link without a window: the receive dispatcher, the live display's figures, the response
// watchdog, opening the port before a command, the log-count query, the recovery copy and what the link
// tells its listeners.

#include "CommandMode.h"
#include "LinkFixture.h"
#include "LiveDisplay.h"
#include "OpenPort.h"
#include "RecoveryCopy.h"
#include "SimReply.h"

#include <QElapsedTimer>
#include <QtTest>
#include <clocale>

Q_DECLARE_METATYPE(ExchangeEnd)

namespace {

const QByteArray kHeader = "RM7 CONTROLLER\r\nKorvane\r\nSite A\r\nUnit 7\r\nLog Entries: 3\r\nFW 1.7\r\n";
const QByteArray kRecords =
    "Date,Time,Value\r\n01/11/2026,08:00,1\r\n01/11/2026,08:01,2\r\n01/11/2026,08:02,3\r\n";
const QByteArray kEnd = "END OF DOWNLOAD\r\n";

// A link as the download command leaves it: a reply awaited, commands disabled.
struct Fixture : LinkFixture {
    explicit Fixture(int commandMode = CommandModes::Download) { link.awaitReply(commandMode); }

    QStringList panels() const {
        QStringList texts;
        for (int i = 0; i < LinkDisplay::kPanels; ++i) {
            texts << link.display().panelText(i);
        }
        return texts;
    }
    // Everything an operator could see, in one comparable text.
    QString seen() const {
        const LinkDisplay& d = link.display();
        QStringList parts = panels();
        for (int i = 0; i < LinkDisplay::kPanels; ++i) {
            parts << QString::number(int(d.panelColour(i)));
        }
        parts << QString::number(d.logBox().first) << QString::number(d.logBox().last)
              << QString::fromLatin1(d.logBox().note) << QString::number(d.progress())
              << QString::number(d.saveEnabled()) << op.texts() << QString::number(op.beeps)
              << QString::number(link.ExpectedLines()) << QString::fromLatin1(link.RxBuffer());
        return parts.join(u'|');
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
        QTest::addColumn<int>("mode");
        QTest::newRow("download") << QByteArray("zz" + SimReply::downloadLines(40).join()) << 0;
        QTest::newRow("no logs") << QByteArray("\x01N?No log entries!trailing") << 0;
        QTest::newRow("unfinished") << QByteArray(kHeader + kRecords.left(30)) << 0;
        QTest::newRow("log count") << QByteArray("*01a02# 00FF\r\nmore") << 1;
    }
    void splitReadsGiveTheSameResult() {
        QFETCH(QByteArray, reply);
        QFETCH(int, mode);
        Fixture whole(mode);
        whole.feed(reply, reply.size());
        for (const qsizetype chunk : {1, 2, 3, 7, 61}) {
            Fixture split(mode);
            split.feed(reply, chunk);
            QCOMPARE(split.stored(), whole.stored());
            QCOMPARE(split.seen(), whole.seen());
        }
    }

    void replies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("panels");
        QTest::addColumn<int>("expectedLines");
        const QStringList none{"", "", "", "", ""};
        QTest::newRow("stray characters before no logs")
            << QByteArray("xyNo log entries!") << QByteArray()
            << QStringList{"No logs to load..", "", "", "", ""} << 0;
        QTest::newRow("stray line feed first")
            << QByteArray("\nNo log entries!") << QByteArray("\n") << none << 0;
        QTest::newRow("first line with capital N kept whole")
            << QByteArray("RM7 CONTROLLER NO 42\r\nN2\r\n") << QByteArray("RM7 CONTROLLER NO 42\r\nN2\r\n")
            << none << 0;
        QTest::newRow("end only at a line start, in capitals")
            << QByteArray("a\r\nx END OF DOWNLOAD\r\nEnd Of Download\r\n")
            << QByteArray("a\r\nx END OF DOWNLOAD\r\nEnd Of Download\r\n") << none << 0;
        QTest::newRow("Date, as line 4 fills nothing")
            << QByteArray("a\nb\nc\nDate,x\n") << QByteArray("a\nb\nc\nDate,x\n") << none << 0;
        QTest::newRow("Date, as line 5 fills the panels")
            << QByteArray("l1\nl2\nLog Entries: 7\nl4\nDate,x\n")
            << QByteArray("l1\nl2\nLog Entries: 7\nl4\nDate,x\n")
            << QStringList{"", "l1", "Log Entries: 7", "l2", "l4"} << 15;
        const QByteArray twice = kHeader + "Date,\r\nA\r\nB\r\nLog Entries: 50\r\nC\r\nDate,\r\n";
        QTest::newRow("a second Date, fills them again")
            << twice << twice << QStringList{"", "A", "Log Entries: 50", "B", "C"} << 58;
        QTest::newRow("complete download")
            << QByteArray(kHeader + kRecords + kEnd + "after the end\r\n")
            << QByteArray(kHeader + kRecords + kEnd)
            << QStringList{"Load Complete.", "Site A", "Log Entries: 3", "Unit 7", "FW 1.7"} << 0;
    }
    void replies() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, panels);
        QFETCH(int, expectedLines);
        Fixture f;
        f.feed(reply, 1);
        QCOMPARE(f.stored(), stored);
        QCOMPARE(f.panels(), panels);
        QCOMPARE(f.link.ExpectedLines(), expectedLines);
        const bool complete = panels.first() == u"Load Complete.";
        QCOMPARE(f.op.texts(), complete ? QStringList{"Download Complete!"} : QStringList());
        QCOMPARE(f.link.display().saveEnabled(), complete);
        QCOMPARE(f.link.replyAwaited(), panels.first().isEmpty());
        QCOMPARE(f.op.beeps, panels.first() == u"No logs to load.." ? 1 : 0);
    }

    // The progress bar and the 25 newest lines in the log box, line by line.
    void downloadShownLineByLine() {
        Fixture f;
        QList<int> progress;
        for (const QByteArray& line : SimReply::downloadLines(100)) {
            f.feed(line, line.size());
            progress << f.link.display().progress();
            QCOMPARE(f.link.display().logBox().first, std::max(1, std::min(f.link.LineCount(), 107) - 24));
        }
        QCOMPARE(QList<int>({progress[5], progress[6], progress[53], progress[106], progress[107]}),
                 QList<int>({0, 6, 50, 99, 0}));
        QCOMPARE(f.link.display().logBox().last, 107); // the final line is not shown
    }

    void figures_data() {
        QTest::addColumn<QString>("countLine");
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
    void figures() {
        QFETCH(QString, countLine);
        QFETCH(int, expected);
        QCOMPARE(expectedLinesFor(countLine).value_or(-1), expected);
        // The bar moves between 1 and 100 percent only, and not without a header.
        const QList<int> percents = {progressFor(1, 108).value_or(-1), progressFor(1, 300).value_or(-1),
                                     progressFor(110, 108).value_or(-1), progressFor(5, 0).value_or(-1),
                                     progressFor(5, -92).value_or(-1)};
        QCOMPARE(percents, QList<int>({1, -1, -1, -1, -1}));
        QCOMPARE(QStringList({panelText("Site A\r\n"), panelText("Count 100\n"),
                              panelText("Temp \xb0"
                                        "C\r\n")}),
                 QStringList({"Site A", "Count 100", QStringLiteral("Temp \u00b0C")}));
    }

    // A download ends, incomplete and its lines kept, at the limit of lines or bytes one download may bring,
    // a line that never ends included.
    void limitEndsTheDownloadKeepingItsLines_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<qsizetype>("bytes");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("lines") << 10 << qsizetype(1 << 20) << QByteArray();
        QTest::newRow("bytes") << 1000 << qsizetype(700) << QByteArray();
        QTest::newRow("a line without end") << 1000 << qsizetype(4000) << QByteArray(5000, 'y');
    }
    void limitEndsTheDownloadKeepingItsLines() {
        QFETCH(int, lines);
        QFETCH(qsizetype, bytes);
        QFETCH(QByteArray, tail);
        Fixture f;
        f.link.setLimits(lines, bytes);
        const QList<QByteArray> sent =
            SimReply::downloadLines(tail.isEmpty() ? 20 : 3).mid(0, tail.isEmpty() ? 28 : 10);
        f.feed(sent.join() + tail, 4096); // whole lines cross the limit within one read
        const int kept =
            tail.isEmpty() ? std::min(lines, int(LineStore::fromText(sent.join().left(bytes)).count())) : 10;
        QCOMPARE(f.link.LineCount(), kept);
        QCOMPARE(f.stored(), sent.mid(0, kept).join());
        QCOMPARE(f.op.texts(),
                 QStringList{QStringLiteral("The download was stopped after %1 lines: no more can be "
                                            "kept.\r\nThe lines received so far can be saved.")
                                 .arg(kept)});
        QCOMPARE(f.link.display().panelText(0), QStringLiteral("Download incomplete."));
        QVERIFY(f.link.display().saveEnabled() && !f.link.watchdogRunning());
        QCOMPARE(f.link.RxBuffer().capacity(), 0); // a line cut off is given back
    }

    // Lines arriving while the completion box is open are not stored.
    void bytesAfterTheEndAreNotStored() {
        Fixture f;
        f.op.onQuestion = [&f](const ScriptedOperator::Question&) { f.feed("late line\r\n", 4); };
        f.feed(kHeader + kRecords + kEnd, 1000);
        QCOMPARE(f.stored(), kHeader + kRecords + kEnd);
    }

    // What the link tells: the lines stored, once per read and all before the finish, and how it ended.
    void listenersHearStoredLinesAndTheEnd() {
        Fixture f;
        QList<std::pair<int, int>> stored;
        QList<ExchangeEnd> ends;
        connect(&f.link, &Link::linesStored, this, [&](int first, int last) {
            stored.append({first, last});
        });
        connect(&f.link, &Link::exchangeEnded, this, [&](ExchangeEnd how, const QString&) {
            ends << how;
            QCOMPARE(stored.last().second, f.link.LineCount()); // every line is told before the end
        });
        f.feed(kHeader + kRecords + kEnd, 25);
        QCOMPARE(ends, QList<ExchangeEnd>{ExchangeEnd::Completed});
        for (qsizetype i = 0; i < stored.size(); ++i) {
            QCOMPARE(stored[i].first, i == 0 ? 1 : stored[i - 1].second + 1);
        }
        QSignalSpy dropped(&f.link, &Link::linesDropped);
        f.link.awaitReply(CommandModes::Download);
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(f.link.LineCount(), 0);
    }

    // Within a read, new lines and progress wait for the next publication; a change of status or
    // commands, and an explicit publish before a box, show at once.
    void displayPublishesLinesLaterAndStatusAtOnce() {
        LinkDisplay display;
        QSignalSpy published(&display, &LinkDisplay::changed);
        for (int k = 1; k <= 200; ++k) {
            DisplayHold hold(display);
            display.showLines(std::max(1, k - 24), k);
            display.setProgress(k % 100);
        }
        QCOMPARE(published.size(), 1);     // the first at once, the rest gathered
        QTRY_COMPARE(published.size(), 2); // and shown without a further read
        QCOMPARE(display.logBox().last, 200);
        {
            DisplayHold hold(display);
            display.setProgress(6);
            display.setPanelText(0, QStringLiteral("Load Complete."));
        }
        QCOMPARE(published.size(), 3);
        {
            DisplayHold hold(display);
            display.setProgress(7);
            display.publish();
            QCOMPARE(published.size(), 4);
        }
        QTest::qWait(2 * LinkDisplay::kPublishMs);
        QCOMPARE(published.size(), 4); // nothing was left to publish
    }

    void watchdogCountsCompletedLines() {
        Fixture f;
        f.link.ResponseTimer_Timer(); // first tick, no line yet: Cancel
        QCOMPARE(f.op.texts(), QStringList{"No Response from Controller."});
        QCOMPARE(f.op.questions.first().style, 309);
        QCOMPARE(f.op.questions.first().title, QStringLiteral("Controller not Responding!"));
        QVERIFY(f.link.display().commandsEnabled() && !f.link.display().saveEnabled());
        QVERIFY(!f.link.replyAwaited());

        Fixture g;
        g.op.onQuestion = [&g](const ScriptedOperator::Question&) { g.link.ResponseTimer_Timer(); };
        for (int i = 0; i < 3; ++i) {
            g.feed("line\r\n", 6);
            g.feed("part of a line", 14); // characters alone are no progress ...
            g.link.ResponseTimer_Timer(); // ... but the completed line is
        }
        QVERIFY(g.op.questions.isEmpty());
        QCOMPARE(g.link.WatchLineCount(), 3);
        g.feed("still the same line", 19);
        g.link.ResponseTimer_Timer(); // asks once, though a tick falls due while its box is open
        QCOMPARE(g.op.questions.size(), 1);
        // Cancel keeps the lines received so far, saveable.
        QCOMPARE(g.link.LineCount(), 3);
        QVERIFY(g.link.display().saveEnabled());
        QCOMPARE(g.link.display().panelText(0), QStringLiteral("Download incomplete."));
        QCOMPARE(g.link.RxBuffer(), QByteArray());
    }

    // The real timer: a silent controller is asked about no sooner than 2000 ms after the command, and
    // after Retry the new command gets its full 2000 ms again.
    void watchdogGivesTheWholeInterval() {
        LinkFixture f;
        QVERIFY(f.startSim({.records = 3, .silentAfterLine = 0, .silentAttempts = 3}));
        QElapsedTimer sinceCommand;
        QList<qint64> waited;
        f.op.answers = {Answer::Retry, Answer::Cancel};
        f.op.onQuestion = [&](const ScriptedOperator::Question&) {
            waited << sinceCommand.nsecsElapsed() / 1'000'000;
            sinceCommand.start(); // Retry sends the command again as soon as the box is answered
        };
        sinceCommand.start();
        f.link.startDownload(DownloadEntry::Button);
        QTRY_COMPARE_WITH_TIMEOUT(waited.size(), 2, 10000);
        QCOMPARE(
            std::count_if(waited.begin(), waited.end(), [](qint64 ms) { return ms < Link::kWatchdogMs; }), 0);
        QCOMPARE(f.sim->received(), QByteArray("*LOAD#*LOAD#"));
    }

    void watchdogRetryStartsOver() {
        LinkFixture f;
        QVERIFY(f.startSim({.records = 3, .silentAfterLine = 0}));
        f.link.awaitReply(CommandModes::Download);
        f.feed(kHeader + kRecords.left(17), 5);
        f.link.ResponseTimer_Timer(); // progress
        f.op.answers = {Answer::Retry};
        f.link.ResponseTimer_Timer(); // silence
        QCOMPARE(f.link.LineCount(), 0);
        QCOMPARE(f.link.WatchLineCount(), 0);
        QCOMPARE(f.link.display().logBox().last, 0);
        QVERIFY(f.port.PortOpen() && f.link.watchdogRunning());
        QTRY_COMPARE(f.sim->received(), QByteArray("*LOAD#"));
        QCOMPARE(f.link.display().panelText(1), QStringLiteral("Site A")); // kept until new lines come
    }

    // A controller still talking from an earlier request has left bytes in the port: they are not taken
    // for the reply to the new command.
    void staleInputIsNotTakenForTheReply() {
        LinkFixture f;
        QVERIFY(f.startSim({.records = 5}));
        f.sim->sendNow("01/11/2026,07:59:00,1,LEVEL,3.3,m,12.1V,OK,000099\r\nEND OF DOWN");
        QTest::qWait(50);
        QVERIFY(f.download());
        QCOMPARE(f.stored(), SimReply::downloadLines(5).join());
    }

    void logCount_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("00FF") << QByteArray("*01a02# 00FF\r") << " Log Entries: 255";
        QTest::newRow("0100") << QByteArray("*01a02# 0100\r") << " Log Entries: 256";
        QTest::newRow("FFFF, any 13th character") << QByteArray("*01a02# FFFFx") << " Log Entries: 65535";
        QTest::newRow("lower case counts 0") << QByteArray("*01a02# 00ff\r") << " Log Entries: 0";
        QTest::newRow("12 characters wait") << QByteArray("*01a02# 00F") << "";
    }
    void logCount() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        Fixture f(CommandModes::LogCount);
        f.feed(reply, 1);
        QCOMPARE(f.link.display().panelText(2), shown);
        QCOMPARE(f.link.display().panelColour(2), shown.isEmpty() ? PanelColour::Menu : PanelColour::Green);
        QCOMPARE(f.link.replyAwaited(), shown.isEmpty());
        if (shown.isEmpty()) { // the watchdog ends the wait, whatever the answer
            f.link.ResponseTimer_Timer();
            QCOMPARE(f.op.texts(), QStringList{"No Response from Controller."});
            QVERIFY(!f.link.replyAwaited() && !f.link.watchdogRunning());
        }
    }

    void openPortRetriesThroughThePortDialog() {
        LinkFixture f;
        QVERIFY(f.startSim({}, 2));
        f.env.placeMissingDevice(7);
        f.settings.PortNumber = 7;
        f.op.answers = {Answer::Retry, Answer::Retry};
        f.op.onPortSelection = [&f]() -> std::optional<PortChoice> {
            return f.op.portSelections == 2 ? std::optional<PortChoice>(PortChoice{2, {}}) : std::nullopt;
        };
        // The reason a port did not open is logged, and handed to the operator under the message.
        const QString reason =
            QStringLiteral("Nothing is connected as COM 7 (/nonexistent/rm7-device). Check the "
                           "cable or adapter, or choose another port.");
        const QRegularExpression logged(QStringLiteral("COM 7 did not open: ") +
                                        QRegularExpression::escape(reason));
        QTest::ignoreMessage(QtWarningMsg, logged);
        QTest::ignoreMessage(QtWarningMsg, logged);
        QVERIFY(OpenPort(f.port, f.settings, f.op).opened);
        QCOMPARE(f.port.CommPort(), 2);
        QCOMPARE(f.settings.PortNumber, 2);
        QCOMPARE(f.env.readIni(), QByteArray("[DEFAULT]\nComport= 2\n")); // the choice is stored
        QCOMPARE(f.op.texts(), QStringList(2, QStringLiteral("Coms Port not available!")));
        QCOMPARE(f.op.questions.first().details, reason);
        QCOMPARE(f.op.questions.first().style, 21);
        QVERIFY(OpenPort(f.port, f.settings, f.op).opened); // an open port is opened afresh
        QCOMPARE(f.op.questions.size(), 2);
    }

    // Cancel on a port that does not open tells why and ends the program; nothing is sent.
    void portCancelledEndsTheProgram() {
        LinkFixture f;
        f.settings.PortNumber = 0;
        f.op.answers = {Answer::Cancel};
        QSignalSpy ended(&f.link, &Link::exchangeEnded);
        f.link.startDownload(DownloadEntry::Menu);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended.first().at(0).value<ExchangeEnd>(), ExchangeEnd::PortUnavailable);
        QCOMPARE(ended.first().at(1).toString(), f.op.questions.first().details);
        QCOMPARE(f.op.programEnds, 1);
        QCOMPARE(f.op.portSelections, 0);
        QVERIFY(!f.link.watchdogRunning() && !f.link.replyAwaited());
    }

    // The recovery copy holds every stored line, byte for byte, and only whole lines. While its program
    // runs the copy is its own; once the program is gone it is a leftover to offer.
    void recoveryCopyHoldsTheStoredLines() {
        LinkFixture f;
        QVERIFY(f.startSim({.records = 20, .silentAfterLine = 10}));
        f.link.startDownload(DownloadEntry::Button);
        QTRY_COMPARE(f.link.LineCount(), 10);
        f.sim->sendNow("01/11/2026,08:03"); // a line still arriving is not in it
        QTest::qWait(50);
        QCOMPARE(f.env.recoveryCopies().size(), 1);
        const QString path = f.env.recoveryCopies().first();
        QTRY_COMPARE(readFileBytes(path), SimReply::downloadLines(20).mid(0, 10).join());
        QVERIFY(RecoveryCopy::leftovers().isEmpty()); // a running program keeps it

        RecoveryCopy other; // another program's copy, side by side
        other.restart();
        QVERIFY(other.path() != path);
        LineStore lines;
        lines.append("b,2\r\n");
        other.finish(lines, false);
        QCOMPARE(readFileBytes(other.path()), QByteArray("b,2\r\n"));
        other.remove();
        QVERIFY(!QFile::exists(other.path()) && QFile::exists(path));
    }

    // What an earlier run left: only its whole lines are offered; a copy without one is removed.
    void leftoverWithoutAWholeLineIsRemoved() {
        TestEnvironment env;
        QDir().mkpath(env.stateFolder());
        QFile file(env.stateFolder() + QStringLiteral("recovery-20261201-120000-4242-0.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x01\xff garbage without an end");
        file.close();
        QVERIFY(RecoveryCopy::leftovers().isEmpty());
        QVERIFY(!file.exists());
    }

    // A copy that cannot be written never stops the download: the reason is logged once.
    void unwritableRecoveryCopyLetsTheDownloadGoOn() {
        LinkFixture f;
        QVERIFY(f.startSim({.records = 3}));
        qputenv("XDG_STATE_HOME", "/proc/rm7-no-such-folder"); // not writable, even for root
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("without a recovery copy")));
        QVERIFY(f.download());
        QCOMPARE(f.stored(), SimReply::downloadLines(3).join());
        QCOMPARE(f.op.texts(), QStringList{"Download Complete!"});
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
