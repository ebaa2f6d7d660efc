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
struct ChartData {
    struct Series {
        int column = 0;
        QString title;
        QList<QPointF> points;
    };

    bool timeAxis = false;
    DateOrder order = DateOrder::Unknown; // the order the dates were read in
    bool orderAmbiguous = false;          // every date reads both ways: `order` is the operator's choice
    QList<Series> series;

    static constexpr int kBuckets = 2000;

    // `chosenOrder` reads dates that are not decided by the data; Unknown reads them day first.
    static ChartData build(const LineStore& store, const LogLayout& layout, const ColumnKinds& kinds,
                           DateOrder chosenOrder, int buckets = kBuckets);
};
