#include "ComPort.h"
#include "CommandMode.h"
#include "ControllerWire.h"
#include "Link.h"
#include "Operator.h"

Answer Link::askNoResponse() {
    m_watchdogAsking = true;
    m_display.publish();
    const Answer answer =
        m_op.messageBox(QStringLiteral("No Response from Controller."),
                        MsgStyle::RetryCancel + MsgStyle::Exclamation + MsgStyle::SecondDefault,
                        QStringLiteral("Controller not Responding!"), m_port.hangUpReason());
    m_watchdogAsking = false;
    return answer;
}

void Link::retryDownload() {
    m_state.RxBuffer.clear();
    if (!beginExchange(ControllerWire::kDownloadCommand)) {
        return;
    }
    dropLines();
    m_recovery.retry(); // the attempt so far stays in a copy of its own until a better one comes
    m_state.WatchLineCount = 0;
    m_display.clearLog();
}

// The lines received before the silence stay stored and can be saved; the next Download or Exit asks
// about them as about any unsaved download.
void Link::abandonDownload() {
    endExchange(ExchangeEnd::Abandoned, m_port.hangUpReason());
    m_display.setCommandsEnabled(true);
    m_state.RxBuffer.clear(); // a line cut off is no line; a reply without line ends may be large
    const bool kept = LineCount() != 0;
    m_display.setSaveEnabled(kept);
    m_display.setPanelText(0, kept ? QStringLiteral("Download incomplete.") : QString());
}

void Link::ResponseTimer_Timer() {
    if (m_watchdogAsking) {
        return;
    }
    if (m_state.CommandMode != CommandModes::Download) {
        m_port.setPortOpen(false);
        askNoResponse();
        endExchange(ExchangeEnd::CountLate);
        return;
    }
    if (LineCount() != m_state.WatchLineCount) {
        m_state.WatchLineCount = LineCount();
        return;
    }
    m_port.setPortOpen(false);
    if (askNoResponse() == Answer::Retry) {
        retryDownload();
    } else {
        abandonDownload();
    }
}
