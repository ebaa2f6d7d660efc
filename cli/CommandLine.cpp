#include "CommandLine.h"

#include "ExitCode.h"
#include "PortNumbers.h"
#include "UnattendedRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <string_view>

namespace {

// Every spelling the parser accepts for the program's own options.
constexpr std::string_view kOwnOptions[] = {"-h",         "--help",  "--help-all", "-v",      "--version",
                                            "--download", "--count", "--port",     "--quiet", "--list-ports"};

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

int usageError(const QString& text) {
    QTextStream(stderr) << "rm7-download: " << text << '\n' << "Try 'rm7-download --help'.\n";
    return ExitCode::kUsage;
}

// "--port" takes a COM number (as in the port dialog) or a device path used as it is.
bool readPort(const QString& value, RunRequest& request) {
    bool isNumber = false;
    const int number = value.toInt(&isNumber);
    if (isNumber) {
        if (number < 1) {
            return false;
        }
        request.comNumber = number;
        return true;
    }
    if (value.contains(QLatin1Char('/'))) {
        request.devicePath = value;
        return true;
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
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the log of an RM7 controller over a serial port.\n"
        "Without options it opens its window.\n"
        "\n"
        "Exit status: 0 done, 1 other failure, 2 usage, 3 port not available, 4 no log entries,\n"
        "5 controller silent, 6 file error, 128+N stopped by signal N."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption download(QStringLiteral("download"),
                                      QStringLiteral("Download the log into <file> without a window "
                                                     "(- for standard output)."),
                                      QStringLiteral("file"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Print how many logs the controller holds."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("COM number or device path instead of the port in "
                                                 "korvane.ini."),
                                  QStringLiteral("n|device"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Print no progress."));
    const QCommandLineOption listPorts = PortNumbers::option();
    parser.addOptions({download, count, port, quiet, listPorts});

    if (!parser.parse(app.arguments())) {
        return usageError(parser.errorText());
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
    if (parser.isSet(listPorts)) {
        return PortNumbers::print();
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(
            QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(download) == parser.isSet(count)) {
        return usageError(QStringLiteral("give either --download FILE or --count."));
    }

    RunRequest request;
    request.kind = parser.isSet(download) ? RunRequest::Kind::Download : RunRequest::Kind::Count;
    request.file = parser.value(download);
    request.quiet = parser.isSet(quiet);
    if (request.kind == RunRequest::Kind::Download && request.file.isEmpty()) {
        return usageError(QStringLiteral("--download needs a file name."));
    }
    if (parser.isSet(port) && !readPort(parser.value(port), request)) {
        return usageError(
            QStringLiteral("--port takes a COM number or a device path, not '%1'.").arg(parser.value(port)));
    }
    UnattendedRun run(request);
    return run.exec();
}

} // namespace CommandLine
