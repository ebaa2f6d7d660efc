#pragma once

#include <QString>
#include <QTemporaryDir>

// A settings, a state and a data folder of the test's own: XDG_CONFIG_HOME, XDG_STATE_HOME and
// XDG_DATA_HOME point into a temporary folder for the test's life, so no test touches the archive and
// the copies of the person running it.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString configHome() const { return m_dir.path(); }
    QString stateHome() const { return m_dir.filePath(QStringLiteral("state")); }
    QString dataHome() const { return m_dir.filePath(QStringLiteral("data")); }
    QString archiveFile() const { return dataHome() + QStringLiteral("/korvane/archive.sqlite"); }
    QString settingsFolder() const; // .../korvane/
    QString iniPath() const;
    QString stateFolder() const; // .../state/korvane/
    // The recovery copies in the state folder, by name (oldest first).
    QStringList recoveryCopies() const;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void writeIni(const QByteArray& text) const;
    // COM n names a device that is not there, whatever this machine has at /dev/ttyS0 and the like.
    void placeMissingDevice(int comNumber) const;
    QByteArray readIni() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    QByteArray m_previousState;
    QByteArray m_previousData;
};

QByteArray readFileBytes(const QString& path);
