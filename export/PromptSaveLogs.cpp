#include "PromptSaveLogs.h"

#include "Operator.h"

PromptOutcome PromptSaveLogs(const std::function<SaveResult()>& save, Operator& op) {
    while (op.messageBox(QStringLiteral("Save Downloaded Logs?"), MsgStyle::YesNo + MsgStyle::Exclamation,
                         QStringLiteral("Warning!!")) == Answer::Yes) {
        const SaveResult result = save();
        if (result == SaveResult::Saved) {
            return PromptOutcome::Saved;
        }
        if (result == SaveResult::Cancelled) {
            return PromptOutcome::SaveCancelled;
        }
    }
    return PromptOutcome::Declined;
}
