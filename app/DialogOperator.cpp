#include "DialogOperator.h"

#include "ComsBox.h"
#include "LeftoverDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

QMessageBox::Icon iconOf(MsgStyle::Icon icon) {
    switch (icon) {
    case MsgStyle::Icon::Critical:
        return QMessageBox::Critical;
    case MsgStyle::Icon::Exclamation:
        return QMessageBox::Warning;
    case MsgStyle::Icon::Information:
        return QMessageBox::Information;
    case MsgStyle::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton buttonOf(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Retry:
        return QMessageBox::Retry;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

QWidget* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget) != nullptr && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

Answer DialogOperator::messageBox(const QString& text, int style, const QString& title,
                                  const QString& details) {
    QMessageBox box(mainWindow());
    box.setWindowTitle(title);
    box.setText(text);
    // The reason and what to do about it, under the message.
    box.setInformativeText(details);
    box.setIcon(iconOf(MsgStyle::icon(style)));
    const QList<Answer> answers = MsgStyle::buttons(style);
    QList<QAbstractButton*> buttons;
    for (const Answer answer : answers) {
        buttons << box.addButton(buttonOf(answer));
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.at(MsgStyle::defaultIndex(style))));
    // Escape and the close box answer what the style gives a box closed without a button.
    box.setEscapeButton(buttons.at(answers.indexOf(MsgStyle::closeAnswer(style))));
    box.exec();
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    return clicked >= 0 ? answers.at(clicked) : MsgStyle::closeAnswer(style);
}

void DialogOperator::beep() {
    QApplication::beep();
}

std::optional<QString> DialogOperator::chooseSaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(mainWindow(), request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

QStringList DialogOperator::chooseOpenFiles(const OpenFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow() != nullptr ? QApplication::activeWindow() : mainWindow(),
                       request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.pick == OpenFileRequest::Pick::Folder ? QFileDialog::Directory
                       : request.pick == OpenFileRequest::Pick::File ? QFileDialog::ExistingFile
                                                                     : QFileDialog::ExistingFiles);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

std::optional<PortChoice> DialogOperator::choosePort(int currentPort) {
    ComsBox dialog(m_port, currentPort, *this, m_devices, mainWindow());
    dialog.exec();
    return dialog.choice();
}

void DialogOperator::endProgram() {
    QCoreApplication::exit(0);
    // Before the event loop runs, exit() is not yet heard: say it again once it runs.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

QList<LeftoverChoice> DialogOperator::reviewLeftovers(const QList<LeftoverCopy>& copies) {
    LeftoverDialog dialog(copies, *this, mainWindow());
    dialog.exec();
    return dialog.choices();
}
