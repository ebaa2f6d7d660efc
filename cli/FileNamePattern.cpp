#include "FileNamePattern.h"

#include "SafeFileName.h"

#include <QLocale>
#include <algorithm>

namespace {

// The header every RM7 sends, to try a pattern on before anything is downloaded.
NameFields sampleFields() {
    return {QStringLiteral("RM7-0042, North Pump Station"),
            {QStringLiteral("RM7 CONTROLLER LOG DOWNLOAD"), QStringLiteral("Korvane Instruments"),
             QStringLiteral("Site: North Pump Station"), QStringLiteral("Unit: RM7-0042"),
             QStringLiteral("Log Entries: 100"), QStringLiteral("Firmware: R7305 V1.7")},
            QStringLiteral("5"),
            QDateTime(QDate(2026, 11, 2), QTime(2, 0))};
}

} // namespace

std::optional<FileNamePattern> FileNamePattern::read(const QString& text, QString& reason) {
    FileNamePattern pattern;
    QString literal;
    const auto endLiteral = [&] {
        if (!literal.isEmpty()) {
            pattern.m_pieces << Piece{Piece::Kind::Text, literal, 0};
            literal.clear();
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text.at(i + 1) == c) {
            literal += c; // {{ and }} are the braces themselves
            ++i;
            continue;
        }
        if (c == u'}') {
            reason = QStringLiteral("the name pattern '%1' has a '}' without its '{' (write }} for a brace).")
                         .arg(text);
            return std::nullopt;
        }
        if (c == u'/') {
            reason = QStringLiteral("the name pattern '%1' holds a '/': it names the file, and --into (or "
                                    "[COLLECT] Folder) the folder.")
                         .arg(text);
            return std::nullopt;
        }
        if (c != u'{') {
            literal += c;
            continue;
        }
        const qsizetype close = text.indexOf(u'}', i + 1);
        if (close < 0) {
            reason = QStringLiteral("the name pattern '%1' has a '{' that is never closed.").arg(text);
            return std::nullopt;
        }
        const QString field = text.mid(i + 1, close - i - 1);
        i = close;
        endLiteral();
        static const QList<std::pair<QString, Piece::Kind>> kNamed = {
            {QStringLiteral("controller"), Piece::Kind::Controller},
            {QStringLiteral("com"), Piece::Kind::Com},
            {QStringLiteral("date"), Piece::Kind::Date},
            {QStringLiteral("time"), Piece::Kind::Time}};
        const auto named = std::find_if(kNamed.begin(), kNamed.end(),
                                        [&](const auto& entry) { return entry.first == field; });
        if (named != kNamed.end()) {
            pattern.m_pieces << Piece{named->second, {}, 0};
            continue;
        }
        bool isNumber = false;
        const int line =
            field.startsWith(QLatin1String("line:")) ? QLocale::c().toInt(field.mid(5), &isNumber) : 0;
        if (!isNumber || line < 1 || line > kMostHeaderLine) {
            reason = QStringLiteral("the name pattern '%1' has a field {%2} that cannot be: the fields are "
                                    "{controller}, {line:N} (N from 1 to %3), {com}, {date} and {time}.")
                         .arg(text, field)
                         .arg(kMostHeaderLine);
            return std::nullopt;
        }
        pattern.m_pieces << Piece{Piece::Kind::Line, {}, line};
    }
    endLiteral();
    // A name that is nothing but its extension names no download.
    const QString sample = pattern.rawName(sampleFields()).trimmed();
    const qsizetype dot = sample.lastIndexOf(QLatin1Char('.'));
    if (sample.left(dot < 0 ? sample.size() : dot).trimmed().isEmpty()) {
        reason = QStringLiteral("the name pattern '%1' makes no name (for a controller whose header is the "
                                "usual one it gives '%2').")
                     .arg(text, sample);
        return std::nullopt;
    }
    return pattern;
}

QString FileNamePattern::rawName(const NameFields& fields) const {
    QString name;
    for (const Piece& piece : m_pieces) {
        switch (piece.kind) {
        case Piece::Kind::Text:
            name += piece.text;
            break;
        case Piece::Kind::Controller:
            name += fields.controller;
            break;
        case Piece::Kind::Line:
            name += fields.headerLines.value(piece.line - 1).trimmed();
            break;
        case Piece::Kind::Com:
            name += fields.com;
            break;
        case Piece::Kind::Date:
            name += fields.started.toString(QStringLiteral("yyyy-MM-dd"));
            break;
        case Piece::Kind::Time:
            name += fields.started.toString(QStringLiteral("HHmm"));
            break;
        }
    }
    return name;
}

QString FileNamePattern::nameFor(const NameFields& fields) const {
    return SafeFileName::of(rawName(fields));
}
