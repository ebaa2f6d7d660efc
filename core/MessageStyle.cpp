#include "MessageStyle.h"

namespace MsgStyle {

namespace {
constexpr int kButtonMask = 0x0F;
constexpr int kIconMask = 0xF0;
} // namespace

QList<Answer> buttons(int style) {
    switch (style & kButtonMask) {
    case YesNo:
        return {Answer::Yes, Answer::No};
    case RetryCancel:
        return {Answer::Retry, Answer::Cancel};
    default:
        return {Answer::Ok};
    }
}

Icon icon(int style) {
    switch (style & kIconMask) {
    case Critical:
        return Icon::Critical;
    case Exclamation:
        return Icon::Exclamation;
    case Information:
        return Icon::Information;
    default:
        return Icon::None;
    }
}

int defaultIndex(int style) {
    return (style & SecondDefault) != 0 && buttons(style).size() > 1 ? 1 : 0;
}

Answer closeAnswer(int style) {
    return buttons(style).constLast();
}

} // namespace MsgStyle
