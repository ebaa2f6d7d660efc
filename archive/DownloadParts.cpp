#include "DownloadParts.h"

#include "ControllerName.h"

#include <QCryptographicHash>
#include <algorithm>

namespace {

constexpr QByteArrayView kTitles = "Date,";
constexpr QByteArrayView kFinalLine = "END OF DOWNLOAD";
// The controller's header: a title, the maker, site and unit lines, the count line, the firmware.
constexpr int kLeastHeaderLines = 4;

QByteArrayView withoutEnd(QByteArrayView line) {
    if (line.endsWith('\n')) {
        line.chop(1);
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

} // namespace

DownloadParts DownloadParts::of(QByteArrayView bytes) {
    DownloadParts parts;
    bool inRecords = false;
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', begin);
        const bool cutShort = lf < 0;
        const qsizetype next = cutShort ? bytes.size() : lf + 1;
        const QByteArrayView line = withoutEnd(bytes.sliced(begin, next - begin));
        ++parts.lineCount;
        begin = next;
        if (parts.complete) {
            continue; // whatever follows the final line is no part of the log
        }
        if (!inRecords) {
            if (line.startsWith(kTitles)) {
                parts.titles = line;
                parts.head = bytes.first(next);
                inRecords = true;
            } else if (!cutShort) {
                parts.header << line;
            }
        } else if (line.startsWith(kFinalLine)) {
            parts.complete = true;
        } else if (!cutShort && !line.trimmed().isEmpty()) {
            parts.records << line;
        }
    }
    return parts;
}

QString DownloadParts::refusal() const {
    if (!hasTitles()) {
        return QStringLiteral("no \"Date,\" line of column titles: not a controller's download");
    }
    const auto lines = std::count_if(header.cbegin(), header.cend(),
                                     [](QByteArrayView line) { return !line.trimmed().isEmpty(); });
    if (lines < kLeastHeaderLines) {
        return QStringLiteral(
                   "only %1 header line(s) before the \"Date,\" line, where a controller's download "
                   "has at least %2")
            .arg(lines)
            .arg(kLeastHeaderLines);
    }
    return {};
}

QByteArray DownloadParts::identity() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const int skip = countLine();
    for (int i = 0; i < header.size(); ++i) {
        if (i != skip) {
            hash.addData(header.at(i));
            hash.addData("\n");
        }
    }
    return hash.result();
}

QString DownloadParts::defaultName() const {
    return controllerName(header);
}
