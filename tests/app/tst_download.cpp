// Whole downloads through the real window (offscreen) from the simulator on a pty, the operator scripted.

#include "ControllerSim.h"
#include "LogView.h"
#include "MainForm.h"
#include "ProgressView.h"
#include "ScriptedOperator.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(Answer)

class TestDownload : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedOperator> m_op;
    std::unique_ptr<ControllerSim> m_sim;
    std::unique_ptr<MainForm> m_form;

    void startSim(SimOptions options, int com = 1) {
        m_sim = std::make_unique<ControllerSim>(std::move(options));
        QVERIFY(m_sim->start());
        QVERIFY(m_sim->placeLink(m_env->settingsFolder(), com));
    }
    void openWindow() {
        m_form = std::make_unique<MainForm>(*m_op);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    Link& link() { return m_form->link(); }
    bool idle() const { return m_form->LoadButton->isEnabled(); }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_env->writeIni("[DEFAULT]\nComport= 1\n");
        m_op = std::make_unique<ScriptedOperator>();
    }
    void cleanup() {
        m_form.reset();
        m_sim.reset();
        m_op.reset();
        m_env.reset();
    }

    void completeDownload() {
        startSim({.records = 100});
        openWindow();
        QVERIFY(!m_form->SaveButton->isEnabled());
        struct AtCompletion {
            int expectedLines, progress;
            QString log, status;
            bool save, download;
        } seen{};
        m_op->onQuestion = [&](const ScriptedOperator::Question&) {
            seen = {link().state.ExpectedLines,      m_form->LoadProgress->value(),
                    m_form->LogText->toPlainText(),  m_form->StatusPanel[0]->text(),
                    m_form->SaveButton->isEnabled(), m_form->LoadButton->isEnabled()};
        };
        m_form->LoadButton->click();
        QCOMPARE(m_form->StatusPanel[0]->text(), QStringLiteral("Downloading..."));
        QVERIFY(!m_form->LoadButton->isEnabled() && !m_form->SelComs->isEnabled() &&
                !m_form->ConnectMenu->isEnabled());
        QTRY_VERIFY(idle());

        QCOMPARE(m_sim->received(), QByteArray("*LOAD#"));
        QCOMPARE(m_op->texts(), QStringList{"Download Complete!"});
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
        QCOMPARE(m_form->StatusPanel[1]->text(), QStringLiteral("Site: North Pump Station"));
        QCOMPARE(m_form->StatusPanel[2]->text(), QStringLiteral("Log Entries: 100"));
        QCOMPARE(m_form->StatusPanel[3]->text(), QStringLiteral("Unit: RM7-0042"));
        QCOMPARE(m_form->StatusPanel[4]->text(), QStringLiteral("Firmware: R7305 V1.7"));
        QCOMPARE(link().state.LineCount(), 108);
        QCOMPARE(link().state.LogLines.lines(1, 108).toByteArray(), lines.join());
        QCOMPARE(m_form->LoadProgress->value(), 0);
        QVERIFY(m_form->SaveButton->isEnabled() && m_form->SaveFile->isEnabled());
        QVERIFY(!m_form->comPort().PortOpen());
        QVERIFY(!link().ResponseTimer.isActive());
    }

    void noLogsAfterStrayCharacters() {
        startSim({.records = 0, .stray = "\x05?"});
        openWindow();
        m_form->ConnectMenu->trigger();
        QTRY_COMPARE(m_form->StatusPanel[0]->text(), QStringLiteral("No logs to load.."));
        QCOMPARE(m_form->StatusPanel[0]->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(m_op->beeps, 1);
        QCOMPARE(m_form->LogText->toPlainText(), QStringLiteral("No log entries!"));
        QVERIFY(!m_form->SaveButton->isEnabled());
        QVERIFY(m_form->LoadButton->isEnabled());
        QVERIFY(!m_form->comPort().PortOpen());
        // The next download gives the panel its colour back.
        m_form->LoadButton->click();
        QCOMPARE(m_form->StatusPanel[0]->palette().color(QPalette::Base),
                 m_form->StatusPanel[1]->palette().color(QPalette::Base));
    }

    void silentControllerRetriedOrAbandoned_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("retry") << true;
        QTest::newRow("cancel") << false;
    }
    void silentControllerRetriedOrAbandoned() {
        QFETCH(bool, retry);
        startSim({.records = 20, .silentAfterLine = 10});
        openWindow();
        m_op->answers = {retry ? Answer::Retry : Answer::Cancel};
        bool portClosedWhenAsked = false;
        m_op->onQuestion = [&](const ScriptedOperator::Question&) {
            portClosedWhenAsked = portClosedWhenAsked || !m_form->comPort().PortOpen();
        };
        m_form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_op->questions.isEmpty(), 6000); // the real 2000 ms watchdog
        QCOMPARE(m_op->texts().first(), QStringLiteral("No Response from Controller."));
        QVERIFY(portClosedWhenAsked);
        if (retry) {
            QTRY_VERIFY_WITH_TIMEOUT(idle(), 6000);
            QCOMPARE(m_sim->received(), QByteArray("*LOAD#*LOAD#"));
            QCOMPARE(m_op->texts(), QStringList({"No Response from Controller.", "Download Complete!"}));
            QCOMPARE(link().state.LineCount(), 28);
            QVERIFY(m_form->SaveButton->isEnabled());
        } else {
            QVERIFY(idle());
            QCOMPARE(link().state.LineCount(), 0);
            QCOMPARE(m_form->LogText->toPlainText(), QString());
            QCOMPARE(m_form->StatusPanel[0]->text(), QString());
            QVERIFY(!m_form->SaveButton->isEnabled());
            QTest::qWait(2500);
            QCOMPARE(m_op->questions.size(), 1); // the watchdog has stopped
        }
    }

    void missingPortRetriedThroughThePortDialog() {
        startSim({.records = 5}, 2);
        m_env->placeMissingDevice(1); // the stored port
        openWindow();
        m_op->answers = {Answer::Retry};
        m_op->onPortSelection = [this] { m_form->settings().PortNumber = 2; };
        m_form->LoadButton->click();
        QCOMPARE(m_op->texts().first(), QStringLiteral("Coms Port not available!"));
        QCOMPARE(m_op->portSelections, 1);
        QTRY_VERIFY(idle());
        QCOMPARE(m_op->texts().last(), QStringLiteral("Download Complete!"));
        QCOMPARE(link().state.LineCount(), 13);
    }

    void missingPortCancelledEndsTheProgram() {
        m_env->placeMissingDevice(1);
        openWindow();
        m_form->LoadButton->click();
        QCOMPARE(m_op->texts(), QStringList{"Coms Port not available!"});
        QCOMPARE(m_op->programEnds, 1);
    }

    void longDownloadKeepsEveryLine() {
        startSim({.records = 20000});
        openWindow();
        m_form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(idle(), 60000);
        QCOMPARE(link().state.LineCount(), 20008);
        QCOMPARE(link().state.LogLines.lines(1, 20008).toByteArray(), SimReply::downloadLines(20000).join());
        QCOMPARE(m_op->texts(), QStringList{"Download Complete!"});
    }

    void downloadSavedByteForByte() {
        startSim({.records = 30});
        openWindow();
        m_form->LoadButton->click();
        QTRY_VERIFY(idle());
        const QString first = m_env->path(QStringLiteral("run1.csv"));
        const QString second = m_env->path(QStringLiteral("copy/run2.csv"));
        QDir().mkpath(m_env->path(QStringLiteral("copy")));
        m_op->saveFiles = {first, second};
        m_form->SaveButton->click();
        QCOMPARE(link().state.LogsSaved, 1);
        m_form->SaveFile->trigger();
        QCOMPARE(readFileBytes(first), SimReply::downloadLines(30).join());
        QCOMPARE(readFileBytes(second), readFileBytes(first));
        QCOMPARE(link().state.LogsSaved, 1);
        QCOMPARE(m_op->saveRequests[1].folder, m_env->configHome() + QLatin1Char('/'));
        QVERIFY(
            m_env->readIni().contains("path=" + m_env->path(QStringLiteral("copy/")).toLocal8Bit() + '\n'));
        // No question before the next download: this one was saved.
        m_form->LoadButton->click();
        QTRY_VERIFY(idle());
        QCOMPARE(m_op->texts(), QStringList(2, QStringLiteral("Download Complete!")));
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
        startSim({.records = 4});
        openWindow();
        m_form->LoadButton->click();
        QTRY_VERIFY(idle());
        if (saveFirst) {
            m_op->saveFiles = {m_env->path(QStringLiteral("saved.csv"))};
            m_form->SaveButton->click();
        }
        m_op->questions.clear();
        m_op->answers = answers;
        m_op->saveFiles = {QStringLiteral("/no/such/folder/x.csv"), QStringLiteral("/tmp/x[1].csv")};
        if (caller == u"exit") {
            m_form->ExitMenu->trigger();
        } else if (caller == u"close") {
            m_form->close();
        } else {
            m_form->LoadButton->click();
            QCOMPARE(link().state.LineCount(), 0);
            QTRY_VERIFY(idle());
            asked << QStringLiteral("Download Complete!");
        }
        QCOMPARE(m_op->texts(), asked);
        QCOMPARE(m_op->programEnds, programEnds);
    }

    void exitDuringADownloadSavesTheLinesSoFar() {
        startSim({.records = 50, .silentAfterLine = 20});
        openWindow();
        m_op->onQuestion = [](const ScriptedOperator::Question&) {};
        m_op->answers = {Answer::Yes};
        const QString name = m_env->path(QStringLiteral("partial.csv"));
        m_op->saveFiles = {name};
        m_form->ExitMenu->trigger(); // nothing stored yet: no question
        QCOMPARE(m_op->programEnds, 1);
        QVERIFY(m_op->questions.isEmpty());
        m_form->LoadButton->click();
        QTRY_COMPARE(link().state.LineCount(), 20);
        m_form->ExitMenu->trigger();
        QCOMPARE(m_op->texts(), QStringList{"Save Downloaded Logs?"});
        QCOMPARE(m_op->questions.first().style, 52);
        QCOMPARE(m_op->questions.first().title, QStringLiteral("Warning!!"));
        QCOMPARE(readFileBytes(name), SimReply::downloadLines(50).mid(0, 20).join());
        QCOMPARE(m_op->programEnds, 2);
    }

    void startUp() {
        m_env->writeIni("[DEFAULT]\nComport=40\n"); // not a usable port
        openWindow();
        QCOMPARE(m_form->settings().PortNumber, 1);
        const QRect screen = m_form->screen()->geometry();
        QVERIFY(qAbs(m_form->frameGeometry().center().x() - screen.center().x()) <= m_form->width() / 2);
        m_form->activateWindow();
        QTRY_COMPARE(m_op->portSelections, 1);
        m_form->Form_Activate();
        QCOMPARE(m_op->portSelections, 1); // shown once
        QVERIFY(!m_form->comPort().PortOpen());
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
