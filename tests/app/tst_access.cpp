// The main window from the keyboard and through a screen reader: shortcuts reach the handlers of their
// menu items, the log box, the progress bar and the status panels tell their text and value, changes are
// told at a listenable rate, and a panel too narrow for its text shows it as its tool tip.

#include "AccessibleAnnouncer.h"
#include "LogView.h"
#include "LogViewer.h"
#include "ProgressView.h"
#include "WindowFixture.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

class TestAccess : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> w;

    bool openActiveWindow() {
        if (!w->openWindow()) {
            return false;
        }
        w->form->activateWindow();
        return QTest::qWaitForWindowActive(w->form.get());
    }
    bool download(int records) {
        w->form->LoadButton->click();
        return QTest::qWaitFor([this] { return w->idle(); }, 10000) &&
               w->link().state.LineCount() == records + 8;
    }

private slots:
    void init() { w = std::make_unique<WindowFixture>(); }
    void cleanup() { w.reset(); }

    void ctrlSSaves() {
        QVERIFY(w->startSim({.records = 5}));
        QVERIFY(openActiveWindow());
        QTest::keyClick(w->form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(w->op.saveRequests.size(), 0); // Save is not offered before a download
        QVERIFY(download(5));
        w->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->form.get()));
        QTest::keyClick(w->form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(w->op.saveRequests.size(), 1);
        QCOMPARE(w->op.saveRequests[0].title, QStringLiteral("Save Downloaded data"));
    }

    void ctrlQAsksAsExitDoes() {
        QVERIFY(w->startSim({.records = 5}));
        QVERIFY(openActiveWindow());
        QVERIFY(download(5));
        w->op.questions.clear();
        w->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->form.get()));
        QTest::keyClick(w->form.get(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(w->op.texts(), QStringList{"Save Downloaded Logs?"});
        QCOMPARE(w->op.programEnds, 1);
    }

    void f1ShowsAboutAndCtrlLTheViewer() {
        QVERIFY(openActiveWindow());
        QString shown;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            shown = QString::fromLatin1(QApplication::activeModalWidget()->metaObject()->className());
            QApplication::activeModalWidget()->close();
        });
        QTest::keyClick(w->form.get(), Qt::Key_F1);
        QCOMPARE(shown, QStringLiteral("Dialog"));
        w->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->form.get()));
        QTest::keyClick(w->form.get(), Qt::Key_L, Qt::ControlModifier);
        auto* viewer = w->form->findChild<LogViewer*>();
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(!viewer->isModal());
    }

    void screenReadersHearTheDisplays() {
        QVERIFY(w->startSim({.records = 40}));
        QVERIFY(w->openWindow());
        QVERIFY(download(40));
        QAccessibleInterface* log = QAccessible::queryAccessibleInterface(w->form->LogText);
        QVERIFY(log);
        QCOMPARE(log->role(), QAccessible::EditableText);
        QCOMPARE(log->text(QAccessible::Name), QStringLiteral("Received lines"));
        QVERIFY(log->state().readOnly && log->state().multiLine);
        const QString shown = w->form->LogText->toPlainText();
        QCOMPARE(shown.count(QLatin1Char('\n')), 25);
        QCOMPARE(log->text(QAccessible::Value), shown);
        QCOMPARE(log->textInterface()->text(0, log->textInterface()->characterCount()), shown);

        w->link().display.setProgress(42);
        QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(w->form->LoadProgress);
        QVERIFY(progress);
        QCOMPARE(progress->role(), QAccessible::ProgressBar);
        QCOMPARE(progress->text(QAccessible::Name), QStringLiteral("Download progress"));
        QCOMPARE(progress->valueInterface()->currentValue().toInt(), 42);
        QCOMPARE(progress->valueInterface()->maximumValue().toInt(), 100);
        QCOMPARE(progress->text(QAccessible::Value), QStringLiteral("42%"));

        const QStringList names = {"Download status", "Download header 1", "Download header 2",
                                   "Download header 3", "Download header 4"};
        for (int i = 0; i < 5; ++i) {
            QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(w->form->StatusPanel[i]);
            QVERIFY(panel);
            QCOMPARE(panel->text(QAccessible::Name), names[i]);
            QCOMPARE(panel->text(QAccessible::Value), w->form->StatusPanel[i]->text());
            QVERIFY(!panel->text(QAccessible::Value).isEmpty());
        }
    }

    void changesAreToldAtAListenableRate() {
        QVERIFY(w->startSim({.records = 100, .lineGapMs = 3}));
        QVERIFY(w->openWindow());
        auto* announcer = w->form->findChild<AccessibleAnnouncer*>();
        QVERIFY(announcer);
        QSignalSpy told(announcer, &AccessibleAnnouncer::told);
        QVERIFY(download(100));
        QTest::qWait(AccessibleAnnouncer::kIntervalMs +
                     500); // the last change is told once the interval is over
        int textTold = 0;
        int valueTold = 0;
        for (const QList<QVariant>& event : told) {
            textTold += event.at(0).value<QObject*>() == w->form->LogText;
            valueTold += event.at(0).value<QObject*>() == w->form->LoadProgress;
        }
        // 108 lines, each in a read of its own, are told a few times, not once a line ...
        QVERIFY2(textTold >= 1 && textTold < 20, qPrintable(QString::number(textTold)));
        QVERIFY2(valueTold >= 1 && valueTold < 20, qPrintable(QString::number(valueTold)));
        // ... and the last thing told is what the window shows now.
        QCOMPARE(told.last().at(0).value<QObject*>(), w->form->LoadProgress); // back to 0 at the end
    }

    void longPanelTextIsItsToolTip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("tip");
        QTest::newRow("fits") << "Site: A" << false;
        QTest::newRow("cut") << "Site: North Pump Station, Upper Reservoir" << true;
    }
    void longPanelTextIsItsToolTip() {
        QFETCH(QString, text);
        QFETCH(bool, tip);
        QVERIFY(w->openWindow());
        w->link().display.setPanelText(1, text);
        QCOMPARE(w->form->StatusPanel[1]->text(), text);
        QCOMPARE(w->form->StatusPanel[1]->toolTip(), tip ? text : QString());
        w->link().display.setPanelText(1, QStringLiteral("Short"));
        QCOMPARE(w->form->StatusPanel[1]->toolTip(), QString());
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
