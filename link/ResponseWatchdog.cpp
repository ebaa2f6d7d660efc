#include "ResponseWatchdog.h"

#include "ComPort.h"
#include "CommandMode.h"
#include "ControllerWire.h"
#include "Link.h"
#include "Operator.h"

namespace {

Answer askNoResponse(Link& link) {
    link.watchdogAsking = true;
    link.display.publish();
    const Answer answer =
        link.op.messageBox(QStringLiteral("No Response from Controller."),
                           MsgStyle::RetryCancel + MsgStyle::Exclamation + MsgStyle::SecondDefault,
                           QStringLiteral("Controller not Responding!"));
    link.watchdogAsking = false;
    return answer;
}

void retryDownload(Link& link) {
    LinkState& state = link.state;
    state.RxBuffer.clear();
    if (!beginExchange(link, ControllerWire::kDownloadCommand)) {
        return;
    }
    state.dropLines();
    state.WatchLineCount = 0;
    link.display.setLogText({});
}

void abandonDownload(Link& link) {
    endExchange(link, ExchangeEnd::Abandoned);
    link.display.setCommandsEnabled(true);
    link.state.dropLines();
    link.state.RxBuffer.clear(); // a reply without line ends may have grown large: give it back
    link.display.setLogText({});
    link.display.setPanelText(0, QString());
}

} // namespace

void watchdogTick(Link& link) {
    if (link.watchdogAsking) {
        return;
    }
    LinkState& state = link.state;
    if (state.CommandMode != CommandModes::Download) {
        link.port.setPortOpen(false);
        askNoResponse(link);
        endExchange(link, ExchangeEnd::CountLate);
        return;
    }
    if (state.LineCount() != state.WatchLineCount) {
        state.WatchLineCount = state.LineCount();
        return;
    }
    link.port.setPortOpen(false);
    if (askNoResponse(link) == Answer::Retry) {
        retryDownload(link);
    } else {
        abandonDownload(link);
    }
}
