#pragma once

class QCoreApplication;

// The program's command line. Any argument makes rm7-download work without a window (help, version, a
// download, a log-count query or an archive verb; anything else is a usage error); without arguments the
// window starts as it always has.
namespace CommandLine {

// True when the arguments hold one of the program's own options.
bool wanted(int argc, const char* const* argv);

// Reads the options and does what they ask; returns the exit code. Needs only a QCoreApplication.
int run(QCoreApplication& app);

// Application name, organisation and version, the same for the window and the command line.
void describeApplication();

} // namespace CommandLine
