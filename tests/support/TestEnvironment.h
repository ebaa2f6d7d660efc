#pragma once

#include <QString>
#include <QTemporaryDir>

// A settings folder and a state folder of the test's own: XDG_CONFIG_HOME and XDG_STATE_HOME point into
// a temporary folder for the test's life.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString configHome() const { return m_dir.path(); }
    QString stateHome() const { return m_dir.filePath(QStringLiteral("state")); }
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
};

QByteArray readFileBytes(const QString& path);
