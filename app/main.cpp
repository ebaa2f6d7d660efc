// rm7-download: downloads the log of an RM7 controller over a serial port and saves it as CSV.

#include "DialogOperator.h"
#include "MainForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rm7-download"));
    QApplication::setOrganizationName(QStringLiteral("Korvane Instruments"));

    DialogOperator op;
    MainForm window(op);
    op.setWindow(&window);
    window.show();
    return QApplication::exec();
}
