#pragma once

#include "LineStore.h"

#include <QByteArray>

// What the program knows about the exchange with the controller: the command last sent, the reply
// received so far and the lines of the current (or last) download.
struct LinkState {
    // A download ends early, its lines kept, once it has brought this many lines or bytes: far above any
    // real controller's log (its 16-bit count means tens of thousands of records, a few megabytes), far
    // below a PC's memory, so a controller that never stops cannot take it all.
    static constexpr int kMaxLines = 1'000'000;
    static constexpr qsizetype kMaxBytes = 64 << 20;

    int CommandMode = 0;    // CommandModes::Download or CommandModes::LogCount
    QByteArray RxBuffer;    // the line being received, or the whole log-count reply so far
    LineStore LogLines;     // the stored lines, 1 to LineCount()
    int WatchLineCount = 0; // LineCount() at the watchdog's previous tick
    int ExpectedLines = 0;  // lines the download header announced (count + 8), 0 when unknown
    bool replyOver = true;  // no reply is awaited; whatever still arrives is dropped
    int maxLines = kMaxLines;
    qsizetype maxBytes = kMaxBytes;

    int LineCount() const { return LogLines.count(); }
};
