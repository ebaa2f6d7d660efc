#include "SettingsFile.h"

#include "BaseFolders.h"
#include "IniText.h"
#include "Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

namespace {

// A settings file is a few lines long; anything much larger is not ours to read or rewrite.
constexpr qint64 kMaxFileSize = 1 << 20;

QString settingsPath() {
    return SettingsFolder() + QStringLiteral("korvane.ini");
}

// The file's text; an empty text when there is no file; nothing when it exists but cannot be used.
std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return QByteArray();
    }
    // A FIFO or a device would block start-up or never end: only a regular file is read.
    if (!QFileInfo(path).isFile()) {
        qCWarning(lcSettings) << path << "is not a regular file; not used";
        return std::nullopt;
    }
    if (file.size() > kMaxFileSize) {
        qCWarning(lcSettings) << path << "is larger than a settings file can be; not used";
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcSettings) << "cannot read" << path << ':' << file.errorString();
        return std::nullopt;
    }
    QByteArray text = file.read(kMaxFileSize + 1);
    if (text.size() > kMaxFileSize) {
        qCWarning(lcSettings) << path << "is larger than a settings file can be; not used";
        return std::nullopt;
    }
    return text;
}

} // namespace

QString SettingsFolder() {
#ifdef Q_OS_WIN
    QString folder = QString::fromLocal8Bit(qgetenv("WINDIR"));
#else
    QString folder = BaseFolders::configHome() + QStringLiteral("/korvane");
#endif
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

QString ReadSetting(const QString& section, const QString& key) {
    const auto text = readFile(settingsPath());
    if (!text) {
        return {};
    }
    return QString::fromLocal8Bit(
        IniText::value(*text, section.toLocal8Bit(), key.toLocal8Bit()).value_or(""));
}

void WriteSetting(const QString& section, const QString& key, const QString& value) {
    // A line break in a value would break the file apart into lines of its own.
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        qCWarning(lcSettings) << "not stored:" << key << "holds a line break";
        return;
    }
    const QString path = settingsPath();
    const auto text = readFile(path);
    if (!text) {
        qCWarning(lcSettings) << "not stored:" << key << "- the settings file is kept as it is";
        return;
    }
    if (!QDir().mkpath(SettingsFolder())) {
        qCWarning(lcSettings) << "not stored:" << key << "- cannot make the folder" << SettingsFolder();
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcSettings) << "not stored:" << key << "- cannot write" << path << ':'
                              << file.errorString();
        return;
    }
    file.write(IniText::withValue(*text, section.toLocal8Bit(), key.toLocal8Bit(), value.toLocal8Bit()));
    if (!file.commit()) {
        qCWarning(lcSettings) << "not stored:" << key << "- cannot write" << path << ':'
                              << file.errorString();
    }
}
