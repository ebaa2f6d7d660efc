#pragma once

#include "ArchiveResult.h"
#include "ArchiveViews.h"
#include "ExportRequest.h"

#include <QObject>
#include <QPointer>
#include <map>
#include <memory>

class ArchiveRequests;
class ArchiveService;
class ExportFile;

// Files into and out of the archive. Import: saved downloads, one, many or a folder's; a path that cannot
// be read is told as a save tells one, a file that is no download is refused with the reason, and a file
// imported again adds nothing. Export: a controller's records (a time range, in its own layout or as a
// plain table) or a past download byte for byte, to a file named in the Save dialog and written as a save
// writes one.
class ArchiveTransfers : public QObject {
    Q_OBJECT

public:
    ArchiveTransfers(ArchiveService& service, ArchiveRequests& requests, QObject* parent = nullptr);
    ~ArchiveTransfers() override;
    ArchiveTransfers(const ArchiveTransfers&) = delete;
    ArchiveTransfers& operator=(const ArchiveTransfers&) = delete;

    void importFiles();
    void importFolder();
    void importPaths(const QStringList& paths);
    void exportRecords(const ExportRequest& request, const QString& controllerName);
    void exportDownload(const DownloadSummary& download, const QString& controllerName);

signals:
    // What came of an import or an export, in a line.
    void done(const QString& note);
    // An import added to the archive.
    void archiveChanged();

private:
    std::unique_ptr<ExportFile> chooseFile(const QString& title, const QString& name);
    void exported(quint64 request, const ArchiveResult<QByteArray>& result);
    void imported(quint64 request, const QList<AddResult>& results);

    QPointer<ArchiveService> m_service;
    ArchiveRequests& m_requests;
    std::map<quint64, std::unique_ptr<ExportFile>> m_exports; // files waiting for the archive's bytes
};
