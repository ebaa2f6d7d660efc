#include "ChartTitle.h"

#include "ChartData.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>
#include <iterator>

namespace {

// Header lines "Key: value" that name the controller, the most particular first: the file name takes the
// first of them that the download has, the title all of them in the order they came.
const char* const kNamingKeys[] = {"Unit", "Controller", "Name", "Station", "Site"};

QString keyOf(const QString& line) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon > 0 ? line.left(colon).trimmed() : QString();
}

QString moment(double msecs, const QString& format) {
    return QDateTime::fromMSecsSinceEpoch(qint64(msecs)).toString(format);
}

} // namespace

ChartTitle ChartTitle::of(const QString& headerText, const ChartData& data) {
    QStringList naming;
    QString nameForFile;
    int bestKey = int(std::size(kNamingKeys));
    for (const QString& raw : headerText.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        const QString key = keyOf(line);
        for (int i = 0; i < int(std::size(kNamingKeys)); ++i) {
            if (key.compare(QLatin1String(kNamingKeys[i]), Qt::CaseInsensitive) != 0) {
                continue;
            }
            naming << line;
            const QString value = line.mid(line.indexOf(QLatin1Char(':')) + 1).trimmed();
            if (i < bestKey && !value.isEmpty()) {
                bestKey = i;
                nameForFile = value;
            }
        }
    }

    ChartTitle title;
    QString span;
    QString spanForFile;
    if (data.plotted > 0 && data.timeAxis) {
        // Seconds only when a record has them.
        const bool seconds = qint64(data.firstX) % 60000 != 0 || qint64(data.lastX) % 60000 != 0;
        const QString shown =
            seconds ? QStringLiteral("yyyy-MM-dd HH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm");
        const QString inName =
            seconds ? QStringLiteral("yyyy-MM-dd_HHmmss") : QStringLiteral("yyyy-MM-dd_HHmm");
        span = QStringLiteral("%1 to %2").arg(moment(data.firstX, shown), moment(data.lastX, shown));
        spanForFile = QStringLiteral("%1_to_%2").arg(moment(data.firstX, inName), moment(data.lastX, inName));
    } else if (data.plotted > 0) {
        span = QStringLiteral("records %1 to %2").arg(qint64(data.firstX)).arg(qint64(data.lastX));
        spanForFile = QStringLiteral("records_%1-%2").arg(qint64(data.firstX)).arg(qint64(data.lastX));
    }
    QStringList parts = naming;
    if (!span.isEmpty()) {
        parts << span;
    }
    title.text = parts.join(QStringLiteral(" \u00b7 "));

    // Only what every file system takes: letters, digits, '.', '-' and '_'.
    static const QRegularExpression kUnsafe(QStringLiteral("[^A-Za-z0-9._-]+"));
    QString name = nameForFile.replace(kUnsafe, QStringLiteral("_"));
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('_'))) {
        name.remove(0, 1);
    }
    QStringList fileParts;
    fileParts << (name.isEmpty() ? QStringLiteral("chart") : name);
    if (!spanForFile.isEmpty()) {
        fileParts << spanForFile;
    }
    title.fileName = fileParts.join(QLatin1Char('_')) + QStringLiteral(".png");
    return title;
}
