#pragma once

#include "Operator.h"

#include <QString>

// The operator when nobody is there: a command-line run asks no questions. Every box is answered at
// once, Cancel where Retry is offered (so a silent controller or a missing port ends the run) and OK
// otherwise; the program's wish to end and the reason given with the last box are kept, so the run can
// tell how it ended.
class UnattendedOperator : public Operator {
public:
    Answer messageBox(const QString& text, int style, const QString& title,
                      const QString& details = QString()) override;
    void beep() override {}
    std::optional<QString> chooseSaveFile(const SaveFileRequest& request) override;
    void showPortSelection() override {}
    void endProgram() override { endRequested = true; }

    bool endRequested = false;
    QString lastDetails; // the reason under the last box, e.g. why the port did not open
};
