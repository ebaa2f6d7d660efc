#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A download's bytes read the way the controller lays them out: header lines, the "Date," line of column
// titles, one record per line, and the final "END OF DOWNLOAD" line. The parts are views into the bytes,
// which must outlive them.
struct DownloadParts {
    QList<QByteArrayView> header; // the lines before "Date,", without line ends
    QByteArrayView titles;        // the "Date," line without its line end; empty when none came
    // The lines after "Date," up to the final line, without line ends. Blank lines are left out, and so is
    // a last line without its line end (the download was cut in the middle of it).
    QList<QByteArrayView> records;
    QByteArrayView head; // the bytes up to and including the "Date," line's end, as received
    int lineCount = 0;   // every line received, a last one cut short included
    bool complete = false;

    static DownloadParts of(QByteArrayView bytes);

    bool hasTitles() const { return !titles.isEmpty(); }
    // The header line that carries the record count (the second line before "Date,"); -1 when the header
    // is too short to have one.
    int countLine() const { return header.size() >= 2 ? int(header.size()) - 2 : -1; }
    // Why these bytes are not a download (no "Date," line, or fewer than four header lines before it),
    // or "" when they are one.
    QString refusal() const;
    // The controller's identity: a hash of its header lines with the count line left out, so the same
    // unit gives the same identity whatever its log holds.
    QByteArray identity() const;
    // A readable name from the header: the "Unit:" and "Site:" lines when there are such lines, else the
    // first header line that is not blank.
    QString defaultName() const;
};
