#pragma once

#include <QByteArrayView>

struct LinkState;

// What a character of the controller's reply brought about.
enum class ReplyEvent {
    None,          // nothing to show yet
    Line,          // a line was stored
    HeaderLine,    // the "Date," column titles were stored, with the header lines before them
    NoLogs,        // the controller holds no logs
    EndOfDownload, // the final line was stored
    QueryReply,    // the log-count reply is complete
    StoreFull,     // the reply reached what one download may bring; the line arriving was not stored
};

// Takes the reply's bytes from input[pos] on, each exactly as if it had arrived alone, until one of them
// brings about something to show; returns that, with pos just past that byte. Returns None with pos at
// the end when the input is used up.
ReplyEvent scanReply(LinkState& state, QByteArrayView input, qsizetype& pos);
