#pragma once

#include "SaveLogs.h"

#include <functional>

class Operator;

// How the question ended: the lines were saved, the operator answered No, or Yes was followed by Cancel
// in the Save dialog.
enum class PromptOutcome { Saved, Declined, SaveCancelled };

// Asks "Save Downloaded Logs?" and saves on Yes. When the save fails on a file error, the question comes
// again, so the operator can pick another place or answer No. It never cancels what asked it.
PromptOutcome PromptSaveLogs(const std::function<SaveResult()>& save, Operator& op);
