#include "ControllerName.h"

namespace {

constexpr qsizetype kLongestName = 80;

// The text after a header label such as "Unit:", or nothing when the line has another label.
QString labelled(QByteArrayView line, QByteArrayView label) {
    if (!line.startsWith(label)) {
        return {};
    }
    return QString::fromLatin1(line.sliced(label.size()).trimmed()).left(kLongestName);
}

} // namespace

QString controllerName(const QList<QByteArrayView>& headerLines) {
    QString unit;
    QString site;
    QString first;
    for (const QByteArrayView line : headerLines) {
        if (unit.isEmpty()) {
            unit = labelled(line, "Unit:");
        }
        if (site.isEmpty()) {
            site = labelled(line, "Site:");
        }
        if (first.isEmpty()) {
            first = QString::fromLatin1(line.trimmed()).left(kLongestName);
        }
    }
    if (!unit.isEmpty() && !site.isEmpty()) {
        return unit + QStringLiteral(", ") + site;
    }
    if (!unit.isEmpty() || !site.isEmpty()) {
        return unit + site;
    }
    return first.isEmpty() ? QStringLiteral("Controller") : first;
}
