#pragma once

#include "ArchiveResult.h"
#include "ArchiveViews.h"
#include "ExportRequest.h"

class SqlSession;

// A controller's merged history, read in time order: by the records' dates and times in the order the
// caller reads dates, records of the same time (or with no readable date) in the order they first came.
// An Unknown order is settled by the dates themselves where they tell it, else taken as day first.
namespace HistoryReader {

ArchiveResult<HistoryLines> history(SqlSession& session, qint64 controllerId, DateOrder order);
ArchiveResult<QByteArray> exportRecords(SqlSession& session, const ExportRequest& request);
// The order a controller's dates are read in when the caller has no choice.
DateOrder settledOrder(SqlSession& session, qint64 controllerId, DateOrder order);

} // namespace HistoryReader
