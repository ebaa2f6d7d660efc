#include "ComPort.h"
#include "ControllerWire.h"
#include "Link.h"
#include "LiveDisplay.h"
#include "Operator.h"
#include "ReplyScanner.h"

void Link::ComPort_OnComm() {
    if (m_port.CommEvent() != ComPort::Receive) {
        return;
    }
    receiveReply(m_port.Input());
}

void Link::receiveReply(QByteArrayView input) {
    DisplayHold hold(m_display); // one redraw per read, showing what per-line redraws would leave
    qsizetype pos = 0;
    while (pos < input.size() && !m_state.replyOver) {
        switch (scanReply(m_state, input, pos)) {
        case ReplyEvent::None:
            break;
        case ReplyEvent::HeaderLine:
            ShowHeaderPanels(m_state, m_display);
            [[fallthrough]];
        case ReplyEvent::Line:
            UpdateProgress(m_state, m_display);
            RefreshLogWindow(m_state, m_display);
            break;
        case ReplyEvent::NoLogs:
            finishNoLogs();
            break;
        case ReplyEvent::EndOfDownload:
            finishDownload(ExchangeEnd::Completed, QStringLiteral("Load Complete."),
                           QStringLiteral("Download Complete!"));
            break;
        case ReplyEvent::StoreFull:
            // A download that did not reach its final line never passes as complete; a line cut off is no
            // line (and may be large).
            m_state.RxBuffer = QByteArray();
            finishDownload(ExchangeEnd::StoreFull, QStringLiteral("Download incomplete."),
                           QStringLiteral("The download was stopped after %1 lines: no more can be kept.\r\n"
                                          "The lines received so far can be saved.")
                               .arg(LineCount()));
            break;
        case ReplyEvent::QueryReply:
            finishQuery();
            break;
        }
    }
    tellStored(); // the lines of this read, once
}

void Link::finishNoLogs() {
    endExchange(ExchangeEnd::NoLogs);
    m_port.setPortOpen(false);
    m_display.showNote(m_state.RxBuffer.right(ControllerWire::kNoLogs.size()));
    m_display.setCommandsEnabled(true);
    m_display.setPanelText(0, QStringLiteral("No logs to load.."));
    m_display.setPanelColour(0, PanelColour::Red);
    m_display.publish();
    m_op.beep();
}

// The controller has sent all it has (or all the store can take): the lines become saveable.
void Link::finishDownload(ExchangeEnd end, const QString& status, const QString& message) {
    endExchange(end);
    m_display.setSaveEnabled(true);
    m_display.setPanelText(0, status);
    m_display.publish();
    m_op.messageBox(message, MsgStyle::Ok + MsgStyle::Information, QStringLiteral("Message"));
    m_display.setCommandsEnabled(true);
    m_display.setProgress(0);
    m_state.ExpectedLines = 0;
    m_port.setPortOpen(false);
}

void Link::finishQuery() {
    endExchange(ExchangeEnd::CountShown);
    ShowLogCount();
    m_port.setPortOpen(false);
}
