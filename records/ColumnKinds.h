#pragma once

#include "DateOrder.h"

#include <QList>

class LineStore;
struct LogLayout;

enum class ColumnKind { Text, Number, Date, Time };

// What each column of a download holds, judged from a sample of its records spread over the whole
// download: numbers (perhaps with a unit), dates, times or text.
struct ColumnKinds {
    QList<ColumnKind> kinds;
    int dateColumn = -1;
    int timeColumn = -1;
    QList<int> numberColumns;

    static ColumnKinds detect(const LineStore& store, const LogLayout& layout, int columns);
    // The day/month order the dates of a column show, Unknown while every date reads both ways.
    static DateOrder dateOrderIn(const LineStore& store, const LogLayout& layout, int dateColumn);
};
