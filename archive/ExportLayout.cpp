#include "ExportLayout.h"

#include <QList>

namespace ExportLayout {

namespace {

constexpr qsizetype kLabelWidth = 12;
constexpr QByteArrayView kLineEnd = "\r\n";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

QList<QByteArrayView> linesOf(QByteArrayView bytes) {
    QList<QByteArrayView> lines;
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        qsizetype lf = bytes.indexOf('\n', begin);
        const qsizetype next = lf < 0 ? bytes.size() : lf + 1;
        QByteArrayView line = bytes.sliced(begin, (lf < 0 ? bytes.size() : lf) - begin);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        lines << line;
        begin = next;
    }
    return lines;
}

} // namespace

QByteArray countLine(QByteArrayView line, qint64 count) {
    qsizetype from = std::min(kLabelWidth, line.size());
    while (from < line.size() && line[from] == ' ') {
        ++from;
    }
    qsizetype to = from;
    while (to < line.size() && isDigit(line[to])) {
        ++to;
    }
    QByteArray number = QByteArray::number(count);
    if (to - from > 1 && line[from] == '0') {
        number = number.rightJustified(to - from, '0');
    }
    QByteArray result = line.first(from).toByteArray();
    if (from == to && from == line.size() && !result.endsWith(' ')) {
        result += ' '; // a label with no number after it: the number follows a blank
    }
    return result + number + line.sliced(to).toByteArray();
}

QByteArray controllerLayout(QByteArrayView head, QByteArrayView records, qint64 count) {
    const QList<QByteArrayView> lines = linesOf(head);
    const qsizetype countAt = lines.size() - 3; // the second line before the "Date," line
    QByteArray out;
    out.reserve(head.size() + records.size() + 32);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += i == countAt ? countLine(lines.at(i), count) : lines.at(i).toByteArray();
        out += kLineEnd;
    }
    out += records;
    out += "END OF DOWNLOAD";
    out += kLineEnd;
    return out;
}

QByteArray plainTable(QByteArrayView titles, QByteArrayView records) {
    QByteArray out;
    out.reserve(titles.size() + records.size() + 2);
    out += titles;
    out += kLineEnd;
    out += records;
    return out;
}

} // namespace ExportLayout
