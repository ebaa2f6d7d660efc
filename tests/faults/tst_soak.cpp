// 200 downloads of 500 records in one process, each saved: memory stays where it was after the tenth.

#include "SimReply.h"
#include "WindowFixture.h"

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
        WindowFixture w;
        QVERIFY(w.startSim({.records = 500}));
        w.form = std::make_unique<MainForm>(w.op, w.port, w.settings);
        MainForm& form = *w.form;
        ScriptedOperator& op = w.op;
        const QByteArray expected = SimReply::downloadLines(500).join();
        const QString name = w.env.path(QStringLiteral("soak.csv"));
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
