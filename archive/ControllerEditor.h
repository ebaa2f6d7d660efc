#pragma once

#include "ArchiveResult.h"

#include <QString>

class SqlSession;

// What the operator changes about controllers: a name, and joining two identities that are one unit
// (a firmware change altered a header line).
namespace ControllerEditor {

ArchiveResult<bool> rename(SqlSession& session, qint64 controllerId, const QString& name);
// Moves `otherId`'s identities, downloads and records to `keepId` and removes `otherId`. Records merge
// under the same rule as downloads: a line is held as often as the one that held it most.
ArchiveResult<bool> join(SqlSession& session, qint64 keepId, qint64 otherId);

} // namespace ControllerEditor
