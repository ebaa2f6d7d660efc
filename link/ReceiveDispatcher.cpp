#include "ReceiveDispatcher.h"

#include "ComPort.h"
#include "ControllerWire.h"
#include "Link.h"
#include "LiveDisplay.h"
#include "LogCountQuery.h"
#include "Operator.h"
#include "ReplyScanner.h"

#include <QScopeGuard>

namespace {

void finishNoLogs(Link& link) {
    endExchange(link, ExchangeEnd::NoLogs);
    link.port.setPortOpen(false);
    link.display.setLogText(link.state.RxBuffer.right(ControllerWire::kNoLogs.size()));
    link.display.setCommandsEnabled(true);
    link.display.setPanelText(0, QStringLiteral("No logs to load.."));
    link.display.setPanelColour(0, PanelColour::Red);
    link.display.publish();
    link.op.beep();
}

// The controller has sent all it has (or all the store can take): the lines become saveable.
void finishDownload(Link& link, ExchangeEnd end, const QString& status, const QString& message) {
    endExchange(link, end);
    link.display.setSaveEnabled(true);
    link.display.setPanelText(0, status);
    link.display.publish();
    link.op.messageBox(message, MsgStyle::Ok + MsgStyle::Information, QStringLiteral("Message"));
    link.display.setCommandsEnabled(true);
    link.display.setProgress(0);
    link.state.ExpectedLines = 0;
    link.port.setPortOpen(false);
}

void finishQuery(Link& link) {
    endExchange(link, ExchangeEnd::CountShown);
    ShowLogCount(link);
    link.port.setPortOpen(false);
}

} // namespace

void receiveFromPort(Link& link) {
    if (link.port.CommEvent() != ComPort::Receive) {
        return;
    }
    receiveReply(link, link.port.Input());
}

void receiveReply(Link& link, QByteArrayView input) {
    DisplayHold hold(link.display); // one redraw per read, showing what per-line redraws would leave
    // The lines of this read go to the recovery copy at its end, or at a finish, which comes first.
    const auto copyLines = qScopeGuard([&link] { link.recovery.catchUp(link.state.LogLines); });
    qsizetype pos = 0;
    while (pos < input.size() && !link.state.replyOver) {
        switch (scanReply(link.state, input, pos)) {
        case ReplyEvent::None:
            break;
        case ReplyEvent::HeaderLine:
            ShowHeaderPanels(link);
            [[fallthrough]];
        case ReplyEvent::Line:
            UpdateProgress(link);
            RefreshLogWindow(link);
            break;
        case ReplyEvent::NoLogs:
            finishNoLogs(link);
            break;
        case ReplyEvent::EndOfDownload:
            finishDownload(link, ExchangeEnd::Completed, QStringLiteral("Load Complete."),
                           QStringLiteral("Download Complete!"));
            break;
        case ReplyEvent::StoreFull:
            finishDownload(link, ExchangeEnd::StoreFull, QStringLiteral("Download stopped."),
                           QStringLiteral("The download was stopped after %1 lines: no more can be kept.\r\n"
                                          "The lines received so far can be saved.")
                               .arg(link.state.LineCount()));
            break;
        case ReplyEvent::QueryReply:
            finishQuery(link);
            break;
        }
    }
}
