#pragma once

#include <QStringList>

class LineStore;

// Where a download's parts stand in the stored lines: the header lines, then the "Date," line that names
// the columns, then the records (and whatever else came after it).
struct LogLayout {
    int titleLine = 0; // the "Date," line, 0 while none has arrived
    QStringList titles;

    bool hasTitles() const { return titleLine > 0; }
    // The first line that the table shows as a row: the one after the titles, or every line without them.
    int firstRowLine() const { return titleLine + 1; }

    static LogLayout of(const LineStore& store);
};
