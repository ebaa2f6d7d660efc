// rm7-download: downloads the log of an RM7 controller over a serial port and saves it as CSV.

#include "CommandLine.h"
#include "DialogOperator.h"
#include "MainForm.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    // The command line works without a display, so it must decide before any QApplication exists.
    if (CommandLine::wanted(argc, argv)) {
        QCoreApplication app(argc, argv);
        CommandLine::describeApplication();
        return CommandLine::run(app);
    }

    QApplication app(argc, argv);
    CommandLine::describeApplication();

    DialogOperator op;
    MainForm window(op);
    op.setWindow(&window);
    window.show();
    return QApplication::exec();
}
