#include "ArchiveLocation.h"

#include "BaseFolders.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ArchiveLocation {

QString dataFolder() {
    return BaseFolders::dataHome() + QStringLiteral("/korvane/");
}

QString localFile() {
    return dataFolder() + QStringLiteral("archive.sqlite");
}

QString makePrivateFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    qsizetype at = 1;
    while (at <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), at);
        if (slash < 0) {
            slash = clean.size();
        }
        const QByteArray path = QFile::encodeName(clean.left(slash));
        at = slash + 1;
        if (::mkdir(path.constData(), 0700) == 0) {
            ::chmod(path.constData(), 0700); // mkdir leaves out what the umask masks
        } else if (errno != EEXIST) {
            return qt_error_string(errno);
        }
    }
    return QFileInfo(clean).isDir() ? QString() : qt_error_string(ENOTDIR);
}

QString makePrivateFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno == EEXIST ? QString() : qt_error_string(errno);
    }
    const int result = ::fchmod(fd, 0600);
    const int error = errno;
    ::close(fd);
    return result == 0 ? QString() : qt_error_string(error);
}

} // namespace ArchiveLocation
