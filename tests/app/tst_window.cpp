// The main window (offscreen) as the operator meets it: its controls, menus, keys and layout, each way a
// download goes from the simulator to a file, the start-up, and what a screen reader hears.

#include "AccessibleAnnouncer.h"
#include "Archive.h"
#include "LogView.h"
#include "LogViewer.h"
#include "PanelBox.h"
#include "ProgressView.h"
#include "RecordTableModel.h"
#include "SimReply.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QToolButton>
#include <QtTest>
#include <csignal>

namespace {

// The newest 25 of the lines, as the log box shows them.
QString newest(const QList<QByteArray>& lines, int shownUpTo) {
    QString text;
    for (int k = std::max(1, shownUpTo - 24); k <= shownUpTo; ++k) {
        text += QString::fromLatin1(lines[k - 1].chopped(2)) + u'\n';
    }
    return text;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> w;

    bool download() {
        w->form->LoadButton->click();
        return QTest::qWaitFor([this] { return w->idle(); }, 20000);
    }
    bool activate() {
        w->form->activateWindow();
        return QTest::qWaitForWindowActive(w->form.get());
    }
    QColor panelColour(int panel) const {
        return w->form->StatusPanel.at(panel)->palette().color(QPalette::Base);
    }
    // Outer size in twips, then the layout's widths: MyFrame, LogText, LoadProgress, the rule, Frame1.
    QList<int> outerAndWidths() const {
        const MainForm& f = *w->form;
        return {f.frameGeometry().width() * 15, f.frameGeometry().height() * 15, f.MyFrame->width() * 15,
                f.LogText->width() * 15,        f.LoadProgress->width() * 15,    f.Line1[1]->width() * 15,
                f.Frame1->width() * 15};
    }

private slots:
    void init() { w = std::make_unique<WindowFixture>(); }
    void cleanup() { w.reset(); }

    void controlsAndMenus() {
        QVERIFY(w->openWindow());
        MainForm& f = *w->form;
        QCOMPARE(f.windowTitle(), QStringLiteral(" RM7 Controller Download Utility"));
        QStringList buttons;
        for (const QToolButton* b : {f.SelComs, f.LoadButton, f.SaveButton, f.QueryButton}) {
            buttons << QStringLiteral("%1|%2|%3|%4")
                           .arg(b->text(), b->toolTip())
                           .arg(b->isEnabled())
                           .arg(b->isVisible());
        }
        QCOMPARE(buttons,
                 QStringList({"Select Comport|Select Communications Port|1|1",
                              "Download|Download data from Controller|1|1", "Save|Save downloaded data|0|1",
                              "Query Logs|Query qty of stored logs on controller|0|0"}));
        QList<int> order = {0, 1, 2, 3, 4}; // the panels stand in the order 0, 1, 4, 2, 3
        std::sort(order.begin(), order.end(),
                  [&f](int a, int b) { return f.StatusPanel[a]->x() < f.StatusPanel[b]->x(); });
        QCOMPARE(order, QList<int>({0, 1, 4, 2, 3}));
        QVERIFY(!f.MyFrame->isEnabled() && !f.Frame1->isEnabled());
        QStringList menus;
        for (const QAction* menu : f.menuBar()->actions()) {
            QStringList items;
            for (const QAction* item : menu->menu()->actions()) {
                items << (item->isSeparator() ? QStringLiteral("-") : item->text()) +
                             (item->isEnabled() ? "" : " (off)") +
                             (item->shortcut().isEmpty() ? "" : " [" + item->shortcut().toString() + ']');
            }
            menus << menu->text() + ": " + items.join(QStringLiteral(", "));
        }
        QCOMPARE(menus, QStringList({"&File: &Save (off) [Ctrl+S], -, E&xit [Ctrl+Q]",
                                     "&Tools: &Download, &COM Port Selection, &Log Viewer [Ctrl+L]",
                                     "&Help: &About [F1]"}));
        f.SaveButton->setEnabled(true); // a disabled button is skipped; the order itself is fixed
        QCOMPARE(f.SaveButton->nextInFocusChain(), f.LoadButton);
        QCOMPARE(f.LoadButton->nextInFocusChain(), f.SelComs);
    }

    // Only the widths that follow the window's width change; too small a window snaps back; maximized and
    // minimized, nothing moves.
    void resizeLayout() {
        QVERIFY(w->openWindow());
        const auto resizeOuter = [this](int widthTwips, int heightTwips) {
            const QSize extra = w->form->frameGeometry().size() - w->form->size();
            w->form->resize(widthTwips / 15 - extra.width(), heightTwips / 15 - extra.height());
            QCoreApplication::processEvents();
        };
        resizeOuter(4500, 9000);
        QTRY_COMPARE(outerAndWidths(), QList<int>({7650, 9000, 7515, 7395, 7515, 7500, 7515}));
        resizeOuter(9000, 3000);
        QTRY_COMPARE(outerAndWidths(), QList<int>({9000, 7635, 8865, 8745, 8865, 8850, 7515}));
        const QList<int> before = outerAndWidths().mid(2);
        w->form->showMaximized();
        QTest::qWait(50);
        w->form->showMinimized();
        QTest::qWait(50);
        QCOMPARE(outerAndWidths().mid(2), before);
    }

    // At 9600 baud the window is brought up to date a few times a second; what it shows at the completion
    // box and after it is what a line-by-line display leaves. Saved with the button, then with Ctrl+S.
    void pacedDownloadIsShownAndSaved() {
        constexpr int kRecords = 30;
        QVERIFY(w->startSim({.records = kRecords, .paced = true}));
        QVERIFY(w->openWindow());
        MainForm& f = *w->form;
        const auto shown = [&f] {
            QStringList now;
            for (PanelBox* panel : f.StatusPanel) {
                now << panel->wholeText() << panel->palette().color(QPalette::Base).name();
            }
            return now << f.LogText->toPlainText() << QString::number(f.LoadProgress->value())
                       << QString::number(f.SaveButton->isEnabled())
                       << QString::number(f.LoadButton->isEnabled());
        };
        QStringList atBox;
        w->op.onQuestion = [&](const ScriptedOperator::Question&) { atBox = shown(); };
        f.LoadButton->click();
        QCOMPARE(f.StatusPanel[0]->wholeText(), QStringLiteral("Downloading..."));
        QVERIFY(!f.LoadButton->isEnabled() && !f.SelComs->isEnabled() && !f.ConnectMenu->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w->idle(), 10000);
        QCOMPARE(w->op.texts(), QStringList{"Download Complete!"});
        const QList<QByteArray> lines = SimReply::downloadLines(kRecords);
        const int total = int(lines.size());
        const QString menu = f.Frame1->palette().color(QPalette::Active, QPalette::Window).name();
        const QString face = f.Frame1->palette().color(QPalette::Active, QPalette::Button).name();
        const QStringList panels = {"Load Complete.",
                                    menu,
                                    "Site: North Pump Station",
                                    menu,
                                    QStringLiteral("Log Entries: %1").arg(kRecords),
                                    face,
                                    "Unit: RM7-0042",
                                    menu,
                                    "Firmware: R7305 V1.7",
                                    menu};
        const QString log = newest(lines, total - 1); // the final line is not shown
        const QString progress = QString::number(qRound(100.0 * (total - 1) / total));
        QCOMPARE(atBox, panels + QStringList({log, progress, "1", "0"}));
        QCOMPARE(shown(), panels + QStringList({log, "0", "1", "1"}));
        QVERIFY(!f.comPort().PortOpen());

        const QString first = w->env.path(QStringLiteral("run1.csv"));
        const QString second = w->env.path(QStringLiteral("run2.csv"));
        w->op.saveFiles = {first, second};
        f.SaveButton->click();
        QVERIFY(activate());
        QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(readFileBytes(first), lines.join());
        QCOMPARE(readFileBytes(second), lines.join());
        QCOMPARE(w->op.saveRequests.size(), 2);
    }

    void noLogsAfterStrayCharacters() {
        QVERIFY(w->startSim({.records = 0, .stray = "\x05?"}));
        QVERIFY(w->openWindow());
        w->form->ConnectMenu->trigger();
        QTRY_COMPARE(w->form->StatusPanel[0]->wholeText(), QStringLiteral("No logs to load.."));
        QCOMPARE(panelColour(0), QColor(255, 0, 0));
        QCOMPARE(w->op.beeps, 1);
        QCOMPARE(w->form->LogText->toPlainText(), QStringLiteral("No log entries!"));
        QVERIFY(!w->form->SaveButton->isEnabled() && w->form->LoadButton->isEnabled());
        w->form->LoadButton->click(); // the next download gives the panel its colour back
        QCOMPARE(panelColour(0), panelColour(1));
    }

    // The real 2000 ms watchdog; Cancel keeps the lines received before the silence, saveable.
    void silentControllerAbandoned() {
        QVERIFY(w->startSim({.records = 20, .silentAfterLine = 10}));
        QVERIFY(w->openWindow());
        bool portClosedWhenAsked = false;
        w->op.onQuestion = [&](const ScriptedOperator::Question&) {
            portClosedWhenAsked = !w->form->comPort().PortOpen();
        };
        w->form->LoadButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->op.questions.isEmpty(), 6000);
        QCOMPARE(w->op.texts(), QStringList{"No Response from Controller."});
        QVERIFY(portClosedWhenAsked && w->idle());
        QCOMPARE(w->form->LogText->toPlainText(), newest(SimReply::downloadLines(20), 10));
        QCOMPARE(w->form->StatusPanel[0]->wholeText(), QStringLiteral("Download incomplete."));
        QVERIFY(w->form->SaveButton->isEnabled() && w->form->SaveFile->isEnabled());
    }

    // Cancel on "Coms Port not available!" ends the program; Ctrl+Q and the close box ask about stored
    // lines as File > Exit does.
    void endingTheProgram() {
        QVERIFY(w->startSim({.records = 5}));
        QVERIFY(w->openWindow());
        QVERIFY(download());
        QVERIFY(activate());
        QTest::keyClick(w->form.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(download());
        w->form->close();
        QFile::remove(w->env.settingsFolder() + QStringLiteral("ports/com1"));
        w->env.placeMissingDevice(1);
        w->form->LoadButton->click();
        QCOMPARE(w->op.texts(),
                 QStringList({"Download Complete!", "Save Downloaded Logs?", "Download Complete!",
                              "Save Downloaded Logs?", "Coms Port not available!"}));
        QCOMPARE(w->op.programEnds, 2);
    }

    // A text that does not fit its panel is cut with "…" at its end, never silently: a cut number must not
    // read as another. The whole text is the panel's tool tip.
    void panelsCutTextsVisibly_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("fits") << "Load Complete.";
        QTest::newRow("a long site") << "Site: North Pump Station";
        QTest::newRow("a count of 2000") << "Log Entries: 2000 of the upper reservoir's gauges";
    }
    void panelsCutTextsVisibly() {
        QFETCH(QString, text);
        QVERIFY(w->openWindow());
        PanelBox* panel = w->form->StatusPanel[1];
        panel->setWholeText(text);
        const bool fits = panel->fontMetrics().horizontalAdvance(text) < panel->contentsRect().width() - 8;
        QCOMPARE(panel->text() == text, fits);
        if (!fits) {
            QVERIFY(panel->text().endsWith(u'…'));
            QVERIFY(text.startsWith(panel->text().chopped(1)));
            QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->contentsRect().width());
        }
        QCOMPARE(panel->toolTip(), fits ? QString() : text);
        QCOMPARE(panel->accessibleName(), "Download header 1: " + text);
        QCOMPARE(panel->size(), QSize(1455 / 15, 315 / 15)); // the panel keeps its designed size
    }

    // The query's count shows on green; the next download's header gives the panel its colour back.
    void hiddenQueryShowsTheCount() {
        QVERIFY(w->startSim({.records = 20}));
        QVERIFY(w->openWindow());
        w->form->QueryButton_Click();
        QTRY_COMPARE(w->form->StatusPanel[2]->text(), QStringLiteral(" Log Entries: 20"));
        QCOMPARE(panelColour(2), QColor(0, 255, 0));
        w->form->LoadButton->click();
        QCOMPARE(w->form->StatusPanel[2]->text(), QString());
        QCOMPARE(panelColour(2), QColor(0, 255, 0));
        QTRY_COMPARE(w->form->StatusPanel[2]->wholeText(), QStringLiteral("Log Entries: 20"));
        QCOMPARE(panelColour(2), w->form->StatusPanel[2]->palette().color(QPalette::Button));
    }

    // A port that was never usable: the dialog once, at the first activation, with the window centred by
    // the size it is shown with.
    void startUp() {
        w->env.writeIni("[DEFAULT]\nComport=40\n");
        w->op.onPortSelection = [] { return std::optional<PortChoice>(PortChoice{4, {}}); };
        QVERIFY(w->openWindow());
        const QRect screen = w->form->screen()->geometry();
        QVERIFY(qAbs(w->form->frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(w->form->frameGeometry().center().y() - screen.center().y()) <= 1);
        QVERIFY(activate());
        QTRY_COMPARE(w->op.portSelections, 1);
        w->form->Form_Activate();
        QCOMPARE(w->op.portSelections, 1);
        QCOMPARE(w->settings.PortNumber, 4);
        QVERIFY(w->env.readIni().contains("Comport= 4"));
        QVERIFY(!w->form->comPort().PortOpen());
    }

    // A real rm7-download downloading from the command line is killed outright: its recovery copy holds
    // the whole lines it had received, and the window's next start offers them and saves them.
    void killedDownloadIsRecoveredAtTheNextStart() {
        QVERIFY(w->startSim({.records = 300, .paced = true}));
        QProcess process;
        process.start(QStringLiteral(RM7_DOWNLOAD), {"--download", w->env.path(QStringLiteral("never.csv"))});
        const QRegularExpression progress(QStringLiteral("(\\d+) of 308 lines"));
        int received = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const auto matches =
                    progress.globalMatch(QString::fromLatin1(process.readAllStandardError()));
                for (auto it = matches; it.hasNext();) {
                    received = it.next().captured(1).toInt();
                }
                return received >= 50;
            }(),
            20000);
        QTest::qWait(1200); // a flush of the copy is due within a second
        ::kill(pid_t(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished(10000));
        QVERIFY(!QFile::exists(w->env.path(QStringLiteral("never.csv"))));
        QCOMPARE(w->env.recoveryCopies().size(), 1);
        const QByteArray copy = readFileBytes(w->env.recoveryCopies().first());
        const int lines = int(copy.count('\n'));
        QVERIFY(lines >= 50 && copy.endsWith('\n'));
        QCOMPARE(copy, SimReply::downloadLines(300).mid(0, lines).join());

        const QString name = w->env.path(QStringLiteral("recovered.csv"));
        w->op.leftoverChoices = {{LeftoverChoice::Save}};
        w->op.saveFiles = {name};
        QVERIFY(w->openWindow());
        QVERIFY(activate());
        QTRY_COMPARE(w->op.leftoverReviews.size(), 1);
        const LeftoverCopy& offered = w->op.leftoverReviews.first().first();
        QCOMPARE(QList<int>({offered.lines, offered.expected, int(offered.complete)}),
                 QList<int>({lines, 308, 0}));
        QCOMPARE(offered.controller, QStringLiteral("RM7-0042, North Pump Station"));
        QCOMPARE(readFileBytes(name), copy);
        QVERIFY(w->env.recoveryCopies().isEmpty());
        w->form->Form_Activate(); // offered once, at the first activation
        QCOMPARE(w->op.leftoverReviews.size(), 1);
    }

    // Every download that ends goes into the archive on its own thread; a damaged archive file is set
    // aside, and the operator hears of it once.
    void downloadsGoIntoTheArchive() {
        QDir().mkpath(QFileInfo(w->env.archiveFile()).path());
        QFile damaged(w->env.archiveFile());
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(QByteArray(8192, 'x')) == 8192);
        damaged.close();
        QVERIFY(w->startSim({.records = 30}));
        QVERIFY(w->openWindow(true));
        QTRY_COMPARE(w->op.questions.size(), 1);
        QCOMPARE(w->op.questions[0].title, QStringLiteral("Archive"));
        QVERIFY(w->op.questions[0].text.contains(QStringLiteral("put aside")));
        QSignalSpy added(w->archive.get(), &ArchiveService::added);
        QVERIFY(download());
        QTRY_COMPARE(added.size(), 1);
        QCOMPARE(w->op.texts(), QStringList({w->op.questions[0].text, "Download Complete!"}));
        w->form.reset();
        w->archive.reset();

        Archive archive;
        const auto controllers = archive.controllers(DateOrder::Unknown);
        QVERIFY(controllers.ok() && controllers.value.size() == 1);
        QCOMPARE(controllers.value.first().records, 30);
        const auto downloads = archive.downloads(controllers.value.first().id);
        QVERIFY(downloads.ok() && downloads.value.size() == 1);
        QCOMPARE(downloads.value.first().comNumber, 1);
        QCOMPARE(downloads.value.first().end, DownloadEnd::Complete);
        QCOMPARE(archive.downloadBytes(downloads.value.first().id).value, SimReply::downloadLines(30).join());
    }

    // Ctrl+L opens the viewer beside the window; its table follows a download as it arrives.
    void viewerFollowsTheDownload() {
        QVERIFY(w->startSim({.records = 60, .lineGapMs = 10}));
        QVERIFY(w->openWindow());
        QVERIFY(activate());
        QTest::keyClick(w->form.get(), Qt::Key_L, Qt::ControlModifier);
        LogViewer* viewer = w->form->logViewer();
        QVERIFY(viewer && viewer->isVisible() && !viewer->isModal());
        QSignalSpy inserted(viewer->model(), &QAbstractItemModel::rowsInserted);
        QVERIFY(download());
        QTRY_COMPARE(viewer->model()->rowCount(), 61);
        QVERIFY(inserted.size() > 3); // in steps as the reads came, not at the end
        w->op.answers = {Answer::No};
        QVERIFY(download()); // the next download starts the table again
        QTRY_COMPARE(viewer->model()->rowCount(), 61);
    }

    void screenReadersHearTheDisplays() {
        QVERIFY(w->startSim({.records = 100, .lineGapMs = 3}));
        QVERIFY(w->openWindow());
        auto* announcer = w->form->findChild<AccessibleAnnouncer*>();
        QSignalSpy told(announcer, &AccessibleAnnouncer::told);
        QVERIFY(download());
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty() &&
                                     told.last().at(0).value<QObject*>() == w->form->LoadProgress,
                                 3000); // the last change told: the bar back to 0
        // 108 lines, each in a read of its own, are told a few times, not once a line.
        QVERIFY2(told.size() >= 2 && told.size() < 40, qPrintable(QString::number(told.size())));

        QAccessibleInterface* log = QAccessible::queryAccessibleInterface(w->form->LogText);
        QCOMPARE(log->role(), QAccessible::EditableText);
        QCOMPARE(log->text(QAccessible::Name), QStringLiteral("Received lines"));
        QVERIFY(log->state().readOnly && log->state().multiLine);
        QCOMPARE(log->text(QAccessible::Value), newest(SimReply::downloadLines(100), 107));
        QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(w->form->LoadProgress);
        QCOMPARE(progress->role(), QAccessible::ProgressBar);
        QCOMPARE(progress->text(QAccessible::Name), QStringLiteral("Download progress"));
        QCOMPARE(progress->valueInterface()->maximumValue().toInt(), 100);
        for (int i = 0; i < 5; ++i) {
            QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(w->form->StatusPanel[i]);
            QCOMPARE(panel->text(QAccessible::Name),
                     (i == 0 ? QStringLiteral("Download status: ")
                             : QStringLiteral("Download header %1: ").arg(i)) +
                         w->form->StatusPanel[i]->wholeText());
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
