#pragma once

#include "DateOrder.h"

#include <QList>

class LineStore;
struct LogLayout;

enum class ColumnKind { Text, Number, Date, Time };

// What each column of a download holds, judged from a sample of its records spread over the whole
// download: numbers (perhaps with a unit), dates, times or text. Among the number columns, those that name
// or count the records rather than measure something are told apart (see ColumnKinds.cpp for the rule).
struct ColumnKinds {
    QList<ColumnKind> kinds;
    int dateColumn = -1;
    int timeColumn = -1;
    QList<int> numberColumns;
    QList<int> identifierColumns; // a channel or sensor number: a few whole numbers
    QList<int> counterColumns;    // a sequence number: whole numbers that rise by the same step a record

    // A number column that measures something: the chart shows it until the operator hides it.
    bool isReading(int column) const;

    static ColumnKinds detect(const LineStore& store, const LogLayout& layout, int columns);
    // The day/month order the dates of a column show, Unknown while every date reads both ways.
    static DateOrder dateOrderIn(const LineStore& store, const LogLayout& layout, int dateColumn);
};
