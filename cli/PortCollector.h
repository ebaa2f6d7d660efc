#pragma once

#include "ArchiveResult.h"
#include "CollectRequest.h"
#include "Exchange.h"
#include "PortExchange.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class ArchiveService;

// What became of one port of a collection, as its summary line tells it.
struct PortResult {
    QString port;          // "COM 3", or the device path given
    QString controller;    // the archive's name for it, else its header's; "" when no header came
    int lines = 0;         // lines of the try that brought most
    qint64 newRecords = 0; // records new to the archive, over all tries
    bool archived = false; // the archive answered for at least one try
    QString file;          // the file written; "" when none
    int exitCode = 0;      // ExitCode's
    QString result;        // "done", "no response from the controller", ...
    int tries = 0;
};

// One port of a collection: a download as the single --download runs it (its own port, link, watchdog
// and recovery copy; the archive shared), tried again after a delay while the port is missing or busy or
// the controller falls silent, and the complete download written to a file named from what arrived, next
// to earlier files, never over them. Each failed try keeps its lines in its recovery copy until a later
// try brings as many, or the file is written.
class PortCollector : public QObject {
    Q_OBJECT

public:
    PortCollector(const PortTarget& target, const CollectRequest& request, ArchiveService* archive,
                  QObject* parent = nullptr);
    ~PortCollector() override;

    void start();
    // A stop signal: the port closed, nothing written, the lines left in the recovery copy.
    void stop(int exitCode, const QString& result);

    bool isDone() const { return m_done; }
    const PortResult& result() const { return m_result; }
    const PortTarget& target() const { return m_target; }
    // While a try's exchange runs: its figures, and how long it has run.
    bool downloading() const;
    ProgressFigures figures() const;
    qint64 tryElapsedMs() const { return m_tryClock.elapsed(); }
    // What the port is at when it is not downloading: "waiting 25 s to try again", "done", ...
    QString status() const;

signals:
    // A line for standard error about this port, without the port's name.
    void said(const QString& text);
    void done();

private:
    enum class Stage { Idle, Downloading, Archiving, Naming, Waiting, Done };
    struct EarlierCopy {
        QString path;
        int lines = 0;
    };

    void startTry();
    void onEnded(ExchangeEnd how, const QString& reason);
    void noteLines();
    void onArchived();
    void lookUpName();
    void decide();
    void writeFile();
    void retireTry();
    void keepBestCopies();
    bool retryable() const;
    void finish(int exitCode, const QString& result);
    void say(const QString& text);
    QString copyNote() const;

    PortTarget m_target;
    const CollectRequest& m_request;
    ArchiveService* m_archive;
    std::unique_ptr<PortExchange> m_exchange;
    QList<EarlierCopy> m_earlier; // recovery copies of failed tries, kept while the best
    QTimer m_retryTimer;
    QElapsedTimer m_tryClock;
    Stage m_stage = Stage::Idle;
    ExchangeEnd m_end = ExchangeEnd::Completed;
    QString m_reason;
    std::optional<quint64> m_nameRequest;
    bool m_done = false;
    PortResult m_result;
};
