#include "ImportFile.h"

#include "DownloadParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ImportFile {

namespace {

constexpr qint64 kStartBytes = 64 << 10;
constexpr qint64 kMaxBytes = 512LL << 20;

} // namespace

Read read(const QString& path) {
    // A FIFO or a device could block or never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return {{}, QStringLiteral("not a regular file"), {}};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, {}, file.errorString()};
    }
    QByteArray start = file.read(kStartBytes);
    if (file.error() != QFile::NoError) {
        return {{}, {}, file.errorString()};
    }
    const QString refusal = DownloadParts::of(start).refusal();
    if (!refusal.isEmpty()) {
        return {{}, refusal, {}};
    }
    if (file.size() > kMaxBytes) {
        return {{}, QStringLiteral("%1 bytes: larger than any controller's download").arg(file.size()), {}};
    }
    start += file.readAll();
    if (file.error() != QFile::NoError) {
        return {{}, {}, file.errorString()};
    }
    return {start, {}, {}};
}

QStringList expand(const QStringList& paths) {
    QStringList files;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            for (const QFileInfo& entry :
                 QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
                files << entry.filePath();
            }
        } else {
            files << path;
        }
    }
    return files;
}

} // namespace ImportFile
