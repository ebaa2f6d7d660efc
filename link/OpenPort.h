#pragma once

#include <functional>

class ComPort;
class Operator;
struct Settings;

// Opens the port afresh on settings.PortNumber at 9600,n,8,1 before a command is sent. When it cannot,
// the operator is asked "Coms Port not available!" (the reason under it): Retry shows the port dialog and
// tries again with the port then chosen, Cancel ends the program through endProgram (by default
// Operator::endProgram). Returns true with the port open, false when the program is ending (the caller
// then sends nothing).
bool OpenPort(ComPort& port, const Settings& settings, Operator& op,
              const std::function<void()>& endProgram = {});
