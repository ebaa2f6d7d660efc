#include "Link.h"

Link::Link(ComPort& port, Settings& settings, Operator& op) : port(port), settings(settings), op(op) {
    ResponseTimer.setInterval(kWatchdogMs);
}
