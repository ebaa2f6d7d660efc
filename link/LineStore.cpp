#include "LineStore.h"

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
    m_bytes.append(line);
    m_ends.push_back(m_bytes.size());
}

void LineStore::clear() {
    m_bytes = QByteArray();
    m_ends = {};
}
