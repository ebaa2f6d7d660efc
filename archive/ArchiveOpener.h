#pragma once

#include "SqlSession.h"

#include <QString>
#include <memory>

struct ServerAddress;

// Opens an archive database and makes its tables: the archive file on this PC or a team's server.
namespace ArchiveOpener {

struct Opened {
    std::unique_ptr<SqlSession> session; // null when it could not be used
    QString error;                       // why, in the system's or the driver's words
    bool newer = false;                  // written by a newer program: left alone
    QString notice;                      // something the operator is told once (a damaged file put aside)
};

// A damaged file, or one of another program, is renamed to <file>.damaged-YYYYMMDD-HHMMSS and a fresh
// archive started in its place. The folder is made 0700 and a new file 0600.
Opened openFile(const QString& connectionName, const QString& path);
Opened openServer(const QString& connectionName, const ServerAddress& address);

} // namespace ArchiveOpener
