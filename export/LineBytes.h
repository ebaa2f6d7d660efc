#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// Lines to write as one piece of bytes, and where each ends in it (one past its last byte). The piece is
// a copy that shares the store's buffer until the store changes, so lines may arrive, or the store be
// cleared, while it is written.
struct LineBytes {
    QByteArray bytes;
    std::vector<qsizetype> ends;

    int count() const { return int(ends.size()); }
    qsizetype endOf(int k) const { return k == 0 ? 0 : ends[size_t(k) - 1]; }
    // Lines first to last (from 1), joined.
    QByteArrayView lines(int first, int last) const {
        return QByteArrayView(bytes).sliced(endOf(first - 1), endOf(last) - endOf(first - 1));
    }
};
