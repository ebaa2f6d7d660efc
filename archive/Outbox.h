#pragma once

#include "PreparedDownload.h"

#include <QList>
#include <optional>

class SqlSession;

// Downloads waiting in the archive file on this PC for a team archive that could not be reached. Each is
// kept whole (bytes compressed and facts) until it has been delivered; delivering twice adds nothing,
// because the team archive knows a download by its bytes.
namespace Outbox {

bool put(SqlSession& session, const PreparedDownload& download);
// The waiting downloads' rows, oldest first.
std::optional<QList<qint64>> waiting(SqlSession& session);
// A waiting download as it was handed over; nothing with the reason in the session when it is unreadable.
std::optional<PreparedDownload> take(SqlSession& session, qint64 id);
bool remove(SqlSession& session, qint64 id);

} // namespace Outbox
