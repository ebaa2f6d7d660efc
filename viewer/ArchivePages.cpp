#include "ArchivePages.h"

#include "ArchivePage.h"
#include "ArchiveRequests.h"
#include "ArchiveService.h"
#include "ArchiveTimes.h"
#include "ComparisonPage.h"
#include "StoredSettings.h"

ArchivePages::ArchivePages(ArchiveService& service, ArchiveRequests& requests, QObject* parent)
    : QObject(parent), m_service(&service), m_requests(requests) {
    connect(&service, &ArchiveService::historyLoaded, this, &ArchivePages::historyLoaded);
    connect(&service, &ArchiveService::downloadLoaded, this, &ArchivePages::downloadLoaded);
    connect(&service, &ArchiveService::downloadsCompared, this, &ArchivePages::downloadsCompared);
}

void ArchivePages::open(quint64 request, const QString& title, const QString& loading) {
    auto* page = new ArchivePage(loading);
    m_pages.insert(request, page);
    emit pageOpened(page, title);
}

bool ArchivePages::take(quint64 request, QPointer<ArchivePage>& page) {
    if (!m_pages.contains(request)) {
        return false;
    }
    page = m_pages.take(request);
    m_requests.finish(request);
    return true;
}

void ArchivePages::failed(ArchivePage* page, const QString& what, const QString& reason) {
    if (page != nullptr) {
        page->showFailure(what + QLatin1Char(' ') + reason);
    }
    m_requests.fail(what, reason);
}

void ArchivePages::showHistory(const ControllerSummary& controller) {
    if (!m_service) {
        return;
    }
    const QString loading = tr("Loading the history of %1...").arg(controller.name);
    open(m_requests.track(m_service->loadHistory(controller.id, StoredSettings::dateOrder()), loading),
         tr("History: %1").arg(controller.name), loading);
}

void ArchivePages::historyLoaded(quint64 request, const ArchiveResult<HistoryLines>& result) {
    QPointer<ArchivePage> page;
    if (!take(request, page)) {
        return;
    }
    if (!result.ok()) {
        failed(page, tr("The controller's history could not be read."), result.error);
    } else if (page) {
        page->showLines(LineStore::fromLines(result.value.bytes, result.value.ends), m_requests.op());
    }
}

void ArchivePages::showDownload(const DownloadSummary& download) {
    if (!m_service) {
        return;
    }
    const QString when = ArchiveTimes::downloadTime(download.ended);
    const QString loading = tr("Loading the download of %1...").arg(when);
    open(m_requests.track(m_service->loadDownload(download.id), loading), tr("Download: %1").arg(when),
         loading);
}

void ArchivePages::downloadLoaded(quint64 request, const ArchiveResult<QByteArray>& result) {
    QPointer<ArchivePage> page;
    if (!take(request, page)) {
        return; // an export's, or the window's
    }
    if (!result.ok()) {
        failed(page, tr("The download could not be read from the archive."), result.error);
    } else if (page) {
        page->showLines(LineStore::fromText(result.value), m_requests.op());
    }
}

void ArchivePages::compare(const DownloadSummary& older, const DownloadSummary& newer) {
    if (!m_service) {
        return;
    }
    const QStringList times = {ArchiveTimes::downloadTime(older.ended),
                               ArchiveTimes::downloadTime(newer.ended)};
    const QString loading = tr("Comparing the downloads of %1 and %2...").arg(times.at(0), times.at(1));
    const quint64 request = m_requests.track(m_service->compareDownloads(older.id, newer.id), loading);
    m_comparing.insert(request, times);
    open(request, tr("Compare: %1 and %2").arg(times.at(0), times.at(1)), loading);
}

void ArchivePages::downloadsCompared(quint64 request, const ArchiveResult<DownloadComparison>& result) {
    QPointer<ArchivePage> page;
    if (!take(request, page)) {
        return;
    }
    const QStringList times = m_comparing.take(request);
    if (!result.ok()) {
        failed(page, tr("The downloads could not be compared."), result.error);
    } else if (page) {
        page->showWidget(new ComparisonPage(result.value, times.at(0), times.at(1), m_requests.op()));
    }
}
