// 200 downloads of 500 records in one process, each saved: memory stays where it was after the tenth.

#include "ControllerSim.h"
#include "MainForm.h"
#include "ScriptedOperator.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QToolButton>
#include <QtTest>

namespace {

// Resident memory in KiB, as the kernel counts it.
long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void manyDownloadsKeepMemoryFlat() {
        TestEnvironment env;
        env.writeIni("[DEFAULT]\nComport= 1\n");
        ControllerSim sim(SimOptions{.records = 500});
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(env.settingsFolder(), 1));
        ScriptedOperator op;
        MainForm form(op);
        const QByteArray expected = SimReply::downloadLines(500).join();
        const QString name = env.path(QStringLiteral("soak.csv"));
        long afterTenth = 0;
        for (int run = 1; run <= 200; ++run) {
            form.LoadButton->click();
            QTRY_VERIFY_WITH_TIMEOUT(form.LoadButton->isEnabled(), 20000);
            op.saveFiles = {name};
            form.SaveButton->click();
            QCOMPARE(form.link().state.LogsSaved, 1);
            if (run == 10) {
                afterTenth = residentKiB();
            }
        }
        const long afterLast = residentKiB();
        QCOMPARE(readFileBytes(name), expected);
        QCOMPARE(op.questions.size(), 200); // "Download Complete!" each time, nothing else
        qInfo("resident memory: %ld KiB after the 10th download, %ld KiB after the 200th (%+ld KiB)",
              afterTenth, afterLast, afterLast - afterTenth);
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer holds freed memory back on purpose; it checks leaks itself
        QVERIFY2(afterLast - afterTenth < 2048, "memory grows from download to download");
#endif
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
