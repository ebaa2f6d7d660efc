#include "CsvWriter.h"

#include "Logging.h"
#include "SafeFileName.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWaitStepMs = 20;

WriteResult failed(WriteResult::Step step, int systemError) {
    return {systemError, step};
}

// Standard output and the like live under /dev and /proc: written where they are, never replaced.
bool isSystemPath(const QString& path) {
    return path.startsWith(QLatin1String("/dev/")) || path.startsWith(QLatin1String("/proc/"));
}

// Gives the file at `from` the name `to` only while no file has it: EEXIST when one has, decided by the
// system in one step. File systems without a rename that refuses to replace (NFS, some FUSE ones) take a
// hard link, which never replaces either; the temporary name then goes.
int linkWithoutReplacing(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return errno;
    }
#endif
    if (::link(from.constData(), to.constData()) != 0) {
        return errno;
    }
    ::unlink(from.constData());
    return 0;
}

int syncFolderOf(const QString& path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace

CsvWriter::~CsvWriter() {
    abandon();
}

WriteResult CsvWriter::open(const QString& path, Placement placement, Access access) {
    abandon();
    m_written = 0;
    m_target = path;
    m_keepOthers = placement == Placement::NoReplace;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    const bool exists = ::stat(name.constData(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        return failed(WriteResult::Step::Open, EISDIR);
    }
    const bool replace = m_keepOthers || (placement == Placement::Replace && !isSystemPath(path) &&
                                          (!exists || S_ISREG(info.st_mode)));
    if (replace) {
        // Beside the target (through a link, beside what it points at), so the rename stays on one disk.
        // A file that keeps others' names is not a link to follow: it is placed under a free name.
        const QString target =
            QFileInfo(path).isSymLink() && !m_keepOthers ? QFileInfo(path).canonicalFilePath() : path;
        // A name the folder cannot hold fails now, not at the rename after the whole download.
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        const long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
        if (QFile::encodeName(QFileInfo(target).fileName()).size() > (longest > 0 ? longest : NAME_MAX)) {
            return failed(WriteResult::Step::Open, ENAMETOOLONG);
        }
        // Named after the target, so that one a killed run leaves is known for what it is; a short name
        // where that one would be too long for the file system (the target's own name may be up to the
        // limit) and for a file that takes a free name, whose own name may still change.
        QString temporary = QStringLiteral(".") + QFileInfo(target).fileName() + QStringLiteral(".XXXXXX");
        if (m_keepOthers || QFile::encodeName(temporary).size() > NAME_MAX) {
            temporary = QStringLiteral(".rm7-download.XXXXXX");
        }
        QByteArray pattern = QFile::encodeName(QFileInfo(target).absolutePath() + u'/' + temporary);
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0) {
            return failed(WriteResult::Step::Open, errno);
        }
        m_temporary = QFile::decodeName(pattern);
        m_target = target;
        const mode_t umask = ::umask(0);
        ::umask(umask);
        const bool keepMode = exists && !m_keepOthers;
        ::fchmod(m_fd, access == Access::Private ? 0600 : keepMode ? info.st_mode & 07777 : 0666 & ~umask);
        m_regular = true;
        m_ownsFd = true;
        return {};
    }
    // Without O_NONBLOCK a FIFO nobody reads would hold the program in open() for good; with it, the open
    // fails at once (ENXIO: the device appears to be unavailable). Writing then blocks as usual.
    m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK,
                  access == Access::Private ? 0600 : 0666);
    if (m_fd < 0) {
        return failed(WriteResult::Step::Open, errno);
    }
    struct stat opened {};
    m_regular = ::fstat(m_fd, &opened) == 0 && S_ISREG(opened.st_mode);
    if (m_regular || m_patienceMs == 0) {
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK); // writing then waits as usual
    }
    if (access == Access::Private && m_regular) {
        ::fchmod(m_fd, 0600); // a file that was there keeps no wider access
    }
    m_ownsFd = true;
    return {};
}

void CsvWriter::openDescriptor(int fd) {
    abandon();
    m_fd = fd;
    m_ownsFd = false;
    m_written = 0;
    struct stat info {};
    m_regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

WriteResult CsvWriter::write(QByteArrayView wholeLines) {
    qsizetype done = 0;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (done < wholeLines.size()) {
        const ssize_t n = ::write(m_fd, wholeLines.data() + done, size_t(wholeLines.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A reader that takes nothing: wait a little, let the window paint, and give up in the end.
            if (sinceProgress.hasExpired(m_patienceMs)) {
                return failed(WriteResult::Step::Write, ETIMEDOUT);
            }
            pollfd ready{m_fd, POLLOUT, 0};
            ::poll(&ready, 1, kWaitStepMs);
            if (QCoreApplication::instance() != nullptr) {
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
            continue;
        }
        if (n > 0) {
            sinceProgress.start();
        }
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            // Part of a line would read as a record of its own: the file keeps only whole lines.
            if (m_regular && ::ftruncate(m_fd, off_t(m_written)) != 0) {
                qCWarning(lcExport) << "cannot cut the file back to its whole lines:"
                                    << systemErrorText(errno);
            }
            if (m_regular) {
                ::lseek(m_fd, off_t(m_written), SEEK_SET);
            }
            return failed(WriteResult::Step::Write, error);
        }
        done += n;
    }
    m_written += wholeLines.size();
    return {};
}

WriteResult CsvWriter::finish() {
    // A regular file counts as written only once it is on the disk: until then a power cut could lose
    // it, and with it the reason to keep the recovery copy. Terminals, FIFOs and devices have no disk.
    if (m_regular && ::fsync(m_fd) != 0) {
        const int error = errno;
        abandon();
        return failed(WriteResult::Step::Finish, error);
    }
    if (const int error = closeFile(); error != 0) {
        abandon();
        return failed(WriteResult::Step::Finish, error);
    }
    if (!m_temporary.isEmpty()) {
        const int error = m_keepOthers ? placeWithoutReplacing()
                          : ::rename(QFile::encodeName(m_temporary).constData(),
                                     QFile::encodeName(m_target).constData()) == 0
                              ? 0
                              : errno;
        if (error != 0) {
            abandon();
            return failed(WriteResult::Step::Finish, error);
        }
        m_temporary.clear();
        // The new name is on the disk only once its folder is.
        if (const int error = syncFolderOf(m_target); error != 0) {
            return failed(WriteResult::Step::Finish, error);
        }
    }
    return {};
}

int CsvWriter::placeWithoutReplacing() {
    const QString folder = QFileInfo(m_target).absolutePath() + QLatin1Char('/');
    const QString name = QFileInfo(m_target).fileName();
    const QByteArray temporary = QFile::encodeName(m_temporary);
    for (int n = 1; n <= kMostNumbered; ++n) {
        const QString path = folder + (n == 1 ? name : SafeFileName::numbered(name, n));
        const int error = linkWithoutReplacing(temporary, QFile::encodeName(path));
        if (error != EEXIST) {
            if (error == 0) {
                m_target = path;
            }
            return error;
        }
    }
    return EEXIST;
}

WriteResult CsvWriter::sync() {
    if (m_regular && ::fdatasync(m_fd) != 0) {
        return failed(WriteResult::Step::Write, errno);
    }
    return {};
}

void CsvWriter::abandon() {
    closeFile();
    if (!m_temporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporary).constData());
        m_temporary.clear();
    }
}

int CsvWriter::closeFile() {
    if (m_fd < 0) {
        return 0;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (!m_ownsFd) {
        return 0;
    }
    // After EINTR the descriptor is gone all the same; anything else is a late write error.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

QString systemErrorText(int systemError) {
    return QString::fromLocal8Bit(std::strerror(systemError));
}
