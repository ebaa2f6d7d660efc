#pragma once

#include "Operator.h"

// The operator when nobody is there: a command-line run asks no questions. Every box is answered at
// once as if it were closed without a button: Cancel where Retry is offered (so a silent controller or a
// missing port ends the run), No to a question, OK otherwise. The run learns how the exchange ended from
// the link itself.
class UnattendedOperator : public Operator {
public:
    Answer messageBox(const QString& text, int style, const QString& title,
                      const QString& details = QString()) override;
    void beep() override {}
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    std::optional<PortChoice> choosePort(int /*currentPort*/) override { return std::nullopt; }
    // The command line leaves earlier runs' copies for the window to offer.
    QList<LeftoverChoice> reviewLeftovers(const QList<LeftoverCopy>& copies) override {
        QList<LeftoverChoice> later(copies.size(), LeftoverChoice::Later);
        return later;
    }
    void endProgram() override {}
};
