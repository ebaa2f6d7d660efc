#include "Archive.h"

#include "ArchiveLocation.h"
#include "ArchiveOpener.h"
#include "ArchiveReader.h"
#include "ControllerEditor.h"
#include "DownloadWriter.h"
#include "HistoryReader.h"
#include "ImportFile.h"
#include "Logging.h"
#include "Outbox.h"
#include "SqlSession.h"
#include "StoredSettings.h"

#include <QFileInfo>
#include <QSysInfo>
#include <atomic>

namespace {

std::atomic<int> connectionCount{0};

} // namespace

Archive::Archive() : m_name(QStringLiteral("rm7-archive-%1").arg(++connectionCount)) {}

Archive::~Archive() = default;

void Archive::tell(const QString& notice) {
    if (!notice.isEmpty()) {
        qCWarning(lcArchive).noquote() << notice;
        m_notices << notice;
    }
}

QStringList Archive::takeNotices() {
    return std::exchange(m_notices, {});
}

const ArchiveState& Archive::open() {
    m_target.reset();
    m_local.reset();
    m_server.reset();
    m_state = ArchiveState();
    const QString setting = StoredSettings::archiveDatabase();
    if (setting.isEmpty()) {
        auto opened = ArchiveOpener::openFile(m_name + QStringLiteral("-file"), ArchiveLocation::localFile());
        tell(opened.notice);
        m_state.where = ArchiveLocation::localFile();
        if (opened.session) {
            m_target = std::move(opened.session);
            m_state.mode = ArchiveState::Mode::Ready;
        } else {
            m_state.mode = ArchiveState::Mode::Off;
            m_state.reason = opened.error;
            tell(opened.newer
                     ? opened.error
                     : QStringLiteral("Downloads cannot be archived in this run: %1").arg(opened.error));
        }
    } else {
        QString error;
        m_server = ServerAddress::parse(setting, error);
        if (m_server) {
            m_state.where = m_server->display();
            connectServer();
        } else {
            // Nothing is lost to a typing error: downloads wait on this PC until the setting is put right.
            m_state.where = setting;
            m_state.mode = ArchiveState::Mode::Waiting;
            m_state.reason =
                QStringLiteral("Database in section [ARCHIVE] of korvane.ini cannot be read: %1").arg(error);
            qCWarning(lcArchive).noquote() << m_state.reason;
        }
        if (QFileInfo::exists(ArchiveLocation::localFile())) {
            openLocalFile(); // it may hold downloads from runs that could not reach the server
        }
    }
    deliverQueued();
    return m_state;
}

bool Archive::connectServer() {
    auto opened = ArchiveOpener::openServer(m_name + QStringLiteral("-server"), *m_server);
    if (opened.session) {
        m_target = std::move(opened.session);
        m_state.mode = ArchiveState::Mode::Ready;
        m_state.reason.clear();
        return true;
    }
    if (opened.newer) {
        m_state.mode = ArchiveState::Mode::Off;
        m_state.reason = opened.error;
        tell(opened.error);
        return false;
    }
    m_state.mode = ArchiveState::Mode::Waiting;
    m_state.reason = opened.error;
    qCWarning(lcArchive) << "the team archive" << m_server->display() << "cannot be reached:" << opened.error;
    return false;
}

bool Archive::openLocalFile() {
    if (!m_local) {
        auto opened = ArchiveOpener::openFile(m_name + QStringLiteral("-file"), ArchiveLocation::localFile());
        tell(opened.notice);
        m_local = std::move(opened.session);
        if (!m_local) {
            qCWarning(lcArchive) << "the archive file on this PC cannot hold waiting downloads:"
                                 << opened.error;
        }
    }
    return m_local != nullptr;
}

void Archive::lostServer(const QString& reason) {
    if (m_server && m_state.mode == ArchiveState::Mode::Ready) {
        qCWarning(lcArchive) << "the team archive" << m_server->display() << "failed:" << reason;
        m_target.reset();
        m_state.mode = ArchiveState::Mode::Waiting;
        m_state.reason = reason;
    }
}

SqlSession* Archive::reachable() {
    if (m_state.mode == ArchiveState::Mode::Closed) {
        open();
    }
    if (!m_target && m_server && m_state.mode == ArchiveState::Mode::Waiting) {
        connectServer();
    }
    return m_target.get();
}

AddResult Archive::add(const QByteArray& bytes, const DownloadFacts& facts) {
    if (m_state.mode == ArchiveState::Mode::Closed) {
        open();
    }
    if (m_state.mode == ArchiveState::Mode::Off) {
        return {AddOutcome::Failed,
                QStringLiteral("archiving is off in this run: %1").arg(m_state.reason),
                {},
                0,
                0,
                0};
    }
    const PreparedDownload download = PreparedDownload::of(bytes, facts);
    const QString refusal = download.parts.refusal();
    if (!refusal.isEmpty()) {
        qCWarning(lcArchive) << "not archived:" << refusal;
        return {AddOutcome::Refused, refusal, {}, 0, 0, 0};
    }
    reachable();
    deliverQueued(); // what waits goes first, so the history grows in the order downloads came
    return store(download);
}

AddResult Archive::store(const PreparedDownload& download) {
    QString reason = m_state.reason;
    if (m_target) {
        AddResult result = DownloadWriter::add(*m_target, download);
        if (result.outcome != AddOutcome::Failed) {
            return result;
        }
        reason = result.reason;
        qCWarning(lcArchive) << "download not archived in" << m_target->where() << ':' << reason;
        lostServer(reason);
    }
    return queue(download, reason);
}

AddResult Archive::queue(const PreparedDownload& download, const QString& reason) {
    const bool inFile = m_server && openLocalFile() && Outbox::put(*m_local, download);
    if (!inFile) {
        if (m_local) {
            qCWarning(lcArchive) << "the download cannot wait in" << m_local->where() << ':'
                                 << m_local->error();
        }
        m_pending << download;
    }
    m_state.queued = countQueued();
    if (!m_toldWaiting) {
        m_toldWaiting = true;
        tell(inFile
                 ? QStringLiteral("The download could not go to the team archive %1 (%2). It waits in %3 and "
                                  "goes there at the next start or download; nothing is lost.")
                       .arg(m_state.where, reason, ArchiveLocation::localFile())
                 : QStringLiteral("The download could not be archived in %1 (%2). It is kept while the "
                                  "program runs and archived at the next download.")
                       .arg(m_state.where, reason));
    }
    return {AddOutcome::Queued, reason, {}, 0, 0, 0};
}

int Archive::countQueued() {
    SqlSession* box = m_server ? m_local.get() : m_target.get();
    const auto waiting = box ? Outbox::waiting(*box) : std::nullopt;
    return int(m_pending.size() + (waiting ? waiting->size() : 0));
}

int Archive::deliverQueued() {
    if (m_state.mode == ArchiveState::Mode::Closed || m_state.mode == ArchiveState::Mode::Off) {
        return 0;
    }
    SqlSession* box = m_server ? m_local.get() : m_target.get();
    const auto waiting = box ? Outbox::waiting(*box) : std::nullopt;
    if (m_pending.isEmpty() && (!waiting || waiting->isEmpty())) {
        return 0;
    }
    int delivered = 0;
    bool failed = !reachable();
    while (!failed && !m_pending.isEmpty()) {
        const AddResult result = DownloadWriter::add(*m_target, m_pending.first());
        failed = result.outcome == AddOutcome::Failed;
        if (failed) {
            lostServer(result.reason);
        } else {
            m_pending.removeFirst();
            ++delivered;
        }
    }
    for (qsizetype i = 0; !failed && waiting && i < waiting->size(); ++i) {
        const qint64 id = waiting->at(i);
        const auto download = Outbox::take(*box, id);
        if (!download) {
            qCWarning(lcArchive) << "waiting download" << id << "in" << box->where()
                                 << "cannot be read:" << box->error();
            continue;
        }
        const AddResult result = DownloadWriter::add(*m_target, *download);
        failed = result.outcome == AddOutcome::Failed;
        if (failed) {
            lostServer(result.reason);
        } else if (Outbox::remove(*box, id)) {
            ++delivered;
        } else {
            qCWarning(lcArchive) << "delivered download" << id << "stays in" << box->where() << ':'
                                 << box->error();
        }
    }
    m_state.queued = countQueued();
    if (delivered > 0) {
        m_toldWaiting = false;
        tell(QStringLiteral("%1 download(s) that waited have been archived in %2.")
                 .arg(delivered)
                 .arg(m_state.where));
    }
    return delivered;
}

QList<AddResult> Archive::importPaths(const QStringList& paths) {
    QList<AddResult> results;
    for (const QString& path : ImportFile::expand(paths)) {
        const ImportFile::Read read = ImportFile::read(path);
        AddResult result;
        if (!read.error.isEmpty()) {
            result = {AddOutcome::Failed, read.error, {}, 0, 0, 0};
        } else if (!read.refusal.isEmpty()) {
            result = {AddOutcome::Refused, read.refusal, {}, 0, 0, 0};
        } else {
            const QFileInfo info(path);
            DownloadFacts facts;
            facts.started = info.lastModified().toUTC();
            facts.ended = facts.started;
            facts.host = QSysInfo::machineHostName();
            facts.device = info.absoluteFilePath();
            facts.end = DownloadEnd::Imported;
            result = add(read.bytes, facts);
        }
        if (result.outcome == AddOutcome::Failed || result.outcome == AddOutcome::Refused) {
            qCWarning(lcArchive) << "not imported:" << path << '-' << result.reason;
        }
        result.path = path;
        results << result;
    }
    return results;
}

template <typename T, typename Read> ArchiveResult<T> Archive::reading(Read read) {
    SqlSession* session = reachable();
    if (!session) {
        return ArchiveResult<T>::failure(
            QStringLiteral("the archive %1 cannot be used: %2").arg(m_state.where, m_state.reason));
    }
    ArchiveResult<T> result = read(*session);
    if (!result.ok()) {
        qCWarning(lcArchive) << "reading" << session->where() << "failed:" << result.error;
        // A server that went away fails every query from now on; the next call connects again.
        if (m_server && !session->value(QStringLiteral("SELECT 1"))) {
            lostServer(result.error);
        }
    }
    return result;
}

ArchiveResult<QList<ControllerSummary>> Archive::controllers(DateOrder order) {
    return reading<QList<ControllerSummary>>(
        [&](SqlSession& session) { return ArchiveReader::controllers(session, order); });
}

ArchiveResult<QList<DownloadSummary>> Archive::downloads(qint64 controllerId) {
    return reading<QList<DownloadSummary>>(
        [&](SqlSession& session) { return ArchiveReader::downloads(session, controllerId); });
}

ArchiveResult<HistoryLines> Archive::history(qint64 controllerId, DateOrder order) {
    return reading<HistoryLines>(
        [&](SqlSession& session) { return HistoryReader::history(session, controllerId, order); });
}

ArchiveResult<QByteArray> Archive::downloadBytes(qint64 downloadId) {
    return reading<QByteArray>(
        [&](SqlSession& session) { return ArchiveReader::downloadBytes(session, downloadId); });
}

ArchiveResult<DownloadComparison> Archive::compare(qint64 firstId, qint64 secondId) {
    return reading<DownloadComparison>(
        [&](SqlSession& session) { return ArchiveReader::compare(session, firstId, secondId); });
}

ArchiveResult<QByteArray> Archive::exportRecords(const ExportRequest& request) {
    return reading<QByteArray>(
        [&](SqlSession& session) { return HistoryReader::exportRecords(session, request); });
}

ArchiveResult<bool> Archive::renameController(qint64 controllerId, const QString& name) {
    return reading<bool>(
        [&](SqlSession& session) { return ControllerEditor::rename(session, controllerId, name); });
}

ArchiveResult<bool> Archive::joinControllers(qint64 keepId, qint64 otherId) {
    return reading<bool>(
        [&](SqlSession& session) { return ControllerEditor::join(session, keepId, otherId); });
}
