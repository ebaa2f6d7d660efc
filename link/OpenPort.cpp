#include "OpenPort.h"

#include "ComPort.h"
#include "ControllerWire.h"
#include "Logging.h"
#include "Operator.h"
#include "PortError.h"
#include "Settings.h"

namespace {

void openOn(ComPort& port, int portNumber) {
    port.setCommPort(portNumber);
    port.setSettings(QString::fromLatin1(ControllerWire::kLineSettings));
    port.setPortOpen(true);
}

} // namespace

bool OpenPort(ComPort& port, const Settings& settings, Operator& op,
              const std::function<void()>& endProgram) {
    if (port.PortOpen()) {
        port.setPortOpen(false);
    }
    for (;;) {
        QString reason;
        try {
            openOn(port, settings.PortNumber);
            if (!port.PortOpen()) {
                openOn(port, settings.PortNumber);
            }
            // A port that still reads closed is no better than one that failed to open: never send a
            // command into it.
            if (port.PortOpen()) {
                return true;
            }
            reason = QStringLiteral("COM %1 (%2) reads closed after opening")
                         .arg(settings.PortNumber)
                         .arg(port.deviceName());
        } catch (const PortError& error) {
            reason = error.reason();
        }
        qCWarning(lcPort).noquote() << "COM" << settings.PortNumber << "did not open:" << reason;
        const Answer answer =
            op.messageBox(QStringLiteral("Coms Port not available!"),
                          MsgStyle::RetryCancel + MsgStyle::Critical, QStringLiteral("Warning"), reason);
        if (answer != Answer::Retry) {
            if (endProgram) {
                endProgram();
            } else {
                op.endProgram();
            }
            return false;
        }
        op.showPortSelection();
    }
}
