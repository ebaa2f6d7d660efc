// The port selection dialog against simulators placed as COM 2 and COM 5 (and adapters a test describes),
// and the About box.

#include "ComPort.h"
#include "ComsBox.h"
#include "ControllerSim.h"
#include "Dialog.h"
#include "FakeDevices.h"
#include "MainForm.h"
#include "ScriptedOperator.h"
#include "TestEnvironment.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <array>

namespace {

const QString kAdapter = QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
const QString kDescribed = QStringLiteral(" · FTDI FT232R USB UART · A1B2C3 · 0403:6001");

PortDescription ftdiAdapter(const QString& device) {
    return {device, "FTDI", "FT232R USB UART", "A1B2C3", 0x0403, 0x6001, {}};
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

    std::unique_ptr<ComsBox> searchedBox(int currentPort = 2) {
        auto box = std::make_unique<ComsBox>(m_port, currentPort, *m_op, m_devices->source());
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
    }
    void cleanup() {
        m_port.setPortOpen(false);
        m_com2.reset();
        m_com5.reset();
        m_op.reset();
        m_devices.reset();
        m_env.reset();
    }

    // Half a second after opening, the ports whose devices open are listed, described, and the port in
    // use chosen; numbers without a device are never opened.
    void searchListsThePortsThatOpen() {
        m_devices->described = {ftdiAdapter(m_com5->devicePath())};
        QSignalSpy opens(&m_port, &ComPort::opening);
        ComsBox box(m_port, 5, *m_op, m_devices->source());
        box.show();
        QVERIFY(box.SearchText->isVisible() && !box.ComsCombo->isVisible() && !box.TestComs->isVisible());
        QTRY_VERIFY(box.ComsCombo->isVisible()); // the real 500 ms timer
        QVERIFY(box.TestComs->isVisible() && !box.SearchText->isVisible());
        const QStringList entries{"COM 2  " + m_com2->devicePath(),
                                  "COM 5  " + m_com5->devicePath() + kDescribed};
        QCOMPARE(itemTexts(box.ComsCombo), entries);
        QCOMPARE(box.ComsCombo->currentText(), entries[1]);
        QCOMPARE(opens.size(), 2);
        QVERIFY(!m_port.PortOpen() && m_op->questions.isEmpty());
        box.OKButton->click();
        QCOMPARE(box.choice(), std::optional<PortChoice>(PortChoice{5, {}})); // nothing stable to pin
    }

    // OK with no entry chosen and nothing typed keeps the operator's port, as Cancel does: before the
    // search, and when the port in use is not among those listed.
    void nothingChosen_data() {
        QTest::addColumn<bool>("searched");
        QTest::addColumn<QString>("button");
        QTest::newRow("OK before the search") << false << "OK";
        QTest::newRow("OK, port not listed") << true << "OK";
        QTest::newRow("Cancel after choosing") << true << "Cancel";
    }
    void nothingChosen() {
        QFETCH(bool, searched);
        QFETCH(QString, button);
        const auto box = searched ? searchedBox(9) : std::make_unique<ComsBox>(m_port, 9, *m_op);
        if (button == u"Cancel") {
            box->ComsCombo->setCurrentIndex(1);
        }
        QCOMPARE(box->ComsCombo->currentText(),
                 button == u"OK" ? QStringLiteral("Select Com Port") : box->ComsCombo->itemText(1));
        (button == u"OK" ? box->OKButton : box->CancelButton)->click();
        QCOMPARE(box->choice(), std::nullopt);
        QCOMPARE(box->result(), int(QDialog::Rejected));
    }

    // An adapter that no COM number reaches is offered under a free one, tried where it is, pinned when
    // chosen and used by the next download; after a re-plug its stable name still leads to it.
    void adapterIsPinnedAndUsedByTheNextDownload() {
        ControllerSim adapter(SimOptions{.records = 4});
        QVERIFY(adapter.start());
        QVERIFY(m_devices->plugIn(kAdapter, adapter.devicePath()));
        m_devices->described = {ftdiAdapter(adapter.devicePath())};
        const auto box = searchedBox();
        QCOMPARE(box->ComsCombo->itemText(0), "COM 1  " + adapter.devicePath() + kDescribed);
        box->ComsCombo->setCurrentIndex(0);
        box->TestComs->click();
        QCOMPARE(m_op->texts(), QStringList{"Coms Port is Available!"});
        m_op->questions.clear();
        box->OKButton->click();
        Settings settings;
        MainForm form(*m_op, m_port, settings);
        m_op->onPortSelection = [&box] { return box->choice(); };
        form.SelComs_Click();
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport= 1\n"));
        QCOMPARE(QFileInfo(m_env->settingsFolder() + "ports/com1").symLinkTarget(),
                 m_devices->byIdPath(kAdapter));
        form.LoadButton->click();
        QTRY_VERIFY(form.LoadButton->isEnabled());
        adapter.hangUp(); // plugged into another socket, the adapter gets another device
        QVERIFY(adapter.reconnect());
        QVERIFY(m_devices->pullOut(kAdapter) && m_devices->plugIn(kAdapter, adapter.devicePath()));
        m_op->answers = {Answer::No};
        form.LoadButton->click();
        QTRY_VERIFY(form.LoadButton->isEnabled());
        QCOMPARE(adapter.received(), QByteArray("*LOAD#*LOAD#"));
        QCOMPARE(m_op->texts(),
                 QStringList({"Download Complete!", "Save Downloaded Logs?", "Download Complete!"}));
    }

    // A number chosen for an adapter with a stable name keeps it: unplugged, the number waits for it and
    // other adapters are offered under the other free numbers.
    void numberKeepsItsStableName() {
        QVERIFY(m_devices->plugIn(kAdapter, m_com5->devicePath()));
        const auto box = searchedBox();
        box->ComsCombo->setCurrentIndex(1);
        box->OKButton->click();
        QCOMPARE(box->choice(), std::optional<PortChoice>(PortChoice{5, m_devices->byIdPath(kAdapter)}));
        Settings settings;
        storePortChoice(*box->choice(), settings);
        QVERIFY(m_devices->pullOut(kAdapter));
        std::array<ControllerSim, 4> others;
        for (ControllerSim& other : others) {
            QVERIFY(other.start());
            QVERIFY(m_devices->plugIn(QFileInfo(other.devicePath()).fileName(), other.devicePath()));
        }
        QList<int> numbers;
        for (const QString& text : itemTexts(searchedBox()->ComsCombo)) {
            numbers << *PortChoices::portNumberOf(text);
        }
        QCOMPARE(numbers, QList<int>({1, 2, 3, 4, 6}));
    }

    void listFollowsAdaptersPluggedInAndOut() {
        ComsBox box(m_port, 2, *m_op, m_devices->source());
        box.show();
        QTRY_VERIFY(box.ComsCombo->isVisible());
        box.ComsCombo->setCurrentIndex(1);
        const QString chosen = box.ComsCombo->currentText();
        QSignalSpy opens(&m_port, &ComPort::opening);
        ControllerSim adapter;
        QVERIFY(adapter.start());
        QVERIFY(m_devices->plugIn(kAdapter, adapter.devicePath()));
        QTRY_COMPARE_WITH_TIMEOUT(box.ComsCombo->count(), 3, 2000);
        QCOMPARE(box.ComsCombo->itemText(0), "COM 1  " + adapter.devicePath());
        QCOMPARE(box.ComsCombo->currentText(), chosen);
        QCOMPARE(opens.size(), 1); // the newcomer is tried once, the others are left alone
        QVERIFY(m_devices->pullOut(kAdapter));
        QTRY_COMPARE_WITH_TIMEOUT(box.ComsCombo->count(), 2, 2000);
        QCOMPARE(box.ComsCombo->currentText(), chosen);
        QCOMPARE(opens.size(), 1);
        box.OKButton->click();
        QCOMPARE(box.choice()->number, 5);
    }

    // Typed in lower case, "com 5" stays as typed when the box loses the focus: it names no port.
    void typedTextKeepsItsCase() {
        const auto box = searchedBox();
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        box->ComsCombo->setFocus();
        box->ComsCombo->lineEdit()->selectAll();
        QTest::keyClicks(box->ComsCombo, QStringLiteral("com 5"));
        QTest::keyClick(box->ComsCombo, Qt::Key_Tab);
        QCOMPARE(box->ComsCombo->currentText(), QStringLiteral("com 5"));
        box->OKButton->click();
        QCOMPARE(box->choice(), std::optional<PortChoice>(PortChoice{1, {}}));
    }

    void testReportsWithoutChoosing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("details"); // empty: available
        const QString noNumber =
            QStringLiteral("COM 0 is not a port this program knows. Choose another port.");
        QTest::newRow("COM 5") << "COM 5"
                               << "";
        QTest::newRow("COM5") << "COM5" << noNumber;
        QTest::newRow("com 5") << "com 5" << noNumber;
        QTest::newRow("COM 7") << "COM 7"
                               << "Nothing is connected as COM 7 (/nonexistent/rm7-device). Check the cable "
                                  "or adapter, or choose another port.";
        QTest::newRow("COM 70000") << "COM 70000"
                                   << "\"COM 70000\" names no port number that fits";
    }
    void testReportsWithoutChoosing() {
        QFETCH(QString, text);
        QFETCH(QString, details);
        const auto box = searchedBox();
        box->ComsCombo->setEditText(text);
        box->TestComs->click();
        QCOMPARE(m_op->texts(),
                 QStringList{details.isEmpty() ? "Coms Port is Available!" : "Port not available!"});
        QCOMPARE(m_op->questions.first().style, details.isEmpty() ? 64 : 16);
        QCOMPARE(m_op->questions.first().title,
                 details.isEmpty() ? QStringLiteral("Message") : QStringLiteral("Warning"));
        QCOMPARE(m_op->questions.first().details, details);
        QVERIFY(!m_port.PortOpen() && box->isVisible() == false && !box->choice());
    }

    void searchDuringADownloadLeavesItsPortOpen() {
        m_com2->options().silentAfterLine = 2;
        Settings settings;
        MainForm form(*m_op, m_port, settings);
        form.LoadButton->click();
        QTRY_COMPARE(form.link().LineCount(), 2);
        const auto box = searchedBox();
        QCOMPARE(box->ComsCombo->count(), 0);
        QVERIFY(form.comPort().PortOpen());
        QCOMPARE(form.comPort().CommPort(), 2);
    }

    // The About box shows the same fixed texts at every showing; Enter and Escape leave it open unless
    // OK has the focus.
    void aboutBox() {
        for (int showing = 0; showing < 2; ++showing) {
            Dialog about;
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            QCOMPARE(about.windowTitle(), QStringLiteral("About RM Controller Download Utility"));
            QStringList texts; // the values in red, their titles not
            for (const char* name : {"Label1_0", "Label1_1", "Label1_3", "Label1_2"}) {
                const QLabel* label = about.findChild<QLabel*>(QLatin1String(name));
                const bool red = label->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
                texts << label->text() + (red ? QStringLiteral(" (red)") : QString());
            }
            QCOMPARE(texts, QStringList({"Software:", "R7305    Version 1.7 (red)",
                                         "Release Date:", "2 Sept 2009 (red)"}));
            QCOMPARE(about.Logo->pixmap().size(), QSize(132, 130));
            about.Ok->clearFocus();
            QTest::keyClick(&about, Qt::Key_Return);
            QTest::keyClick(&about, Qt::Key_Escape);
            QVERIFY(about.isVisible());
            about.Ok->setFocus();
            QTest::keyClick(about.Ok, Qt::Key_Return);
            QVERIFY(!about.isVisible());
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
