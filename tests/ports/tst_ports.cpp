// The settings file, number reading and how a COM number finds its device.

#include "ComPort.h"
#include "ControllerSim.h"
#include "IniText.h"
#include "PortDevices.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TestEnvironment.h"

#include <QtTest>
#include <atomic>
#include <clocale>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class TestPorts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    // Run under a comma locale too (see tests/CMakeLists.txt): the numbers read the same.
    void initTestCase() {
        if (qEnvironmentVariableIsSet("RM7_EXPECT_COMMA_LOCALE")) {
            QCOMPARE(QString::fromLatin1(std::localeconv()->decimal_point), QStringLiteral(","));
        }
    }
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void storedPortNumber_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<int>("defaulted");
        QTest::newRow("as the dialog writes it") << QByteArray(" 3") << 3 << 0;
        QTest::newRow("32") << QByteArray("32") << 32 << 0;
        QTest::newRow("5x") << QByteArray("5x") << 5 << 0;
        QTest::newRow("2.5 to even") << QByteArray("2.5") << 2 << 0;
        QTest::newRow("3.5 to even") << QByteArray("3.5") << 4 << 0;
        QTest::newRow("1.4") << QByteArray("1.4") << 1 << 0;
        QTest::newRow("32.4") << QByteArray("32.4") << 32 << 0;
        QTest::newRow("32.6") << QByteArray("32.6") << 1 << 1;
        QTest::newRow("0.9") << QByteArray("0.9") << 1 << 1;
        QTest::newRow("33") << QByteArray("33") << 1 << 1;
        QTest::newRow("0") << QByteArray("0") << 1 << 1;
        QTest::newRow("-1") << QByteArray("-1") << 1 << 1;
        QTest::newRow("abc") << QByteArray("abc") << 1 << 1;
        QTest::newRow("empty") << QByteArray("") << 1 << 1;
    }
    void storedPortNumber() {
        QFETCH(QByteArray, stored);
        QFETCH(int, portNumber);
        QFETCH(int, defaulted);
        const QByteArray file = "; site settings\n[DEFAULT]\nComport=" + stored + "\npath=/data/logs/\n";
        m_env->writeIni(file);
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, portNumber);
        QCOMPARE(settings.PortDefaulted, defaulted);
        QCOMPARE(settings.SavePath, QStringLiteral("/data/logs/"));
        const QByteArray expected =
            defaulted ? "; site settings\n[DEFAULT]\nComport=1\npath=/data/logs/\n" : file;
        QCOMPARE(m_env->readIni(), expected);
    }

    void firstStartWritesTheDefault() {
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, 1);
        QCOMPARE(settings.PortDefaulted, 1);
        QCOMPARE(settings.SavePath, QString());
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport=1\n"));
    }

    // A file some Windows editor saved with a byte order mark keeps its section, its port and its folder.
    void byteOrderMarkIsReadPast() {
        m_env->writeIni("\xEF\xBB\xBF[DEFAULT]\r\nComport= 3\r\npath=/data/\r\n");
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, 3);
        QCOMPARE(settings.PortDefaulted, 0);
        QCOMPARE(settings.SavePath, QStringLiteral("/data/"));
    }

    // A FIFO where the settings file should be would block a reader until someone writes to it: it is
    // treated as unreadable, and start-up goes on with the defaults.
    void settingsPathThatIsNoFileDoesNotBlock() {
        QDir().mkpath(m_env->settingsFolder());
        QVERIFY(::mkfifo(QFile::encodeName(m_env->iniPath()).constData(), 0600) == 0);
        std::atomic<bool> unblocked = false;
        std::atomic<bool> done = false;
        std::thread unblocker([&] {
            // A reader still blocked on the FIFO after 3 s is set free, so a failing test ends.
            for (int i = 0; i < 30 && !done; ++i) {
                QThread::msleep(100);
            }
            // Every reader that blocks on the FIFO from then on is set free too, until the test is through.
            while (!done) {
                unblocked = true;
                const int fd = ::open(QFile::encodeName(m_env->iniPath()).constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                }
                QThread::msleep(20);
            }
        });
        Settings settings;
        LoadSettings(settings);
        done = true;
        const bool blocked = unblocked;
        unblocker.join();
        QVERIFY(!blocked);
        QCOMPARE(settings.PortNumber, 1);
        QVERIFY(QFileInfo(m_env->iniPath()).isFile() == false); // not replaced by a file either
    }

    void longValuesAreReadWhole() {
        const QString folder =
            QStringLiteral("/media/usb/") + QString(120, QLatin1Char('d')) + QLatin1Char('/');
        WriteSetting(QStringLiteral("DEFAULT"), QStringLiteral("path"), folder);
        QCOMPARE(ReadSetting(QStringLiteral("default"), QStringLiteral("PATH")), folder);
    }

    void iniText_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replaced in place, case aside")
            << QByteArray("[Other]\r\npath=x\r\n[default]\r\n; note\r\nPATH = /old/\r\nComport= 2\r\n")
            << QByteArray("[Other]\r\npath=x\r\n[default]\r\n; note\r\npath=/new/\r\nComport= 2\r\n");
        QTest::newRow("key added to its section")
            << QByteArray("[DEFAULT]\nComport=1\n\n[Other]\nk=v\n")
            << QByteArray("[DEFAULT]\nComport=1\npath=/new/\n\n[Other]\nk=v\n");
        QTest::newRow("section added")
            << QByteArray("[Other]\nk=v") << QByteArray("[Other]\nk=v\n[DEFAULT]\npath=/new/\n");
        QTest::newRow("empty file") << QByteArray() << QByteArray("[DEFAULT]\npath=/new/\n");
        QTest::newRow("byte order mark kept")
            << QByteArray("\xEF\xBB\xBF[DEFAULT]\r\nComport=3\r\n")
            << QByteArray("\xEF\xBB\xBF[DEFAULT]\r\nComport=3\r\npath=/new/\r\n");
        QTest::newRow("byte order mark alone")
            << QByteArray("\xEF\xBB\xBF") << QByteArray("\xEF\xBB\xBF[DEFAULT]\npath=/new/\n");
    }
    void iniText() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(IniText::withValue(before, "DEFAULT", "path", "/new/"), after);
        QCOMPARE(IniText::value(after, "Default", "Path"), QByteArray("/new/"));
    }

    void comNumbersFindDevices() {
        QCOMPARE(tableDeviceFor(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(tableDeviceFor(5), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(tableDeviceFor(13), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(tableDeviceFor(16), QStringLiteral("/dev/ttyACM3"));
        QCOMPARE(tableDeviceFor(17), QStringLiteral("/dev/ttyS4"));
        QCOMPARE(tableDeviceFor(0), QString());
        QCOMPARE(tableDeviceFor(33), QString());
        ControllerSim sim;
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 5));
        QCOMPARE(devicePathFor(5), sim.devicePath()); // the link wins over the table
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
