#include "Link.h"

#include "ComPort.h"
#include "CommandMode.h"
#include "Logging.h"
#include "OpenPort.h"
#include "Operator.h"

Link::Link(ComPort& port, Settings& settings, Operator& op, QObject* parent)
    : QObject(parent), m_port(port), m_settings(settings), m_op(op),
      m_keep(m_state.LogLines, m_recovery, settings, op) {
    m_responseTimer.setInterval(kWatchdogMs);
    // The controller is given its whole interval: a coarse timer may fire a few percent early.
    m_responseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_port, &ComPort::OnComm, this, &Link::ComPort_OnComm);
    connect(&m_responseTimer, &QTimer::timeout, this, &Link::ResponseTimer_Timer);
}

void Link::awaitReply(int commandMode) {
    m_state.CommandMode = commandMode;
    m_state.RxBuffer.clear();
    if (commandMode == CommandModes::Download) {
        dropLines();
    }
    m_state.replyOver = false;
}

void Link::PromptSaveLogs() {
    m_display.publish(); // the window shows what is at stake
    m_keep.PromptSaveLogs();
    dropLines();
}

void Link::confirmExit() {
    if (LineCount() != 0) {
        PromptSaveLogs();
    }
}

void Link::endProgramSavingFirst() {
    if (m_keep.unsaved()) {
        PromptSaveLogs();
    }
    m_op.endProgram();
}

bool Link::beginExchange(QByteArrayView command) {
    const OpenPortResult opened = OpenPort(m_port, m_settings, m_op);
    if (!opened.opened) {
        emit exchangeEnded(ExchangeEnd::PortUnavailable, opened.reason);
        endProgramSavingFirst();
        return false;
    }
    // Whatever the port already holds (a controller still talking from an abandoned reply) is not the
    // reply to this command.
    m_port.discardInput();
    m_state.replyOver = false;
    m_port.Output(command);
    m_startedAt = QDateTime::currentDateTimeUtc();
    // The controller gets the full interval after every command, a Retry's included.
    m_responseTimer.start();
    qCInfo(lcLink) << (m_state.CommandMode == CommandModes::Download ? "download" : "log-count query")
                   << "started on COM" << m_port.CommPort() << '(' << m_port.deviceName() << ')';
    return true;
}

void Link::endExchange(ExchangeEnd end, const QString& reason) {
    m_state.replyOver = true;
    m_responseTimer.stop();
    tellStored();
    m_recovery.finish(m_state.LogLines, end == ExchangeEnd::Completed);
    qCInfo(lcLink) << (m_state.CommandMode == CommandModes::Download ? "download" : "log-count query")
                   << "ended:" << describe(end) << '-' << LineCount() << "lines";
    emit exchangeEnded(end, reason);
}

void Link::tellStored() {
    if (LineCount() <= m_toldLines) {
        return;
    }
    m_recovery.catchUp(m_state.LogLines);
    const int first = m_toldLines + 1;
    m_toldLines = LineCount();
    emit linesStored(first, m_toldLines);
}

void Link::dropLines() {
    m_state.LogLines.clear();
    m_toldLines = 0;
    emit linesDropped();
}

const char* describe(ExchangeEnd end) {
    switch (end) {
    case ExchangeEnd::Completed:
        return "complete";
    case ExchangeEnd::StoreFull:
        return "stopped at the limit of one download";
    case ExchangeEnd::NoLogs:
        return "no log entries";
    case ExchangeEnd::CountShown:
        return "log count shown";
    case ExchangeEnd::CountLate:
        return "no log-count reply in time";
    case ExchangeEnd::Abandoned:
        return "abandoned after a silence";
    case ExchangeEnd::PortUnavailable:
        return "the port did not open";
    }
    return "";
}
