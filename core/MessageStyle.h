#pragma once

#include <QList>

enum class Answer { Ok, Cancel, Yes, No, Retry };

// The styles of the program's message boxes: the sum of one button set, one icon and, optionally, the
// second button as the default. The real dialogs and the scripted operator both read a style here.
namespace MsgStyle {
constexpr int Ok = 0;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int Critical = 16;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int SecondDefault = 256;

enum class Icon { None, Critical, Exclamation, Information };

// The answers of the style's buttons, in the order they are shown.
QList<Answer> buttons(int style);
Icon icon(int style);
// Which of the buttons is the default: 0 for the first, 1 for the second.
int defaultIndex(int style);
// What a box answers when it is closed without a button (Escape, the close box): the one button of an OK
// box, else Cancel or No.
Answer closeAnswer(int style);
} // namespace MsgStyle
