#include "SystemFile.h"

#include "Logging.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int SystemFile::open(const QString& name) {
    close();
    // Without O_NONBLOCK a FIFO nobody reads would hold the program in open() for good; with it, the open
    // fails at once (ENXIO: the device appears to be unavailable). Writing then blocks as usual.
    m_fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK,
                  0666);
    if (m_fd < 0) {
        return errno;
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    return 0;
}

int SystemFile::writeAll(QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        done += n;
    }
    return 0;
}

void SystemFile::truncate(qint64 length) {
    if (::ftruncate(m_fd, off_t(length)) != 0) {
        qCWarning(lcExport) << "cannot cut the file back to its whole lines:" << systemErrorText(errno);
    }
    ::lseek(m_fd, off_t(length), SEEK_SET);
}

void SystemFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

QString systemErrorText(int systemError) {
    return QString::fromLocal8Bit(std::strerror(systemError));
}
