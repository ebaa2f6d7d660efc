// rm7-download: downloads the log of an RM7 controller over a serial port and saves it as CSV.

#include "ComPort.h"
#include "DialogOperator.h"
#include "MainForm.h"
#include "Settings.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rm7-download"));
    QApplication::setOrganizationName(QStringLiteral("Korvane Instruments"));

    // The program's one serial port and its settings, shared by the main window and the port dialog.
    ComPort port;
    Settings settings;
    DialogOperator op(port, settings);
    MainForm window(op, port, settings);
    window.show();
    return QApplication::exec();
}
