// The settings file, number reading and how a COM number finds its device.

#include "ComPort.h"
#include "ControllerSim.h"
#include "IniText.h"
#include "PortDevices.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TestEnvironment.h"

#include <QtTest>

class TestPorts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

private slots:
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
