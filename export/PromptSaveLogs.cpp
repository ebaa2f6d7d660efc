#include "PromptSaveLogs.h"

#include "Operator.h"

void PromptSaveLogs(const std::function<SaveResult()>& save, Operator& op) {
    while (op.messageBox(QStringLiteral("Save Downloaded Logs?"), MsgStyle::YesNo + MsgStyle::Exclamation,
                         QStringLiteral("Warning!!")) == Answer::Yes) {
        if (save() != SaveResult::Failed) {
            return;
        }
    }
}
