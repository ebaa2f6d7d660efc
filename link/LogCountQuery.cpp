#include "CommandMode.h"
#include "ControllerWire.h"
#include "HexPair.h"
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

int HexPairValue(QByteArrayView pair) {
    if (pair.isEmpty()) {
        return 0;
    }
    return 16 * hexDigitValue(pair.front()) + hexDigitValue(pair.back());
}

void Link::startLogCountQuery() {
    m_state.CommandMode = CommandModes::LogCount;
    m_state.RxBuffer.clear();
    beginExchange(ControllerWire::kLogCountCommand);
}

int Link::receivedLogCount() const {
    if (m_state.RxBuffer.size() < ControllerWire::kLogCountReplyLength) {
        return 0;
    }
    const QByteArrayView digits =
        QByteArrayView(m_state.RxBuffer)
            .sliced(ControllerWire::kLogCountDigitsAt, ControllerWire::kLogCountDigits);
    return HexPairValue(digits.first(2)) * 256 + HexPairValue(digits.last(2));
}

// Shows the count of a complete reply on a green panel 2.
void Link::ShowLogCount() {
    m_display.setPanelText(2, QStringLiteral(" Log Entries: %1").arg(receivedLogCount()));
    m_display.setPanelColour(2, PanelColour::Green);
}
