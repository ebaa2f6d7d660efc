// The port selection dialog against simulators placed as COM 2 and COM 5, the log-count query, and the
// About box.

#include "ComPort.h"
#include "ComsBox.h"
#include "ControllerSim.h"
#include "Dialog.h"
#include "DialogOperator.h"
#include "FakeDevices.h"
#include "LogCountQuery.h"
#include "MainForm.h"
#include "ResponseWatchdog.h"
#include "ScriptedOperator.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <array>

namespace {

// How soon the list shows an adapter plugged in or pulled out.
constexpr int kFollowsWithinMs = 2000;

const QString kAdapter = QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");

// An FTDI adapter as the system describes it.
PortDescription ftdiAdapter(const QString& device) {
    PortDescription adapter;
    adapter.device = device;
    adapter.manufacturer = QStringLiteral("FTDI");
    adapter.product = QStringLiteral("FT232R USB UART");
    adapter.serialNumber = QStringLiteral("A1B2C3");
    adapter.vid = 0x0403;
    adapter.pid = 0x6001;
    return adapter;
}

QStringList itemTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) {
        texts << box->itemText(i);
    }
    return texts;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<FakeDevices> m_devices;
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
        m_devices = std::make_unique<FakeDevices>();
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
        m_devices.reset();
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
        // A pseudo-terminal is described by its path alone.
        const QStringList entries{"COM 2  " + m_com2->devicePath(), "COM 5  " + m_com5->devicePath()};
        QCOMPARE(itemTexts(box.ComsCombo), entries);
        QCOMPARE(box.ComsCombo->itemData(1, Qt::ToolTipRole).toString(), m_com5->devicePath());
        QCOMPARE(box.ComsCombo->currentText(), entries[1]);
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
        // The description after the number never adds to it.
        QTest::newRow("described") << "COM 1  /dev/ttyS0" << 1 << QByteArray(" 1");
        QTest::newRow("described adapter")
            << "COM 12  /dev/ttyUSB7 · FTDI FT232R USB UART · A1B2C3 · 0403:6001" << 12 << QByteArray(" 12");
        QTest::newRow("digits in the path")
            << "COM 3  /dev/serial/by-id/usb-1a86_USB2.0-Serial-if00-port0" << 3 << QByteArray(" 3");
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

    void entryOfAnAdapterIsDescribed() {
        m_devices->described = {ftdiAdapter(m_com5->devicePath())};
        const auto box = searchedBox();
        const QString entry =
            "COM 5  " + m_com5->devicePath() + " · FTDI FT232R USB UART · A1B2C3 · 0403:6001";
        QCOMPARE(itemTexts(box->ComsCombo), QStringList({"COM 2  " + m_com2->devicePath(), entry}));
        box->ComsCombo->setCurrentIndex(1);
        QCOMPARE(box->ComsCombo->currentText(), entry);
        box->OKButton->click();
        QCOMPARE(m_settings.PortNumber, 5);
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport= 5\n"));
        // Without a stable name there is nothing to pin: COM 5 stays the simulator's link.
        QCOMPARE(QFileInfo(m_env->settingsFolder() + "ports/com5").symLinkTarget(), m_com5->devicePath());
    }

    void adapterIsPinnedAndUsedByTheNextDownload() {
        // An adapter that no COM number reaches: only its stable name leads to it.
        ControllerSim adapter(SimOptions{.records = 4});
        QVERIFY(adapter.start());
        QVERIFY(m_devices->plugIn(kAdapter, adapter.devicePath()));
        m_devices->described = {ftdiAdapter(adapter.devicePath())};
        const auto box = searchedBox();
        // COM 1 has no device, so the adapter is offered there.
        const QString entry =
            "COM 1  " + adapter.devicePath() + " · FTDI FT232R USB UART · A1B2C3 · 0403:6001";
        QCOMPARE(box->ComsCombo->itemText(0), entry);
        box->ComsCombo->setCurrentIndex(0);
        box->TestComs->click(); // tried where it is, before COM 1 leads there
        QCOMPARE(m_op->texts(), QStringList{"Coms Port is Available!"});
        m_op->questions.clear();
        box->OKButton->click();
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport= 1\n"));
        QCOMPARE(QFileInfo(m_env->settingsFolder() + "ports/com1").symLinkTarget(),
                 m_devices->byIdPath(kAdapter));

        MainForm form(*m_op, m_port, m_settings);
        form.LoadButton->click();
        QTRY_VERIFY(form.LoadButton->isEnabled());
        QCOMPARE(adapter.received(), QByteArray("*LOAD#"));
        QCOMPARE(m_op->texts(), QStringList{"Download Complete!"});

        // Plugged into another socket, the adapter gets another device; its stable name follows it.
        adapter.hangUp();
        QVERIFY(adapter.reconnect());
        QVERIFY(m_devices->pullOut(kAdapter) && m_devices->plugIn(kAdapter, adapter.devicePath()));
        m_op->answers = {Answer::No}; // the first download need not be saved
        form.LoadButton->click();
        QTRY_VERIFY(form.LoadButton->isEnabled());
        QCOMPARE(adapter.received(), QByteArray("*LOAD#*LOAD#"));
        QCOMPARE(m_op->texts(),
                 QStringList({"Download Complete!", "Save Downloaded Logs?", "Download Complete!"}));
    }

    void numberKeepsItsStableName() {
        // COM 5 reaches the adapter by its device name; choosing it pins COM 5 to the stable name.
        QVERIFY(m_devices->plugIn(kAdapter, m_com5->devicePath()));
        const auto box = searchedBox();
        box->ComsCombo->setCurrentIndex(1);
        box->OKButton->click();
        QCOMPARE(QFileInfo(m_env->settingsFolder() + "ports/com5").symLinkTarget(),
                 m_devices->byIdPath(kAdapter));

        // Pulled out, the adapter's number waits for it: other adapters are offered under the other free
        // ones.
        QVERIFY(m_devices->pullOut(kAdapter));
        std::array<ControllerSim, 4> others;
        for (ControllerSim& other : others) {
            QVERIFY(other.start());
            QVERIFY(m_devices->plugIn(QFileInfo(other.devicePath()).fileName(), other.devicePath()));
        }
        const auto again = searchedBox();
        QList<int> numbers;
        for (const QString& text : itemTexts(again->ComsCombo)) {
            numbers << *ComsBox::portNumberOf(text);
        }
        QCOMPARE(numbers, QList<int>({1, 2, 3, 4, 6}));
    }

    void listFollowsAdaptersPluggedInAndOut() {
        ComsBox box(m_port, m_settings, *m_op);
        box.show();
        QTRY_VERIFY(box.ComsCombo->isVisible());
        box.ComsCombo->setCurrentIndex(1);
        const QString chosen = box.ComsCombo->currentText();
        QSignalSpy opens(&m_port, &ComPort::opening);

        ControllerSim adapter;
        QVERIFY(adapter.start());
        QVERIFY(m_devices->plugIn(kAdapter, adapter.devicePath()));
        const QString entry = "COM 1  " + adapter.devicePath();
        QTRY_COMPARE_WITH_TIMEOUT(box.ComsCombo->count(), 3, kFollowsWithinMs);
        QCOMPARE(box.ComsCombo->itemText(0), entry);
        QCOMPARE(box.ComsCombo->currentText(), chosen);
        QCOMPARE(opens.size(), 1); // the newcomer is tried once, the others are left alone
        QCOMPARE(opens.first().first().toString(), adapter.devicePath());

        QVERIFY(m_devices->pullOut(kAdapter));
        QTRY_COMPARE_WITH_TIMEOUT(box.ComsCombo->count(), 2, kFollowsWithinMs);
        QVERIFY(!itemTexts(box.ComsCombo).contains(entry));
        QCOMPARE(box.ComsCombo->currentText(), chosen);
        QCOMPARE(opens.size(), 1);
        QVERIFY(!m_port.PortOpen());
    }

    void numbersWithoutADeviceAreNotOpened() {
        QSignalSpy opens(&m_port, &ComPort::opening);
        const auto box = searchedBox();
        QStringList devices;
        for (const QList<QVariant>& open : opens) {
            devices << open.first().toString();
        }
        QCOMPARE(devices, QStringList({m_com2->devicePath(), m_com5->devicePath()}));
    }

    void reasonShowsUnderTheMessage() {
        DialogOperator op(m_port, m_settings);
        QString informative;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            informative = box->informativeText();
            box->button(QMessageBox::Cancel)->click();
        });
        const Answer answer = op.messageBox(
            QStringLiteral("Coms Port not available!"), MsgStyle::RetryCancel + MsgStyle::Critical,
            QStringLiteral("Warning"), QStringLiteral("Nothing is connected as COM 5."));
        QCOMPARE(answer, Answer::Cancel);
        QCOMPARE(informative, QStringLiteral("Nothing is connected as COM 5."));
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
        QTest::addColumn<QString>("details");
        QTest::newRow("COM 5") << "COM 5"
                               << "Coms Port is Available!" << 64 << "";
        QTest::newRow("COM5") << "COM5"
                              << "Port not available!" << 16
                              << "COM 0 is not a port this program knows. Choose another port.";
        QTest::newRow("com 5") << "com 5"
                               << "Port not available!" << 16
                               << "COM 0 is not a port this program knows. Choose another port.";
        QTest::newRow("COM 7")
            << "COM 7"
            << "Port not available!" << 16
            << "Nothing is connected as COM 7 (/nonexistent/rm7-device). Check the cable or "
               "adapter, or choose another port.";
        QTest::newRow("COM 70000") << "COM 70000"
                                   << "Port not available!" << 16
                                   << "\"COM 70000\" names no port number that fits";
    }
    void testReportsWithoutStoring() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, style);
        QFETCH(QString, details);
        m_settings.PortNumber = 2;
        const auto box = searchedBox();
        box->ComsCombo->setEditText(text);
        box->TestComs->click();
        QCOMPARE(m_op->texts(), QStringList{message});
        QCOMPARE(m_op->questions.first().style, style);
        QCOMPARE(m_op->questions.first().title,
                 style == 64 ? QStringLiteral("Message") : QStringLiteral("Warning"));
        QCOMPARE(m_op->questions.first().details, details);
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
        QCOMPARE(m_op->questions.first().details,
                 QStringLiteral("Nothing is connected as COM 7 (/nonexistent/rm7-device). Check the cable or "
                                "adapter, or choose another port."));
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
