#include "ReplyScanner.h"

#include "CommandMode.h"
#include "ControllerWire.h"
#include "LinkState.h"

namespace {

using ControllerWire::kColumnTitles;
using ControllerWire::kEndOfDownload;
using ControllerWire::kNoLogs;

// The reply so far, stored lines and the line still arriving, has reached what one download may bring.
bool atTheLimit(const LinkState& state) {
    return state.LogLines.byteCount() + state.RxBuffer.size() > state.maxBytes;
}

ReplyEvent storeLine(LinkState& state) {
    if (state.LineCount() >= state.maxLines || atTheLimit(state)) {
        return ReplyEvent::StoreFull;
    }
    state.LogLines.append(state.RxBuffer);
    if (state.RxBuffer.startsWith(kEndOfDownload)) {
        return ReplyEvent::EndOfDownload; // the final line stays in RxBuffer until the next command
    }
    const bool header =
        state.RxBuffer.startsWith(kColumnTitles) && state.LineCount() >= ControllerWire::kFirstTitlesLine;
    state.RxBuffer.resize(0);
    return header ? ReplyEvent::HeaderLine : ReplyEvent::Line;
}

ReplyEvent scanQueryReply(LinkState& state, QByteArrayView input, qsizetype& pos) {
    while (pos < input.size()) {
        state.RxBuffer.append(input[pos++]);
        if (state.RxBuffer.size() >= ControllerWire::kLogCountReplyLength) {
            return ReplyEvent::QueryReply;
        }
    }
    return ReplyEvent::None;
}

// Before the first line is stored, the controller may answer "No log entries!" after stray characters;
// it is recognised when the characters so far end with it, so an ordinary first line is kept whole.
ReplyEvent scanBeforeFirstLine(LinkState& state, QByteArrayView input, qsizetype& pos) {
    while (pos < input.size() && state.LineCount() == 0) {
        const char c = input[pos++];
        state.RxBuffer.append(c);
        if (state.RxBuffer.endsWith(kNoLogs)) {
            return ReplyEvent::NoLogs;
        }
        if (c == '\n') {
            return storeLine(state);
        }
        if (atTheLimit(state)) {
            return ReplyEvent::StoreFull;
        }
    }
    return ReplyEvent::None;
}

} // namespace

ReplyEvent scanReply(LinkState& state, QByteArrayView input, qsizetype& pos) {
    if (state.CommandMode == CommandModes::LogCount) {
        return scanQueryReply(state, input, pos);
    }
    if (state.LineCount() == 0) {
        const ReplyEvent event = scanBeforeFirstLine(state, input, pos);
        if (event != ReplyEvent::None || pos == input.size()) {
            return event;
        }
    }
    // From the second line on every character but the line feed is simply appended, so the bytes up to
    // the next line feed go in at once.
    const qsizetype lf = input.indexOf('\n', pos);
    const qsizetype end = lf < 0 ? input.size() : lf + 1;
    state.RxBuffer.append(input.sliced(pos, end - pos));
    pos = end;
    if (lf < 0) {
        return atTheLimit(state) ? ReplyEvent::StoreFull : ReplyEvent::None;
    }
    return storeLine(state);
}
