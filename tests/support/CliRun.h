#pragma once

#include <QProcess>
#include <QStringList>

class TestEnvironment;

// rm7-download run as the real program: no display to show a window on, and the test's own settings,
// state and data folders.
void prepareCli(QProcess& process, const TestEnvironment& environment, const QString& program);

// Runs the prepared program to its end (at most a minute) while this thread's event loop turns, so
// simulators on it answer; its exit code, or -1 when it did not end by itself.
int runCli(QProcess& process, const QStringList& arguments);
