#include "LogCountQuery.h"

#include "ComPort.h"
#include "Link.h"
#include "OpenPort.h"

namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 0; // lower-case digits too: the controller sends upper case
}

} // namespace

void startLogCountQuery(Link& link) {
    link.state.CommandMode = 1;
    link.state.RxBuffer.clear();
    if (!OpenPort(link.port, link.settings, link.op)) {
        return;
    }
    link.state.replyOver = false;
    link.port.Output("*01a02#");
    link.ResponseTimer.start();
}

int HexPairValue(QByteArrayView pair) {
    if (pair.isEmpty()) {
        return 0;
    }
    return 16 * hexDigitValue(pair.front()) + hexDigitValue(pair.back());
}

int receivedLogCount(const Link& link) {
    const QByteArrayView digits = QByteArrayView(link.state.RxBuffer).sliced(8, 4);
    return HexPairValue(digits.first(2)) * 256 + HexPairValue(digits.last(2));
}

void ShowLogCount(Link& link) {
    const int count = receivedLogCount(link);
    link.display.setPanelText(2, QStringLiteral(" Log Entries: %1").arg(count));
    link.display.setPanelColour(2, PanelColour::Green);
}
