#pragma once

#include "Exchange.h"

#include <QString>

// What an exchange's end means for a command-line run: its exit code and, when it went wrong, what the
// run says about it ("no response from the controller: ..."). A complete download or a count shown is
// kDone with no text; what then becomes of the lines is the caller's.
struct EndOutcome {
    int exitCode = 0;
    QString text;

    static EndOutcome of(ExchangeEnd how, const QString& reason, int lines);
};
