#include "Exchange.h"

#include "ComPort.h"
#include "CommandMode.h"
#include "Link.h"
#include "Logging.h"
#include "OpenPort.h"
#include "Operator.h"

namespace {

const char* nameOf(ExchangeEnd end) {
    switch (end) {
    case ExchangeEnd::Completed:
        return "complete";
    case ExchangeEnd::StoreFull:
        return "stopped, the store is full";
    case ExchangeEnd::NoLogs:
        return "no log entries";
    case ExchangeEnd::CountShown:
        return "log count shown";
    case ExchangeEnd::CountLate:
        return "no log-count reply in time";
    case ExchangeEnd::Abandoned:
        return "abandoned after a silence";
    }
    return "";
}

} // namespace

bool beginExchange(Link& link, QByteArrayView command) {
    if (!OpenPort(link.port, link.settings, link.op, [&link] { endProgramSavingFirst(link); })) {
        return false;
    }
    // Whatever the port already holds (a controller still talking from an abandoned reply) is not the
    // reply to this command.
    link.port.discardInput();
    link.state.replyOver = false;
    link.port.Output(command);
    // The controller gets the full interval after every command, a Retry's included.
    link.ResponseTimer.start();
    qCInfo(lcLink) << (link.state.CommandMode == CommandModes::Download ? "download" : "log-count query")
                   << "started on COM" << link.port.CommPort() << '(' << link.port.deviceName() << ')';
    return true;
}

void endProgramSavingFirst(Link& link) {
    if (link.state.LineCount() != 0 && link.state.LogsSaved == 0 && link.PromptSaveLogs) {
        link.PromptSaveLogs();
    }
    link.op.endProgram();
}

void endExchange(Link& link, ExchangeEnd end) {
    link.state.replyOver = true;
    link.ResponseTimer.stop();
    link.recovery.finish(link.state.LogLines);
    qCInfo(lcLink) << (link.state.CommandMode == CommandModes::Download ? "download" : "log-count query")
                   << "ended:" << nameOf(end) << '-' << link.state.LineCount() << "lines";
    if (link.onExchangeEnd) {
        link.onExchangeEnd(end);
    }
}
