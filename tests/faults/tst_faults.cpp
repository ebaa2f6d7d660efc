// Bad input and faults against the simulator: each ends with the program usable and nothing lost that
// was already stored.

#include "ComPort.h"
#include "ControllerSim.h"
#include "MainForm.h"
#include "ResponseWatchdog.h"
#include "ScriptedOperator.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QFile>
#include <QToolButton>
#include <QtTest>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QList<QByteArray> framed(const QList<QByteArray>& records) {
    QList<QByteArray> lines = SimReply::downloadLines(0).mid(0, 7);
    lines << records << "END OF DOWNLOAD\r\n";
    return lines;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedOperator> m_op;
    std::unique_ptr<ControllerSim> m_sim;
    std::unique_ptr<MainForm> m_form;

    void start(SimOptions options) {
        m_sim = std::make_unique<ControllerSim>(std::move(options));
        QVERIFY(m_sim->start());
        QVERIFY(m_sim->placeLink(m_env->settingsFolder(), 1));
        m_form = std::make_unique<MainForm>(*m_op);
    }
    Link& link() { return m_form->link(); }

    // Downloads, then saves; the file must hold exactly what the controller sent.
    void downloadAndSave(const QByteArray& sent) {
        m_form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->LoadButton->isEnabled(), 60000);
        QCOMPARE(m_op->texts(), QStringList{"Download Complete!"});
        const QString name = m_env->path(QStringLiteral("saved.csv"));
        m_op->saveFiles = {name};
        m_form->SaveButton->click();
        QCOMPARE(link().state.LogsSaved, 1);
        QCOMPARE(readFileBytes(name), sent);
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_env->writeIni("[DEFAULT]\nComport= 1\n");
        m_op = std::make_unique<ScriptedOperator>();
    }
    void cleanup() {
        m_form.reset();
        m_sim.reset();
        m_op.reset();
        m_env.reset();
    }

    void hangUpThenTheDeviceComesBack() {
        start({.records = 100, .hangUpAfterLine = 30});
        int hangUps = 0;
        connect(&m_form->comPort(), &ComPort::OnComm, this,
                [&] { hangUps += m_form->comPort().CommEvent() == ComPort::HangUp ? 1 : 0; });
        m_op->answers = {Answer::Retry, Answer::Retry, Answer::Retry, Answer::Retry};
        m_op->onPortSelection = [&] {
            if (m_op->portSelections == 2) { // the cable is plugged in again
                m_sim->options().hangUpAfterLine = -1;
                QVERIFY(m_sim->reconnect());
            }
        };
        m_form->LoadButton->click();
        QTRY_VERIFY(!m_form->comPort().PortOpen());
        QCOMPARE(link().state.LineCount(), 30); // what arrived is kept while the watchdog waits

        const double cpuBefore = cpuSeconds();
        QTest::qWait(1500);
        QVERIFY2(cpuSeconds() - cpuBefore < 0.5, "the program must idle while the watchdog waits");
        QCOMPARE(hangUps, 1);

        QTRY_VERIFY_WITH_TIMEOUT(m_form->LoadButton->isEnabled(), 8000);
        QCOMPARE(m_op->texts(), QStringList({"No Response from Controller.", "Coms Port not available!",
                                             "Coms Port not available!", "Download Complete!"}));
        QCOMPARE(link().state.LineCount(), 108);
        QCOMPARE(hangUps, 1);
    }

    void garbageBytesAreKeptByteForByte() {
        QByteArray noise;
        for (int i = 0; i < 256; ++i) {
            noise += char(i == '\n' ? 0 : i);
        }
        const QList<QByteArray> lines =
            framed({"1,\0,2\r\n" + QByteArray(1, '\0') + "\r\n", noise + "\r\n", "\xff\xfe\r\n", "N\rN\r\n"});
        start({.lines = lines});
        downloadAndSave(lines.join());
    }

    void tenMegabytesWithoutALineEnd() {
        start({.lines = QList<QByteArray>{QByteArray(10 << 20, 'x')}});
        m_form->LoadButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(link().state.RxBuffer.size(), 10 << 20, 30000);
        QCOMPARE(link().state.LineCount(), 0);
        watchdogTick(link()); // two ticks and no line: the operator gives up
        QCOMPARE(m_op->texts(), QStringList{"No Response from Controller."});
        QCOMPARE(link().state.RxBuffer.capacity(), 0); // the memory is given back
        QVERIFY(m_form->LoadButton->isEnabled());
    }

    void oneMegabyteLine() {
        const QByteArray line = QByteArray(1 << 20, 'y') + "\r\n";
        const QList<QByteArray> lines = framed({line, "2,after\r\n"});
        start({.lines = lines});
        downloadAndSave(lines.join());
        QCOMPARE(link().state.LogLines.line(8), line);
    }

    void fiftyThousandLines() {
        start({.records = 50000});
        downloadAndSave(SimReply::downloadLines(50000).join());
        QCOMPARE(link().state.LineCount(), 50008);
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
        QFile::remove(m_env->iniPath());
        if (kind == u"binary") {
            m_env->writeIni(QByteArray("\0\xff[DEFAULT]\0Comport=\x02\n\xfe", 22));
        } else if (kind == u"huge") {
            m_env->writeIni(QByteArray(4 << 20, '['));
        } else if (kind == u"unreadable") {
            QDir().mkpath(m_env->iniPath()); // a folder where the file should be
        } else {
            // The settings folder cannot be made: a plain file stands where it would go.
            QFile blocker(m_env->settingsFolder().chopped(1));
            QDir(m_env->settingsFolder()).removeRecursively();
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        m_form = std::make_unique<MainForm>(*m_op);
        QCOMPARE(m_form->settings().PortNumber, 1);
        QCOMPARE(m_form->settings().SavePath, QString());
        QVERIFY(m_op->questions.isEmpty());
        QVERIFY(m_form->LoadButton->isEnabled());
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
