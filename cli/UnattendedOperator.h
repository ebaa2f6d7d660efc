#pragma once

#include "Operator.h"

#include <QStringList>

// The operator when nobody is there: a command-line run asks no questions. Every box is answered at
// once, Cancel where Retry is offered (so a silent controller or a missing port ends the run) and OK
// otherwise, and what was asked is kept so the run can tell how it ended.
class UnattendedOperator : public Operator {
public:
    Answer messageBox(const QString& text, int style, const QString& title) override;
    void beep() override { ++beeps; }
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    void showPortSelection() override {}
    void endProgram() override { endRequested = true; }

    // Whether a question with this text was asked.
    bool asked(const QString& text) const { return m_asked.contains(text); }

    int beeps = 0;
    bool endRequested = false;

private:
    QStringList m_asked;
};
