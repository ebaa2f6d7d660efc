#include "LineFilter.h"

#include <algorithm>
#include <array>

namespace {

// Latin-1 lower case of every byte.
constexpr std::array<unsigned char, 256> kFold = [] {
    std::array<unsigned char, 256> fold{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        fold[size_t(c)] = static_cast<unsigned char>(upper ? c + 32 : c);
    }
    return fold;
}();

unsigned char fold(char c) {
    return kFold[static_cast<unsigned char>(c)];
}

} // namespace

LineFilter::LineFilter(const QString& text) : m_text(text) {
    // Lines are shown as Latin-1, so a character beyond it is in none of them.
    m_unmatched = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; });
    const QByteArray bytes = text.toLatin1();
    m_needle.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        m_needle[i] = char(fold(bytes[i]));
    }
    // Horspool's table: how far the window may move when its last byte is c.
    const int n = int(m_needle.size());
    for (int& skip : m_skip) {
        skip = n;
    }
    for (int i = 0; i + 1 < n; ++i) {
        const auto c = static_cast<unsigned char>(m_needle[i]);
        m_skip[c] = n - 1 - i;
        // The same byte in upper case moves the window just as far.
        for (int u = 0; u < 256; ++u) {
            if (kFold[size_t(u)] == c) {
                m_skip[u] = n - 1 - i;
            }
        }
    }
}

bool LineFilter::matches(QByteArrayView line) const {
    const qsizetype n = m_needle.size();
    if (m_unmatched) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    const char* needle = m_needle.constData();
    for (qsizetype at = 0; at + n <= line.size();) {
        const char last = line[at + n - 1];
        if (fold(last) == static_cast<unsigned char>(needle[n - 1])) {
            qsizetype i = n - 2;
            while (i >= 0 && fold(line[at + i]) == static_cast<unsigned char>(needle[i])) {
                --i;
            }
            if (i < 0) {
                return true;
            }
        }
        at += m_skip[static_cast<unsigned char>(last)];
    }
    return false;
}

bool LineFilter::narrows(const LineFilter& wider) const {
    return !wider.m_unmatched && m_needle.contains(wider.m_needle);
}
