// The main window: its controls, captions and initial states, its menus and its layout on resize.

#include "LogView.h"
#include "MainForm.h"
#include "ProgressView.h"
#include "ScriptedOperator.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>
#include <QtTest>

namespace {

int twipsOf(int pixels) {
    return pixels * 15;
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedOperator> m_op;
    ComPort m_port;
    Settings m_settings;
    std::unique_ptr<MainForm> m_form;

    // Sets the window's outer size in twips and lets the layout run.
    void resizeOuter(int widthTwips, int heightTwips) {
        const QSize extra = m_form->frameGeometry().size() - m_form->size();
        m_form->resize(widthTwips / 15 - extra.width(), heightTwips / 15 - extra.height());
        QCoreApplication::processEvents();
    }

    QList<int> layoutWidths() const {
        return {twipsOf(m_form->MyFrame->width()),      twipsOf(m_form->LogText->width()),
                twipsOf(m_form->LoadProgress->width()), twipsOf(m_form->Line1[0]->width()),
                twipsOf(m_form->Line1[1]->width()),     twipsOf(m_form->Frame1->width())};
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_env->writeIni("[DEFAULT]\nComport= 2\n");
        m_op = std::make_unique<ScriptedOperator>();
        m_form = std::make_unique<MainForm>(*m_op, m_port, m_settings);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() {
        m_form.reset();
        m_op.reset();
        m_env.reset();
    }

    void buttons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        QTest::newRow("SelComs") << "SelComs"
                                 << "Select Comport"
                                 << "Select Communications Port" << QRect(0, 60, 1275, 555) << true << true;
        QTest::newRow("LoadButton") << "LoadButton"
                                    << "Download"
                                    << "Download data from Controller" << QRect(1500, 60, 855, 555) << true
                                    << true;
        QTest::newRow("SaveButton") << "SaveButton"
                                    << "Save"
                                    << "Save downloaded data" << QRect(2400, 60, 855, 555) << false << true;
        QTest::newRow("QueryButton") << "QueryButton"
                                     << "Query Logs"
                                     << "Query qty of stored logs on controller" << QRect(4980, 60, 1035, 555)
                                     << false << false;
    }
    void buttons() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QRect, twips);
        QFETCH(bool, enabled);
        QFETCH(bool, visible);
        auto* button = m_form->findChild<QToolButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), tip);
        QCOMPARE(button->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QCOMPARE(button->isEnabled(), enabled);
        QCOMPARE(button->isVisible(), visible);
        QVERIFY(!button->icon().isNull());
    }

    void windowAndDisplays() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral(" RM7 Controller Download Utility"));
        QVERIFY(!m_form->windowIcon().isNull());
        QVERIFY(m_form->centralWidget()->width() >= 7530 / 15);
        QVERIFY(!m_form->MyFrame->isEnabled());
        QVERIFY(!m_form->Frame1->isEnabled());
        QCOMPARE(m_form->LogText->toPlainText(), QString());
        QCOMPARE(m_form->LoadProgress->value(), 0);
        QCOMPARE(m_form->LoadProgress->maximum(), 100);
        // Panels from left to right in the order 0, 1, 4, 2, 3, all empty.
        QList<int> order = {0, 1, 2, 3, 4};
        std::sort(order.begin(), order.end(),
                  [this](int a, int b) { return m_form->StatusPanel[a]->x() < m_form->StatusPanel[b]->x(); });
        QCOMPARE(order, QList<int>({0, 1, 4, 2, 3}));
        for (QLineEdit* panel : m_form->StatusPanel) {
            QCOMPARE(panel->text(), QString());
            QCOMPARE(twipsOf(panel->y()), 180);
            QCOMPARE(twipsOf(panel->height()), 315);
            QCOMPARE(panel->focusPolicy() == Qt::NoFocus || !panel->isEnabled(), true);
        }
        QCOMPARE(twipsOf(m_form->StatusPanel[4]->x()), 3000);
        QCOMPARE(twipsOf(m_form->StatusPanel[3]->width()), 1575);
    }

    void menus() {
        // The menu bar written out: captions (read without their access-key marks), separators, disabled
        // items and any shortcut; then the access keys themselves.
        QStringList menus;
        QStringList accessKeys;
        for (const QAction* menu : m_form->menuBar()->actions()) {
            QStringList items;
            accessKeys << menu->text();
            for (const QAction* item : menu->menu()->actions()) {
                const QString shortcut = item->shortcut().toString();
                items << (item->isSeparator() ? QStringLiteral("-") : QString(item->text()).remove(u'&')) +
                             (item->isEnabled() ? QString() : QStringLiteral(" (off)")) +
                             (shortcut.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(shortcut));
                if (!item->isSeparator()) {
                    accessKeys << item->text();
                }
            }
            menus << QString(menu->text()).remove(u'&') + QStringLiteral(": ") +
                         items.join(QStringLiteral(", "));
        }
        QCOMPARE(menus, QStringList({"File: Save (off) [Ctrl+S], -, Exit [Ctrl+Q]",
                                     "Tools: Download, COM Port Selection, Log Viewer [Ctrl+L]",
                                     "Help: About [F1]"}));
        QCOMPARE(accessKeys, QStringList({"&File", "&Save", "E&xit", "&Tools", "&Download",
                                          "&COM Port Selection", "&Log Viewer", "&Help", "&About"}));
        QCOMPARE(m_form->findChild<QAction*>(QStringLiteral("SetupComs")), m_form->SetupComs);
    }

    void tabOrder() {
        m_form->SaveButton->setEnabled(true); // a disabled button is skipped; the order itself is fixed
        m_form->SaveButton->setFocus();
        QCOMPARE(m_form->SaveButton->nextInFocusChain(), m_form->LoadButton);
        QCOMPARE(m_form->LoadButton->nextInFocusChain(), m_form->SelComs);
    }

    void resizeLayout_data() {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QList<int>>("widths");
        const QList<int> designed = {7515, 7395, 7515, 7500, 7500, 7515};
        QTest::newRow("minimum") << QSize(7650, 7635) << QSize(7650, 7635) << designed;
        QTest::newRow("too narrow snaps back") << QSize(4500, 9000) << QSize(7650, 9000) << designed;
        QTest::newRow("too low snaps back")
            << QSize(9000, 3000) << QSize(9000, 7635) << QList<int>{8865, 8745, 8865, 8850, 8850, 7515};
        QTest::newRow("9000 wide") << QSize(9000, 8100) << QSize(9000, 8100)
                                   << QList<int>{8865, 8745, 8865, 8850, 8850, 7515};
    }
    void resizeLayout() {
        QFETCH(QSize, requested);
        QFETCH(QSize, outer);
        QFETCH(QList<int>, widths);
        resizeOuter(requested.width(), requested.height());
        QTRY_COMPARE(m_form->frameGeometry().size() * 15, outer);
        QCOMPARE(layoutWidths(), widths);
    }

    void maximizedAndMinimizedChangeNothing() {
        resizeOuter(9000, 8100);
        const QList<int> before = layoutWidths();
        m_form->showMaximized();
        QTest::qWait(50);
        QCOMPARE(layoutWidths(), before);
        m_form->showMinimized();
        QTest::qWait(50);
        QCOMPARE(layoutWidths(), before);
        m_form->showNormal();
        resizeOuter(7650, 7635);
        QCOMPARE(layoutWidths().first(), 7515);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
