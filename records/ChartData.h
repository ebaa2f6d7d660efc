#pragma once

#include "ColumnKinds.h"
#include "DateOrder.h"

#include <QList>
#include <QPointF>
#include <QString>

class LineStore;
struct LogLayout;

// The numeric columns of a download as points to plot: against the date and time of each record (in ms
// since the epoch) when the download has a date column, else against the record number. However long the
// download, each series keeps at most about twice `buckets` points: the records are cut into that many
// runs and each run gives its lowest and highest value, so peaks stay visible.
//
// A line drawn across a time without records would show values nobody measured, so a series is cut into
// stretches wherever the clock goes back or moves on by more than kGapFactor times the usual interval
// (the median of the intervals between neighbouring records that differ, over a sample of the download).
struct ChartData {
    struct Series {
        int column = 0;
        QString title;
        bool reading = true; // not an identifier or a counter: shown until the operator hides it
        QList<QPointF> points;
        QList<int> breaks; // the points where a new stretch starts (the first stretch's 0 left out)
    };

    bool timeAxis = false;
    DateOrder order = DateOrder::Unknown; // the order the dates were read in
    bool orderAmbiguous = false;          // every date reads both ways: `order` is the operator's choice
    double gapLimit = 0;                  // ms; 0 while the download shows no usual interval
    double firstX = 0;                    // the first and last record plotted, by their x
    double lastX = 0;
    int plotted = 0; // records with a place on the x axis
    QList<Series> series;

    static constexpr int kBuckets = 2000;
    static constexpr int kGapFactor = 10;

    // `chosenOrder` reads dates that are not decided by the data; Unknown reads them day first.
    static ChartData build(const LineStore& store, const LogLayout& layout, const ColumnKinds& kinds,
                           DateOrder chosenOrder, int buckets = kBuckets);
};
