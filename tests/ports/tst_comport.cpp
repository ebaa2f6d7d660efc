// The serial port against the controller simulator on a real pseudo-terminal.

#include "ChildReport.h"
#include "ComPort.h"
#include "ControllerSim.h"
#include "PortError.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QtTest>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray openHere(ComPort& port, int number) {
    try {
        port.setCommPort(number);
        port.setSettings(QStringLiteral("9600,n,8,1"));
        port.setPortOpen(true);
    } catch (const PortError& error) {
        return QByteArray::number(int(error.cause())) + '|' + error.reason().toUtf8();
    }
    return "opened";
}

// Opens COM n in a child process that runs as an unprivileged user (root opens every device, and is let
// past a port held for one program alone); returns what the opening gave: its cause and reason.
QByteArray openAsUserInChild(int number) {
    return reportFromChild([number]() -> QByteArray {
        if (!becomeUnprivileged()) {
            return "not unprivileged";
        }
        ComPort port;
        return openHere(port, number);
    });
}

QByteArray failed(PortError::Cause cause, const QString& reason) {
    return QByteArray::number(int(cause)) + '|' + reason.toUtf8();
}

} // namespace

class TestComPort : public QObject {
    Q_OBJECT

private:
    // The test's settings folder, readable by the unprivileged user that opens ports in a child.
    static void letEveryoneRead(const QString& configHome) {
        for (const QString& folder : {configHome, configHome + QStringLiteral("/korvane"),
                                      configHome + QStringLiteral("/korvane/ports")}) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        }
    }

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
        QCOMPARE(port.hangUpReason(),
                 QStringLiteral("The device went away: COM 3 (%1) hung up, as it does when the adapter is "
                                "unplugged or its cable pulled. Plug it back in, then press Retry.")
                     .arg(sim.devicePath()));
        QVERIFY(sim.reconnect());
        port.setPortOpen(true);
        QCOMPARE(port.hangUpReason(), QString()); // told once, until the next opening
    }

    void missingDeviceIsNamed() {
        // An adapter pinned by its stable name, unplugged. (A pseudo-terminal's name, once freed, may be
        // given to another program's terminal at any moment.)
        const QString gone = m_env->path(QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"));
        QDir().mkpath(m_env->settingsFolder() + QStringLiteral("ports"));
        QVERIFY(QFile::link(gone, m_env->settingsFolder() + QStringLiteral("ports/com3")));
        ComPort port;
        QCOMPARE(openHere(port, 3),
                 failed(PortError::Cause::NoDevice,
                        QStringLiteral("Nothing is connected as COM 3 (%1). Check the cable or adapter, or "
                                       "choose another port.")
                            .arg(gone)));
    }

    void missingTableAdapterSuggestsPinning() {
        if (QFile::exists(QStringLiteral("/dev/ttyUSB1"))) {
            QSKIP("this machine has an adapter as /dev/ttyUSB1");
        }
        ComPort port;
        QCOMPARE(
            openHere(port, 6),
            failed(PortError::Cause::NoDevice,
                   QStringLiteral("Nothing is connected as COM 6 (/dev/ttyUSB1). Check the cable or "
                                  "adapter, or choose another port.\n\nCOM 6 reaches whichever adapter the "
                                  "system names /dev/ttyUSB1 at the moment. To keep COM 6 on one adapter "
                                  "in any USB socket, choose it in the port list and press OK: the program "
                                  "then pins COM 6 to it.")));
    }

    void deniedDeviceNamesTheFix_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("group may use it")
            << 0660
            << "Your user may not use COM 3 (%1): the device belongs to the group dialout, and your user is "
               "not in it. Add it with\nsudo usermod -aG dialout $USER\nthen log out and in again.";
        QTest::newRow("owner alone")
            << 0600
            << "Your user may not use COM 3 (%1): only its owner, root, may open it. Ask the administrator "
               "for access, or choose another port.";
    }
    void deniedDeviceNamesTheFix() {
        QFETCH(int, mode);
        QFETCH(QString, expected);
        if (::geteuid() != 0) {
            QSKIP("needs root to hand the device to root and the dialout group");
        }
        ControllerSim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 3));
        letEveryoneRead(m_env->configHome());
        const QByteArray device = QFile::encodeName(sim.devicePath());
        QCOMPARE(::chown(device.constData(), 0, 20), 0); // 20: dialout
        QCOMPARE(::chmod(device.constData(), mode_t(mode)), 0);
        QCOMPARE(openAsUserInChild(3),
                 failed(PortError::Cause::PermissionDenied, expected.arg(sim.devicePath())));
    }

    void portHeldForOneProgramAlone() {
        if (::geteuid() != 0) {
            QSKIP("needs root to run the opener as another user");
        }
        ControllerSim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 3));
        letEveryoneRead(m_env->configHome());
        const QByteArray device = QFile::encodeName(sim.devicePath());
        QCOMPARE(::chmod(device.constData(), 0666), 0);
        const int holder = ::open(device.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(holder >= 0);
        QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
        const QByteArray report = openAsUserInChild(3);
        ::close(holder);
        QCOMPARE(report, failed(PortError::Cause::Busy,
                                QStringLiteral("COM 3 (%1) is in use by another program, which holds it for "
                                               "itself alone. Close that program, or choose another port.")
                                    .arg(sim.devicePath())));
    }

    void lockFileNamesTheProgram_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("advice");
        QTest::newRow("a terminal program") << "sleep"
                                            << "";
        QTest::newRow("brltty")
            << "brltty"
            << "\n\nbrltty is running: it takes CH340 and CP210x adapters for braille "
               "displays. Without a braille display, remove it with\nsudo apt remove brltty";
        QTest::newRow("ModemManager")
            << "ModemManager"
            << "\n\nModemManager is running: it tries every new serial device as a modem for a while after "
               "it "
               "appears. Wait half a minute and try again, or stop it with\nsudo systemctl stop ModemManager";
    }
    void lockFileNamesTheProgram() {
        QFETCH(QString, program);
        QFETCH(QString, advice);
        if (!QFileInfo(QStringLiteral("/var/lock")).isWritable()) {
            QSKIP("/var/lock is not writable here");
        }
        ControllerSim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 3));
        // Another program, by the name given, holds the device and its lock file.
        const QString binary = m_env->path(program);
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), binary));
        QVERIFY(QFile::setPermissions(binary, QFile::ReadOwner | QFile::ExeOwner));
        QProcess holder;
        holder.start(binary, {QStringLiteral("60")});
        QVERIFY(holder.waitForStarted());
        const qint64 pid = holder.processId();
        const QString lock = QStringLiteral("/var/lock/LCK..") +
                             sim.devicePath().mid(5).replace(QLatin1Char('/'), QLatin1Char('_'));
        QFile lockFile(lock);
        QVERIFY(lockFile.open(QIODevice::WriteOnly));
        lockFile.write(QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' +
                       QSysInfo::machineHostName().toUtf8() + '\n');
        lockFile.close();
        ComPort port;
        const QByteArray report = openHere(port, 3);
        QFile::remove(lock);
        holder.kill();
        holder.waitForFinished();
        QCOMPARE(report,
                 failed(PortError::Cause::Busy,
                        QStringLiteral("COM 3 (%1) is in use by %2 (process %3). Close that program, or "
                                       "choose another port.")
                                .arg(sim.devicePath(), program)
                                .arg(pid) +
                            advice));
    }

    void otherFailuresGiveTheSystemsWords() {
        QDir().mkpath(m_env->settingsFolder() + QStringLiteral("ports"));
        QVERIFY(
            QFile::link(QStringLiteral("/dev/null"), m_env->settingsFolder() + QStringLiteral("ports/com3")));
        ComPort port;
        QCOMPARE(openHere(port, 3),
                 failed(PortError::Cause::Other, QStringLiteral("COM 3 (/dev/null) did not open. The system "
                                                                "says: Inappropriate ioctl for device.")));
    }
};

QTEST_GUILESS_MAIN(TestComPort)
#include "tst_comport.moc"
