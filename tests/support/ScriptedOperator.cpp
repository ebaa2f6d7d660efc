#include "ScriptedOperator.h"

Answer ScriptedOperator::messageBox(const QString& text, int style, const QString& title) {
    questions.append({text, style, title});
    if (onQuestion) {
        onQuestion(questions.constLast());
    }
    if (!answers.isEmpty()) {
        return answers.takeFirst();
    }
    switch (style & 0x0F) {
    case MsgStyle::YesNo:
        return Answer::No;
    case MsgStyle::RetryCancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

std::optional<QString> ScriptedOperator::chooseSaveFile(const SaveFileRequest& request) {
    saveRequests.append(request);
    return saveFiles.isEmpty() ? std::nullopt : saveFiles.takeFirst();
}

void ScriptedOperator::showPortSelection() {
    ++portSelections;
    if (onPortSelection) {
        onPortSelection();
    }
}

QStringList ScriptedOperator::texts() const {
    QStringList list;
    for (const Question& q : questions) {
        list << q.text;
    }
    return list;
}
