#include "ArchiveVerbs.h"

#include "Archive.h"
#include "Complaint.h"
#include "CsvWriter.h"
#include "ExitCode.h"
#include "Overdue.h"
#include "StoredSettings.h"
#include "TextTable.h"

#include <QTextStream>
#include <unistd.h>

namespace {

// The archive opened, or the exit code of one that cannot be used (told why).
std::optional<int> openFails(Archive& archive) {
    const ArchiveState& state = archive.open();
    for (const QString& notice : archive.takeNotices()) {
        complain(notice);
    }
    if (state.mode == ArchiveState::Mode::Off) {
        complain(QStringLiteral("the archive cannot be used: %1").arg(state.reason));
        return ExitCode::kArchiveUnusable;
    }
    return std::nullopt;
}

// The controllers in the archive, or the exit code of an archive that cannot list them (told why).
std::optional<int> listFails(Archive& archive, QList<ControllerSummary>& controllers) {
    if (const auto failed = openFails(archive)) {
        return failed;
    }
    auto listed = archive.controllers(StoredSettings::dateOrder());
    if (!listed.ok()) {
        complain(listed.error);
        return ExitCode::kArchiveUnusable;
    }
    controllers = std::move(listed.value);
    return std::nullopt;
}

QString importLine(const AddResult& result) {
    switch (result.outcome) {
    case AddOutcome::Added:
        return QStringLiteral("%1: added, %2 new records").arg(result.path).arg(result.recordsAdded);
    case AddOutcome::AlreadyThere:
        return QStringLiteral("%1: already in the archive").arg(result.path);
    case AddOutcome::Queued:
        return QStringLiteral("%1: waits on this PC for the team archive: %2")
            .arg(result.path, result.reason);
    case AddOutcome::Refused:
        return QStringLiteral("%1: refused: %2").arg(result.path, result.reason);
    case AddOutcome::Failed:
        break;
    }
    return QStringLiteral("%1: not imported: %2").arg(result.path, result.reason);
}

// A record's time as the controller's clock gave it; a download's in this PC's time.
QString recordTime(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("-");
}
QString downloadTime(const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                          : QStringLiteral("-");
}

// The controller a user named, by its number in the list or its name (case aside); the reason when none
// or several match.
std::optional<qint64> findController(const QList<ControllerSummary>& controllers, const QString& wanted,
                                     QString& reason) {
    bool isNumber = false;
    const qint64 id = QLocale::c().toLongLong(wanted, &isNumber);
    QList<const ControllerSummary*> found;
    for (const ControllerSummary& controller : controllers) {
        if (isNumber ? controller.id == id : controller.name.compare(wanted, Qt::CaseInsensitive) == 0) {
            found << &controller;
        }
    }
    if (found.size() == 1) {
        return found.first()->id;
    }
    reason =
        found.isEmpty()
            ? QStringLiteral("no controller '%1' in the archive: see rm7-download --controllers").arg(wanted)
            : QStringLiteral("%1 controllers are named '%2': give the number from "
                             "rm7-download --controllers")
                  .arg(found.size())
                  .arg(wanted);
    return std::nullopt;
}

int writeOut(const QByteArray& bytes, const QString& file) {
    CsvWriter output;
    WriteResult result;
    if (file == QStringLiteral("-")) {
        output.openDescriptor(STDOUT_FILENO);
    } else {
        result = output.open(file, CsvWriter::Placement::Replace);
    }
    if (result.ok()) {
        result = output.write(bytes);
    }
    if (result.ok()) {
        result = output.finish();
    }
    if (!result.ok()) {
        output.abandon();
        complain(QStringLiteral("cannot write %1: %2")
                     .arg(file == QStringLiteral("-") ? QStringLiteral("standard output") : file,
                          systemErrorText(result.systemError)));
        return ExitCode::kFileError;
    }
    return ExitCode::kDone;
}

} // namespace

namespace ArchiveVerbs {

std::optional<QDateTime> readDate(const QString& text, bool endOfDay) {
    QString iso = text.trimmed();
    iso.replace(QLatin1Char(' '), QLatin1Char('T'));
    if (iso.size() == 10) {
        const QDate day = QDate::fromString(iso, Qt::ISODate);
        if (!day.isValid()) {
            return std::nullopt;
        }
        return QDateTime(day, endOfDay ? QTime(23, 59, 59, 999) : QTime(0, 0), Qt::UTC);
    }
    const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
    if (!time.isValid() ||
        time.timeSpec() != Qt::LocalTime) { // a zone would say the clock is not the controller's
        return std::nullopt;
    }
    return QDateTime(time.date(), time.time(), Qt::UTC);
}

int importPaths(const QStringList& paths) {
    Archive archive;
    if (const auto failed = openFails(archive)) {
        return *failed;
    }
    int exitCode = ExitCode::kDone;
    QTextStream out(stdout);
    for (const AddResult& result : archive.importPaths(paths)) {
        out << importLine(result) << '\n';
        if (result.outcome == AddOutcome::Refused || result.outcome == AddOutcome::Failed) {
            exitCode = ExitCode::kFileError;
        }
    }
    return exitCode;
}

int listControllers() {
    Archive archive;
    QList<ControllerSummary> controllers;
    if (const auto failed = listFails(archive, controllers)) {
        return *failed;
    }
    QList<QStringList> rows;
    for (const ControllerSummary& c : std::as_const(controllers)) {
        rows << QStringList{QString::number(c.id),        c.name,
                            QString::number(c.downloads), QString::number(c.records),
                            recordTime(c.firstRecord),    recordTime(c.lastRecord),
                            downloadTime(c.lastDownload)};
    }
    QTextStream out(stdout);
    printTable(out,
               {QStringLiteral("Number"), QStringLiteral("Controller"), QStringLiteral("Downloads"),
                QStringLiteral("Records"), QStringLiteral("First record"), QStringLiteral("Last record"),
                QStringLiteral("Last download")},
               rows);
    return ExitCode::kDone;
}

int listStatus(int overdueDays) {
    Archive archive;
    QList<ControllerSummary> controllers;
    if (const auto failed = listFails(archive, controllers)) {
        return *failed;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QStringList> rows;
    for (const ControllerSummary& c : std::as_const(controllers)) {
        rows << QStringList{QString::number(c.id),
                            c.name,
                            downloadTime(c.lastDownload),
                            recordTime(c.lastRecord),
                            QString::number(c.records),
                            isOverdue(c, now, overdueDays) ? QStringLiteral("yes") : QStringLiteral("no")};
    }
    QTextStream out(stdout);
    printTable(out,
               {QStringLiteral("Number"), QStringLiteral("Controller"), QStringLiteral("Last download"),
                QStringLiteral("Newest record"), QStringLiteral("Records"),
                QStringLiteral("Overdue (%1 days)").arg(overdueDays)},
               rows);
    return ExitCode::kDone;
}

int exportRecords(const ExportOptions& options) {
    Archive archive;
    QList<ControllerSummary> controllers;
    if (const auto failed = listFails(archive, controllers)) {
        return *failed;
    }
    QString reason;
    const auto id = findController(controllers, options.controller, reason);
    if (!id) {
        complain(reason);
        return ExitCode::kUsage;
    }
    ExportRequest request;
    request.controllerId = *id;
    request.order = StoredSettings::dateOrder();
    request.from = options.from;
    request.to = options.to;
    request.plain = options.plain;
    const auto exported = archive.exportRecords(request);
    if (!exported.ok()) {
        complain(exported.error);
        return ExitCode::kArchiveUnusable;
    }
    return writeOut(exported.value, options.file);
}

} // namespace ArchiveVerbs
