#include "LineStore.h"

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The next capacity for at least `needed`: double while small, so a short download is not copied over
// and over; then an eighth more, so a long download of short lines keeps about an eighth of its size
// spare, where doubling would keep up to as much again.
qsizetype grownCapacity(qsizetype needed, qsizetype least, qsizetype doubleBelow) {
    return std::max(needed < doubleBelow ? 2 * needed : needed + needed / 8, least);
}

} // namespace

QByteArrayView LineStore::line(int number) const {
    return lines(number, number);
}

QByteArrayView LineStore::lines(int first, int last) const {
    if (first < 1 || last > m_count || first > last) {
        return {};
    }
    const qsizetype begin = endOf(first - 1);
    return QByteArrayView(m_bytes).sliced(begin, endOf(last) - begin);
}

LineStore LineStore::firstLines(int n) const {
    LineStore first = *this;
    first.m_count = std::clamp(n, 0, m_count);
    return first;
}

void LineStore::append(QByteArrayView line) {
    if (m_ends.size() != m_count) { // a snapshot of first lines grows from its own end
        m_bytes.truncate(byteCount());
        m_ends.resize(m_count);
    }
    const qsizetype needed = m_bytes.size() + line.size();
    if (needed > m_bytes.capacity() || !m_bytes.isDetached()) {
        m_bytes.reserve(grownCapacity(needed, 64 << 10, 4 << 20));
    }
    m_bytes.append(line);
    if (m_ends.size() == m_ends.capacity() || !m_ends.isDetached()) {
        m_ends.reserve(grownCapacity(m_ends.size() + 1, 1024, 64 << 10));
    }
    m_ends.append(m_bytes.size());
    ++m_count;
}

void LineStore::clear() {
    const bool large = capacityBytes() > 1 << 20;
    m_bytes = QByteArray();
    m_ends = QList<qsizetype>();
    m_count = 0;

#ifdef __GLIBC__
    // The C library keeps freed memory below its threshold for reuse; after a long download that is
    // megabytes the program may never need again.
    if (large) {
        malloc_trim(0);
    }
#else
    Q_UNUSED(large);
#endif
}

qsizetype LineStore::capacityBytes() const {
    return m_bytes.capacity() + m_ends.capacity() * qsizetype(sizeof(qsizetype));
}

LineStore LineStore::fromText(const QByteArray& text) {
    LineStore store;
    store.m_bytes = text.left(text.lastIndexOf('\n') + 1);
    for (qsizetype lf = store.m_bytes.indexOf('\n'); lf >= 0; lf = store.m_bytes.indexOf('\n', lf + 1)) {
        store.m_ends.append(lf + 1);
    }
    store.m_count = int(store.m_ends.size());
    return store;
}

LineStore LineStore::fromLines(const QByteArray& bytes, const QList<qsizetype>& ends) {
    LineStore store;
    store.m_bytes = bytes.left(ends.isEmpty() ? 0 : ends.back());
    store.m_ends = ends;
    store.m_count = int(store.m_ends.size());
    return store;
}
