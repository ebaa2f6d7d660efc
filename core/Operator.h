#pragma once

#include "MessageStyle.h"

#include <QString>
#include <optional>

// What the Save dialog is asked to offer.
struct SaveFileRequest {
    QString title;
    QString filter;
    QString folder;
};

// Everything the operator answers goes through here: message boxes, the beep, the Save dialog, the port
// selection dialog and ending the program. The program uses real dialogs; tests answer from a script.
class Operator {
public:
    virtual ~Operator() = default;

    // details: a further line under the text saying why (the real dialogs show it as informative text);
    // empty for most boxes.
    virtual Answer messageBox(const QString& text, int style, const QString& title,
                              const QString& details = QString()) = 0;
    virtual void beep() = 0;
    // The chosen file name, or nothing when the operator cancelled.
    virtual std::optional<QString> chooseSaveFile(const SaveFileRequest& request) = 0;
    virtual void showPortSelection() = 0;
    // Ends the program once control returns to the event loop; callers return at once after it.
    virtual void endProgram() = 0;
};
