#pragma once

class QCoreApplication;

// The program's command line. Any of its own options makes rm7-download work without a window (help,
// version, a download or a log-count query); without them the window starts as it always has, and
// whatever else is on the line is left to the toolkit.
namespace CommandLine {

// True when the arguments hold one of the program's own options.
bool wanted(int argc, const char* const* argv);

// Reads the options and does what they ask; returns the exit code. Needs only a QCoreApplication.
int run(QCoreApplication& app);

// Application name, organisation and version, the same for the window and the command line.
void describeApplication();

} // namespace CommandLine
