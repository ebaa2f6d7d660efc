#include "DialogOperator.h"

#include "ComsBox.h"
#include "MainForm.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

Answer DialogOperator::messageBox(const QString& text, int style, const QString& title) {
    QMessageBox box(m_window);
    box.setWindowTitle(title);
    box.setText(text);
    switch (style & 0xF0) {
    case MsgStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgStyle::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    QList<QAbstractButton*> buttons;
    switch (style & 0x0F) {
    case MsgStyle::YesNo:
        buttons = {box.addButton(QMessageBox::Yes), box.addButton(QMessageBox::No)};
        break;
    case MsgStyle::RetryCancel:
        buttons = {box.addButton(QMessageBox::Retry), box.addButton(QMessageBox::Cancel)};
        break;
    default:
        buttons = {box.addButton(QMessageBox::Ok)};
        break;
    }
    const int defaultIndex = (style & MsgStyle::SecondDefault) != 0 && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.at(defaultIndex)));
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return (style & 0x0F) == MsgStyle::RetryCancel ? Answer::Cancel : Answer::Ok;
    }
}

void DialogOperator::beep() {
    QApplication::beep();
}

std::optional<QString> DialogOperator::chooseSaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(m_window, request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

void DialogOperator::showPortSelection() {
    ComsBox dialog(m_window->comPort(), m_window->settings(), *this, m_window);
    dialog.exec();
}

void DialogOperator::endProgram() {
    QCoreApplication::exit(0);
    // Before the event loop runs, exit() is not yet heard: say it again once it runs.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}
