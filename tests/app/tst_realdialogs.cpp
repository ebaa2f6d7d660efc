// The real dialogs behind the operator seam, on the offscreen platform: what each message box style
// shows and what its keys and close box answer, the Save dialog with its overwrite question, and that
// ending the program ends the process. The dialogs are driven from the event loop, as a person would.

#include "ComPort.h"
#include "DialogOperator.h"
#include "TestEnvironment.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <functional>

Q_DECLARE_METATYPE(Answer)

namespace {

constexpr char kEndProgramArgument[] = "--end-program";

// Runs act on the next modal dialog of type T that becomes active (other than `except`), once, from the
// event loop. The dialog is found the way a person finds it: it is the one in front.
template <class T> void onNextModal(const std::function<void(T*)>& act, QWidget* except = nullptr) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, act, except] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == except || !dialog->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
}

// What a message box showed.
struct BoxSeen {
    QString title;
    QString text;
    QString informative;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
};

BoxSeen look(QMessageBox* box) {
    BoxSeen seen{box->windowTitle(),    box->text(), box->informativeText(), box->standardButtons(),
                 QMessageBox::NoButton, box->icon(), box->parentWidget()};
    if (box->defaultButton() != nullptr) {
        seen.defaultButton = box->standardButton(box->defaultButton());
    }
    return seen;
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
        m_rescue.setInterval(10000);
        connect(&m_rescue, &QTimer::timeout, this, [this] {
            while (QWidget* dialog = QApplication::activeModalWidget()) {
                m_rescued = true;
                dialog->close();
                if (auto* modal = qobject_cast<QDialog*>(dialog)) {
                    modal->reject();
                }
            }
        });
        m_rescue.start();
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
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("action");
        QTest::addColumn<Answer>("answer");
        struct Style {
            int style;
            const char* text;
            const char* title;
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton;
            QMessageBox::Icon icon;
            Answer enter;
            Answer escape; // the close box answers the same
        };
        const Style styles[] = {
            {64, "Download Complete!", "Message", QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Information,
             Answer::Ok, Answer::Ok},
            {21, "Coms Port not available!", "Warning", QMessageBox::Retry | QMessageBox::Cancel,
             QMessageBox::Retry, QMessageBox::Critical, Answer::Retry, Answer::Cancel},
            {309, "No Response from Controller.", "Controller not Responding!",
             QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::Warning,
             Answer::Cancel, Answer::Cancel},
            {52, "Save Downloaded Logs?", "Warning!!", QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
             QMessageBox::Warning, Answer::Yes, Answer::No},
            {48, "Path doesn't exist.\r\n Accessing: /x/y.csv", "File Error", QMessageBox::Ok,
             QMessageBox::Ok, QMessageBox::Warning, Answer::Ok, Answer::Ok},
            {53, "That device appears to be unavailable.\r\n Accessing: /x/y.csv", "File Error",
             QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry, QMessageBox::Warning,
             Answer::Retry, Answer::Cancel},
            {16, "Error Writing to File!!", "FILE WRITE ERROR", QMessageBox::Ok, QMessageBox::Ok,
             QMessageBox::Critical, Answer::Ok, Answer::Ok},
        };
        for (const Style& s : styles) {
            for (const char* action : {"Enter", "Escape", "close box"}) {
                QTest::addRow("%d %s", s.style, action)
                    << s.style << s.text << s.title << int(s.buttons) << int(s.defaultButton) << int(s.icon)
                    << action << (qstrcmp(action, "Enter") == 0 ? s.enter : s.escape);
            }
        }
    }
    void messageBoxStyles() {
        QFETCH(int, style);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, icon);
        QFETCH(QString, action);
        QFETCH(Answer, answer);
        BoxSeen seen;
        onNextModal<QMessageBox>([&](QMessageBox* box) {
            seen = look(box);
            if (action == u"Enter") {
                QTest::keyClick(box, Qt::Key_Return);
            } else if (action == u"Escape") {
                QTest::keyClick(box, Qt::Key_Escape);
            } else {
                box->close();
            }
        });
        // The reason, where there is one, stands under the message.
        const QString details = style == 21 ? QStringLiteral("Nothing is connected as COM 5.") : QString();
        const Answer got = m_op->messageBox(text, style, title, details);
        QCOMPARE(got, answer);
        if (action != u"Enter") { // the scripted operator answers the same for a box it is not told to answer
            QCOMPARE(got, MsgStyle::closeAnswer(style));
        }
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.informative, details);
        QCOMPARE(int(seen.buttons), buttons);
        QCOMPARE(int(seen.defaultButton), defaultButton);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.parent, m_window.get());
    }

    void eachButtonAnswersItself_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("button");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Retry") << 21 << int(QMessageBox::Retry) << Answer::Retry;
        QTest::newRow("Cancel") << 21 << int(QMessageBox::Cancel) << Answer::Cancel;
        QTest::newRow("Retry, Cancel the default") << 309 << int(QMessageBox::Retry) << Answer::Retry;
        QTest::newRow("Yes") << 52 << int(QMessageBox::Yes) << Answer::Yes;
        QTest::newRow("No") << 52 << int(QMessageBox::No) << Answer::No;
        QTest::newRow("OK") << 48 << int(QMessageBox::Ok) << Answer::Ok;
    }
    void eachButtonAnswersItself() {
        QFETCH(int, style);
        QFETCH(int, button);
        QFETCH(Answer, answer);
        onNextModal<QMessageBox>([button](QMessageBox* box) {
            if (QAbstractButton* pressed = box->button(QMessageBox::StandardButton(button))) {
                QTest::mouseClick(pressed, Qt::LeftButton);
            }
        });
        QCOMPARE(m_op->messageBox(QStringLiteral("?"), style, QStringLiteral("Warning")), answer);
    }

    void saveDialogOffersTheRequest() {
        const QString folder = m_env->path(QStringLiteral("data/"));
        QDir().mkpath(folder);
        struct {
            QString title;
            QStringList filters;
            QString folder;
            bool saving = false;
        } seen;
        onNextModal<QFileDialog>([&](QFileDialog* dialog) {
            seen = {dialog->windowTitle(), dialog->nameFilters(), dialog->directory().absolutePath(),
                    dialog->acceptMode() == QFileDialog::AcceptSave};
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(m_op->chooseSaveFile(
                     {QStringLiteral("Save Downloaded data"), QStringLiteral("CSV files (*.csv)"), folder}),
                 std::nullopt);
        QCOMPARE(seen.title, QStringLiteral("Save Downloaded data"));
        QCOMPARE(seen.filters, QStringList{"CSV files (*.csv)"});
        QCOMPARE(seen.folder, QDir(folder).absolutePath());
        QVERIFY(seen.saving);
    }

    // A name typed without extension is taken as it is; the Cancel button chooses nothing.
    void saveDialogNameOrCancel_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("new file") << "run2";
        QTest::newRow("Cancel") << "";
    }
    void saveDialogNameOrCancel() {
        QFETCH(QString, typed);
        const QString folder = m_env->path(QStringLiteral("data/"));
        QDir().mkpath(folder);
        onNextModal<QFileDialog>([typed](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, typed);
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (typed.isEmpty() ? button->text().remove(u'&') == u"Cancel" : button->isDefault()) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    return;
                }
            }
        });
        const auto chosen = m_op->chooseSaveFile(
            {QStringLiteral("Save Downloaded data"), QStringLiteral("CSV files (*.csv)"), folder});
        QCOMPARE(chosen,
                 typed.isEmpty() ? std::nullopt : std::optional<QString>(QDir(folder).filePath(typed)));
    }

    // Choosing a file that is there asks first; No goes back to the dialog, Yes takes the name.
    void saveDialogAsksBeforeReplacing() {
        const QString folder = m_env->path(QStringLiteral("data/"));
        QDir().mkpath(folder);
        const QString existing = QDir(folder).filePath(QStringLiteral("run1.csv"));
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
                if (button == QMessageBox::No) {
                    openAfterNo = dialog->isVisible();
                }
            }
        });
        QCOMPARE(m_op->chooseSaveFile(
                     {QStringLiteral("Save Downloaded data"), QStringLiteral("CSV files (*.csv)"), folder}),
                 existing);
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked.first().contains(u"run1.csv"), qPrintable(asked.first()));
        QVERIFY(openAfterNo);
        QCOMPARE(readFileBytes(existing), QByteArray()); // choosing a file writes nothing yet
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
        QVERIFY(child.waitForStarted());
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
