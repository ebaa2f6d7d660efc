// What every layer shares: the settings file and its INI text, the line store and the throttle.

#include "ChildReport.h"
#include "IniText.h"
#include "LineStore.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TestEnvironment.h"
#include "Throttle.h"

#include <QtTest>
#include <clocale>
#include <sys/stat.h>
#include <unistd.h>

class TestCore : public QObject {
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
        QTest::addColumn<int>("portNumber"); // 0: the default 1 is written back
        const QList<std::pair<const char*, int>> rows = {
            {" 3", 3},   {"32", 32}, {"5x", 5}, {"2.5", 2}, {"3.5", 4}, {"1.4", 1}, {"32.4", 32},
            {"32.6", 0}, {"0.9", 0}, {"33", 0}, {"0", 0},   {"-1", 0},  {"abc", 0}, {"", 0}};
        for (const auto& [stored, port] : rows) {
            QTest::newRow(stored) << QByteArray(stored) << port;
        }
    }
    void storedPortNumber() {
        QFETCH(QByteArray, stored);
        QFETCH(int, portNumber);
        const QByteArray file = "; site settings\n[DEFAULT]\nComport=" + stored + "\npath=/data/logs/\n";
        m_env->writeIni(file);
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, std::max(portNumber, 1));
        QCOMPARE(settings.PortDefaulted, portNumber == 0 ? 1 : 0);
        QCOMPARE(settings.SavePath, QStringLiteral("/data/logs/"));
        QCOMPARE(m_env->readIni(),
                 portNumber == 0 ? "; site settings\n[DEFAULT]\nComport=1\npath=/data/logs/\n" : file);
    }

    void firstStartWritesTheDefault() {
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, 1);
        QCOMPARE(settings.PortDefaulted, 1);
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\nComport=1\n"));
    }

    // A file some Windows editor saved with a byte order mark keeps its section, its port and its folder.
    void byteOrderMarkIsReadPast() {
        m_env->writeIni("\xEF\xBB\xBF[DEFAULT]\r\nComport= 3\r\npath=/data/\r\n");
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, 3);
        QCOMPARE(settings.SavePath, QStringLiteral("/data/"));
    }

    // A FIFO where the settings file should be would block a reader for good: it is treated as unreadable
    // and start-up goes on with the defaults (in a child that an alarm ends should it block).
    void settingsPathThatIsNoFileDoesNotBlock() {
        QDir().mkpath(m_env->settingsFolder());
        QVERIFY(::mkfifo(QFile::encodeName(m_env->iniPath()).constData(), 0600) == 0);
        const QByteArray port = reportFromChild([] {
            ::alarm(5);
            Settings settings;
            LoadSettings(settings);
            return QByteArray::number(settings.PortNumber);
        });
        QCOMPARE(port, QByteArray("1"));
        QVERIFY(!QFileInfo(m_env->iniPath()).isFile()); // not replaced by a file either
    }

    void longValuesAreReadWhole() {
        const QString folder = QStringLiteral("/media/usb/") + QString(120, QLatin1Char('d')) + u'/';
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

    // What a save takes from the store stays as it was while lines arrive and after a clear; a snapshot of
    // first lines grows on its own.
    void storeSnapshotsOutliveChanges() {
        LineStore store;
        QByteArray all;
        for (int k = 1; k <= 5000; ++k) {
            const QByteArray line = "line " + QByteArray::number(k) + "\r\n";
            store.append(line);
            all += line;
        }
        const LineStore whole = store.firstLines(store.count());
        LineStore first = store.firstLines(2);
        store.append("more\r\n");
        first.append("other\r\n");
        QCOMPARE(store.lines(1, 5001).toByteArray(), all + "more\r\n");
        QCOMPARE(first.lines(1, 3).toByteArray(), QByteArray("line 1\r\nline 2\r\nother\r\n"));
        store.clear();
        QCOMPARE(store.count(), 0);
        QCOMPARE(store.capacityBytes(), 0); // cleared means given back
        QCOMPARE(whole.count(), 5000);
        QCOMPARE(whole.lines(1, 5000).toByteArray(), all);
        QCOMPARE(whole.line(5001).size(), 0);
    }

    // A long download of short lines costs at most 16 bytes a line beyond the lines' bytes.
    void storeCostsLittleMoreThanItsBytes() {
        LineStore store;
        for (int k = 1; k <= 200'000; ++k) {
            store.append("01/11/2026,08:00," + QByteArray::number(k) + "\r\n");
        }
        QVERIFY(store.capacityBytes() <= store.byteCount() + 16 * qsizetype(store.count()));
    }

    void storeFromText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("no whole line") << QByteArray("garbage without an end") << 0;
        QTest::newRow("cut off mid-line") << QByteArray("a,1\r\nb,2\r\nc,") << 2;
        QTest::newRow("binary lines") << QByteArray("\0\xff\n\x80\n", 5) << 2;
    }
    void storeFromText() {
        QFETCH(QByteArray, text);
        QFETCH(int, count);
        const LineStore store = LineStore::fromText(text);
        QCOMPARE(store.count(), count);
        QCOMPARE(store.lines(1, count).toByteArray(), text.left(text.lastIndexOf('\n') + 1));
        QCOMPARE(store.line(count).endsWith('\n'), count > 0);
    }

    // Requests within the interval are gathered into one run at its end; runNow runs at once.
    void throttleGathersRequests() {
        int runs = 0;
        Throttle throttle(60'000, [&runs] { ++runs; });
        for (int i = 0; i < 100; ++i) {
            throttle.request();
        }
        QCOMPARE(runs, 1);
        QVERIFY(throttle.pending());
        throttle.runNow();
        QCOMPARE(runs, 2);
        QVERIFY(!throttle.pending());
        Throttle quick(1, [&runs] { ++runs; });
        quick.request();
        quick.request();
        QTRY_COMPARE(runs, 4); // the gathered request is not lost
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
