#pragma once

#include "SaveLogs.h"

#include <functional>

class Operator;

// Asks "Save Downloaded Logs?" and saves on Yes. When the save fails on a file error, the question comes
// again, so the operator can pick another place or answer No. It never cancels what asked it.
void PromptSaveLogs(const std::function<SaveResult()>& save, Operator& op);
