#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// The lines of a download, numbered from 1, each held exactly as it arrived (its line end included).
// All lines share one buffer, so a long download costs little more than its bytes.
class LineStore {
public:
    int count() const { return int(m_ends.size()); }
    QByteArrayView line(int number) const;
    // Lines first to last, joined as they arrived.
    QByteArrayView lines(int first, int last) const;
    void append(QByteArrayView line);
    void clear();

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_ends; // m_ends[k - 1] is one past the last byte of line k
};
