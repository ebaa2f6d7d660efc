#pragma once

#include <QByteArray>
#include <QList>

// A controller's download as it comes over the wire: six header lines (the count line second before the
// titles), the "Date," line, the records and "END OF DOWNLOAD", every line ending in CR LF. `unit` and
// `firmware` name the controller in its header.
QByteArray sampleDownload(const QList<QByteArray>& records, const QByteArray& unit = "RM7-0042",
                          const QByteArray& firmware = "R7305 V1.7");
// Records `first` to `first + count - 1` of sampleRecord().
QByteArray sampleDownload(int first, int count, const QByteArray& unit = "RM7-0042");
// Record `i` (from 0): a minute after record i - 1, from 01/11/2026 00:00 (day first), numbered i + 1 at
// its end, so no two are alike.
QByteArray sampleRecord(int i);
