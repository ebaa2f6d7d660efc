#pragma once

#include "LineBytes.h"

#include <QByteArrayView>
#include <functional>

class Operator;
struct Settings;

enum class SaveResult { Saved, Cancelled, Failed };

// The lines to save: how many there are now, and line k (1 to count) as it arrived. The count is asked
// when writing starts, so lines that arrived while the Save dialog was open are written too. When given,
// snapshot(count) hands lines 1 to count over in one piece that later changes of the store leave alone
// (else the lines are copied one by one).
struct LogSource {
    std::function<int()> count;
    std::function<QByteArrayView(int)> line;
    std::function<LineBytes(int)> snapshot;
};

// Asks for a file in the Save dialog (opening in the remembered folder, which it then remembers anew)
// and writes the lines to it byte for byte. Failures are shown to the operator here.
SaveResult SaveLogs(const LogSource& logs, Settings& settings, Operator& op);
