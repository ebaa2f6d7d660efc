// The serial port against the controller simulator on a real pseudo-terminal.

#include "ComPort.h"
#include "ControllerSim.h"
#include "PortError.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

class TestComPort : public QObject {
    Q_OBJECT

private:
    // Opens a ComPort on COM 3 linked to a fresh simulator.
    void openOnSim(ControllerSim& sim, ComPort& port) {
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 3));
        port.setCommPort(3);
        port.setSettings(QStringLiteral("9600,n,8,1"));
        port.setPortOpen(true);
        QVERIFY(port.PortOpen());
    }

    void receiveAll(ComPort& port, qsizetype expected, QByteArray& all, int* reads) {
        *reads = 0;
        connect(&port, &ComPort::OnComm, this, [&] {
            if (port.CommEvent() == ComPort::Receive) {
                all += port.Input();
                ++*reads;
            }
        });
        QTRY_COMPARE_WITH_TIMEOUT(all.size(), expected, 15000);
        port.disconnect(this);
    }

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void commandArrivesUnchanged() {
        ControllerSim sim(SimOptions{.records = 0});
        ComPort port;
        openOnSim(sim, port);
        port.Output("*01a02#");
        QTRY_COMPARE(sim.received(), QByteArray("*01a02#"));
        port.Output("*LOAD#");
        QTRY_COMPARE(sim.received(), QByteArray("*01a02#*LOAD#"));
    }

    void lineSettingsAre9600_8N1() {
        ControllerSim sim;
        ComPort port;
        openOnSim(sim, port);
        const SimLineSettings line = sim.lineSettings();
        QCOMPARE(line.baud, 9600);
        QCOMPARE(line.dataBits, 8);
        QCOMPARE(line.parity, false);
        QCOMPARE(line.stopBits, 1);
    }

    void downloadArrivesByteForByte_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("paced");
        QTest::addColumn<int>("lineGapMs");
        QTest::newRow("as fast as possible") << 2000 << false << 0;
        QTest::newRow("a read per line") << 30 << false << 3;
        QTest::newRow("at 9600 baud") << 3 << true << 0;
    }
    void downloadArrivesByteForByte() {
        QFETCH(int, records);
        QFETCH(bool, paced);
        QFETCH(int, lineGapMs);
        ControllerSim sim(SimOptions{.records = records, .paced = paced, .lineGapMs = lineGapMs});
        ComPort port;
        openOnSim(sim, port);
        const QByteArray expected = SimReply::downloadLines(records).join();
        port.Output("*LOAD#");
        int reads = 0;
        QByteArray all;
        receiveAll(port, expected.size(), all, &reads);
        QCOMPARE(all, expected);
        QVERIFY(reads > 1);
    }

    void openingFailsWithPortError_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("settings");
        QTest::newRow("port 0") << 0 << "9600,n,8,1";
        QTest::newRow("negative") << -3 << "9600,n,8,1";
        QTest::newRow("no device") << 12 << "9600,n,8,1";
        QTest::newRow("beyond the table") << 99 << "9600,n,8,1";
        QTest::newRow("unreadable settings") << 3 << "9600,x,8,1";
    }
    void openingFailsWithPortError() {
        QFETCH(int, number);
        QFETCH(QString, settings);
        ControllerSim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 3));
        ComPort port;
        QVERIFY_THROWS_EXCEPTION(PortError, {
            port.setCommPort(number);
            port.setSettings(settings);
            port.setPortOpen(true);
        });
        QVERIFY(!port.PortOpen());
    }

    void renumberingAnOpenPortFails() {
        ControllerSim sim;
        ComPort port;
        openOnSim(sim, port);
        QVERIFY_THROWS_EXCEPTION(PortError, port.setCommPort(4));
        QVERIFY_THROWS_EXCEPTION(PortError, port.setPortOpen(true));
        QCOMPARE(port.CommPort(), 3);
        QVERIFY(port.PortOpen());
    }

    void hangUpClosesThePortOnce() {
        ControllerSim sim(SimOptions{.records = 500, .hangUpAfterLine = 50});
        ComPort port;
        openOnSim(sim, port);
        QList<int> events;
        connect(&port, &ComPort::OnComm, this, [&] {
            events << port.CommEvent();
            port.Input();
        });
        port.Output("*LOAD#");
        QTRY_VERIFY(!port.PortOpen());
        QTest::qWait(300); // a storm would go on here
        QCOMPARE(events.count(ComPort::HangUp), 1);
        QCOMPARE(events.size() - events.count(ComPort::Receive), 1);
        QVERIFY(!port.PortOpen());
    }
};

QTEST_GUILESS_MAIN(TestComPort)
#include "tst_comport.moc"
