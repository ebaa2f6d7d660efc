#pragma once

#include <QByteArrayView>

class Link;

// Reads what the port received and takes it through the reply's steps: lines stored and shown, and the
// exchange finished at "No log entries!", "END OF DOWNLOAD" or a complete log-count reply.
void receiveFromPort(Link& link);
// The same for bytes already read; the result never depends on how the bytes are split into reads.
void receiveReply(Link& link, QByteArrayView input);
