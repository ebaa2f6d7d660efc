// Bad input and faults against the simulator: each ends with the program usable and nothing lost that
// was already stored.

#include "ComPort.h"
#include "CpuTime.h"
#include "ResponseWatchdog.h"
#include "SimReply.h"
#include "WindowFixture.h"

#include <QAction>
#include <QFile>
#include <QToolButton>
#include <QtTest>

namespace {

QList<QByteArray> framed(const QList<QByteArray>& records) {
    QList<QByteArray> lines = SimReply::downloadLines(0).mid(0, 7);
    lines << records << "END OF DOWNLOAD\r\n";
    return lines;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> w;

    // The simulator as COM 1 and the window, not shown: nothing here is about pixels.
    bool start(SimOptions options) {
        if (!w->startSim(std::move(options))) {
            return false;
        }
        w->form = std::make_unique<MainForm>(w->op, w->port, w->settings);
        return true;
    }

    // Downloads, then saves; the file must hold exactly what the controller sent.
    void downloadAndSave(const QByteArray& sent) {
        w->form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(w->form->LoadButton->isEnabled(), 60000);
        QCOMPARE(w->op.texts(), QStringList{"Download Complete!"});
        const QString name = w->env.path(QStringLiteral("saved.csv"));
        w->op.saveFiles = {name};
        w->form->SaveButton->click();
        QCOMPARE(w->link().state.LogsSaved, 1);
        QCOMPARE(readFileBytes(name), sent);
    }

private slots:
    void init() { w = std::make_unique<WindowFixture>(); }
    void cleanup() { w.reset(); }

    void hangUpThenTheDeviceComesBack() {
        QVERIFY(start({.records = 100, .hangUpAfterLine = 30}));
        int hangUps = 0;
        connect(&w->form->comPort(), &ComPort::OnComm, this,
                [&] { hangUps += w->form->comPort().CommEvent() == ComPort::HangUp ? 1 : 0; });
        w->op.answers = {Answer::Retry, Answer::Retry, Answer::Retry, Answer::Retry};
        w->op.onPortSelection = [&] {
            if (w->op.portSelections == 2) { // the cable is plugged in again
                w->sim->options().hangUpAfterLine = -1;
                QVERIFY(w->sim->reconnect());
            }
        };
        w->form->LoadButton->click();
        QTRY_VERIFY(!w->form->comPort().PortOpen());
        QCOMPARE(w->link().state.LineCount(), 30); // what arrived is kept while the watchdog waits
        // Another program takes a pty now, most likely the number just freed: the Retries must not find
        // its device where the pulled adapter was.
        ControllerSim foreign({.records = 5});
        QVERIFY(foreign.start());

        const double cpuBefore = cpuSeconds();
        QTest::qWait(1500);
        QVERIFY2(cpuSeconds() - cpuBefore < 0.5, "the program must idle while the watchdog waits");
        QCOMPARE(hangUps, 1);

        QTRY_VERIFY_WITH_TIMEOUT(w->form->LoadButton->isEnabled(), 8000);
        QCOMPARE(w->op.texts(), QStringList({"No Response from Controller.", "Coms Port not available!",
                                             "Coms Port not available!", "Download Complete!"}));
        QCOMPARE(w->link().state.LineCount(), 108);
        QCOMPARE(hangUps, 1);
        QCOMPARE(foreign.received(), QByteArray());
    }

    void garbageBytesAreKeptByteForByte() {
        QByteArray noise; // every byte value; the line feed ends a line of its own
        for (int i = 0; i < 256; ++i) {
            noise += char(i);
        }
        const QList<QByteArray> lines =
            framed({QByteArray("1,\0,2\r\n", 7), noise + "\r\n", "\xff\xfe\r\n", "N\rN\r\n"});
        QVERIFY(start({.lines = lines}));
        downloadAndSave(lines.join());
    }

    void tenMegabytesWithoutALineEnd() {
        QVERIFY(start({.lines = QList<QByteArray>{QByteArray(10 << 20, 'x')}}));
        w->form->LoadButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(w->link().state.RxBuffer.size(), 10 << 20, 30000);
        QCOMPARE(w->link().state.LineCount(), 0);
        watchdogTick(w->link()); // two ticks and no line: the operator gives up
        QCOMPARE(w->op.texts(), QStringList{"No Response from Controller."});
        QCOMPARE(w->link().state.RxBuffer.capacity(), 0); // the memory is given back
        QVERIFY(w->form->LoadButton->isEnabled());
    }

    void oneMegabyteLine() {
        const QByteArray line = QByteArray(1 << 20, 'y') + "\r\n";
        const QList<QByteArray> lines = framed({line, "2,after\r\n"});
        QVERIFY(start({.lines = lines}));
        downloadAndSave(lines.join());
        QCOMPARE(w->link().state.LogLines.line(8), line);
    }

    void fiftyThousandLines() {
        QVERIFY(start({.records = 50000}));
        downloadAndSave(SimReply::downloadLines(50000).join());
        QCOMPARE(w->link().state.LineCount(), 50008);
    }

    void unusableSettingsGiveDefaultsSilently_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("binary") << "binary";
        QTest::newRow("huge") << "huge";
        QTest::newRow("unreadable") << "unreadable";
        QTest::newRow("folder not writable") << "folder not writable";
    }
    void unusableSettingsGiveDefaultsSilently() {
        QFETCH(QString, kind);
        QFile::remove(w->env.iniPath());
        if (kind == u"binary") {
            w->env.writeIni(QByteArray("\0\xff[DEFAULT]\0Comport=\x02\n\xfe", 22));
        } else if (kind == u"huge") {
            w->env.writeIni(QByteArray(4 << 20, '['));
        } else if (kind == u"unreadable") {
            QDir().mkpath(w->env.iniPath()); // a folder where the file should be
        } else {
            // The settings folder cannot be made: a plain file stands where it would go.
            QFile blocker(w->env.settingsFolder().chopped(1));
            QDir(w->env.settingsFolder()).removeRecursively();
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        w->form = std::make_unique<MainForm>(w->op, w->port, w->settings);
        QCOMPARE(w->form->settings().PortNumber, 1);
        QCOMPARE(w->form->settings().SavePath, QString());
        QVERIFY(w->op.questions.isEmpty());
        QVERIFY(w->form->LoadButton->isEnabled());
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
