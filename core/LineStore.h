#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The lines of a download, numbered from 1, each held exactly as it arrived (its line end included).
// All lines share one buffer, so a long download costs little more than its bytes: the buffer and the
// table of line ends grow in steps of an eighth once large, and clearing gives the memory back to the
// system. A copy of a store is a snapshot: it shares the memory until either side changes, so a save can
// write lines 1 to n while more arrive.
class LineStore {
public:
    int count() const { return m_count; }
    QByteArrayView line(int number) const;
    // Lines first to last, joined as they arrived. The view lasts until the store next changes.
    QByteArrayView lines(int first, int last) const;
    // The bytes of lines 1 to count().
    qsizetype byteCount() const { return endOf(m_count); }
    // One past the last byte of line k (0 for k = 0), as an offset into lines(1, count()).
    qsizetype endOf(int k) const { return k == 0 ? 0 : m_ends[k - 1]; }
    // The bytes of lines 1 to count(), sharing the store's memory (no copy) when they are all it holds.
    QByteArray bytes() const { return m_bytes.size() == byteCount() ? m_bytes : m_bytes.first(byteCount()); }
    // The first n lines, sharing this store's memory.
    LineStore firstLines(int n) const;

    void append(QByteArrayView line);
    void clear();
    // Bytes held for the lines (buffer and table), for the benchmark's memory figure.
    qsizetype capacityBytes() const;

    // The whole lines of a text (a recovered copy, a saved file); bytes after the last line feed are no line.
    static LineStore fromText(const QByteArray& text);
    // Lines already found (a history from the archive): ends[k] is one past the last byte of line k + 1.
    // Bytes and ends are shared, not copied, and the bytes are not searched for line ends again.
    static LineStore fromLines(const QByteArray& bytes, const QList<qsizetype>& ends);

private:
    QByteArray m_bytes;
    QList<qsizetype> m_ends; // m_ends[k - 1] is one past the last byte of line k
    int m_count = 0;         // lines of m_ends that belong to this store (fewer in a snapshot of first lines)
};
