// Takes the README's picture of the port dialog: simulators stand for a built-in port and two USB
// adapters, described as the system describes such adapters, and the list is opened. Under Xvfb:
//   cmake --build build --target shoot-port-dialog
//   xvfb-run -a -s "-screen 0 1024x768x24" build/tools/shoot-port-dialog docs/port-dialog.png

#include "ComPort.h"
#include "ComsBox.h"
#include "ControllerSim.h"
#include "DialogOperator.h"
#include "PortListing.h"
#include "Settings.h"
#include "SettingsFile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

namespace {

PortDescription adapter(const QString& device, const char* manufacturer, const char* product,
                        const char* serialNumber, int vid, int pid) {
    PortDescription port;
    port.device = device;
    port.manufacturer = QString::fromUtf8(manufacturer);
    port.product = QString::fromUtf8(product);
    port.serialNumber = QString::fromUtf8(serialNumber);
    port.vid = vid;
    port.pid = pid;
    return port;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir config;
    QTemporaryDir byId;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString ports = SettingsFolder() + QStringLiteral("ports");
    QDir().mkpath(ports);
    for (int com = 1; com <= 16; ++com) { // whatever this machine has stays out of the picture
        QFile::link(QStringLiteral("/nonexistent"), ports + QStringLiteral("/com%1").arg(com));
    }

    ControllerSim builtIn;
    ControllerSim ch340;
    ControllerSim ftdi;
    if (!builtIn.start() || !ch340.start() || !ftdi.start() || !builtIn.placeLink(SettingsFolder(), 2) ||
        !ch340.placeLink(SettingsFolder(), 5) ||
        !QFile::link(ftdi.devicePath(),
                     byId.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0")))) {
        return 1;
    }
    const QList<PortDescription> described{
        adapter(ch340.devicePath(), "QinHeng Electronics", "USB Serial", "", 0x1a86, 0x7523),
        adapter(ftdi.devicePath(), "FTDI", "FT232R USB UART", "A1B2C3", 0x0403, 0x6001)};
    const DeviceSource devices{[&] { return described; }, byId.path()};

    ComPort port;
    DialogOperator op(port, devices);
    ComsBox box(port, 5, op, devices);
    box.move(40, 40);
    box.show();
    QTimer::singleShot(1000, &box, [&] { box.ComsCombo->showPopup(); });
    int status = 1;
    QTimer::singleShot(2000, &box, [&] {
        const QRect popup = box.ComsCombo->view()->window()->frameGeometry();
        const QRect area = box.frameGeometry().united(popup).adjusted(-12, -12, 12, 12);
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0).copy(area);
        status = shot.save(out) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return status;
}
