#pragma once

#include "Exchange.h"
#include "LinkDisplay.h"
#include "LinkState.h"
#include "RecoveryCopy.h"

#include <QTimer>
#include <functional>

class ComPort;
class Operator;
struct Settings;

// The parts that the controller link's commands, dispatcher and watchdog share: the link state, what it
// shows, the response watchdog's timer, and the port, settings and operator of the program.
class Link {
public:
    static constexpr int kWatchdogMs = 2000;

    Link(ComPort& port, Settings& settings, Operator& op);

    LinkState state;
    LinkDisplay display;
    RecoveryCopy recovery;
    QTimer ResponseTimer;
    ComPort& port;
    Settings& settings;
    Operator& op;
    // Offers to save unsaved lines before they are thrown away; afterwards they count as gone.
    std::function<void()> PromptSaveLogs;
    // Told at the end of every exchange (see endExchange): the command-line download waits on it.
    std::function<void(ExchangeEnd)> onExchangeEnd;
    // The watchdog's question is open: a tick that falls due meanwhile asks nothing.
    bool watchdogAsking = false;
};
