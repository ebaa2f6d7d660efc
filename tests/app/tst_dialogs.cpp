// The port selection dialog against simulators placed as COM 2 and COM 5, the log-count query, and the
// About box.

#include "ComPort.h"
#include "ComsBox.h"
#include "ControllerSim.h"
#include "Dialog.h"
#include "LogCountQuery.h"
#include "MainForm.h"
#include "ResponseWatchdog.h"
#include "ScriptedOperator.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

class TestDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ControllerSim> m_com2;
    std::unique_ptr<ControllerSim> m_com5;
    std::unique_ptr<ScriptedOperator> m_op;
    ComPort m_port;
    Settings m_settings;

    std::unique_ptr<ComsBox> searchedBox() {
        auto box = std::make_unique<ComsBox>(m_port, m_settings, *m_op);
        box->DisplayTimer_Timer();
        return box;
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_env->writeIni("[DEFAULT]\nComport= 2\n");
        for (int com = 1; com <= 16; ++com) {
            if (com != 2 && com != 5) {
                m_env->placeMissingDevice(com);
            }
        }
        m_com2 = std::make_unique<ControllerSim>(SimOptions{.records = 3});
        m_com5 = std::make_unique<ControllerSim>(SimOptions{.records = 3});
        QVERIFY(m_com2->start() && m_com2->placeLink(m_env->settingsFolder(), 2));
        QVERIFY(m_com5->start() && m_com5->placeLink(m_env->settingsFolder(), 5));
        m_op = std::make_unique<ScriptedOperator>();
        m_settings = Settings{};
    }
    void cleanup() {
        m_port.setPortOpen(false);
        m_com2.reset();
        m_com5.reset();
        m_op.reset();
        m_env.reset();
    }

    void searchListsThePortsThatOpen() {
        m_settings.PortNumber = 5;
        ComsBox box(m_port, m_settings, *m_op);
        box.show();
        QVERIFY(box.SearchText->isVisible());
        QVERIFY(!box.ComsCombo->isVisible() && !box.TestComs->isVisible());
        QTRY_VERIFY(box.ComsCombo->isVisible()); // the real 500 ms timer
        QVERIFY(box.TestComs->isVisible() && !box.SearchText->isVisible());
        QCOMPARE(box.ComsCombo->count(), 2);
        QCOMPARE(box.ComsCombo->itemText(0), QStringLiteral("COM 2"));
        QCOMPARE(box.ComsCombo->itemText(1), QStringLiteral("COM 5"));
        QCOMPARE(box.ComsCombo->itemData(1, Qt::ToolTipRole).toString(), m_com5->devicePath());
        QCOMPARE(box.ComsCombo->currentText(), QStringLiteral("COM 5"));
        QVERIFY(!m_port.PortOpen());
        QVERIFY(m_op->questions.isEmpty());
    }

    void okStoresTheChosenPort_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("COM 5") << "COM 5" << 5 << QByteArray(" 5");
        QTest::newRow("COM5 without the blank") << "COM5" << 0 << QByteArray(" 0");
        QTest::newRow("lower case") << "com 5" << 1 << QByteArray(" 1");
        QTest::newRow("COM 2.5") << "COM 2.5" << 2 << QByteArray(" 2");
        QTest::newRow("negative") << "COM -3" << -3 << QByteArray("-3");
        QTest::newRow("beyond 16 bits") << "COM 70000" << 1 << QByteArray(" 1");
    }
    void okStoresTheChosenPort() {
        QFETCH(QString, text);
        QFETCH(int, portNumber);
        QFETCH(QByteArray, stored);
        const auto box = searchedBox();
        box->ComsCombo->setEditText(text);
        box->OKButton->click();
        QCOMPARE(m_settings.PortNumber, portNumber);
        QCOMPARE(m_env->readIni(), "[DEFAULT]\nComport=" + stored + '\n');
        QCOMPARE(box->result(), int(QDialog::Accepted));
    }

    // OK with no entry chosen and nothing typed keeps the operator's port, as Cancel does (it used to
    // store port 1): before the search, and when the port is not among those listed.
    void okWithNothingChosenKeepsThePort_data() {
        QTest::addColumn<bool>("searched");
        QTest::addColumn<int>("portNumber");
        QTest::newRow("before the search") << false << 2;
        QTest::newRow("port not listed") << true << 9;
    }
    void okWithNothingChosenKeepsThePort() {
        QFETCH(bool, searched);
        QFETCH(int, portNumber);
        m_settings.PortNumber = portNumber;
        ComsBox box(m_port, m_settings, *m_op);
        if (searched) {
            box.DisplayTimer_Timer();
            QCOMPARE(box.ComsCombo->currentText(), QStringLiteral("Select Com Port"));
        }
        box.OKButton->click();
        QCOMPARE(m_settings.PortNumber, portNumber);
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport= 2\n"));
        QCOMPARE(box.result(), int(QDialog::Rejected));
    }

    // Typed in lower case, "com 5" stays as typed when the box loses the focus: it names no port, though
    // the list holds "COM 5".
    void typedTextKeepsItsCase() {
        const auto box = searchedBox();
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        box->ComsCombo->setFocus();
        box->ComsCombo->lineEdit()->selectAll();
        QTest::keyClicks(box->ComsCombo, QStringLiteral("com 5"));
        QTest::keyClick(box->ComsCombo, Qt::Key_Tab); // leaving the box
        QCOMPARE(box->ComsCombo->currentText(), QStringLiteral("com 5"));
        box->TestComs->click();
        QCOMPARE(m_op->texts(), QStringList{"Port not available!"});
        box->OKButton->click();
        QCOMPARE(m_settings.PortNumber, 1);
    }

    void cancelStoresNothing() {
        m_settings.PortNumber = 2;
        const auto box = searchedBox();
        box->ComsCombo->setCurrentIndex(1);
        box->CancelButton->click();
        QCOMPARE(m_settings.PortNumber, 2);
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport= 2\n"));
        QCOMPARE(box->result(), int(QDialog::Rejected));
    }

    void testReportsWithoutStoring_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        QTest::newRow("COM 5") << "COM 5"
                               << "Coms Port is Available!" << 64;
        QTest::newRow("COM5") << "COM5"
                              << "Port not available!" << 16;
        QTest::newRow("com 5") << "com 5"
                               << "Port not available!" << 16;
        QTest::newRow("COM 7") << "COM 7"
                               << "Port not available!" << 16;
        QTest::newRow("COM 70000") << "COM 70000"
                                   << "Port not available!" << 16;
    }
    void testReportsWithoutStoring() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, style);
        m_settings.PortNumber = 2;
        const auto box = searchedBox();
        box->ComsCombo->setEditText(text);
        box->TestComs->click();
        QCOMPARE(m_op->texts(), QStringList{message});
        QCOMPARE(m_op->questions.first().style, style);
        QCOMPARE(m_op->questions.first().title,
                 style == 64 ? QStringLiteral("Message") : QStringLiteral("Warning"));
        QCOMPARE(m_settings.PortNumber, 2);
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport= 2\n"));
        QVERIFY(!m_port.PortOpen());
    }

    void searchDuringADownloadLeavesItsPortOpen() {
        m_com2->options().silentAfterLine = 2;
        MainForm form(*m_op, m_port, m_settings);
        form.LoadButton->click();
        QTRY_COMPARE(form.link().state.LineCount(), 2);
        ComsBox box(form.comPort(), form.settings(), *m_op);
        box.DisplayTimer_Timer();
        QCOMPARE(box.ComsCombo->count(), 0);
        QCOMPARE(box.ComsCombo->currentText(), QStringLiteral("Select Com Port"));
        QVERIFY(form.comPort().PortOpen());
        QCOMPARE(form.comPort().CommPort(), 2);
    }

    void retryThroughTheDialogDownloadsOnTheChosenPort() {
        m_env->writeIni("[DEFAULT]\nComport= 7\n");
        MainForm form(*m_op, m_port, m_settings);
        m_op->answers = {Answer::Retry};
        m_op->onPortSelection = [&] {
            ComsBox box(form.comPort(), form.settings(), *m_op);
            box.DisplayTimer_Timer();
            box.ComsCombo->setCurrentIndex(1);
            box.OKButton->click();
        };
        form.LoadButton->click();
        QCOMPARE(m_op->portSelections, 1);
        QTRY_VERIFY(form.LoadButton->isEnabled());
        QCOMPARE(m_com5->received(), QByteArray("*LOAD#"));
        QCOMPARE(m_op->texts(), QStringList({"Coms Port not available!", "Download Complete!"}));
        QCOMPARE(form.link().state.LineCount(), 11);
    }

    void logCountQuery_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("00FF") << QByteArray("*01a02# 00FF\r") << " Log Entries: 255";
        QTest::newRow("0100") << QByteArray("*01a02# 0100\r") << " Log Entries: 256";
        QTest::newRow("FFFF") << QByteArray("*01a02# FFFFx") << " Log Entries: 65535";
        QTest::newRow("lower case counts 0") << QByteArray("*01a02# 00ff\r") << " Log Entries: 0";
        QTest::newRow("more than 13") << QByteArray("*01a02# 002A\r\nmore") << " Log Entries: 42";
    }
    void logCountQuery() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        m_com2->options().queryReply = reply;
        MainForm form(*m_op, m_port, m_settings);
        QVERIFY(!form.QueryButton->isVisible() && !form.QueryButton->isEnabled());
        form.QueryButton_Click();
        QTRY_VERIFY(!form.comPort().PortOpen());
        QCOMPARE(m_com2->received(), QByteArray("*01a02#"));
        QCOMPARE(form.StatusPanel[2]->text(), shown);
        QCOMPARE(form.StatusPanel[2]->palette().color(QPalette::Base), QColor(0, 255, 0));
        QVERIFY(!form.link().ResponseTimer.isActive());
        QVERIFY(m_op->questions.isEmpty());
        QVERIFY(form.LoadButton->isEnabled());
    }

    void shortQueryReplyWaitsForTheWatchdog() {
        m_com2->options().queryReply = QByteArray("*01a02# 00F");
        MainForm form(*m_op, m_port, m_settings);
        form.QueryButton_Click();
        QTRY_COMPARE(form.link().state.RxBuffer.size(), 12 - 1);
        QVERIFY(form.comPort().PortOpen());
        watchdogTick(form.link());
        QVERIFY(!form.comPort().PortOpen());
        QCOMPARE(m_op->texts(), QStringList{"No Response from Controller."});
        QCOMPARE(form.StatusPanel[2]->text(), QString());
        // A download from the Tools menu afterwards is a download again.
        form.ConnectMenu->trigger();
        QTRY_VERIFY(form.LoadButton->isEnabled());
        QCOMPARE(form.link().state.LineCount(), 11);
        QCOMPARE(m_op->texts().last(), QStringLiteral("Download Complete!"));
    }

    void aboutBox() {
        QStringList first;
        for (int showing = 0; showing < 2; ++showing) {
            Dialog about;
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            QCOMPARE(about.windowTitle(), QStringLiteral("About RM Controller Download Utility"));
            QStringList texts;
            for (const QLabel* label : about.findChildren<QLabel*>()) {
                texts << label->objectName() + '=' + label->text();
            }
            QVERIFY(texts.contains(QStringLiteral("Label1_1=R7305    Version 1.7")));
            QVERIFY(texts.contains(QStringLiteral("Label1_2=2 Sept 2009")));
            QCOMPARE(
                about.findChild<QLabel*>(QStringLiteral("Label1_2"))->palette().color(QPalette::WindowText),
                QColor(255, 0, 0));
            QCOMPARE(about.Logo->pixmap().size(), QSize(132, 130));
            if (showing == 0) {
                first = texts;
            } else {
                QCOMPARE(texts, first);
            }
            // Enter and Escape leave the box open unless OK has the focus.
            about.Ok->clearFocus();
            QTest::keyClick(&about, Qt::Key_Return);
            QTest::keyClick(&about, Qt::Key_Escape);
            QVERIFY(about.isVisible());
            about.Ok->setFocus();
            QTest::keyClick(about.Ok, Qt::Key_Return);
            QVERIFY(!about.isVisible());
            QCOMPARE(about.result(), int(QDialog::Accepted));
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
