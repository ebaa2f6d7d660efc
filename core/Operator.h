#pragma once

#include <QString>
#include <optional>

// The styles of the program's message boxes: the sum of one button set, one icon and, optionally, the
// second button as the default.
namespace MsgStyle {
constexpr int Ok = 0;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int Critical = 16;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int SecondDefault = 256;
} // namespace MsgStyle

enum class Answer { Ok, Cancel, Yes, No, Retry };

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

    virtual Answer messageBox(const QString& text, int style, const QString& title) = 0;
    virtual void beep() = 0;
    // The chosen file name, or nothing when the operator cancelled.
    virtual std::optional<QString> chooseSaveFile(const SaveFileRequest& request) = 0;
    virtual void showPortSelection() = 0;
    // Ends the program once control returns to the event loop; callers return at once after it.
    virtual void endProgram() = 0;
};
