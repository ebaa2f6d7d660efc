#pragma once

#include "DownloadEnd.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// What the archive shows: its controllers, their downloads, a merged history, a comparison. Download
// times are UTC; record times are the controller's own clock, marked UTC only so that no daylight-saving
// change can shift them.

struct ControllerSummary {
    qint64 id = 0;
    QString name;
    int downloads = 0;
    qint64 records = 0;
    QDateTime firstRecord; // invalid when no record has a readable date
    QDateTime lastRecord;
    QDateTime lastDownload; // when the newest download ended
};

struct DownloadSummary {
    qint64 id = 0;
    qint64 controllerId = 0;
    QDateTime started;
    QDateTime ended;
    QString host;
    int comNumber = 0;
    QString device;
    DownloadEnd end = DownloadEnd::Complete;
    int lineCount = 0;
    int recordCount = 0;
    qint64 bytes = 0; // the size as received
};

// Lines joined in one buffer, each with its CR LF, the way the program's line store holds a download:
// ends[k] is one past the last byte of line k + 1. A history is the newest download's header lines and
// "Date," line, then the controller's records in order.
struct HistoryLines {
    QByteArray bytes;
    QList<qsizetype> ends; // shared, like the bytes, with whoever copies the lines (the viewer's store)
    int titleLine = 0;     // the "Date," line, numbered from 1; the records follow it

    int count() const { return int(ends.size()); }
    // Line `number` (from 1) with its line end.
    QByteArrayView line(int number) const {
        const qsizetype begin = number == 1 ? 0 : ends[number - 2];
        return QByteArrayView(bytes).sliced(begin, ends[number - 1] - begin);
    }
};

// The records of one download that the other lacks, each in the order of its own download and without
// its line end. A record held twice in one and once in the other is listed once.
struct DownloadComparison {
    QByteArray titles; // the first download's "Date," line
    QList<QByteArray> onlyInFirst;
    QList<QByteArray> onlyInSecond;
};
