#pragma once

#include "DownloadFacts.h"
#include "DownloadParts.h"
#include "RecordKeys.h"

#include <QByteArray>
#include <vector>

// What the archive works out from a download before it touches a database, once, however often the
// download is offered (to a server, to the queue, again after a failure).
struct PreparedDownload {
    // Exactly as received, never changed: the parts are views into it, and a copy shares it.
    QByteArray bytes;
    DownloadFacts facts;
    DownloadParts parts;
    RecordKeys keys;
    QByteArray identity;
    QByteArray rawHash;
    QByteArray compressed;
    std::vector<QByteArray> lineKeys; // lineKey() of each record
    // For each record, which time this line comes in its download (1 for the first): a line held twice
    // is stored as occurrences 1 and 2.
    std::vector<int> occurrences;

    // Nothing but `bytes` and `facts` is filled in when the bytes are not a download.
    static PreparedDownload of(const QByteArray& bytes, const DownloadFacts& facts);
    // The bytes of a compressed download, checked against their hash; empty and `error` set when they do
    // not come back as stored.
    static QByteArray uncompressed(const QByteArray& compressed, const QByteArray& rawHash, QString& error);
};

// What names a download: the SHA-256 of its bytes.
QByteArray downloadHash(QByteArrayView bytes);
// What names a record line: its first 20 bytes and 16 bytes of the SHA-256 of the whole line. Starting
// with the line's own start (its date and time) keeps a download's records side by side in the index, so
// adding one touches a few of its pages instead of nearly all of them.
QByteArray lineKey(QByteArrayView line);
