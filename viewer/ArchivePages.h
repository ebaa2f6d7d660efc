#pragma once

#include "ArchiveResult.h"
#include "ArchiveViews.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class ArchivePage;
class ArchiveRequests;
class ArchiveService;

// The pages the archive side opens beside the current download: a controller's whole merged history, a
// past download, a comparison of two downloads. Each opens at once saying what it loads and shows the
// viewer's table and chart when the archive's answer comes (or why it could not come); a page closed
// meanwhile is let go.
class ArchivePages : public QObject {
    Q_OBJECT

public:
    ArchivePages(ArchiveService& service, ArchiveRequests& requests, QObject* parent = nullptr);

    void showHistory(const ControllerSummary& controller);
    void showDownload(const DownloadSummary& download);
    void compare(const DownloadSummary& older, const DownloadSummary& newer);

signals:
    void pageOpened(QWidget* page, const QString& title);

private:
    void open(quint64 request, const QString& title, const QString& loading);
    // The page waiting for this answer, when it was asked here; it may have been closed (nullptr) meanwhile.
    bool take(quint64 request, QPointer<ArchivePage>& page);
    void historyLoaded(quint64 request, const ArchiveResult<HistoryLines>& result);
    void downloadLoaded(quint64 request, const ArchiveResult<QByteArray>& result);
    void downloadsCompared(quint64 request, const ArchiveResult<DownloadComparison>& result);
    void failed(ArchivePage* page, const QString& what, const QString& reason);

    QPointer<ArchiveService> m_service;
    ArchiveRequests& m_requests;
    QHash<quint64, QPointer<ArchivePage>> m_pages;
    QHash<quint64, QStringList> m_comparing; // the two downloads' times, for the comparison's page
};
