#pragma once

#include "ArchiveResult.h"
#include "ArchiveState.h"
#include "ArchiveViews.h"
#include "DownloadFacts.h"
#include "ExportRequest.h"
#include "PreparedDownload.h"
#include "ServerAddress.h"

#include <QList>
#include <QStringList>
#include <memory>
#include <optional>

class SqlSession;

// The archive of every download, used from one thread (the command line, the tests, and the worker of
// ArchiveService). It opens what korvane.ini names under [ARCHIVE] Database: empty, the file
// $XDG_DATA_HOME/korvane/archive.sqlite on this PC; otherwise a team's PostgreSQL database.
//
// A download the archive cannot take now is kept: when the team archive cannot be reached it waits in the
// file on this PC and goes to the server at the next open or download; when the archive file itself
// fails (a full disk) it is kept while the program runs and tried again at the next download. Things the
// operator should hear of once (a damaged file put aside, a server out of reach, a newer archive left
// alone) collect as notices. Nothing here throws; failures come back with their reason.
class Archive {
public:
    Archive();
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // Opens (again) what the settings name, and delivers downloads left waiting by earlier runs. Every
    // other call opens the archive first when it is not open yet.
    const ArchiveState& open();
    const ArchiveState& state() const { return m_state; }

    AddResult add(const QByteArray& bytes, const DownloadFacts& facts);
    // Saved downloads from files and folders (a folder's files, not its subfolders), each added as an
    // "imported" download dated by the file's modification time.
    QList<AddResult> importPaths(const QStringList& paths);
    // Tries the waiting downloads again; how many went in.
    int deliverQueued();

    ArchiveResult<QList<ControllerSummary>> controllers(DateOrder order);
    ArchiveResult<QList<DownloadSummary>> downloads(qint64 controllerId);
    ArchiveResult<HistoryLines> history(qint64 controllerId, DateOrder order);
    ArchiveResult<QByteArray> downloadBytes(qint64 downloadId);
    ArchiveResult<DownloadComparison> compare(qint64 firstId, qint64 secondId);
    ArchiveResult<QByteArray> exportRecords(const ExportRequest& request);
    ArchiveResult<bool> renameController(qint64 controllerId, const QString& name);
    ArchiveResult<bool> joinControllers(qint64 keepId, qint64 otherId);

    // What the operator should be told, each once; taking them empties the list.
    QStringList takeNotices();

private:
    SqlSession* reachable();
    bool connectServer();
    bool openLocalFile();
    AddResult store(const PreparedDownload& download);
    AddResult queue(const PreparedDownload& download, const QString& reason);
    int countQueued();
    void lostServer(const QString& reason);
    void tell(const QString& notice);
    template <typename T, typename Read> ArchiveResult<T> reading(Read read);

    QString m_name;
    std::optional<ServerAddress> m_server; // set when the settings name a team archive
    std::unique_ptr<SqlSession> m_target;  // where downloads go
    std::unique_ptr<SqlSession> m_local; // the file on this PC, holding the queue, when m_target is a server
    QList<PreparedDownload> m_pending;   // downloads no database could take
    ArchiveState m_state;
    QStringList m_notices;
    bool m_toldWaiting = false;
};
