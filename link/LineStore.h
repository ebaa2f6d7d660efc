#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// The lines of a download, numbered from 1, each held exactly as it arrived (its line end included).
// All lines share one buffer, so a long download costs little more than its bytes: the buffer and the
// table of line ends grow in steps of an eighth, never doubling, and clearing gives the memory back to
// the system.
class LineStore {
public:
    int count() const { return int(m_ends.size()); }
    QByteArrayView line(int number) const;
    // Lines first to last, joined as they arrived. The view lasts until the next append or clear.
    QByteArrayView lines(int first, int last) const;
    // All the bytes, shared rather than copied: the store copies its buffer before it next changes, so
    // the copy stays as it is. ends() tells where each line ends in it.
    QByteArray sharedBytes() const { return m_bytes; }
    const std::vector<qsizetype>& ends() const { return m_ends; }
    void append(QByteArrayView line);
    void clear();
    // Bytes held for the lines (buffer and table), for the benchmark's memory figure.
    qsizetype capacityBytes() const;

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_ends; // m_ends[k - 1] is one past the last byte of line k
};
