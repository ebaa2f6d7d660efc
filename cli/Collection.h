#pragma once

#include "CollectProgress.h"
#include "CollectRequest.h"
#include "PortCollector.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <cstdio>

class ArchiveService;

// rm7-download --collect: every port at once in one process, each its own exchange, all downloads into
// one archive; progress while it runs and a summary at the end, one line a port.
class Collection : public QObject {
    Q_OBJECT

public:
    Collection(CollectRequest request, ArchiveService* archive, QObject* parent = nullptr);

    // Collects until every port is done or a stop signal (SIGINT, SIGTERM, SIGHUP) arrives, which closes
    // every port and writes no file. Prints the summary on `summary` and returns the exit code: the worst
    // of the ports' (ExitCode::worse), 128 + N when stopped by signal N.
    int exec(FILE* summary = stdout);
    QList<PortResult> results() const;

private:
    QList<PortProgress> progress() const;
    void stop(int signalNumber);
    void printSummary(FILE* out) const;

    CollectRequest m_request;
    ArchiveService* m_archive;
    QList<PortCollector*> m_ports; // children
    CollectProgress m_progress;
    QTimer m_tick;
    bool m_showProgress = false;
    QEventLoop m_loop;
    int m_stopped = 0; // the signal that stopped the collection
};
