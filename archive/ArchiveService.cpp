#include "ArchiveService.h"

#include "Archive.h"

ArchiveService::ArchiveService(QObject* parent) : QObject(parent), m_worker(new QObject) {
    m_thread.setObjectName(QStringLiteral("archive"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_worker, [this] { m_archive = std::make_unique<Archive>(); }, Qt::QueuedConnection);
    // Opened once the maker's thread is back in its event loop, so that whoever connects to the
    // service's signals right after making it hears what the opening has to tell. A request made before
    // then opens the archive itself.
    QMetaObject::invokeMethod(
        this,
        [this] {
            post([](Archive& archive, quint64) {
                if (archive.state().mode == ArchiveState::Mode::Closed) {
                    archive.open();
                }
            });
        },
        Qt::QueuedConnection);
}

ArchiveService::~ArchiveService() {
    // Queued after every request made so far: they are all answered before the archive closes.
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            m_archive.reset();
            m_thread.quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    delete m_worker;
}

void ArchiveService::report(Archive& archive) {
    for (const QString& text : archive.takeNotices()) {
        emit notice(text);
    }
    const ArchiveState& state = archive.state();
    if (state.mode != m_lastState.mode || state.queued != m_lastState.queued ||
        state.reason != m_lastState.reason) {
        m_lastState = state;
        {
            const QMutexLocker lock(&m_stateLock);
            m_sharedState = state;
        }
        emit stateChanged(state);
    }
}

ArchiveState ArchiveService::state() const {
    const QMutexLocker lock(&m_stateLock);
    return m_sharedState;
}

quint64 ArchiveService::post(const std::function<void(Archive&, quint64)>& work) {
    const quint64 request = ++m_nextRequest;
    QMetaObject::invokeMethod(
        m_worker,
        [this, work, request] {
            work(*m_archive, request);
            report(*m_archive);
        },
        Qt::QueuedConnection);
    return request;
}

quint64 ArchiveService::add(const QByteArray& bytes, const DownloadFacts& facts) {
    return post([this, bytes, facts](Archive& archive, quint64 request) {
        emit added(request, archive.add(bytes, facts));
    });
}

quint64 ArchiveService::importPaths(const QStringList& paths) {
    return post([this, paths](Archive& archive, quint64 request) {
        emit imported(request, archive.importPaths(paths));
    });
}

quint64 ArchiveService::deliverQueued() {
    return post(
        [this](Archive& archive, quint64 request) { emit delivered(request, archive.deliverQueued()); });
}

quint64 ArchiveService::listControllers(DateOrder order) {
    return post([this, order](Archive& archive, quint64 request) {
        emit controllersListed(request, archive.controllers(order));
    });
}

quint64 ArchiveService::listDownloads(qint64 controllerId) {
    return post([this, controllerId](Archive& archive, quint64 request) {
        emit downloadsListed(request, archive.downloads(controllerId));
    });
}

quint64 ArchiveService::loadHistory(qint64 controllerId, DateOrder order) {
    return post([this, controllerId, order](Archive& archive, quint64 request) {
        emit historyLoaded(request, archive.history(controllerId, order));
    });
}

quint64 ArchiveService::loadDownload(qint64 downloadId) {
    return post([this, downloadId](Archive& archive, quint64 request) {
        emit downloadLoaded(request, archive.downloadBytes(downloadId));
    });
}

quint64 ArchiveService::compareDownloads(qint64 firstId, qint64 secondId) {
    return post([this, firstId, secondId](Archive& archive, quint64 request) {
        emit downloadsCompared(request, archive.compare(firstId, secondId));
    });
}

quint64 ArchiveService::exportRecords(const ExportRequest& exportRequest) {
    return post([this, exportRequest](Archive& archive, quint64 request) {
        emit exported(request, archive.exportRecords(exportRequest));
    });
}

quint64 ArchiveService::renameController(qint64 controllerId, const QString& name) {
    return post([this, controllerId, name](Archive& archive, quint64 request) {
        emit controllerChanged(request, archive.renameController(controllerId, name));
    });
}

quint64 ArchiveService::joinControllers(qint64 keepId, qint64 otherId) {
    return post([this, keepId, otherId](Archive& archive, quint64 request) {
        emit controllerChanged(request, archive.joinControllers(keepId, otherId));
    });
}
