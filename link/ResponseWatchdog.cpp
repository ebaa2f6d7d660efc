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
    link.recovery.restart();
    state.WatchLineCount = 0;
    link.display.setLogText({});
}

// The lines received before the silence stay stored and can be saved; the next Download or Exit asks
// about them as about any unsaved download.
void abandonDownload(Link& link) {
    endExchange(link, ExchangeEnd::Abandoned);
    link.display.setCommandsEnabled(true);
    link.state.RxBuffer.clear(); // a line cut off is no line; a reply without line ends may be large
    const bool kept = link.state.LineCount() != 0;
    link.display.setSaveEnabled(kept);
    link.display.setPanelText(0, kept ? QStringLiteral("Download incomplete.") : QString());
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
