#include "PreparedDownload.h"

#include <QCryptographicHash>
#include <QHash>

namespace {

constexpr qsizetype kLineStartBytes = 20;
constexpr qsizetype kLineHashBytes = 16;

} // namespace

QByteArray downloadHash(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray lineKey(QByteArrayView line) {
    return line.first(std::min(line.size(), kLineStartBytes)).toByteArray() +
           QCryptographicHash::hash(line, QCryptographicHash::Sha256).first(kLineHashBytes);
}

PreparedDownload PreparedDownload::of(const QByteArray& bytes, const DownloadFacts& facts) {
    PreparedDownload download;
    download.bytes = bytes;
    download.facts = facts;
    download.parts = DownloadParts::of(download.bytes);
    if (!download.parts.refusal().isEmpty()) {
        return download;
    }
    download.keys = RecordKeys::of(download.parts);
    download.identity = download.parts.identity();
    download.rawHash = downloadHash(bytes);
    download.compressed = qCompress(bytes);
    const auto count = size_t(download.parts.records.size());
    download.lineKeys.reserve(count);
    download.occurrences.reserve(count);
    QHash<QByteArray, int> seen;
    seen.reserve(qsizetype(count));
    for (const QByteArrayView record : download.parts.records) {
        QByteArray key = lineKey(record);
        download.occurrences.push_back(++seen[key]);
        download.lineKeys.push_back(std::move(key));
    }
    return download;
}

QByteArray PreparedDownload::uncompressed(const QByteArray& compressed, const QByteArray& rawHash,
                                          QString& error) {
    QByteArray bytes = qUncompress(compressed);
    if (bytes.isEmpty() && compressed.size() > 4) {
        error = QStringLiteral("the stored bytes cannot be uncompressed");
        return {};
    }
    if (downloadHash(bytes) != rawHash) {
        error = QStringLiteral("the stored bytes do not match what was archived");
        return {};
    }
    return bytes;
}
