#include "UnattendedOperator.h"

#include "Logging.h"

Answer UnattendedOperator::messageBox(const QString& text, int style, const QString& title,
                                      const QString& /*details*/) {
    qCInfo(lcLink).noquote() << "answered without a person:" << title << '-' << text;
    return MsgStyle::closeAnswer(style);
}

std::optional<QString> UnattendedOperator::chooseSaveFile(const SaveFileRequest&) {
    // The command line names its file itself; nothing is saved through the dialog.
    qCWarning(lcExport) << "the Save dialog was asked for during a command-line run; cancelled";
    return std::nullopt;
}
