#pragma once

#include <QByteArrayView>
#include <functional>

class Operator;
struct Settings;

enum class SaveResult { Saved, Cancelled, Failed };

// The lines to save: how many, and line k (1 to count) as it arrived.
struct LogSource {
    int count = 0;
    std::function<QByteArrayView(int)> line;
};

// Asks for a file in the Save dialog (opening in the remembered folder, which it then remembers anew)
// and writes the lines to it byte for byte. Failures are shown to the operator here.
SaveResult SaveLogs(const LogSource& logs, Settings& settings, Operator& op);
