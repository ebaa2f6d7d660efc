#include "LogLayout.h"

#include "CsvLine.h"
#include "LineStore.h"

LogLayout LogLayout::of(const LineStore& store) {
    LogLayout layout;
    for (int k = 1; k <= store.count(); ++k) {
        const QByteArrayView line = store.line(k);
        if (line.startsWith("Date,")) {
            layout.titleLine = k;
            layout.titles = CsvLine::fields(line);
            break;
        }
    }
    return layout;
}
