#include "CliRun.h"

#include "TestEnvironment.h"

#include <QEventLoop>
#include <QTimer>

void prepareCli(QProcess& process, const TestEnvironment& environment, const QString& program) {
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("DISPLAY"));
    variables.remove(QStringLiteral("WAYLAND_DISPLAY"));
    variables.remove(QStringLiteral("QT_QPA_PLATFORM"));
    variables.insert(QStringLiteral("XDG_CONFIG_HOME"), environment.configHome());
    variables.insert(QStringLiteral("XDG_STATE_HOME"), environment.stateHome());
    variables.insert(QStringLiteral("XDG_DATA_HOME"), environment.dataHome());
    process.setProcessEnvironment(variables);
    process.setProgram(program);
}

int runCli(QProcess& process, const QStringList& arguments) {
    process.setArguments(arguments);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    process.start();
    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
               ? process.exitCode()
               : -1;
}
