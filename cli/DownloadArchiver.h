#pragma once

#include "DownloadEnd.h"
#include "Exchange.h"

#include <QObject>
#include <optional>

class ArchiveService;
class ComPort;
class Link;
struct AddResult;

// How an exchange that ended goes into the archive, if at all: a complete download, one cut at the limit,
// and one abandoned with lines stored (the controller fell silent, or its port went away: `portGone`). A
// log-count query, "no logs", and a port that never opened bring no download.
std::optional<DownloadEnd> archivedEnd(ExchangeEnd how, bool portGone, int lines);

// What a command-line run tells about the archive's answer for its download: why it waits for the team
// archive or was not archived; "" when it went in (or was there before).
QString archiveTrouble(const AddResult& result);

// Hands every download its link ends to the archive, for the window and the command line alike. The
// lines go over as a snapshot sharing the store's memory and the archive works on its own thread, so
// nothing the operator sees waits for it; what became of the download comes back from the service.
class DownloadArchiver : public QObject {
    Q_OBJECT

public:
    DownloadArchiver(Link& link, const ComPort& port, ArchiveService& archive, QObject* parent = nullptr);

signals:
    // A download went to the archive as this request of the service.
    void handedOver(quint64 request);

private:
    void onExchangeEnded(ExchangeEnd how, const QString& reason);

    Link& m_link;
    const ComPort& m_port;
    ArchiveService& m_archive;
};
