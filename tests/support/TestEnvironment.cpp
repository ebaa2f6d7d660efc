#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestEnvironment::TestEnvironment()
    : m_previous(qgetenv("XDG_CONFIG_HOME")), m_previousState(qgetenv("XDG_STATE_HOME")),
      m_previousData(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", stateHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
}

TestEnvironment::~TestEnvironment() {
    qputenv("XDG_CONFIG_HOME", m_previous);
    qputenv("XDG_STATE_HOME", m_previousState);
    qputenv("XDG_DATA_HOME", m_previousData);
}

QString TestEnvironment::stateFolder() const {
    return m_dir.filePath(QStringLiteral("state/korvane")) + QLatin1Char('/');
}

QStringList TestEnvironment::recoveryCopies() const {
    QStringList paths;
    for (const QFileInfo& copy :
         QDir(stateFolder()).entryInfoList({QStringLiteral("recovery-*.csv")}, QDir::Files, QDir::Name)) {
        paths << copy.filePath();
    }
    return paths;
}

QString TestEnvironment::settingsFolder() const {
    return m_dir.filePath(QStringLiteral("korvane")) + QLatin1Char('/');
}

QString TestEnvironment::iniPath() const {
    return settingsFolder() + QStringLiteral("korvane.ini");
}

void TestEnvironment::writeIni(const QByteArray& text) const {
    QDir().mkpath(settingsFolder());
    QFile file(iniPath());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text);
    }
}

QByteArray TestEnvironment::readIni() const {
    return readFileBytes(iniPath());
}

QByteArray readFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestEnvironment::placeMissingDevice(int comNumber) const {
    QDir().mkpath(settingsFolder() + QStringLiteral("ports"));
    QFile::link(QStringLiteral("/nonexistent/rm7-device"),
                settingsFolder() + QStringLiteral("ports/com%1").arg(comNumber));
}
