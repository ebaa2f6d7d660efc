#include "CsvLine.h"

namespace CsvLine {

QByteArrayView withoutLineEnd(QByteArrayView line) {
    if (line.endsWith('\n')) {
        line.chop(1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
    }
    return line;
}

QStringList fields(QByteArrayView line) {
    line = withoutLineEnd(line);
    QStringList out;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                field += QLatin1Char(c);
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field += QLatin1Char('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out << field;
            field.clear();
        } else {
            field += QLatin1Char(c);
        }
    }
    out << field;
    return out;
}

namespace {

// The one loop behind both forms of fieldViews; the unlimited one, which the chart runs over every line,
// is left without the count.
template <bool kLimited> void viewsOf(QByteArrayView line, QList<QByteArrayView>& out, int most) {
    line = withoutLineEnd(line);
    out.clear();
    qsizetype start = 0;
    bool quoted = false;
    auto push = [&](qsizetype end) {
        QByteArrayView field = line.sliced(start, end - start);
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
            field = field.sliced(1, field.size() - 2);
        }
        out << field;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted; // a doubled quote toggles twice
        } else if (c == ',' && !quoted) {
            push(i);
            if constexpr (kLimited) {
                if (out.size() == most) {
                    return;
                }
            }
            start = i + 1;
        }
    }
    push(line.size());
}

} // namespace

void fieldViews(QByteArrayView line, QList<QByteArrayView>& out) {
    viewsOf<false>(line, out, 0);
}

void fieldViews(QByteArrayView line, QList<QByteArrayView>& out, int most) {
    viewsOf<true>(line, out, most);
}

int fieldCount(QByteArrayView line) {
    line = withoutLineEnd(line);
    int count = 1;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            ++count;
        }
    }
    return count;
}

} // namespace CsvLine
