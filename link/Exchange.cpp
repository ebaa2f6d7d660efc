#include "Exchange.h"

#include "ComPort.h"
#include "CommandMode.h"
#include "Link.h"
#include "Logging.h"
#include "OpenPort.h"

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
    if (!OpenPort(link.port, link.settings, link.op)) {
        return false;
    }
    link.state.replyOver = false;
    link.port.Output(command);
    if (!link.ResponseTimer.isActive()) {
        link.ResponseTimer.start();
    }
    qCInfo(lcLink) << (link.state.CommandMode == CommandModes::Download ? "download" : "log-count query")
                   << "started on COM" << link.port.CommPort() << '(' << link.port.deviceName() << ')';
    return true;
}

void endExchange(Link& link, ExchangeEnd end) {
    link.state.replyOver = true;
    link.ResponseTimer.stop();
    qCInfo(lcLink) << (link.state.CommandMode == CommandModes::Download ? "download" : "log-count query")
                   << "ended:" << nameOf(end) << '-' << link.state.LineCount() << "lines";
    if (link.onExchangeEnd) {
        link.onExchangeEnd(end);
    }
}
