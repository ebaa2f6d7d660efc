#include "DownloadArchiver.h"

#include "ArchiveService.h"
#include "ComPort.h"
#include "Link.h"

#include <QSysInfo>

std::optional<DownloadEnd> archivedEnd(ExchangeEnd how, bool portGone, int lines) {
    switch (how) {
    case ExchangeEnd::Completed:
        return DownloadEnd::Complete;
    case ExchangeEnd::StoreFull:
        return DownloadEnd::LimitReached;
    case ExchangeEnd::Abandoned:
        if (lines == 0) {
            return std::nullopt;
        }
        return portGone ? DownloadEnd::Interrupted : DownloadEnd::Silent;
    case ExchangeEnd::NoLogs:
    case ExchangeEnd::CountShown:
    case ExchangeEnd::CountLate:
    case ExchangeEnd::PortUnavailable:
        break;
    }
    return std::nullopt;
}

QString archiveTrouble(const AddResult& result) {
    switch (result.outcome) {
    case AddOutcome::Added:
    case AddOutcome::AlreadyThere:
        break;
    case AddOutcome::Queued:
        return QStringLiteral("the download waits on this PC for the team archive: %1").arg(result.reason);
    case AddOutcome::Refused:
    case AddOutcome::Failed:
        return QStringLiteral("the download was not archived: %1").arg(result.reason);
    }
    return {};
}

DownloadArchiver::DownloadArchiver(Link& link, const ComPort& port, ArchiveService& archive, QObject* parent)
    : QObject(parent), m_link(link), m_port(port), m_archive(archive) {
    connect(&m_link, &Link::exchangeEnded, this, &DownloadArchiver::onExchangeEnded);
}

void DownloadArchiver::onExchangeEnded(ExchangeEnd how, const QString& reason) {
    // The link tells of the end before its own steps, so every line is stored and the port still names
    // the device it used.
    const auto end = archivedEnd(how, !reason.isEmpty(), m_link.LineCount());
    if (!end) {
        return;
    }
    DownloadFacts facts;
    facts.started = m_link.exchangeStartedAt();
    facts.ended = QDateTime::currentDateTimeUtc();
    facts.host = QSysInfo::machineHostName();
    facts.comNumber = m_port.CommPort();
    facts.device = m_port.deviceName();
    facts.end = *end;
    emit handedOver(m_archive.add(m_link.lines().bytes(), facts));
}
