#pragma once

#include "Operator.h"

#include <QStringList>

// An operator who is never asked anything that needs a person: every box is answered with OK, the Save
// dialog names saveAs (or is cancelled when it is empty), and what the program said is kept in order.
// The benchmark and the fuzzers use it where the scripted operator's bookkeeping would be in the way.
class QuietOperator : public Operator {
public:
    Answer messageBox(const QString& text, int /*style*/, const QString& /*title*/,
                      const QString& /*details*/ = QString()) override {
        told << text;
        return Answer::Ok;
    }
    void beep() override { told << QStringLiteral("beep"); }
    std::optional<QString> chooseSaveFile(const SaveFileRequest& /*request*/) override {
        return saveAs.isEmpty() ? std::nullopt : std::optional<QString>(saveAs);
    }
    std::optional<PortChoice> choosePort(int /*currentPort*/) override { return std::nullopt; }
    QList<LeftoverChoice> reviewLeftovers(const QList<LeftoverCopy>& copies) override {
        return QList<LeftoverChoice>(copies.size(), LeftoverChoice::Later);
    }
    void endProgram() override {}

    QString saveAs;
    QStringList told;
};
