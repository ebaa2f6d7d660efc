#pragma once

#include <QString>

class ComPort;
class Operator;
struct Settings;

// What came of opening the port: open, or not, with the last reason it did not.
struct OpenPortResult {
    bool opened = false;
    QString reason;
};

// Opens the port afresh on settings.PortNumber at 9600,n,8,1 before a command is sent. When it cannot,
// the operator is asked "Coms Port not available!" (the reason under it): Retry shows the port dialog,
// stores the port chosen there and tries again; Cancel gives up, and the caller ends the program.
OpenPortResult OpenPort(ComPort& port, Settings& settings, Operator& op);
