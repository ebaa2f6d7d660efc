#include "LogCountQuery.h"

#include "CommandMode.h"
#include "ControllerWire.h"
#include "Link.h"

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
    link.state.CommandMode = CommandModes::LogCount;
    link.state.RxBuffer.clear();
    beginExchange(link, ControllerWire::kLogCountCommand);
}

int HexPairValue(QByteArrayView pair) {
    if (pair.isEmpty()) {
        return 0;
    }
    return 16 * hexDigitValue(pair.front()) + hexDigitValue(pair.back());
}

int receivedLogCount(const Link& link) {
    const QByteArrayView digits =
        QByteArrayView(link.state.RxBuffer)
            .sliced(ControllerWire::kLogCountDigitsAt, ControllerWire::kLogCountDigits);
    return HexPairValue(digits.first(2)) * 256 + HexPairValue(digits.last(2));
}

void ShowLogCount(Link& link) {
    const int count = receivedLogCount(link);
    link.display.setPanelText(2, QStringLiteral(" Log Entries: %1").arg(count));
    link.display.setPanelColour(2, PanelColour::Green);
}
