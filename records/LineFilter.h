#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Find-as-you-type over stored lines: does a line contain the text, upper and lower case alike (Latin-1,
// as the lines are shown)? Built once per text, then asked of many lines.
class LineFilter {
public:
    LineFilter() = default;
    explicit LineFilter(const QString& text);

    bool isEmpty() const { return m_needle.isEmpty(); }
    const QString& text() const { return m_text; }
    bool matches(QByteArrayView line) const;
    // Every line this filter passes also passes `wider` (its text contains the wider one's).
    bool narrows(const LineFilter& wider) const;

private:
    QString m_text;
    QByteArray m_needle;      // folded to lower case
    bool m_unmatched = false; // the text has characters no line can show: nothing matches
    int m_skip[256] = {};
};
