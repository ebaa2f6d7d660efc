#include "CommandLine.h"

#include "ArchiveService.h"
#include "ArchiveVerbs.h"
#include "CollectRequest.h"
#include "Collection.h"
#include "ExitCode.h"
#include "PortNumbers.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "UnattendedRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QTextStream>
#include <algorithm>
#include <tuple>

namespace {

int usageError(const QString& text) {
    QTextStream(stderr) << "rm7-download: " << text << '\n' << "Try 'rm7-download --help'.\n";
    return ExitCode::kUsage;
}

// Options that belong to one verb: the reason when one is given without it.
QString strayOption(const QCommandLineParser& parser, const QList<const QCommandLineOption*>& options,
                    const QCommandLineOption& verb) {
    for (const QCommandLineOption* option : options) {
        if (parser.isSet(*option) && !parser.isSet(verb)) {
            return QStringLiteral("--%1 goes with --%2.").arg(option->names().first(), verb.names().first());
        }
    }
    return {};
}

int collect(const CollectOptions& options) {
    QString reason;
    const auto request = CollectRequest::make(options, reason);
    if (!request) {
        return usageError(reason);
    }
    std::unique_ptr<ArchiveService> archive;
    if (request->archive) {
        archive = std::make_unique<ArchiveService>();
    }
    Collection collection(*request, archive.get());
    return collection.exec();
}

} // namespace

namespace CommandLine {

bool wanted(int argc, const char* const* /*argv*/) {
    // The window takes no arguments: anything on the line is for the command line, or a usage error.
    return argc > 1;
}

void describeApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("rm7-download"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane Instruments"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RM7_VERSION));
}

int run(QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the log of an RM7 controller over a serial port, and keeps every download in an\n"
        "archive with one history per controller. Without arguments it opens its window.\n"
        "\n"
        "Exit status: 0 done, 1 other failure, 2 usage, 3 port not available, 4 no log entries,\n"
        "5 controller silent, 6 file error, 7 download incomplete (the limit of one download was\n"
        "reached), 8 unreadable count reply, 9 archive cannot be used, 128+N stopped by signal N.\n"
        "A collection ends with its worst port's status, from best to worst: 0, 4, 7, 5, 3, 6, 8, 9, 1."));
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
                                                 "korvane.ini (with --collect: once for each port)."),
                                  QStringLiteral("n|device"));
    const QCommandLineOption collectPorts(
        QStringLiteral("collect"),
        QStringLiteral("Download from every port named with --port (or in korvane.ini [COLLECT] Ports) at "
                       "once, each download into a file of its own named from what arrived."));
    const QCommandLineOption into(QStringLiteral("into"),
                                  QStringLiteral("With --collect: the folder for the files (default: "
                                                 "[COLLECT] Folder, else the current folder)."),
                                  QStringLiteral("folder"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("With --collect: the file name pattern, of {controller}, "
                                                 "{line:N}, {com}, {date} and {time} (default: %1).")
                                      .arg(QString::fromLatin1(FileNamePattern::kDefault)),
                                  QStringLiteral("pattern"));
    const QCommandLineOption retries(
        QStringLiteral("retries"),
        QStringLiteral("With --collect: tries after the first for a port that is "
                       "missing or busy or a controller that falls silent "
                       "(default: %1).")
            .arg(CollectRequest::kDefaultRetries),
        QStringLiteral("n"));
    const QCommandLineOption retryDelay(QStringLiteral("retry-delay"),
                                        QStringLiteral("With --collect: seconds between tries (default: %1).")
                                            .arg(CollectRequest::kDefaultRetryDelaySeconds),
                                        QStringLiteral("seconds"));
    const QCommandLineOption status(
        QStringLiteral("status"),
        QStringLiteral("List each controller in the archive with its last download, "
                       "newest record, records and whether it is overdue."));
    const QCommandLineOption overdue(QStringLiteral("overdue"),
                                     QStringLiteral("With --status: days without a download after which a "
                                                    "controller is overdue (default: [ARCHIVE] OverdueDays, "
                                                    "else %1).")
                                         .arg(StoredSettings::kDefaultOverdueDays),
                                     QStringLiteral("days"));
    const QCommandLineOption noArchive(QStringLiteral("no-archive"),
                                       QStringLiteral("Do not add the download to the archive."));
    const QCommandLineOption import(QStringLiteral("import"),
                                    QStringLiteral("Add saved downloads to the archive: the files, and the "
                                                   "files in the folders, named after the options."));
    const QCommandLineOption controllers(QStringLiteral("controllers"),
                                         QStringLiteral("List the controllers in the archive."));
    const QCommandLineOption exportRecords(
        QStringLiteral("export"),
        QStringLiteral("Write a controller's records from the archive (its number or name) into the file "
                       "named after the options (- for standard output), in the controller's own layout."),
        QStringLiteral("controller"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("With --export: records from this date (2026-03-04 or "
                                                 "2026-03-04 08:30) on."),
                                  QStringLiteral("date"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("With --export: records up to this date (a date alone: "
                                               "to its end)."),
                                QStringLiteral("date"));
    const QCommandLineOption plain(QStringLiteral("plain"),
                                   QStringLiteral("With --export: the column titles and the records only."));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Print no progress."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print the program's log lines (rm7.*) too."));
    const QCommandLineOption listPorts = PortNumbers::option();
    parser.addOptions({download,   count,     collectPorts, port,        into,    name,     retries,
                       retryDelay, noArchive, import,       controllers, status,  overdue,  exportRecords,
                       from,       to,        plain,        quiet,       verbose, listPorts});
    parser.addPositionalArgument(QStringLiteral("file|folder"),
                                 QStringLiteral("With --import: the saved downloads. With --export: the "
                                                "file to write."),
                                 QStringLiteral("[file|folder...]"));

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
    // Each error is told once, in the run's own words; the log lines behind it only when asked for.
    QLoggingCategory::setFilterRules(parser.isSet(verbose) ? QStringLiteral("rm7.*=true")
                                                           : QStringLiteral("rm7.*=false"));
    if (parser.isSet(listPorts)) {
        return PortNumbers::print();
    }
    const QList<QCommandLineOption> verbs = {download,    count,  collectPorts, import,
                                             controllers, status, exportRecords};
    if (std::count_if(verbs.begin(), verbs.end(), [&](const auto& verb) { return parser.isSet(verb); }) !=
        1) {
        return usageError(QStringLiteral("give one of --download FILE, --count, --collect, --import, "
                                         "--controllers, --status or --export."));
    }
    for (const QString& stray : {strayOption(parser, {&into, &name, &retries, &retryDelay}, collectPorts),
                                 strayOption(parser, {&overdue}, status)}) {
        if (!stray.isEmpty()) {
            return usageError(stray);
        }
    }
    if (parser.values(port).size() > 1 && !parser.isSet(collectPorts)) {
        return usageError(QStringLiteral("one --port only, except with --collect."));
    }
    const QStringList positional = parser.positionalArguments();
    const int positionalWanted = parser.isSet(import) ? -1 : parser.isSet(exportRecords) ? 1 : 0;
    if (positionalWanted == 0 && !positional.isEmpty()) {
        return usageError(QStringLiteral("unexpected argument '%1'.").arg(positional.first()));
    }
    if (parser.isSet(import)) {
        if (positional.isEmpty()) {
            return usageError(QStringLiteral("--import needs the files or folders to import."));
        }
        return ArchiveVerbs::importPaths(positional);
    }
    if (parser.isSet(controllers)) {
        return ArchiveVerbs::listControllers();
    }
    if (parser.isSet(status)) {
        int days = StoredSettings::overdueDays();
        if (parser.isSet(overdue)) {
            bool ok = false;
            days = QLocale::c().toInt(parser.value(overdue), &ok);
            if (!ok || days < 1 || days > StoredSettings::kMaxOverdueDays) {
                return usageError(QStringLiteral("--overdue takes a number of days from 1 to %1, not '%2'.")
                                      .arg(StoredSettings::kMaxOverdueDays)
                                      .arg(parser.value(overdue)));
            }
        }
        return ArchiveVerbs::listStatus(days);
    }
    if (parser.isSet(collectPorts)) {
        CollectOptions options;
        options.ports = parser.values(port);
        for (const auto& [option, value] :
             {std::pair{&into, &options.folder}, std::pair{&name, &options.name},
              std::pair{&retries, &options.retries}, std::pair{&retryDelay, &options.retryDelay}}) {
            if (parser.isSet(*option)) {
                *value = parser.value(*option);
            }
        }
        options.quiet = parser.isSet(quiet);
        options.archive = !parser.isSet(noArchive);
        return collect(options);
    }
    if (parser.isSet(exportRecords)) {
        if (positional.size() != 1) {
            return usageError(QStringLiteral("--export needs one file to write (- for standard output)."));
        }
        ArchiveVerbs::ExportOptions options{
            parser.value(exportRecords), {}, {}, parser.isSet(plain), positional.first()};
        for (const auto& [option, endOfDay, date] :
             {std::tuple{&from, false, &options.from}, std::tuple{&to, true, &options.to}}) {
            if (parser.isSet(*option)) {
                const auto read = ArchiveVerbs::readDate(parser.value(*option), endOfDay);
                if (!read) {
                    return usageError(QStringLiteral("--%1 takes a date such as 2026-03-04 or 2026-03-04 "
                                                     "08:30, not '%2'.")
                                          .arg(option->names().first(), parser.value(*option)));
                }
                *date = *read;
            }
        }
        return ArchiveVerbs::exportRecords(options);
    }

    RunRequest request;
    request.kind = parser.isSet(download) ? RunRequest::Kind::Download : RunRequest::Kind::Count;
    request.file = parser.value(download);
    request.quiet = parser.isSet(quiet);
    request.archive = request.kind == RunRequest::Kind::Download && !parser.isSet(noArchive);
    if (request.kind == RunRequest::Kind::Download && request.file.isEmpty()) {
        return usageError(QStringLiteral("--download needs a file name."));
    }
    if (parser.isSet(port)) {
        QString wrong;
        const auto target = PortTarget::read(parser.value(port), wrong);
        if (!target) {
            return usageError(wrong);
        }
        request.port = *target;
    } else if (const auto stored = storedPortNumber()) {
        request.port.comNumber = *stored;
    } else {
        return usageError(QStringLiteral("no port was ever chosen: give one with --port N or --port DEVICE, "
                                         "or choose one in the window's port list."));
    }
    std::unique_ptr<ArchiveService> archive;
    if (request.archive) {
        archive = std::make_unique<ArchiveService>();
    }
    UnattendedRun run(request, archive.get());
    return run.exec();
}

} // namespace CommandLine
