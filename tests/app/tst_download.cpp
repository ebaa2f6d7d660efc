// Whole downloads through the real window (offscreen) from the simulator on a pty, the operator scripted.

#include "LogView.h"
#include "ProgressView.h"
#include "SimReply.h"
#include "WindowFixture.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

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
            QVERIFY(w->idle());
            QCOMPARE(w->link().state.LineCount(), 0);
            QCOMPARE(w->form->LogText->toPlainText(), QString());
            QCOMPARE(w->form->StatusPanel[0]->text(), QString());
            QVERIFY(!w->form->SaveButton->isEnabled());
            QTest::qWait(2500);
            QCOMPARE(w->op.questions.size(), 1); // the watchdog has stopped
        }
    }

    void missingPortCancelledEndsTheProgram() {
        w->env.placeMissingDevice(1);
        QVERIFY(w->openWindow());
        w->form->LoadButton->click();
        QCOMPARE(w->op.texts(), QStringList{"Coms Port not available!"});
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

    void startUp() {
        w->env.writeIni("[DEFAULT]\nComport=40\n"); // not a usable port
        QVERIFY(w->openWindow());
        QCOMPARE(w->form->settings().PortNumber, 1);
        const QRect screen = w->form->screen()->geometry();
        QVERIFY(qAbs(w->form->frameGeometry().center().x() - screen.center().x()) <= w->form->width() / 2);
        w->form->activateWindow();
        QTRY_COMPARE(w->op.portSelections, 1);
        w->form->Form_Activate();
        QCOMPARE(w->op.portSelections, 1); // shown once
        QVERIFY(!w->form->comPort().PortOpen());
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
