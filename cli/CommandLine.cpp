#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <string_view>

namespace {

// Every spelling the parser accepts for the program's own options.
constexpr std::string_view kOwnOptions[] = {"-h", "--help", "--help-all", "-v", "--version"};

bool isOwnOption(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    if (equals != std::string_view::npos) {
        argument = argument.substr(0, equals);
    }
    for (const std::string_view option : kOwnOptions) {
        if (argument == option) {
            return true;
        }
    }
    return false;
}

} // namespace

namespace CommandLine {

bool wanted(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && isOwnOption(argv[i])) {
            return true;
        }
    }
    return false;
}

void describeApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("rm7-download"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane Instruments"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RM7_VERSION));
}

int run(QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Downloads the log of an RM7 controller over a serial port.\n"
                       "Without options it opens its window."));
    parser.addHelpOption();
    parser.addVersionOption();
    if (!parser.parse(app.arguments())) {
        QTextStream(stderr) << "rm7-download: " << parser.errorText() << '\n'
                            << "Try 'rm7-download --help'.\n";
        return kUsageError;
    }
    if (parser.isSet(QStringLiteral("help-all"))) {
        parser.process(app); // shows the help with Qt's own options and exits
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    return 0;
}

} // namespace CommandLine
