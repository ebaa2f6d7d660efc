#include "SafeFileName.h"

#include <QFile>

namespace {

// An extension longer than this is part of the name, not a type ("RM7-0042, North Pump Station").
constexpr qsizetype kLongestExtension = 8;

bool refused(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0) ||
           QStringView(u"/\\:*?\"<>|").contains(c);
}

qsizetype encodedSize(QStringView text) {
    return QFile::encodeName(text.toString()).size();
}

// Where the extension begins, with its dot (".csv"); the name's end when it has none.
qsizetype extensionAt(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.size() - dot <= kLongestExtension ? dot : name.size();
}

// `base` cut at a character so that it and `tail` take at most kMaxNameBytes bytes.
QString fitted(QString base, const QString& tail) {
    const qsizetype room = SafeFileName::kMaxNameBytes - encodedSize(tail);
    while (!base.isEmpty() && encodedSize(base) > room) {
        base.chop(base.back().isLowSurrogate() && base.size() >= 2 ? 2 : 1);
    }
    return base + tail;
}

} // namespace

namespace SafeFileName {

QString of(const QString& raw) {
    QString name;
    name.reserve(raw.size());
    for (const QChar c : raw) {
        name += refused(c) ? QLatin1Char('_') : c;
    }
    name = name.trimmed();
    const qsizetype dot = extensionAt(name);
    QString base = name.left(dot).trimmed();
    if (base.isEmpty()) {
        base = QStringLiteral("download");
    }
    if (base.startsWith(QLatin1Char('.')) || base.startsWith(QLatin1Char('-'))) {
        base[0] = QLatin1Char('_');
    }
    return fitted(base, name.mid(dot));
}

QString numbered(const QString& name, int n) {
    const qsizetype dot = extensionAt(name);
    return fitted(name.left(dot), QStringLiteral("-%1").arg(n) + name.mid(dot));
}

} // namespace SafeFileName
