#pragma once

#include "ArchiveResult.h"
#include "ArchiveState.h"
#include "ArchiveViews.h"
#include "DownloadFacts.h"
#include "ExportRequest.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

class Archive;

// The archive for the window and the viewer: an Archive of its own on a worker thread (with its own
// database connection), so the window never waits for a database. Every request returns at once with a
// number; its answer comes later as a signal carrying that number. Requests are answered in the order
// they were made. The archive is opened on the worker when the service starts; destroying the service
// answers every request already made, then stops the thread.
class ArchiveService : public QObject {
    Q_OBJECT

public:
    explicit ArchiveService(QObject* parent = nullptr);
    ~ArchiveService() override;
    ArchiveService(const ArchiveService&) = delete;
    ArchiveService& operator=(const ArchiveService&) = delete;

    // The state as last signalled (Closed until the archive has been opened), for a window that starts
    // listening later; safe from any thread.
    ArchiveState state() const;

    quint64 add(const QByteArray& bytes, const DownloadFacts& facts);
    quint64 importPaths(const QStringList& paths);
    quint64 deliverQueued();
    quint64 listControllers(DateOrder order);
    quint64 listDownloads(qint64 controllerId);
    quint64 loadHistory(qint64 controllerId, DateOrder order);
    quint64 loadDownload(qint64 downloadId);
    quint64 compareDownloads(qint64 firstId, qint64 secondId);
    quint64 exportRecords(const ExportRequest& request);
    quint64 renameController(qint64 controllerId, const QString& name);
    quint64 joinControllers(qint64 keepId, qint64 otherId);

signals:
    // After opening and whenever the state changes (waiting for a server, delivered, off).
    void stateChanged(const ArchiveState& state);
    // Something the operator should be told, once.
    void notice(const QString& text);
    void added(quint64 request, const AddResult& result);
    void imported(quint64 request, const QList<AddResult>& results);
    void delivered(quint64 request, int count);
    void controllersListed(quint64 request, const ArchiveResult<QList<ControllerSummary>>& result);
    void downloadsListed(quint64 request, const ArchiveResult<QList<DownloadSummary>>& result);
    void historyLoaded(quint64 request, const ArchiveResult<HistoryLines>& result);
    void downloadLoaded(quint64 request, const ArchiveResult<QByteArray>& result);
    void downloadsCompared(quint64 request, const ArchiveResult<DownloadComparison>& result);
    void exported(quint64 request, const ArchiveResult<QByteArray>& result);
    void controllerChanged(quint64 request, const ArchiveResult<bool>& result);

private:
    // Runs `work` on the worker with the archive, then tells what changed.
    quint64 post(const std::function<void(Archive&, quint64)>& work);
    void report(Archive& archive);

    QThread m_thread;
    QObject* m_worker = nullptr;        // lives on m_thread; requests run as its queued calls
    std::unique_ptr<Archive> m_archive; // made, used and destroyed on m_thread only
    ArchiveState m_lastState;           // worker side: to signal changes only
    mutable QMutex m_stateLock;
    ArchiveState m_sharedState; // m_lastState for other threads, under m_stateLock
    quint64 m_nextRequest = 0;
};
