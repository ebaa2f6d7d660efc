// The real dialogs behind the operator seam, on the offscreen platform: what each message box style
// shows and what its keys and close box answer, the Save dialog with its overwrite question, the port
// dialog's choice, and that ending the program ends the process. The dialogs are driven from the event
// loop, as a person would.

#include "ComPort.h"
#include "ComsBox.h"
#include "ControllerSim.h"
#include "DialogOperator.h"
#include "LeftoverDialog.h"
#include "LogViewer.h"
#include "RecordTableModel.h"
#include "TestEnvironment.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <functional>

Q_DECLARE_METATYPE(Answer)

namespace {

constexpr char kEndProgramArgument[] = "--end-program";
const SaveFileRequest kRequest{
    QStringLiteral("Save Downloaded data"), QStringLiteral("CSV files (*.csv)"), {}};

// Runs act on the next modal dialog of type T that becomes active (other than `except`), once, from the
// event loop. The dialog is found the way a person finds it: it is the one in front.
template <class T> void onNextModal(const std::function<void(T*)>& act, QWidget* except = nullptr) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, act, except] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog != except && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}

// The child process: a program with the real dialogs that ends itself before its event loop runs, from
// within it, or from within a message box's loop. It exits 3 if it is still running after 20 s.
int endProgramChild(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ComPort port;
    DialogOperator op(port);
    QMainWindow window;
    window.show();
    QTimer::singleShot(20000, &app, [] { QCoreApplication::exit(3); });
    const QByteArray when = argv[2];
    if (when == "before the event loop") {
        op.endProgram();
    } else if (when == "in the event loop") {
        QTimer::singleShot(0, &app, [&op] { op.endProgram(); });
    } else {
        QTimer::singleShot(0, &app, [&op] {
            QTimer::singleShot(0, qApp, [&op] { op.endProgram(); });
            op.messageBox(QStringLiteral("Save Downloaded Logs?"), 52, QStringLiteral("Warning!!"));
        });
    }
    return QApplication::exec();
}

} // namespace

class TestRealDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QMainWindow> m_window;
    ComPort m_port;
    std::unique_ptr<DialogOperator> m_op;
    QTimer m_rescue; // a dialog nobody answers is closed, so a failing test ends
    bool m_rescued = false;

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_window = std::make_unique<QMainWindow>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_op = std::make_unique<DialogOperator>(m_port);
        m_rescued = false;
        m_rescue.setSingleShot(true);
        connect(&m_rescue, &QTimer::timeout, this, [this] {
            while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                m_rescued = true;
                dialog->reject();
            }
        });
        m_rescue.start(10000);
    }
    void cleanup() {
        m_rescue.stop();
        QVERIFY2(!m_rescued, "a dialog was left open");
        m_op.reset();
        m_window.reset();
        m_env.reset();
    }

    void messageBoxStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("seen"); // title, buttons, the default, icon
        QTest::addColumn<QString>("action");
        QTest::addColumn<Answer>("answer");
        struct Style {
            int style;
            const char* seen;
            Answer enter;
            Answer escape; // the close box answers the same
        };
        const auto b = [](QMessageBox::StandardButtons buttons) { return QString::number(int(buttons), 16); };
        const QString ok = b(QMessageBox::Ok);
        const QString retry = b(QMessageBox::Retry | QMessageBox::Cancel);
        const QList<std::pair<Style, QString>> styles = {
            {{64, "Message", Answer::Ok, Answer::Ok}, ok + '|' + ok + "|1"},
            {{21, "Warning", Answer::Retry, Answer::Cancel}, retry + '|' + b(QMessageBox::Retry) + "|3"},
            {{309, "Controller not Responding!", Answer::Cancel, Answer::Cancel},
             retry + '|' + b(QMessageBox::Cancel) + "|2"},
            {{52, "Warning!!", Answer::Yes, Answer::No},
             b(QMessageBox::Yes | QMessageBox::No) + '|' + b(QMessageBox::Yes) + "|2"},
            {{48, "File Error", Answer::Ok, Answer::Ok}, ok + '|' + ok + "|2"},
            {{53, "File Error", Answer::Retry, Answer::Cancel}, retry + '|' + b(QMessageBox::Retry) + "|2"},
            {{16, "FILE WRITE ERROR", Answer::Ok, Answer::Ok}, ok + '|' + ok + "|3"}};
        for (const auto& [s, seen] : styles) {
            for (const char* action : {"Enter", "Escape", "close box"}) {
                QTest::addRow("%d %s", s.style, action)
                    << s.style << QString::fromLatin1(s.seen) + '|' + seen << action
                    << (qstrcmp(action, "Enter") == 0 ? s.enter : s.escape);
            }
        }
    }
    void messageBoxStyles() {
        QFETCH(int, style);
        QFETCH(QString, seen);
        QFETCH(QString, action);
        QFETCH(Answer, answer);
        QString shown;
        onNextModal<QMessageBox>([&](QMessageBox* box) {
            shown = QStringLiteral("%1|%2|%3|%4|%5|%6")
                        .arg(box->windowTitle(), QString::number(int(box->standardButtons()), 16),
                             QString::number(int(box->standardButton(box->defaultButton())), 16))
                        .arg(int(box->icon()))
                        .arg(box->informativeText(),
                             box->parentWidget() == m_window.get() ? "over the window" : "");
            if (action == u"close box") {
                box->close();
            } else {
                QTest::keyClick(box, action == u"Enter" ? Qt::Key_Return : Qt::Key_Escape);
            }
        });
        // The reason, where there is one, stands under the message.
        const Answer got =
            m_op->messageBox(QStringLiteral("?"), style, seen.section(u'|', 0, 0), QStringLiteral("why"));
        QCOMPARE(got, answer);
        QCOMPARE(shown, seen + QStringLiteral("|why|over the window"));
        if (action != u"Enter") { // the scripted operator answers the same for a box it is not told to answer
            QCOMPARE(got, MsgStyle::closeAnswer(style));
        }
    }

    void saveDialogOffersTheRequest() {
        const QString folder = m_env->path(QStringLiteral("data"));
        QDir().mkpath(folder);
        QStringList seen;
        onNextModal<QFileDialog>([&](QFileDialog* dialog) {
            seen << dialog->windowTitle() << dialog->nameFilters() << dialog->directory().absolutePath()
                 << QString::number(dialog->acceptMode() == QFileDialog::AcceptSave);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(m_op->chooseSaveFile({kRequest.title, kRequest.filter, folder}), std::nullopt);
        QCOMPARE(seen, QStringList({"Save Downloaded data", "CSV files (*.csv)", folder, "1"}));
    }

    // A name typed without extension is taken as it is; the Cancel button chooses nothing.
    void saveDialogNameOrCancel_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("new file") << "run2";
        QTest::newRow("Cancel") << "";
    }
    void saveDialogNameOrCancel() {
        QFETCH(QString, typed);
        onNextModal<QFileDialog>([typed](QFileDialog* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), typed);
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (typed.isEmpty() ? button->text().remove(u'&') == u"Cancel" : button->isDefault()) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    return;
                }
            }
        });
        QCOMPARE(m_op->chooseSaveFile({kRequest.title, kRequest.filter, m_env->path(QString())}),
                 typed.isEmpty() ? std::nullopt : std::optional<QString>(m_env->path(typed)));
    }

    // Choosing a file that is there asks first; No goes back to the dialog, Yes takes the name.
    void saveDialogAsksBeforeReplacing() {
        const QString existing = m_env->path(QStringLiteral("run1.csv"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QStringList asked;
        bool openAfterNo = false;
        onNextModal<QFileDialog>([&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, QStringLiteral("run1.csv"));
            for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
                onNextModal<QMessageBox>(
                    [&asked, button](QMessageBox* box) {
                        asked << box->text();
                        QTest::mouseClick(box->button(button), Qt::LeftButton);
                    },
                    dialog);
                QTest::keyClick(name, Qt::Key_Return); // returns once the question is answered
                openAfterNo = openAfterNo || (button == QMessageBox::No && dialog->isVisible());
            }
        });
        QCOMPARE(m_op->chooseSaveFile({kRequest.title, kRequest.filter, m_env->path(QString())}), existing);
        QCOMPARE(asked.size(), 2);
        QVERIFY(asked.first().contains(u"run1.csv") && openAfterNo);
        QCOMPARE(readFileBytes(existing), QByteArray()); // choosing a file writes nothing yet
    }

    // The port dialog as the operator meets it: OK hands back the port chosen in the list.
    void portDialogHandsBackTheChoice() {
        ControllerSim sim;
        QVERIFY(sim.start() && sim.placeLink(m_env->settingsFolder(), 4));
        onNextModal<ComsBox>([](ComsBox* box) {
            QTRY_VERIFY(box->ComsCombo->isVisible());
            box->ComsCombo->setCurrentIndex(
                box->ComsCombo->findText(QStringLiteral("COM 4"), Qt::MatchStartsWith));
            QTest::mouseClick(box->OKButton, Qt::LeftButton);
        });
        const auto choice = m_op->choosePort(4);
        QVERIFY(choice);
        QCOMPARE(choice->number, 4);
        QCOMPARE(choice->pinTo, QString());
    }

    // Every leftover copy in one dialog: what each is, a choice each (Later unless changed), a look at one in
    // the log viewer; OK takes the choices, Escape keeps every copy for later.
    void leftoverDialog_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Escape") << false;
    }
    void leftoverDialog() {
        QFETCH(bool, ok);
        const QDateTime when(QDate(2026, 12, 7), QTime(3, 26, 41));
        const LineStore lines = LineStore::fromText("RM7\r\nDate,Level\r\n01/11/2026,1\r\n");
        const QList<LeftoverCopy> copies = {
            {"RM7-0042, North Pump Station", 46, 108, false, when, 2048, [&] { return lines; }},
            {"", 108, 108, true, when, 5000, [&] { return lines; }}};
        QStringList rows;
        int viewerRows = -1;
        onNextModal<LeftoverDialog>([&](LeftoverDialog* dialog) {
            for (int row = 0; row < 2; ++row) {
                QStringList cells;
                for (int column = 0; column < 4; ++column) {
                    cells << dialog->table()->item(row, column)->text();
                }
                rows << cells.join(u'|') + u'|' + dialog->choiceOf(row)->currentText();
            }
            dialog->findChild<QPushButton*>(QStringLiteral("view"))->click();
            auto* viewer = dialog->findChild<LogViewer*>();
            viewerRows = viewer != nullptr && viewer->isVisible() ? viewer->model()->rowCount() : -1;
            viewer->close();
            dialog->choiceOf(0)->setCurrentIndex(0);
            dialog->choiceOf(1)->setCurrentIndex(1);
            QTest::keyClick(dialog, ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        const QList<LeftoverChoice> choices = m_op->reviewLeftovers(copies);
        QCOMPARE(rows,
                 QStringList(
                     {"RM7-0042, North Pump Station|46 of 108, incomplete|2026-12-07 03:26:41|2.0 kB|Later",
                      "(no header)|108, complete|2026-12-07 03:26:41|4.9 kB|Later"}));
        QCOMPARE(viewerRows, 1);
        const QList<LeftoverChoice> chosen = {LeftoverChoice::Save, LeftoverChoice::Discard};
        QCOMPARE(choices, ok ? chosen : QList<LeftoverChoice>(2, LeftoverChoice::Later));
    }

    void endingTheProgramEndsTheProcess_data() {
        QTest::addColumn<QString>("when");
        QTest::newRow("before the event loop") << "before the event loop";
        QTest::newRow("in the event loop") << "in the event loop";
        QTest::newRow("while a message box is open") << "while a message box is open";
    }
    void endingTheProgramEndsTheProcess() {
        QFETCH(QString, when);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kEndProgramArgument), when});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], kEndProgramArgument) == 0) {
        return endProgramChild(argc, argv);
    }
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TestRealDialogs test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_realdialogs.moc"
