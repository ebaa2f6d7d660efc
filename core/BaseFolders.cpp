#include "BaseFolders.h"

#include "Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString folder(const char* variable, const char* underHome) {
    const QString value = QString::fromLocal8Bit(qgetenv(variable));
    if (QDir::isAbsolutePath(value)) {
        return QDir::cleanPath(value);
    }
    if (!value.isEmpty()) {
        static QSet<QByteArray> told;
        if (!told.contains(variable)) {
            told.insert(variable);
            qCWarning(lcSettings).noquote() << variable << "is a relative path (" + value + "): ignored";
        }
    }
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(underHome);
}

} // namespace

namespace BaseFolders {

QString configHome() {
    return folder("XDG_CONFIG_HOME", ".config");
}

QString stateHome() {
    return folder("XDG_STATE_HOME", ".local/state");
}

QString dataHome() {
    return folder("XDG_DATA_HOME", ".local/share");
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

} // namespace BaseFolders
