// rm7-download: downloads the log of an RM7 controller over a serial port and saves it as CSV.

#include "ArchiveService.h"
#include "ComPort.h"
#include "CommandLine.h"
#include "DialogOperator.h"
#include "MainForm.h"
#include "Settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <csignal>

int main(int argc, char* argv[]) {
    // A reader that goes away (a closed pipe, "| head") is a write error like any other, told and handled
    // where the write is, never a silent end of the program.
    std::signal(SIGPIPE, SIG_IGN);

    // The command line works without a display, so it must decide before any QApplication exists.
    if (CommandLine::wanted(argc, argv)) {
        QCoreApplication app(argc, argv);
        CommandLine::describeApplication();
        return CommandLine::run(app);
    }

    QApplication app(argc, argv);
    CommandLine::describeApplication();

    // The program's one serial port (the port dialog probes through it too), its settings, and the
    // archive, made first so that it outlives the window: closing waits for a download being archived.
    ArchiveService archive;
    ComPort port;
    Settings settings;
    DialogOperator op(port);
    MainForm window(op, port, settings, &archive);
    window.show();
    return QApplication::exec();
}
