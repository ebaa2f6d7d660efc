#include "OpenPort.h"

#include "ComPort.h"
#include "Operator.h"
#include "PortError.h"
#include "Settings.h"

namespace {

void openOn(ComPort& port, int portNumber) {
    port.setCommPort(portNumber);
    port.setSettings(QStringLiteral("9600,n,8,1"));
    port.setPortOpen(true);
}

} // namespace

bool OpenPort(ComPort& port, const Settings& settings, Operator& op) {
    if (port.PortOpen()) {
        port.setPortOpen(false);
    }
    for (;;) {
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
        } catch (const PortError&) {
        }
        const Answer answer =
            op.messageBox(QStringLiteral("Coms Port not available!"),
                          MsgStyle::RetryCancel + MsgStyle::Critical, QStringLiteral("Warning"));
        if (answer != Answer::Retry) {
            op.endProgram();
            return false;
        }
        op.showPortSelection();
    }
}
