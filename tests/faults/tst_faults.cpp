// Bad input and faults against the simulator, through the link without a window: each ends with the
// program usable and nothing lost that was already stored.

#include "LinkFixture.h"
#include "SimReply.h"

#include <QtTest>

namespace {

QList<QByteArray> framed(const QList<QByteArray>& records) {
    return SimReply::downloadLines(0).mid(0, 7) + records + QList<QByteArray>{"END OF DOWNLOAD\r\n"};
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<LinkFixture> f;

    // Downloads, then saves; the file must hold exactly what the controller sent.
    void downloadAndSave(const QByteArray& sent) {
        QVERIFY(f->download());
        QCOMPARE(f->op.texts(), QStringList{"Download Complete!"});
        const QString name = f->env.path(QStringLiteral("saved.csv"));
        f->op.saveFiles = {name};
        QCOMPARE(f->link.keep().SaveLogs(), SaveResult::Saved);
        QCOMPARE(readFileBytes(name), sent);
    }

private slots:
    void init() { f = std::make_unique<LinkFixture>(); }
    void cleanup() { f.reset(); }

    // The cable is pulled mid-download and plugged in again while the operator retries; meanwhile another
    // program takes a pseudo-terminal, most likely the one just freed, and must receive nothing.
    void hangUpThenTheDeviceComesBack() {
        QVERIFY(f->startSim({.records = 100, .hangUpAfterLine = 30}));
        const QString device = f->sim->devicePath();
        f->op.answers = {Answer::Retry, Answer::Retry, Answer::Retry, Answer::Retry};
        f->op.onPortSelection = [this]() -> std::optional<PortChoice> {
            if (f->op.portSelections == 2) { // the cable is plugged in again
                f->sim->options().hangUpAfterLine = -1;
                f->sim->reconnect();
            }
            return std::nullopt;
        };
        f->link.startDownload(DownloadEntry::Button);
        QTRY_VERIFY(!f->port.PortOpen());
        QCOMPARE(f->link.LineCount(), 30); // what arrived is kept while the watchdog waits
        ControllerSim foreign({.records = 5});
        QVERIFY(foreign.start());
        QTRY_VERIFY_WITH_TIMEOUT(!f->link.replyAwaited(), 8000);
        QCOMPARE(f->op.texts(), QStringList({"No Response from Controller.", "Coms Port not available!",
                                             "Coms Port not available!", "Download Complete!"}));
        QCOMPARE(f->link.LineCount(), 108);
        QCOMPARE(foreign.received(), QByteArray());
        QCOMPARE(f->op.questions[0].details,
                 QStringLiteral(
                     "The device went away: COM 1 (%1) hung up, as it does when the adapter is unplugged "
                     "or its cable pulled. Plug it back in, then press Retry.")
                     .arg(device));
    }

    void garbageBytesAreKeptByteForByte() {
        QByteArray noise; // every byte value; the line feed ends a line of its own
        for (int i = 0; i < 256; ++i) {
            noise += char(i);
        }
        const QList<QByteArray> lines =
            framed({QByteArray("1,\0,2\r\n", 7), noise + "\r\n", "\xff\xfe\r\n", "N\rN\r\n"});
        QVERIFY(f->startSim({.lines = lines}));
        downloadAndSave(lines.join());
    }

    void longLinesAndManyLines_data() {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("a megabyte line") << framed({QByteArray(1 << 20, 'y') + "\r\n", "2,after\r\n"});
        QTest::newRow("fifty thousand lines") << SimReply::downloadLines(50000);
    }
    void longLinesAndManyLines() {
        QFETCH(QList<QByteArray>, lines);
        QVERIFY(f->startSim({.lines = lines}));
        downloadAndSave(lines.join());
        QCOMPARE(f->link.LineCount(), lines.size());
    }

    void tenMegabytesWithoutALineEnd() {
        QVERIFY(f->startSim({.lines = QList<QByteArray>{QByteArray(10 << 20, 'x')}}));
        f->link.startDownload(DownloadEntry::Button);
        QTRY_COMPARE_WITH_TIMEOUT(f->link.RxBuffer().size(), 10 << 20, 30000);
        QCOMPARE(f->link.LineCount(), 0);
        f->link.ResponseTimer_Timer(); // no line: the operator gives up
        QCOMPARE(f->op.texts(), QStringList{"No Response from Controller."});
        QCOMPARE(f->link.RxBuffer().capacity(), 0); // the memory is given back
        QVERIFY(f->link.display().commandsEnabled());
    }

    void unusableSettingsGiveDefaultsSilently_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("binary") << "binary";
        QTest::newRow("huge") << "huge";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("folder cannot be made") << "blocked";
    }
    void unusableSettingsGiveDefaultsSilently() {
        QFETCH(QString, kind);
        if (kind == u"binary") {
            f->env.writeIni(QByteArray("\0\xff[DEFAULT]\0Comport=\x02\n\xfe", 22));
        } else if (kind == u"huge") {
            f->env.writeIni(QByteArray(4 << 20, '['));
        } else if (kind == u"folder") {
            QDir().mkpath(f->env.iniPath());
        } else {
            QFile blocker(f->env.settingsFolder().chopped(1)); // a plain file where the folder would go
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        Settings settings;
        LoadSettings(settings);
        QCOMPARE(settings.PortNumber, 1);
        QCOMPARE(settings.SavePath, QString());
        QVERIFY(f->op.questions.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
