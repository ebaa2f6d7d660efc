// The serial port against the controller simulator on real pseudo-terminals, why a port did not open,
// how a COM number finds its device, and what the port dialog offers and makes of the operator's choice.

#include "ChildReport.h"
#include "ComPort.h"
#include "ControllerSim.h"
#include "PortChoices.h"
#include "PortDevices.h"
#include "PortError.h"
#include "Settings.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QSysInfo>
#include <QtTest>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What opening COM n gives: "opened", or the error's cause and reason.
QByteArray openHere(int number, const QString& settings = QStringLiteral("9600,n,8,1")) {
    ComPort port;
    try {
        port.setCommPort(number);
        port.setSettings(settings);
        port.setPortOpen(true);
    } catch (const PortError& error) {
        return QByteArray::number(int(error.cause())) + '|' + error.reason().toUtf8();
    }
    return port.PortOpen() ? "opened" : "closed";
}

QByteArray failed(PortError::Cause cause, const QString& reason) {
    return QByteArray::number(int(cause)) + '|' + reason.toUtf8();
}

PortChoices::Entry entry(int number, const QString& text, const QString& pinTo = QString()) {
    return {number, QStringLiteral("/dev/x"), text, pinTo, false};
}

} // namespace

class TestPorts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ControllerSim> m_sim;

    // A simulator linked as COM 3; its device handed to another user and mode when asked (root only).
    bool simAsCom3(SimOptions options = {}) {
        m_sim = std::make_unique<ControllerSim>(std::move(options));
        return m_sim->start() && m_sim->placeLink(m_env->settingsFolder(), 3);
    }
    // Opens COM 3 in a child process as an unprivileged user (root opens every device).
    QByteArray openAsUserInChild() {
        for (const QString& folder :
             {QString(), QStringLiteral("/korvane"), QStringLiteral("/korvane/ports")}) {
            ::chmod(QFile::encodeName(m_env->configHome() + folder).constData(), 0755);
        }
        return reportFromChild([] { return becomeUnprivileged() ? openHere(3) : "not unprivileged"; });
    }

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() {
        m_sim.reset();
        m_env.reset();
    }

    void commandsAndLineSettingsReachTheDevice() {
        QVERIFY(simAsCom3());
        ComPort port;
        port.open(3);
        port.Output("*01a02#");
        port.Output("*LOAD#");
        QTRY_COMPARE(m_sim->received(), QByteArray("*01a02#*LOAD#"));
        const SimLineSettings line = m_sim->lineSettings();
        QCOMPARE(QList<int>({line.baud, line.dataBits, int(line.parity), line.stopBits}),
                 QList<int>({9600, 8, 0, 1}));
        QVERIFY_THROWS_EXCEPTION(PortError, port.setCommPort(4)); // an open port is not renumbered
        QVERIFY_THROWS_EXCEPTION(PortError, port.open(3));
        QVERIFY(port.PortOpen());
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
        QVERIFY(simAsCom3({.records = records, .paced = paced, .lineGapMs = lineGapMs}));
        ComPort port;
        port.open(3);
        QByteArray all;
        int reads = 0;
        connect(&port, &ComPort::OnComm, this, [&] {
            all += port.Input();
            ++reads;
        });
        port.Output("*LOAD#");
        const QByteArray expected = SimReply::downloadLines(records).join();
        QTRY_COMPARE_WITH_TIMEOUT(all.size(), expected.size(), 15000);
        QCOMPARE(all, expected);
        QVERIFY(reads > 1);
    }

    void openingFails_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("settings");
        QTest::newRow("port 0") << 0 << "9600,n,8,1";
        QTest::newRow("negative") << -3 << "9600,n,8,1";
        QTest::newRow("beyond the table") << 99 << "9600,n,8,1";
        QTest::newRow("unreadable settings") << 3 << "9600,x,8,1";
    }
    void openingFails() {
        QFETCH(int, number);
        QFETCH(QString, settings);
        QVERIFY(simAsCom3());
        QVERIFY(openHere(number, settings) != "opened");
        QCOMPARE(openHere(3), QByteArray("opened"));
    }

    void hangUpClosesThePortOnce() {
        QVERIFY(simAsCom3({.records = 500, .hangUpAfterLine = 50}));
        ComPort port;
        port.open(3);
        QList<int> events;
        connect(&port, &ComPort::OnComm, this, [&] {
            events << port.CommEvent();
            port.Input();
        });
        port.Output("*LOAD#");
        QTRY_VERIFY(!port.PortOpen());
        QTest::qWait(300); // a storm would go on here
        QCOMPARE(events.size() - events.count(ComPort::Receive), 1);
        QCOMPARE(events.count(ComPort::HangUp), 1);
        QVERIFY(port.hangUpReason().contains(m_sim->devicePath()));
        QVERIFY(m_sim->reconnect());
        port.setPortOpen(true);
        QCOMPARE(port.hangUpReason(), QString()); // told once, until the next opening
    }

    void reasons_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason"); // %1: the device
        QTest::newRow("unplugged adapter")
            << "unplugged"
            << "Nothing is connected as COM 3 (%1). Check the cable or adapter, or choose another port.";
        QTest::newRow("other")
            << "/dev/null"
            << "COM 3 (/dev/null) did not open. The system says: Inappropriate ioctl for device.";
        QTest::newRow("group may use it")
            << "0660"
            << "Your user may not use COM 3 (%1): the device belongs to the group dialout, and your user is "
               "not in it. Add it with\nsudo usermod -aG dialout $USER\nthen log out and in again.";
        QTest::newRow("owner alone")
            << "0600"
            << "Your user may not use COM 3 (%1): only its owner, root, may open it. Ask "
               "the administrator for access, or choose another port.";
        QTest::newRow("held alone") << "TIOCEXCL"
                                    << "COM 3 (%1) is in use by another program, which holds it for itself "
                                       "alone. Close that program, or choose another port.";
    }
    void reasons() {
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        QDir().mkpath(m_env->settingsFolder() + QStringLiteral("ports"));
        const QString link = m_env->settingsFolder() + QStringLiteral("ports/com3");
        if (cause == u"unplugged" || cause == u"/dev/null") {
            // An adapter pinned by its stable name, unplugged (a freed pty may be handed on at once).
            const QString device =
                cause == u"/dev/null" ? cause : m_env->path(QStringLiteral("usb-FTDI-if00"));
            QVERIFY(QFile::link(device, link));
            const auto why = cause == u"/dev/null" ? PortError::Cause::Other : PortError::Cause::NoDevice;
            QCOMPARE(openHere(3), failed(why, reason.arg(device)));
            return;
        }
        if (::geteuid() != 0) {
            QSKIP("needs root to hand the device to others");
        }
        QVERIFY(simAsCom3());
        const QByteArray device = QFile::encodeName(m_sim->devicePath());
        int holder = -1;
        if (cause == u"TIOCEXCL") {
            QCOMPARE(::chmod(device.constData(), 0666), 0);
            holder = ::open(device.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
        } else {
            QCOMPARE(::chown(device.constData(), 0, 20), 0); // 20: dialout
            QCOMPARE(::chmod(device.constData(), mode_t(cause.toInt(nullptr, 8))), 0);
        }
        const QByteArray report = openAsUserInChild();
        ::close(holder);
        const auto why = holder >= 0 ? PortError::Cause::Busy : PortError::Cause::PermissionDenied;
        QCOMPARE(report, failed(why, reason.arg(m_sim->devicePath())));
    }

    void missingTableAdapterSuggestsPinning() {
        if (QFile::exists(QStringLiteral("/dev/ttyUSB1"))) {
            QSKIP("this machine has an adapter as /dev/ttyUSB1");
        }
        QVERIFY(openHere(6).endsWith(
            "\n\nCOM 6 reaches whichever adapter the system names /dev/ttyUSB1 at the moment. To keep COM 6 "
            "on "
            "one adapter in any USB socket, choose it in the port list and press OK: the program then pins "
            "COM 6 to it."));
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
        QVERIFY(simAsCom3());
        // Another program, by the name given, holds the device and its lock file.
        const QString binary = m_env->path(program);
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), binary));
        QVERIFY(QFile::setPermissions(binary, QFile::ReadOwner | QFile::ExeOwner));
        QProcess holder;
        holder.start(binary, {QStringLiteral("60")});
        QVERIFY(holder.waitForStarted());
        const qint64 pid = holder.processId();
        QFile lock(QStringLiteral("/var/lock/LCK..") + m_sim->devicePath().mid(5).replace(u'/', u'_'));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' +
                   QSysInfo::machineHostName().toUtf8() + '\n');
        lock.close();
        const QByteArray report = openHere(3);
        lock.remove();
        holder.kill();
        holder.waitForFinished();
        QCOMPARE(report,
                 failed(PortError::Cause::Busy,
                        QStringLiteral("COM 3 (%1) is in use by %2 (process %3). Close that program, or "
                                       "choose another port.")
                                .arg(m_sim->devicePath(), program)
                                .arg(pid) +
                            advice));
    }

    void comNumbersFindDevices() {
        const QStringList table = {tableDeviceFor(0),  tableDeviceFor(1),  tableDeviceFor(5),
                                   tableDeviceFor(13), tableDeviceFor(16), tableDeviceFor(17),
                                   tableDeviceFor(33)};
        QCOMPARE(table, QStringList({"", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyACM3",
                                     "/dev/ttyS4", ""}));
        QVERIFY(simAsCom3());
        QCOMPARE(devicePathFor(3), m_sim->devicePath()); // the link wins over the table
    }

    // What OK makes of the box: a chosen entry its own number and pin, typed text read from its fifth
    // character, and nothing at all when nothing was chosen or typed.
    void selection_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // 0: nothing chosen
        QTest::addColumn<QString>("pinTo");
        QTest::newRow("entry") << "COM 5  /dev/ttyUSB0 · FTDI FT232R · A1B2C3" << 5 << "/dev/serial/by-id/a";
        QTest::newRow("entry with digits in its path")
            << "COM 3  /dev/serial/by-id/usb-1a86_USB2.0-if00" << 3 << "";
        QTest::newRow("typed COM 5") << "COM 5" << 5 << "";
        QTest::newRow("typed COM 2.5") << "COM 2.5" << 2 << "";
        QTest::newRow("typed COM -3") << "COM -3" << -3 << "";
        QTest::newRow("typed COM5 reads from the fifth character") << "COM5" << 0 << "";
        QTest::newRow("lower case names no port") << "com 5" << 1 << "";
        QTest::newRow("beyond 16 bits") << "COM 70000" << 1 << "";
        QTest::newRow("nothing typed") << "  " << -1 << "";
        QTest::newRow("still inviting") << "Select Com Port" << -1 << "";
    }
    void selection() {
        QFETCH(QString, text);
        QFETCH(int, number);
        QFETCH(QString, pinTo);
        const QList<PortChoices::Entry> listed = {
            entry(5, QStringLiteral("COM 5  /dev/ttyUSB0 · FTDI FT232R · A1B2C3"), "/dev/serial/by-id/a"),
            entry(3, QStringLiteral("COM 3  /dev/serial/by-id/usb-1a86_USB2.0-if00"))};
        const auto choice = PortChoices::selection(text, listed);
        QCOMPARE(choice.has_value(), number != -1);
        if (choice) {
            QCOMPARE(*choice, (PortChoice{number, pinTo}));
        }
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
