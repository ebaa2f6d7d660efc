#pragma once

#include <QByteArrayView>

class Link;

// How an exchange with the controller ended.
enum class ExchangeEnd {
    Completed,  // "END OF DOWNLOAD" arrived
    StoreFull,  // the store took all the lines it can keep
    NoLogs,     // the controller holds no logs
    CountShown, // the log-count reply arrived
    CountLate,  // the log-count reply did not arrive in time
    Abandoned,  // the operator gave up on a silent controller
};

// The start every command shares: opens the port afresh, drops what it held unread, marks the reply
// awaited, sends the command and starts the response watchdog's full interval. Returns false, having sent
// nothing, when the port did not open (the program is then ending).
bool beginExchange(Link& link, QByteArrayView command);

// Ends the program when the operator gives up on the port, asking first about lines not yet saved, as
// File > Exit does.
void endProgramSavingFirst(Link& link);

// The end every finish shares: the reply is over (whatever still arrives is dropped) and the watchdog
// stops. It comes first in each finish, before the finish's own steps (a message box among them), and
// tells Link::onExchangeEnd, which should act from the event loop once the finish is through.
void endExchange(Link& link, ExchangeEnd end);
