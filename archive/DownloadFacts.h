#pragma once

#include "DownloadEnd.h"

#include <QDateTime>
#include <QString>

// What the program knows about a download besides its bytes: when and where it was taken and how it
// ended. Times are kept in UTC; an invalid time is stored as unknown.
struct DownloadFacts {
    QDateTime started;
    QDateTime ended;
    QString host;
    int comNumber = 0; // 0 when unknown, as for an imported file
    QString device;    // the serial device, or the imported file's path
    DownloadEnd end = DownloadEnd::Complete;
};
