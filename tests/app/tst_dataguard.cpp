// What keeps the operator's data from being thrown away unasked, through the real window (offscreen)
// against the simulator: which downloads count as saved, what a failed save leaves, what a new download
// start clears, and the count panel's colour.

#include "LogView.h"
#include "ProgressView.h"
#include "ResponseWatchdog.h"
#include "SimReply.h"
#include "WindowFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

const QString kSaveQuestion = QStringLiteral("Save Downloaded Logs?");

// The file size limit of this process, for as long as it lives: a file grows to `bytes` and no further
// (its writes then fail with EFBIG instead of raising SIGXFSZ).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_before.rlim_max};
        m_applied = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool applied() const { return m_applied; }

private:
    rlimit m_before{};
    void (*m_handler)(int) = SIG_DFL;
    bool m_applied = false;
};

} // namespace

class TestDataGuard : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> w;

    void download() {
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
    }
    QColor panelColour(int panel) const {
        return w->form->StatusPanel.at(panel)->palette().color(QPalette::Base);
    }

private slots:
    void init() { w = std::make_unique<WindowFixture>(); }
    void cleanup() { w.reset(); }

    // A download after a saved one is a new, unsaved download: each way of leaving it asks about it.
    void newDownloadAfterASavedOneIsUnsaved_data() {
        QTest::addColumn<QString>("caller");
        QTest::newRow("Download") << "download";
        QTest::newRow("File > Exit") << "exit";
        QTest::newRow("close box") << "close";
    }
    void newDownloadAfterASavedOneIsUnsaved() {
        QFETCH(QString, caller);
        QVERIFY(w->startSim({.records = 4}));
        QVERIFY(w->openWindow());
        download();
        w->op.saveFiles = {w->env.path(QStringLiteral("first.csv"))};
        w->form->SaveButton->click();
        QCOMPARE(w->link().state.LogsSaved, 1);
        download(); // saved before: no question
        QCOMPARE(w->op.texts(), QStringList(2, QStringLiteral("Download Complete!")));
        QCOMPARE(w->link().state.LogsSaved, 0);

        w->op.questions.clear();
        w->op.answers = {Answer::No};
        if (caller == u"download") {
            download();
            QCOMPARE(w->op.texts(), QStringList({kSaveQuestion, "Download Complete!"}));
        } else if (caller == u"exit") {
            w->form->ExitMenu->trigger();
            QCOMPARE(w->op.texts(), QStringList{kSaveQuestion});
            QCOMPARE(w->op.programEnds, 1);
        } else {
            w->form->close();
            QCOMPARE(w->op.texts(), QStringList{kSaveQuestion});
        }
    }

    // A save that does not go through changes nothing about whether the download counts as saved.
    void failedSaveLeavesLogsSavedAsItWas_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("savedBefore");
        QTest::addColumn<QStringList>("told");
        for (const bool savedBefore : {false, true}) {
            const char* before = savedBefore ? ", saved before" : ", never saved";
            QTest::addRow("Cancel%s", before) << "cancel" << savedBefore << QStringList{};
            QTest::addRow("bad name%s", before)
                << "bad name" << savedBefore << QStringList{"Illegal File Number/Name.\r\n Accessing: "};
            QTest::addRow("full device%s", before)
                << "full device" << savedBefore << QStringList{"Error Writing to File!!"};
            QTest::addRow("write error at line 10%s", before)
                << "line 10" << savedBefore << QStringList{"Error Writing to File!!"};
        }
    }
    void failedSaveLeavesLogsSavedAsItWas() {
        QFETCH(QString, failure);
        QFETCH(bool, savedBefore);
        QFETCH(QStringList, told);
        QVERIFY(w->startSim({.records = 20}));
        QVERIFY(w->openWindow());
        download();
        if (savedBefore) {
            w->op.saveFiles = {w->env.path(QStringLiteral("good.csv"))};
            w->form->SaveButton->click();
            QCOMPARE(w->link().state.LogsSaved, 1);
        }
        w->op.questions.clear();

        const QList<QByteArray> lines = SimReply::downloadLines(20);
        QString name = w->env.path(QStringLiteral("failed.csv"));
        if (failure == u"cancel") {
            w->form->SaveFile->trigger();
        } else if (failure == u"bad name") {
            name = w->env.path(QStringLiteral("x[1].csv"));
            told.first() += name;
            w->op.saveFiles = {name};
            w->form->SaveButton->click();
        } else if (failure == u"full device") {
            w->op.saveFiles = {QStringLiteral("/dev/full")};
            w->form->SaveButton->click();
        } else {
            w->op.saveFiles = {name};
            const FileSizeLimit limit(rlim_t(lines.mid(0, 9).join().size() + 5)); // line 10 does not fit
            QVERIFY(limit.applied());
            w->form->SaveButton->click();
        }
        QCOMPARE(w->op.texts(), told);
        QCOMPARE(w->link().state.LogsSaved, savedBefore ? 1 : 0);
        if (failure == u"line 10") {
            QCOMPARE(readFileBytes(name), lines.mid(0, 9).join());
        }

        w->op.questions.clear();
        download();
        QCOMPARE(w->op.texts().contains(kSaveQuestion), !savedBefore);
    }

    // Right after the Download click, before the controller answers, nothing of the last exchange shows.
    void downloadStartClearsWhatTheLastOneShowed_data() {
        QTest::addColumn<QString>("last");
        QTest::newRow("after a completed download") << "completed";
        QTest::newRow("after an abandoned download") << "abandoned";
        QTest::newRow("after no log entries") << "no logs";
    }
    void downloadStartClearsWhatTheLastOneShowed() {
        QFETCH(QString, last);
        if (last == u"completed") {
            QVERIFY(w->startSim({.records = 20}));
            QVERIFY(w->openWindow());
            download();
            QVERIFY(!w->form->StatusPanel[1]->text().isEmpty() && !w->form->LogText->toPlainText().isEmpty());
            QVERIFY(w->form->SaveButton->isEnabled() && w->form->SaveFile->isEnabled());
        } else if (last == u"abandoned") {
            QVERIFY(w->startSim({.records = 20, .silentAfterLine = 10}));
            QVERIFY(w->openWindow());
            w->form->LoadButton->click();
            QTRY_COMPARE(w->link().state.LineCount(), 10);
            watchdogTick(w->link()); // lines came since the start
            watchdogTick(w->link()); // none since: Cancel
            QCOMPARE(w->op.texts(), QStringList{"No Response from Controller."});
            QVERIFY(w->idle());
            QCOMPARE(w->link().state.WatchLineCount, 10);
            QCOMPARE(w->form->LoadProgress->value(), 36); // 10 of 28 lines
        } else {
            QVERIFY(w->startSim({.records = 0}));
            QVERIFY(w->openWindow());
            download();
            QCOMPARE(panelColour(0), QColor(255, 0, 0));
            w->sim->options().records = 20;
        }
        w->sim->options().silentAfterLine = 0; // the controller says nothing while the window is looked at
        w->sim->options().silentAttempts = 2;
        w->op.answers = {Answer::No}; // when the last lines are offered for saving

        w->form->LoadButton->click();
        QCOMPARE(w->form->StatusPanel[0]->text(), QStringLiteral("Downloading..."));
        for (int panel = 1; panel < LinkDisplay::kPanels; ++panel) {
            QCOMPARE(w->form->StatusPanel.at(panel)->text(), QString());
        }
        QCOMPARE(panelColour(0), panelColour(1)); // the panels' own colour, not red
        QCOMPARE(w->form->LogText->toPlainText(), QString());
        QVERIFY(!w->form->SaveButton->isEnabled());
        QVERIFY(!w->form->SaveFile->isEnabled());
        QCOMPARE(w->form->LoadProgress->value(), 0);
        QCOMPARE(w->link().state.WatchLineCount, 0);
        QCOMPARE(w->link().state.LineCount(), 0);
    }

    // The count stays on green through the download start and gives way to the header's count.
    void headerGivesTheCountPanelItsColourBack() {
        QVERIFY(w->startSim({.records = 20}));
        QVERIFY(w->openWindow());
        w->form->QueryButton_Click();
        QTRY_VERIFY(!w->form->comPort().PortOpen());
        QCOMPARE(w->form->StatusPanel[2]->text(), QStringLiteral(" Log Entries: 20"));
        const QColor green(0, 255, 0);
        QCOMPARE(panelColour(2), green);

        w->form->LoadButton->click();
        QCOMPARE(w->form->StatusPanel[2]->text(), QString());
        QCOMPARE(panelColour(2), green);
        QTRY_COMPARE(w->form->StatusPanel[2]->text(), QStringLiteral("Log Entries: 20"));
        QCOMPARE(panelColour(2), w->form->StatusPanel[2]->palette().color(QPalette::Button));
        QTRY_VERIFY(w->idle());
        QCOMPARE(panelColour(2), w->form->StatusPanel[2]->palette().color(QPalette::Button));
    }
};

QTEST_MAIN(TestDataGuard)
#include "tst_dataguard.moc"
