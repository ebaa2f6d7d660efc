#pragma once

#include "ArchiveResult.h"

class SqlSession;
struct PreparedDownload;

// Adds one download to an archive database in one transaction: its controller (made on first sight),
// its row with the bytes, and the records its controller's history lacks. The database's unique
// constraints decide what is new, so programs on many PCs can add to one archive at once; a download cut
// off half-way (killed, disk full, server gone) leaves the archive as it was.
namespace DownloadWriter {

// Added, AlreadyThere, or Failed with the database's reason.
AddResult add(SqlSession& session, const PreparedDownload& download);

} // namespace DownloadWriter
