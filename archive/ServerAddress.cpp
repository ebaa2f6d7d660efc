#include "ServerAddress.h"

#include <QList>
#include <QUrl>
#include <QUrlQuery>
#include <utility>

namespace {

constexpr int kConnectTimeout = 10;

// libpq's quoting of a value: in single quotes when it holds a blank, a quote or a backslash.
QString quoted(QString value) {
    if (!value.isEmpty() && !value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('\'')) &&
        !value.contains(QLatin1Char('\\'))) {
        return value;
    }
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// Takes one setting into the address; false when its value is unusable.
bool take(ServerAddress& address, const QString& key, const QString& value, QString& error) {
    if (key == QLatin1String("host")) {
        address.host = value;
    } else if (key == QLatin1String("port")) {
        bool ok = false;
        address.port = value.toInt(&ok);
        if (!ok || address.port <= 0 || address.port > 65535) {
            error = QStringLiteral("port \"%1\" is not a port number").arg(value);
            return false;
        }
    } else if (key == QLatin1String("dbname")) {
        address.database = value;
    } else if (key == QLatin1String("user")) {
        address.user = value;
    } else if (key == QLatin1String("password")) {
        address.password = value;
    } else {
        address.options += (address.options.isEmpty() ? QString() : QStringLiteral(" ")) + key +
                           QLatin1Char('=') + quoted(value);
    }
    return true;
}

std::optional<ServerAddress> fromUrl(const QString& text, QString& error) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        error = url.errorString();
        return std::nullopt;
    }
    ServerAddress address;
    address.host = url.host();
    address.port = url.port(-1);
    address.user = url.userName();
    address.password = url.password();
    address.database = url.path().mid(1);
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!take(address, key, value, error)) {
            return std::nullopt;
        }
    }
    return address;
}

// key=value pairs separated by blanks; a value may be quoted in single quotes, with \' and \\ inside.
std::optional<ServerAddress> fromPairs(const QString& text, QString& error) {
    ServerAddress address;
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && text.at(at).isSpace()) {
            ++at;
        }
    };
    skipBlanks();
    while (at < text.size()) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), at);
        if (eq < 0) {
            error = QStringLiteral("\"%1\" is not key=value").arg(text.mid(at));
            return std::nullopt;
        }
        const QString key = text.mid(at, eq - at).trimmed();
        at = eq + 1;
        skipBlanks();
        QString value;
        if (at < text.size() && text.at(at) == QLatin1Char('\'')) {
            ++at;
            while (at < text.size() && text.at(at) != QLatin1Char('\'')) {
                if (text.at(at) == QLatin1Char('\\') && at + 1 < text.size()) {
                    ++at;
                }
                value += text.at(at++);
            }
            if (at >= text.size()) {
                error = QStringLiteral("the value of %1 has no closing quote").arg(key);
                return std::nullopt;
            }
            ++at;
        } else {
            while (at < text.size() && !text.at(at).isSpace()) {
                value += text.at(at++);
            }
        }
        if (key.isEmpty() || key.contains(QLatin1Char(' '))) {
            error = QStringLiteral("\"%1\" is not a setting name").arg(key);
            return std::nullopt;
        }
        if (!take(address, key, value, error)) {
            return std::nullopt;
        }
        skipBlanks();
    }
    return address;
}

} // namespace

std::optional<ServerAddress> ServerAddress::parse(const QString& text, QString& error) {
    const QString trimmed = text.trimmed();
    const bool isUrl = trimmed.startsWith(QLatin1String("postgresql://")) ||
                       trimmed.startsWith(QLatin1String("postgres://"));
    auto address = isUrl ? fromUrl(trimmed, error) : fromPairs(trimmed, error);
    if (address && address->database.isEmpty()) {
        error = QStringLiteral("it names no database");
        return std::nullopt;
    }
    if (address && !address->options.contains(QLatin1String("connect_timeout="))) {
        address->options += (address->options.isEmpty() ? QString() : QStringLiteral(" ")) +
                            QStringLiteral("connect_timeout=%1").arg(kConnectTimeout);
    }
    return address;
}

QString ServerAddress::display() const {
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty()) {
        text += user + QLatin1Char('@');
    }
    const bool socket = host.startsWith(QLatin1Char('/'));
    if (!socket) {
        text += host;
    }
    if (port > 0) {
        text += QLatin1Char(':') + QString::number(port);
    }
    text += QLatin1Char('/') + database;
    if (socket) {
        text += QStringLiteral("?host=") + host;
    }
    return text;
}
