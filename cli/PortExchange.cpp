#include "PortExchange.h"

#include "ArchiveService.h"
#include "DownloadArchiver.h"

#include <QTimer>

PortExchange::PortExchange(const PortTarget& target, ArchiveService* archive, QObject* parent)
    : QObject(parent), m_link(m_port, m_settings, m_op) {
    m_settings.PortNumber = target.comNumber.value_or(1);
    if (!target.devicePath.isEmpty()) {
        m_port.setDevicePath(target.devicePath);
    }
    m_port.setAudience(PortDiagnosis::Audience::CommandLine);
    if (archive != nullptr) {
        // Made before the link's end is heard below, so the download is handed over first.
        auto* archiver = new DownloadArchiver(m_link, m_port, *archive, this);
        connect(archiver, &DownloadArchiver::handedOver, this,
                [this](quint64 request) { m_archiving = request; });
        connect(archive, &ArchiveService::added, this, [this](quint64 request, const AddResult& result) {
            if (request == m_archiving) {
                m_archived = result;
                emit archiveAnswered(result);
            }
        });
    }
    connect(&m_link, &Link::exchangeEnded, this, [this](ExchangeEnd how, const QString& reason) {
        m_expected = std::max(m_expected, m_link.ExpectedLines()); // the finish forgets it
        // The finish that told this goes on (its message box, closing the port); tell once it is through.
        QTimer::singleShot(0, this, [this, how, reason] { emit ended(how, reason); });
    });
}

void PortExchange::startDownload() {
    m_link.startDownload(DownloadEntry::Button);
}

void PortExchange::startCount() {
    m_link.startLogCountQuery();
}

void PortExchange::close() {
    m_port.setPortOpen(false);
}

ProgressFigures PortExchange::figures() const {
    const int expected = m_link.ExpectedLines() > 0 ? m_link.ExpectedLines() : m_expected;
    return {m_link.LineCount(), expected, m_link.lines().byteCount()};
}
