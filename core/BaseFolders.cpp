#include "BaseFolders.h"

#include "Logging.h"

#include <QDir>
#include <QSet>

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

} // namespace BaseFolders
