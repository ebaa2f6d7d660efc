#include "OpenPort.h"

#include "ComPort.h"
#include "Logging.h"
#include "Operator.h"
#include "PortChoices.h"
#include "PortError.h"
#include "Settings.h"

OpenPortResult OpenPort(ComPort& port, Settings& settings, Operator& op) {
    if (port.PortOpen()) {
        port.setPortOpen(false);
    }
    for (;;) {
        QString reason;
        try {
            port.open(settings.PortNumber);
            if (!port.PortOpen()) {
                port.open(settings.PortNumber);
            }
            // A port that still reads closed is no better than one that failed to open: never send a
            // command into it.
            if (port.PortOpen()) {
                return {true, {}};
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
            return {false, reason};
        }
        if (const auto choice = op.choosePort(settings.PortNumber)) {
            storePortChoice(*choice, settings);
        }
    }
}
