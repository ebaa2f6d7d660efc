#pragma once

#include "Operator.h"

#include <QList>
#include <QString>
#include <functional>

// The operator as a script: every question is recorded, and answered from a queue. An unexpected
// question (an empty queue) is answered Cancel or No and recorded all the same, so a test sees it.
class ScriptedOperator : public Operator {
public:
    struct Question {
        QString text;
        int style;
        QString title;
        QString details;
    };

    QList<Question> questions;
    QList<Answer> answers;
    QList<std::optional<QString>> saveFiles; // Save dialog answers; nothing means Cancel
    QList<SaveFileRequest> saveRequests;
    QList<QStringList> openFiles; // Open dialog answers; none (or an empty list) means Cancel
    QList<OpenFileRequest> openRequests;
    int beeps = 0;
    int portSelections = 0;
    int programEnds = 0;
    std::function<std::optional<PortChoice>()> onPortSelection; // what the operator chooses in the dialog
    QList<QList<LeftoverCopy>> leftoverReviews;                 // the leftover copies shown, each time
    QList<QList<LeftoverChoice>> leftoverChoices;               // the answers; none: Later for each
    std::function<void(const Question&)> onQuestion;            // runs while a box is "open"
    std::function<void()> onSaveDialog;                         // runs while the Save dialog is "open"

    Answer messageBox(const QString& text, int style, const QString& title,
                      const QString& details = QString()) override;
    void beep() override { ++beeps; }
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    QStringList chooseOpenFiles(const OpenFileRequest& request) override;
    std::optional<PortChoice> choosePort(int currentPort) override;
    QList<LeftoverChoice> reviewLeftovers(const QList<LeftoverCopy>& copies) override;
    void endProgram() override { ++programEnds; }

    QStringList texts() const;
};
