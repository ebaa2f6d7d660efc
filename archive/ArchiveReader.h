#pragma once

#include "ArchiveResult.h"
#include "ArchiveViews.h"
#include "DateOrder.h"

#include <QList>

class SqlSession;

// What the archive holds: its controllers, a controller's downloads, one download's bytes, and what two
// downloads hold that the other lacks.
namespace ArchiveReader {

// Record times are read in `order` (Unknown: as each controller's dates show, else day first).
ArchiveResult<QList<ControllerSummary>> controllers(SqlSession& session, DateOrder order);
// Oldest first.
ArchiveResult<QList<DownloadSummary>> downloads(SqlSession& session, qint64 controllerId);
// The download byte for byte as it was received.
ArchiveResult<QByteArray> downloadBytes(SqlSession& session, qint64 downloadId);
ArchiveResult<DownloadComparison> compare(SqlSession& session, qint64 firstId, qint64 secondId);

} // namespace ArchiveReader
