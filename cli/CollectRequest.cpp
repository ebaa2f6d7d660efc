#include "CollectRequest.h"

#include "Settings.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("COLLECT");

// A value from the command line, else from [COLLECT], with where it came from for a message.
struct Given {
    QString value;
    QString from; // "--retries" or "korvane.ini [COLLECT] Retries"
    bool set = false;
};

Given given(const std::optional<QString>& option, const QString& optionName, const QString& key) {
    if (option) {
        return {*option, optionName, true};
    }
    const QString stored = ReadSetting(kSection, key).trimmed();
    return {stored, QStringLiteral("korvane.ini [COLLECT] %1").arg(key), !stored.isEmpty()};
}

// The ports named, each read; or the reason one cannot be.
std::optional<QList<PortTarget>> readPorts(const CollectOptions& options, QString& reason) {
    QStringList texts = options.ports;
    QString from = QStringLiteral("--port");
    if (texts.isEmpty()) {
        from = QStringLiteral("korvane.ini [COLLECT] Ports");
        for (const QString& text : ReadSetting(kSection, QStringLiteral("Ports")).split(QLatin1Char(','))) {
            if (!text.trimmed().isEmpty()) {
                texts << text.trimmed();
            }
        }
    }
    if (texts.isEmpty()) {
        // One controller: the port chosen in the window.
        if (const auto stored = storedPortNumber()) {
            return QList<PortTarget>{PortTarget{*stored, {}}};
        }
        reason =
            QStringLiteral("no port to collect from: give --port N or --port DEVICE (once for each port), "
                           "or list them in korvane.ini under [COLLECT] as Ports=5,6,/dev/ttyUSB2.");
        return std::nullopt;
    }
    QList<PortTarget> ports;
    for (const QString& text : std::as_const(texts)) {
        QString why;
        const auto target = PortTarget::read(text, why);
        if (!target) {
            reason = from + QStringLiteral(": ") + why;
            return std::nullopt;
        }
        ports << *target;
    }
    return withoutRepeats(ports);
}

// Seconds, read with a point in every locale ("0.5"), within their bounds.
std::optional<double> readSeconds(const Given& value, double most, QString& reason) {
    bool ok = false;
    const double seconds = QLocale::c().toDouble(value.value, &ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > most) {
        reason = QStringLiteral("%1 takes seconds from 0 to %2, not '%3'.")
                     .arg(value.from)
                     .arg(most)
                     .arg(value.value);
        return std::nullopt;
    }
    return seconds;
}

// The folder made when it is missing, and known to take files; the reason when it cannot.
QString usableFolder(const Given& folder) {
    const QFileInfo info(folder.value);
    if (!info.exists() && !QDir().mkpath(folder.value)) {
        return QStringLiteral("%1: the folder %2 cannot be made.").arg(folder.from, folder.value);
    }
    if (!QFileInfo(folder.value).isDir()) {
        return QStringLiteral("%1: %2 is not a folder.").arg(folder.from, folder.value);
    }
    if (::access(QFile::encodeName(folder.value).constData(), W_OK | X_OK) != 0) {
        return QStringLiteral("%1: the folder %2 cannot be written.").arg(folder.from, folder.value);
    }
    return {};
}

} // namespace

std::optional<CollectRequest> CollectRequest::make(const CollectOptions& options, QString& reason) {
    CollectRequest request;
    request.quiet = options.quiet;
    request.archive = options.archive;
    const auto ports = readPorts(options, reason);
    if (!ports) {
        return std::nullopt;
    }
    request.ports = *ports;

    Given name = given(options.name, QStringLiteral("--name"), QStringLiteral("Name"));
    if (!name.set) {
        name.value = QString::fromLatin1(FileNamePattern::kDefault);
    }
    const auto pattern = FileNamePattern::read(name.value, reason);
    if (!pattern) {
        reason = name.from + QStringLiteral(": ") + reason;
        return std::nullopt;
    }
    request.pattern = *pattern;

    if (const Given retries = given(options.retries, QStringLiteral("--retries"), QStringLiteral("Retries"));
        retries.set) {
        bool ok = false;
        request.retries = QLocale::c().toInt(retries.value, &ok);
        if (!ok || request.retries < 0 || request.retries > kMostRetries) {
            reason = QStringLiteral("%1 takes a number of tries from 0 to %2, not '%3'.")
                         .arg(retries.from)
                         .arg(kMostRetries)
                         .arg(retries.value);
            return std::nullopt;
        }
    }
    if (const Given delay =
            given(options.retryDelay, QStringLiteral("--retry-delay"), QStringLiteral("RetryDelay"));
        delay.set) {
        const auto seconds = readSeconds(delay, kLongestRetryDelaySeconds, reason);
        if (!seconds) {
            return std::nullopt;
        }
        request.retryDelayMs = int(std::lround(*seconds * 1000));
    }

    Given folder = given(options.folder, QStringLiteral("--into"), QStringLiteral("Folder"));
    if (!folder.set) {
        folder = {QDir::currentPath(), QStringLiteral("the current folder"), true};
    } else if (!options.folder && folder.value.startsWith(QLatin1String("~/"))) {
        folder.value = QDir::homePath() + folder.value.mid(1); // no shell reads the settings file
    }
    folder.value = QDir::cleanPath(QDir(folder.value).absolutePath());
    if (const QString why = usableFolder(folder); !why.isEmpty()) {
        reason = why;
        return std::nullopt;
    }
    request.folder = folder.value;
    return request;
}
