#include "SavedFile.h"

#include "CsvWriter.h"
#include "FileErrors.h"
#include "Logging.h"
#include "Operator.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SavedFile {

namespace {

struct Read {
    QByteArray bytes;
    int systemError = 0;
    qint64 size = 0;
};

Read readAll(const QString& path) {
    // Without O_NONBLOCK a FIFO nobody writes would hold the window in open().
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {{}, errno, 0};
    }
    Read read;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        read.systemError = errno;
    } else if (S_ISDIR(info.st_mode)) {
        read.systemError = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        read.systemError = ENODEV; // a device or a FIFO could block or never end
    } else if (info.st_size > kMaxBytes) {
        read.size = info.st_size;
    } else {
        read.bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (done < read.bytes.size()) {
            const ssize_t n = ::read(fd, read.bytes.data() + done, size_t(read.bytes.size() - done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                read.systemError = n < 0 ? errno : 0;
                break; // a file that shrank meanwhile ends where it ends
            }
            done += n;
        }
        read.bytes.truncate(done);
    }
    ::close(fd);
    return read;
}

} // namespace

std::optional<LineStore> read(const QString& path, Operator& op) {
    for (;;) {
        const Read read = readAll(path);
        if (read.size > kMaxBytes) {
            qCWarning(lcViewer).noquote() << "not opened:" << path << "holds" << read.size << "bytes";
            op.messageBox(QStringLiteral("The file holds %1 bytes, more than any controller's download.\r\n "
                                         "Accessing: %2")
                              .arg(read.size)
                              .arg(path),
                          MsgStyle::Ok + MsgStyle::Exclamation, QStringLiteral("File Error"));
            return std::nullopt;
        }
        if (read.systemError == 0) {
            QByteArray bytes = read.bytes;
            if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
                bytes += bytes.contains("\r\n") ? "\r\n" : "\n"; // the last line is shown too
            }
            return LineStore::fromText(bytes);
        }
        qCWarning(lcViewer).noquote() << "cannot read" << path << ':' << systemErrorText(read.systemError);
        if (reportSystemError(read.systemError, path, op) != FileErrorAnswer::Retry) {
            return std::nullopt;
        }
    }
}

} // namespace SavedFile
