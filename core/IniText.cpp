#include "IniText.h"

#include <QList>

namespace {

struct Line {
    qsizetype begin; // first byte of the line
    qsizetype end;   // one past the last byte before its line end
    qsizetype next;  // first byte of the following line
};

// Some Windows editors begin a UTF-8 file with a byte order mark: it is no part of the first line's text,
// and an edit keeps it where it is.
constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";

QList<Line> splitLines(const QByteArray& text) {
    QList<Line> lines;
    qsizetype begin = text.startsWith(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (begin < text.size()) {
        qsizetype lf = text.indexOf('\n', begin);
        const qsizetype next = lf < 0 ? text.size() : lf + 1;
        qsizetype end = lf < 0 ? text.size() : lf;
        if (end > begin && text[end - 1] == '\r') {
            --end;
        }
        lines.append({begin, end, next});
        begin = next;
    }
    return lines;
}

QByteArray content(const QByteArray& text, const Line& line) {
    return text.mid(line.begin, line.end - line.begin);
}

// The name of a section header line, or nothing for other lines.
std::optional<QByteArray> sectionName(const QByteArray& lineText) {
    const QByteArray trimmed = lineText.trimmed();
    if (!trimmed.startsWith('[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isKeyLine(const QByteArray& lineText, const QByteArray& key, QByteArray* valueOut = nullptr) {
    const qsizetype eq = lineText.indexOf('=');
    if (eq < 0 || lineText.trimmed().startsWith(';')) {
        return false;
    }
    if (!sameName(lineText.left(eq).trimmed(), key)) {
        return false;
    }
    if (valueOut != nullptr) {
        *valueOut = lineText.mid(eq + 1).trimmed();
    }
    return true;
}

} // namespace

namespace IniText {

std::optional<QByteArray> value(const QByteArray& text, const QByteArray& section, const QByteArray& key) {
    bool inSection = false;
    for (const Line& line : splitLines(text)) {
        const QByteArray lineText = content(text, line);
        if (const auto name = sectionName(lineText)) {
            inSection = sameName(*name, section);
            continue;
        }
        QByteArray found;
        if (inSection && isKeyLine(lineText, key, &found)) {
            return found;
        }
    }
    return std::nullopt;
}

QByteArray withValue(const QByteArray& text, const QByteArray& section, const QByteArray& key,
                     const QByteArray& value) {
    const QByteArray eol = text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const QByteArray entry = key + '=' + value;
    const QList<Line> lines = splitLines(text);

    bool inSection = false;
    qsizetype insertAt = -1; // after the last non-blank line of the matching section
    for (const Line& line : lines) {
        const QByteArray lineText = content(text, line);
        if (const auto name = sectionName(lineText)) {
            if (inSection) {
                break;
            }
            inSection = sameName(*name, section);
            if (inSection) {
                insertAt = line.next;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (isKeyLine(lineText, key)) {
            return text.left(line.begin) + entry + text.mid(line.end);
        }
        if (!lineText.trimmed().isEmpty()) {
            insertAt = line.next;
        }
    }

    QByteArray before = text.left(insertAt < 0 ? text.size() : insertAt);
    const QByteArray after = insertAt < 0 ? QByteArray() : text.mid(insertAt);
    if (!before.isEmpty() && before != kByteOrderMark && !before.endsWith('\n')) {
        before += eol;
    }
    if (insertAt < 0) {
        before += '[' + section + ']' + eol;
    }
    return before + entry + eol + after;
}

} // namespace IniText
