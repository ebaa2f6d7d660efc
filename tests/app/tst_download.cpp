// Whole downloads through the real window (offscreen) from the simulator on a pty, the operator scripted.

#include "LogView.h"
#include "ProgressView.h"
#include "ResponseWatchdog.h"
#include "SimReply.h"
#include "WindowFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>
#include <QtTest>
#include <csignal>

Q_DECLARE_METATYPE(Answer)

class TestDownload : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> w;

private slots:
    void init() { w = std::make_unique<WindowFixture>(); }
    void cleanup() { w.reset(); }

    void completeDownload() {
        QVERIFY(w->startSim({.records = 100}));
        QVERIFY(w->openWindow());
        QVERIFY(!w->form->SaveButton->isEnabled());
        struct AtCompletion {
            int expectedLines, progress;
            QString log, status;
            bool save, download;
        } seen{};
        w->op.onQuestion = [&](const ScriptedOperator::Question&) {
            seen = {w->link().state.ExpectedLines,    w->form->LoadProgress->value(),
                    w->form->LogText->toPlainText(),  w->form->StatusPanel[0]->text(),
                    w->form->SaveButton->isEnabled(), w->form->LoadButton->isEnabled()};
        };
        w->form->LoadButton->click();
        QCOMPARE(w->form->StatusPanel[0]->text(), QStringLiteral("Downloading..."));
        QVERIFY(!w->form->LoadButton->isEnabled() && !w->form->SelComs->isEnabled() &&
                !w->form->ConnectMenu->isEnabled());
        QTRY_VERIFY(w->idle());

        QCOMPARE(w->sim->received(), QByteArray("*LOAD#"));
        QCOMPARE(w->op.texts(), QStringList{"Download Complete!"});
        QCOMPARE(seen.expectedLines, 108);
        QCOMPARE(seen.progress, 99);
        QCOMPARE(seen.status, QStringLiteral("Load Complete."));
        QVERIFY(seen.save && !seen.download);
        const QList<QByteArray> lines = SimReply::downloadLines(100);
        QStringList newest;
        for (int k = 83; k <= 107; ++k) {
            newest << QString::fromLatin1(lines[k - 1].chopped(2));
        }
        QCOMPARE(seen.log, newest.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QCOMPARE(w->form->StatusPanel[1]->text(), QStringLiteral("Site: North Pump Station"));
        QCOMPARE(w->form->StatusPanel[2]->text(), QStringLiteral("Log Entries: 100"));
        QCOMPARE(w->form->StatusPanel[3]->text(), QStringLiteral("Unit: RM7-0042"));
        QCOMPARE(w->form->StatusPanel[4]->text(), QStringLiteral("Firmware: R7305 V1.7"));
        QCOMPARE(w->link().state.LineCount(), 108);
        QCOMPARE(w->link().state.LogLines.lines(1, 108).toByteArray(), lines.join());
        QCOMPARE(w->form->LoadProgress->value(), 0);
        QVERIFY(w->form->SaveButton->isEnabled() && w->form->SaveFile->isEnabled());
        QVERIFY(!w->form->comPort().PortOpen());
        QVERIFY(!w->link().ResponseTimer.isActive());
    }

    // At 9600 baud the window is brought up to date a few times a second instead of with every read; what
    // it shows at the completion box and after it is what a line-by-line display leaves.
    void pacedDownloadShowsEveryLine() {
        constexpr int kRecords = 30;
        QVERIFY(w->startSim({.records = kRecords, .paced = true}));
        QVERIFY(w->openWindow());
        struct Shown {
            QStringList panels;
            QList<QColor> colours;
            QString log;
            int progress = -1;
            bool save = false, download = false;
        };
        auto shown = [&] {
            Shown now;
            for (QLineEdit* panel : w->form->StatusPanel) {
                now.panels << panel->text();
                now.colours << panel->palette().color(QPalette::Base);
            }
            now.log = w->form->LogText->toPlainText();
            now.progress = w->form->LoadProgress->value();
            now.save = w->form->SaveButton->isEnabled();
            now.download = w->form->LoadButton->isEnabled();
            return now;
        };
        Shown atBox;
        w->op.onQuestion = [&](const ScriptedOperator::Question&) { atBox = shown(); };
        w->form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->idle(), 10000);
        QCOMPARE(w->op.texts(), QStringList{"Download Complete!"});

        const QList<QByteArray> lines = SimReply::downloadLines(kRecords);
        const int total = int(lines.size()); // header, titles, records and the final line
        QStringList newest;
        for (int k = total - 25; k < total; ++k) {
            newest << QString::fromLatin1(lines[k - 1].chopped(2));
        }
        const QString log = newest.join(QLatin1Char('\n')) + QLatin1Char('\n');
        const QStringList header = {QStringLiteral("Site: North Pump Station"),
                                    QStringLiteral("Log Entries: %1").arg(kRecords),
                                    QStringLiteral("Unit: RM7-0042"), QStringLiteral("Firmware: R7305 V1.7")};
        QCOMPARE(atBox.panels, QStringList{"Load Complete."} + header);
        QCOMPARE(atBox.log, log);
        // The last line before "END OF DOWNLOAD" is line total - 1 of total expected.
        QCOMPARE(atBox.progress, qRound(double(total - 1) / total * 100));
        QVERIFY(atBox.save && !atBox.download);
        const QPalette palette = w->form->Frame1->palette();
        const QColor menu = palette.color(QPalette::Active, QPalette::Window);
        const QColor face = palette.color(QPalette::Active, QPalette::Button);
        QCOMPARE(atBox.colours, (QList<QColor>{menu, menu, face, menu, menu}));

        const Shown after = shown();
        QCOMPARE(after.panels, atBox.panels);
        QCOMPARE(after.colours, atBox.colours);
        QCOMPARE(after.log, log);
        QCOMPARE(after.progress, 0);
        QVERIFY(after.save && after.download);
        QCOMPARE(w->link().state.LogLines.lines(1, total).toByteArray(), lines.join());
    }

    void noLogsAfterStrayCharacters() {
        QVERIFY(w->startSim({.records = 0, .stray = "\x05?"}));
        QVERIFY(w->openWindow());
        w->form->ConnectMenu->trigger();
        QTRY_COMPARE(w->form->StatusPanel[0]->text(), QStringLiteral("No logs to load.."));
        QCOMPARE(w->form->StatusPanel[0]->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(w->op.beeps, 1);
        QCOMPARE(w->form->LogText->toPlainText(), QStringLiteral("No log entries!"));
        QVERIFY(!w->form->SaveButton->isEnabled());
        QVERIFY(w->form->LoadButton->isEnabled());
        QVERIFY(!w->form->comPort().PortOpen());
        // The next download gives the panel its colour back.
        w->form->LoadButton->click();
        QCOMPARE(w->form->StatusPanel[0]->palette().color(QPalette::Base),
                 w->form->StatusPanel[1]->palette().color(QPalette::Base));
    }

    void silentControllerRetriedOrAbandoned_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("retry") << true;
        QTest::newRow("cancel") << false;
    }
    void silentControllerRetriedOrAbandoned() {
        QFETCH(bool, retry);
        QVERIFY(w->startSim({.records = 20, .silentAfterLine = 10}));
        QVERIFY(w->openWindow());
        w->op.answers = {retry ? Answer::Retry : Answer::Cancel};
        bool portClosedWhenAsked = false;
        w->op.onQuestion = [&](const ScriptedOperator::Question&) {
            portClosedWhenAsked = portClosedWhenAsked || !w->form->comPort().PortOpen();
        };
        w->form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->op.questions.isEmpty(), 6000); // the real 2000 ms watchdog
        QCOMPARE(w->op.texts().first(), QStringLiteral("No Response from Controller."));
        QVERIFY(portClosedWhenAsked);
        if (retry) {
            QTRY_VERIFY_WITH_TIMEOUT(w->idle(), 6000);
            QCOMPARE(w->sim->received(), QByteArray("*LOAD#*LOAD#"));
            QCOMPARE(w->op.texts(), QStringList({"No Response from Controller.", "Download Complete!"}));
            QCOMPARE(w->link().state.LineCount(), 28);
            QVERIFY(w->form->SaveButton->isEnabled());
        } else {
            // The ten lines received before the silence are kept and can be saved.
            QVERIFY(w->idle());
            QCOMPARE(w->link().state.LineCount(), 10);
            QCOMPARE(w->form->LogText->toPlainText().count(QLatin1Char('\n')), 10);
            QCOMPARE(w->form->StatusPanel[0]->text(), QStringLiteral("Download incomplete."));
            QVERIFY(w->form->SaveButton->isEnabled() && w->form->SaveFile->isEnabled());
            QTest::qWait(2500);
            QCOMPARE(w->op.questions.size(), 1); // the watchdog has stopped
            const QString name = w->env.path(QStringLiteral("incomplete.csv"));
            w->op.saveFiles = {name};
            w->form->SaveButton->click();
            QCOMPARE(readFileBytes(name), SimReply::downloadLines(20).mid(0, 10).join());
        }
    }

    void missingPortCancelledEndsTheProgram() {
        w->env.placeMissingDevice(1);
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QCOMPARE(w->op.texts(), QStringList{"Coms Port not available!"});
        QCOMPARE(w->op.programEnds, 1);
    }

    // The cable is pulled mid-download, the watchdog's Retry finds no port, and Cancel would end the
    // program: the lines received so far are offered for saving first.
    void cancelOnAMissingPortAsksAboutUnsavedLines_data() {
        QTest::addColumn<bool>("savedBefore");
        QTest::newRow("unsaved lines") << false;
        QTest::newRow("nothing unsaved") << true;
    }
    void cancelOnAMissingPortAsksAboutUnsavedLines() {
        QFETCH(bool, savedBefore);
        QVERIFY(w->startSim({.records = 50, .hangUpAfterLine = 12}));
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QTRY_VERIFY(!w->form->comPort().PortOpen());
        QCOMPARE(w->link().state.LineCount(), 12);
        // The freed pty may be handed to another program at once: COM 1 names a device that is gone.
        QFile::remove(w->env.settingsFolder() + QStringLiteral("ports/com1"));
        w->env.placeMissingDevice(1);
        if (savedBefore) {
            w->link().state.LogsSaved = 1; // as if these lines were in a file already
        }
        const QString name = w->env.path(QStringLiteral("pulled.csv"));
        w->op.saveFiles = {name};
        w->op.answers = {Answer::Retry, Answer::Cancel, Answer::Yes};
        watchdogTick(w->link()); // the twelve lines were progress ...
        watchdogTick(w->link()); // ... and then nothing came
        QStringList asked{"No Response from Controller.", "Coms Port not available!"};
        if (!savedBefore) {
            asked << QStringLiteral("Save Downloaded Logs?");
        }
        QCOMPARE(w->op.texts(), asked);
        QCOMPARE(w->op.programEnds, 1);
        QCOMPARE(QFile::exists(name), !savedBefore);
        if (!savedBefore) {
            QCOMPARE(readFileBytes(name), SimReply::downloadLines(50).mid(0, 12).join());
        }
    }

    // A controller still talking from an earlier request has left bytes in the port: they are not taken
    // for the reply to the new command.
    void staleInputIsNotTakenForTheReply() {
        QVERIFY(w->startSim({.records = 5}));
        QVERIFY(w->openWindow());
        w->sim->sendNow("01/11/2026,07:59:00,1,LEVEL,3.3,m,12.1V,OK,000099\r\nEND OF DOWN");
        QTest::qWait(50);
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        QCOMPARE(w->link().state.LogLines.lines(1, w->link().state.LineCount()).toByteArray(),
                 SimReply::downloadLines(5).join());
    }

    // Lines that arrive while the Save dialog is open are written too: the count is taken when writing
    // starts (here: Exit during a download, Yes, and the dialog open while ten more lines arrive).
    void linesArrivingWhileTheSaveDialogIsOpenAreWritten() {
        QVERIFY(w->startSim({.records = 60, .lineGapMs = 5}));
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QTRY_VERIFY(w->link().state.LineCount() >= 20);
        const QString name = w->env.path(QStringLiteral("exit.csv"));
        w->op.saveFiles = {name};
        w->op.answers = {Answer::Yes};
        int atWriting = 0;
        w->op.onSaveDialog = [&] {
            const int atOpening = w->link().state.LineCount();
            QTRY_VERIFY(w->link().state.LineCount() >= atOpening + 10);
            atWriting = w->link().state.LineCount();
        };
        w->form->ExitMenu->trigger();
        QCOMPARE(readFileBytes(name), SimReply::downloadLines(60).mid(0, atWriting).join());
        QCOMPARE(w->op.programEnds, 1);
    }

    void downloadSavedByteForByte() {
        QVERIFY(w->startSim({.records = 30}));
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        const QString first = w->env.path(QStringLiteral("run1.csv"));
        const QString second = w->env.path(QStringLiteral("copy/run2.csv"));
        QDir().mkpath(w->env.path(QStringLiteral("copy")));
        w->op.saveFiles = {first, second};
        w->form->SaveButton->click();
        QCOMPARE(w->link().state.LogsSaved, 1);
        w->form->SaveFile->trigger();
        QCOMPARE(readFileBytes(first), SimReply::downloadLines(30).join());
        QCOMPARE(readFileBytes(second), readFileBytes(first));
        QCOMPARE(w->link().state.LogsSaved, 1);
        QCOMPARE(w->op.saveRequests[1].folder, w->env.configHome() + QLatin1Char('/'));
        QCOMPARE(w->op.saveRequests[1].title, QStringLiteral("Save Downloaded data"));
        QCOMPARE(w->op.saveRequests[1].filter, QStringLiteral("CSV files (*.csv)"));
        QVERIFY(
            w->env.readIni().contains("path=" + w->env.path(QStringLiteral("copy/")).toLocal8Bit() + '\n'));
        // No question before the next download: this one was saved.
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        QCOMPARE(w->op.texts(), QStringList(2, QStringLiteral("Download Complete!")));
    }

    void unsavedDataPrompt_data() {
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("saveFirst");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("programEnds");
        const QString save = QStringLiteral("Save Downloaded Logs?");
        QTest::newRow("exit after an unsaved download, No")
            << "exit" << false << QList<Answer>{Answer::No} << QStringList{save} << 1;
        QTest::newRow("exit after a saved download asks again")
            << "exit" << true << QList<Answer>{Answer::No} << QStringList{save} << 1;
        QTest::newRow("download after an unsaved one, No")
            << "download" << false << QList<Answer>{Answer::No} << QStringList{save} << 0;
        QTest::newRow("download after a saved one")
            << "download" << true << QList<Answer>{} << QStringList{} << 0;
        QTest::newRow("close box") << "close" << false << QList<Answer>{Answer::No} << QStringList{save} << 0;
        QTest::newRow("failed save asks again")
            << "exit" << false << QList<Answer>{Answer::Yes, Answer::Ok, Answer::Yes, Answer::Ok, Answer::No}
            << QStringList{save, "Path doesn't exist.\r\n Accessing: /no/such/folder/x.csv", save,
                           "Illegal File Number/Name.\r\n Accessing: /tmp/x[1].csv", save}
            << 1;
    }
    void unsavedDataPrompt() {
        QFETCH(QString, caller);
        QFETCH(bool, saveFirst);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, asked);
        QFETCH(int, programEnds);
        QVERIFY(w->startSim({.records = 4}));
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        if (saveFirst) {
            w->op.saveFiles = {w->env.path(QStringLiteral("saved.csv"))};
            w->form->SaveButton->click();
        }
        w->op.questions.clear();
        w->op.answers = answers;
        w->op.saveFiles = {QStringLiteral("/no/such/folder/x.csv"), QStringLiteral("/tmp/x[1].csv")};
        if (caller == u"exit") {
            w->form->ExitMenu->trigger();
        } else if (caller == u"close") {
            w->form->close();
        } else {
            w->form->LoadButton->click();
            QCOMPARE(w->link().state.LineCount(), 0);
            QTRY_VERIFY(w->idle());
            asked << QStringLiteral("Download Complete!");
        }
        QCOMPARE(w->op.texts(), asked);
        QCOMPARE(w->op.programEnds, programEnds);
    }

    void exitDuringADownloadSavesTheLinesSoFar() {
        QVERIFY(w->startSim({.records = 50, .silentAfterLine = 20}));
        QVERIFY(w->openWindow());
        w->op.onQuestion = [](const ScriptedOperator::Question&) {};
        w->op.answers = {Answer::Yes};
        const QString name = w->env.path(QStringLiteral("partial.csv"));
        w->op.saveFiles = {name};
        w->form->ExitMenu->trigger(); // nothing stored yet: no question
        QCOMPARE(w->op.programEnds, 1);
        QVERIFY(w->op.questions.isEmpty());
        w->form->LoadButton->click();
        QTRY_COMPARE(w->link().state.LineCount(), 20);
        w->form->ExitMenu->trigger();
        QCOMPARE(w->op.texts(), QStringList{"Save Downloaded Logs?"});
        QCOMPARE(w->op.questions.first().style, 52);
        QCOMPARE(w->op.questions.first().title, QStringLiteral("Warning!!"));
        QCOMPARE(readFileBytes(name), SimReply::downloadLines(50).mid(0, 20).join());
        QCOMPARE(w->op.programEnds, 2);
    }

    // The recovery copy follows the download byte for byte; it goes when the lines are saved, or when the
    // operator answers No to saving them.
    void recoveryCopyLastsUntilSavedOrGivenUp_data() {
        QTest::addColumn<QString>("then");
        QTest::newRow("saved") << "save";
        QTest::newRow("No at Exit") << "exit";
        QTest::newRow("Yes at Exit, Cancel in the Save dialog") << "exit, cancel";
    }
    void recoveryCopyLastsUntilSavedOrGivenUp() {
        QFETCH(QString, then);
        QVERIFY(w->startSim({.records = 40}));
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        QCOMPARE(w->env.recoveryCopies().size(), 1);
        const QString copy = w->env.recoveryCopies().first();
        QCOMPARE(readFileBytes(copy), SimReply::downloadLines(40).join());
        if (then == u"save") {
            w->op.saveFiles = {w->env.path(QStringLiteral("kept.csv"))};
            w->form->SaveButton->click();
        } else {
            w->op.answers = {then == u"exit" ? Answer::No : Answer::Yes};
            w->form->ExitMenu->trigger();
        }
        QCOMPARE(QFile::exists(copy), then == u"exit, cancel");
    }

    // At start-up a download left unsaved (the program was killed) is offered: Yes saves its lines byte for
    // byte through the usual Save dialog, No gives them up, Cancel in the Save dialog keeps them for the
    // next start.
    void leftoverDownloadIsOfferedAtStartUp_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<bool>("kept");
        QTest::newRow("Yes") << Answer::Yes << true << false;
        QTest::newRow("No") << Answer::No << false << false;
        QTest::newRow("Yes, then Cancel") << Answer::Yes << false << true;
    }
    void leftoverDownloadIsOfferedAtStartUp() {
        QFETCH(Answer, answer);
        QFETCH(bool, chooseFile);
        QFETCH(bool, kept);
        const QByteArray lines = SimReply::downloadLines(30).mid(0, 17).join();
        QDir().mkpath(w->env.stateFolder());
        const QString copy = w->env.stateFolder() + QStringLiteral("recovery-20261201-120000-4242-0.csv");
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lines + "01/11/2026,00:1"); // killed in the middle of a line
        file.close();
        const QString when = QFileInfo(copy).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        const QString name = w->env.path(QStringLiteral("recovered.csv"));
        w->op.answers = {answer};
        w->op.saveFiles = {chooseFile ? std::optional<QString>(name) : std::nullopt};
        QVERIFY(w->openWindow());
        w->form->Form_Activate();
        QCOMPARE(
            w->op.texts(),
            QStringList{
                QStringLiteral("17 lines downloaded on %1 were not saved.\r\nSave them now?").arg(when)});
        QCOMPARE(w->op.questions.first().style, 52);
        QCOMPARE(readFileBytes(name), chooseFile ? lines : QByteArray());
        QCOMPARE(QFile::exists(copy), kept);
        w->form->Form_Activate(); // asked once, at the first activation
        QCOMPARE(w->op.questions.size(), 1);
    }

    // A real rm7-download, downloading from the command line, is killed outright mid-download: its
    // recovery copy holds the whole lines it had received (none invented, none lost that reached the disk)
    // and the window's next start offers them and saves them byte for byte.
    void killedDownloadIsRecoveredAtTheNextStart() {
        QVERIFY(w->startSim({.records = 300, .paced = true}));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), w->env.configHome());
        environment.insert(QStringLiteral("XDG_STATE_HOME"), w->env.stateHome());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RM7_DOWNLOAD), {"--download", w->env.path(QStringLiteral("never.csv"))});
        // Once 50 lines are in, a flush of the copy is due within a second.
        const QRegularExpression progress(QStringLiteral("(\\d+) of 308 lines"));
        int received = 0;
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                said += process.readAllStandardError();
                const auto matches = progress.globalMatch(QString::fromLatin1(said));
                for (auto it = matches; it.hasNext();) {
                    received = it.next().captured(1).toInt();
                }
                return received >= 50;
            }(),
            20000);
        QTest::qWait(1200);
        ::kill(pid_t(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QVERIFY(!QFile::exists(w->env.path(QStringLiteral("never.csv"))));

        QCOMPARE(w->env.recoveryCopies().size(), 1);
        const QByteArray copy = readFileBytes(w->env.recoveryCopies().first());
        const int lines = int(copy.count('\n'));
        QVERIFY2(lines >= 50, qPrintable(QStringLiteral("only %1 lines in the copy").arg(lines)));
        QVERIFY(copy.endsWith('\n'));
        QCOMPARE(copy, SimReply::downloadLines(300).mid(0, lines).join());

        const QString name = w->env.path(QStringLiteral("recovered.csv"));
        w->op.answers = {Answer::Yes};
        w->op.saveFiles = {name};
        QVERIFY(w->openWindow());
        w->form->Form_Activate();
        QVERIFY(w->op.texts().value(0).startsWith(QStringLiteral("%1 lines downloaded on ").arg(lines)));
        QCOMPARE(readFileBytes(name), copy);
    }

    void startUp() {
        w->env.writeIni("[DEFAULT]\nComport=40\n"); // not a usable port
        QVERIFY(w->openWindow());
        QCOMPARE(w->form->settings().PortNumber, 1);
        // Centred by the size it is shown with (its minimum outer size here), not its designed size.
        const QRect screen = w->form->screen()->geometry();
        QVERIFY(qAbs(w->form->frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(w->form->frameGeometry().center().y() - screen.center().y()) <= 1);
        w->form->activateWindow();
        QTRY_COMPARE(w->op.portSelections, 1);
        w->form->Form_Activate();
        QCOMPARE(w->op.portSelections, 1); // shown once
        QVERIFY(!w->form->comPort().PortOpen());
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
