#include "ArchiveTransfers.h"

#include "ArchiveRequests.h"
#include "ArchiveService.h"
#include "ArchiveTimes.h"
#include "CsvWriter.h"
#include "ExportFile.h"
#include "FileErrors.h"
#include "Logging.h"
#include "Operator.h"
#include "StoredSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kCsvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");

// A file name from a controller's name: letters, digits, dots and dashes kept, the rest "_".
QString fileName(const QString& name) {
    QString safe = name;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]+")), QStringLiteral("_"));
    return safe.isEmpty() ? QStringLiteral("controller") : safe;
}

// The error number met opening a path (a file or a folder) to read it, 0 when it opens.
int readProblem(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    return 0;
}

QString count(qint64 n, const QString& one, const QString& many) {
    return n == 1 ? one : many.arg(QLocale().toString(n));
}

} // namespace

ArchiveTransfers::ArchiveTransfers(ArchiveService& service, ArchiveRequests& requests, QObject* parent)
    : QObject(parent), m_service(&service), m_requests(requests) {
    connect(&service, &ArchiveService::exported, this, &ArchiveTransfers::exported);
    connect(&service, &ArchiveService::downloadLoaded, this, &ArchiveTransfers::exported);
    connect(&service, &ArchiveService::imported, this, &ArchiveTransfers::imported);
}

ArchiveTransfers::~ArchiveTransfers() = default;

void ArchiveTransfers::importFiles() {
    importPaths(m_requests.op().chooseOpenFiles({tr("Import Saved Downloads"), kCsvFilter,
                                                 StoredSettings::savePath(), OpenFileRequest::Pick::Files}));
}

void ArchiveTransfers::importFolder() {
    importPaths(m_requests.op().chooseOpenFiles({tr("Import a Folder of Saved Downloads"), QString(),
                                                 StoredSettings::savePath(), OpenFileRequest::Pick::Folder}));
}

void ArchiveTransfers::importPaths(const QStringList& paths) {
    QStringList readable;
    for (const QString& path : paths) {
        for (;;) {
            const int problem = readProblem(path);
            if (problem == 0) {
                readable << path;
                break;
            }
            qCWarning(lcViewer).noquote() << "cannot import" << path << ':' << systemErrorText(problem);
            if (reportSystemError(problem, path, m_requests.op()) != FileErrorAnswer::Retry) {
                break;
            }
        }
    }
    if (!readable.isEmpty() && m_service) {
        m_requests.track(m_service->importPaths(readable),
                         count(readable.size(), tr("Importing 1 file..."), tr("Importing %1 files...")));
    }
}

void ArchiveTransfers::imported(quint64 request, const QList<AddResult>& results) {
    if (!m_requests.finish(request)) {
        emit archiveChanged(); // files the main window imported
        return;
    }
    int added = 0;
    int already = 0;
    qint64 records = 0;
    QStringList problems;
    for (const AddResult& result : results) {
        const QString name = QFileInfo(result.path).fileName();
        if (result.outcome == AddOutcome::Added) {
            ++added;
            records += result.recordsAdded;
        } else if (result.outcome == AddOutcome::AlreadyThere) {
            ++already;
        } else {
            problems << (result.outcome == AddOutcome::Queued
                             ? tr("%1: waits to be archived (%2)").arg(name, result.reason)
                             : tr("%1: not imported: %2").arg(name, result.reason));
            qCWarning(lcViewer).noquote() << "import of" << result.path << "-" << result.reason;
        }
    }
    QString summary = results.isEmpty() ? tr("There was no file to import.")
                                        : tr("Imported %1 with %2.")
                                              .arg(count(added, tr("1 file"), tr("%1 files")),
                                                   count(records, tr("1 new record"), tr("%1 new records")));
    if (already > 0) {
        summary += QLatin1Char(' ') + count(already, tr("1 file was in the archive already."),
                                            tr("%1 files were in the archive already."));
    }
    emit done(summary);
    if (!problems.isEmpty()) {
        m_requests.op().messageBox(
            summary + QLatin1Char(' ') +
                count(problems.size(), tr("1 file was not imported:"), tr("%1 files were not imported:")),
            MsgStyle::Ok + MsgStyle::Exclamation, tr("Import"), problems.join(QLatin1Char('\n')));
    }
    emit archiveChanged();
}

std::unique_ptr<ExportFile> ArchiveTransfers::chooseFile(const QString& title, const QString& name) {
    Operator& op = m_requests.op();
    const auto chosen = op.chooseSaveFile({title, kCsvFilter, StoredSettings::savePath() + name});
    if (!chosen || chosen->isEmpty()) {
        return nullptr;
    }
    auto file = std::make_unique<ExportFile>(op);
    return file->open(*chosen) ? std::move(file) : nullptr;
}

void ArchiveTransfers::exportRecords(const ExportRequest& request, const QString& controllerName) {
    auto file = chooseFile(tr("Export Records"),
                           fileName(controllerName) +
                               (request.plain ? QStringLiteral("_table.csv") : QStringLiteral(".csv")));
    if (file && m_service) {
        const QString doing = tr("Exporting the records of %1...").arg(controllerName);
        m_exports[m_requests.track(m_service->exportRecords(request), doing)] = std::move(file);
    }
}

void ArchiveTransfers::exportDownload(const DownloadSummary& download, const QString& controllerName) {
    const QString when = ArchiveTimes::downloadTime(download.ended);
    auto file = chooseFile(tr("Export Download"),
                           fileName(controllerName + QLatin1Char('_') + when) + QStringLiteral(".csv"));
    if (file && m_service) {
        const QString doing = tr("Exporting the download of %1...").arg(when);
        m_exports[m_requests.track(m_service->loadDownload(download.id), doing)] = std::move(file);
    }
}

void ArchiveTransfers::exported(quint64 request, const ArchiveResult<QByteArray>& result) {
    const auto found = m_exports.find(request);
    if (found == m_exports.end()) {
        return; // a page's download, or the window's
    }
    const std::unique_ptr<ExportFile> file = std::move(found->second);
    m_exports.erase(found);
    m_requests.finish(request);
    if (!result.ok()) {
        // The file is let go unwritten: what was there before stays.
        m_requests.fail(tr("Nothing was exported to %1.").arg(file->name()), result.error);
    } else if (file->write(result.value)) {
        emit done(tr("Exported to %1.").arg(file->name()));
    }
}
