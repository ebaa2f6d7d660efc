#include "UnattendedOperator.h"

#include "Logging.h"

Answer UnattendedOperator::messageBox(const QString& text, int style, const QString& title,
                                      const QString& details) {
    lastDetails = details;
    // As if the box were closed without a button: Cancel to Retry/Cancel, No to Yes/No, OK to OK.
    const Answer answer = MsgStyle::closeAnswer(style);
    qCInfo(lcLink).noquote() << "answered without a person:" << title << '-' << text;
    return answer;
}

std::optional<QString> UnattendedOperator::chooseSaveFile(const SaveFileRequest&) {
    // The command line names its file itself; nothing is saved through the dialog.
    qCWarning(lcExport) << "the Save dialog was asked for during a command-line run; cancelled";
    return std::nullopt;
}
