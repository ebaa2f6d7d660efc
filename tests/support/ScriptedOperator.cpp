#include "ScriptedOperator.h"

Answer ScriptedOperator::messageBox(const QString& text, int style, const QString& title,
                                    const QString& details) {
    questions.append({text, style, title, details});
    if (onQuestion) {
        onQuestion(questions.constLast());
    }
    if (!answers.isEmpty()) {
        return answers.takeFirst();
    }
    return MsgStyle::closeAnswer(style);
}

std::optional<QString> ScriptedOperator::chooseSaveFile(const SaveFileRequest& request) {
    saveRequests.append(request);
    if (onSaveDialog) {
        onSaveDialog();
    }
    return saveFiles.isEmpty() ? std::nullopt : saveFiles.takeFirst();
}

QStringList ScriptedOperator::chooseOpenFiles(const OpenFileRequest& request) {
    openRequests.append(request);
    return openFiles.isEmpty() ? QStringList() : openFiles.takeFirst();
}

std::optional<PortChoice> ScriptedOperator::choosePort(int /*currentPort*/) {
    ++portSelections;
    return onPortSelection ? onPortSelection() : std::nullopt;
}

QStringList ScriptedOperator::texts() const {
    QStringList list;
    for (const Question& q : questions) {
        list << q.text;
    }
    return list;
}

QList<LeftoverChoice> ScriptedOperator::reviewLeftovers(const QList<LeftoverCopy>& copies) {
    leftoverReviews << copies;
    return leftoverChoices.isEmpty() ? QList<LeftoverChoice>(copies.size(), LeftoverChoice::Later)
                                     : leftoverChoices.takeFirst();
}
