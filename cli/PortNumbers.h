#pragma once

#include <QList>

class QCommandLineOption;

// The COM numbers that reach a device right now, for the shells' completion of --port: the numbers of
// the fixed table and of every ports/comN link in the settings folder, kept when the device they lead to
// exists. A number pinned to an adapter that is unplugged is left out, as it reaches nothing.
namespace PortNumbers {

QList<int> withDevice();

// "--list-ports", hidden from --help: the completion scripts ask for it, people use the port dialog.
QCommandLineOption option();

// Prints withDevice(), one number a line, on standard output; returns the exit code.
int print();

} // namespace PortNumbers
