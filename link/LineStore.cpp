#include "LineStore.h"

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
    if (first < 1 || last > count() || first > last) {
        return {};
    }
    const qsizetype begin = first == 1 ? 0 : m_ends[size_t(first) - 2];
    return QByteArrayView(m_bytes).sliced(begin, m_ends[size_t(last) - 1] - begin);
}

void LineStore::append(QByteArrayView line) {
    const qsizetype needed = m_bytes.size() + line.size();
    if (needed > m_bytes.capacity() || !m_bytes.isDetached()) {
        m_bytes.reserve(grownCapacity(needed, 64 << 10, 4 << 20));
    }
    m_bytes.append(line);
    if (m_ends.size() == m_ends.capacity()) {
        m_ends.reserve(size_t(grownCapacity(qsizetype(m_ends.size()) + 1, 1024, 64 << 10)));
    }
    m_ends.push_back(m_bytes.size());
}

void LineStore::clear() {
    const bool large = m_bytes.capacity() + qsizetype(m_ends.capacity() * sizeof(qsizetype)) > 1 << 20;
    m_bytes = QByteArray();
    std::vector<qsizetype>().swap(m_ends); // assigning {} would keep the capacity

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
    return m_bytes.capacity() + qsizetype(m_ends.capacity() * sizeof(qsizetype));
}
