// rm7-sim: plays the RM7 controller on a pseudo-terminal until stopped.

#include "ControllerSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <unistd.h>

namespace {

int g_stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_stopPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rm7-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RM7_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays the RM7 controller on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption records(QStringLiteral("records"),
                                     QStringLiteral("Stored records (0: no logs)."), QStringLiteral("n"),
                                     QStringLiteral("100"));
    const QCommandLineOption fast(QStringLiteral("fast"),
                                  QStringLiteral("Send as fast as possible, not at 9600 baud."));
    const QCommandLineOption settings(
        QStringLiteral("settings"), QStringLiteral("Settings folder in which to place the ports/comN link."),
        QStringLiteral("folder"));
    const QCommandLineOption com(QStringLiteral("com"), QStringLiteral("COM number of the link."),
                                 QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption silent(QStringLiteral("silent-after"),
                                    QStringLiteral("Fall silent after this many lines (first request only)."),
                                    QStringLiteral("k"));
    const QCommandLineOption hangUp(QStringLiteral("hang-up-after"),
                                    QStringLiteral("Hang up after this many lines."), QStringLiteral("k"));
    const QCommandLineOption stray(QStringLiteral("stray"),
                                   QStringLiteral("Characters sent before each reply."),
                                   QStringLiteral("text"));
    const QCommandLineOption endless(
        QStringLiteral("endless"),
        QStringLiteral("After the header, send lines of this many bytes without end."),
        QStringLiteral("bytes"));
    parser.addOptions({records, fast, settings, com, silent, hangUp, stray, endless});
    parser.process(app);

    SimOptions options;
    options.records = parser.value(records).toInt();
    options.paced = !parser.isSet(fast);
    options.silentAfterLine = parser.isSet(silent) ? parser.value(silent).toInt() : -1;
    options.hangUpAfterLine = parser.isSet(hangUp) ? parser.value(hangUp).toInt() : -1;
    options.stray = parser.value(stray).toLatin1();
    options.endlessLineBytes = parser.value(endless).toInt();

    ControllerSim sim(options);
    if (!sim.start()) {
        QTextStream(stderr) << "rm7-sim: no pseudo-terminal available\n";
        return 1;
    }
    QTextStream out(stdout);
    out << sim.devicePath() << Qt::endl;
    if (parser.isSet(settings)) {
        const int number = parser.value(com).toInt();
        if (!sim.placeLink(parser.value(settings), number)) {
            QTextStream(stderr) << "rm7-sim: cannot place the link for COM " << number << '\n';
            return 1;
        }
        out << "COM " << number << " -> " << sim.devicePath() << Qt::endl;
    }

    if (::pipe(g_stopPipe) != 0) {
        return 1;
    }
    QSocketNotifier stopNotifier(g_stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    QObject::connect(&sim, &ControllerSim::commandReceived, &app,
                     [&out](const QByteArray& command) { out << "received " << command << Qt::endl; });
    return QCoreApplication::exec();
}
