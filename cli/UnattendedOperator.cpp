#include "UnattendedOperator.h"

Answer UnattendedOperator::messageBox(const QString& text, int style, const QString& title) {
    m_asked.append(text);
    Q_UNUSED(title); // TODO log
    switch (style & 0x0F) {
    case MsgStyle::RetryCancel:
        return Answer::Cancel;
    case MsgStyle::YesNo:
        return Answer::No;
    default:
        return Answer::Ok;
    }
}

std::optional<QString> UnattendedOperator::chooseSaveFile(const SaveFileRequest&) {
    // The command line names its file itself; nothing is saved through the dialog.
    return std::nullopt;
}
