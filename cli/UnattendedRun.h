#pragma once

#include "ArchiveService.h"
#include "CsvWriter.h"
#include "PortExchange.h"
#include "PortTarget.h"
#include "ProgressReport.h"

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <optional>

// What a command-line run is asked to do.
struct RunRequest {
    enum class Kind { Download, Count };
    Kind kind = Kind::Download;
    QString file; // the download's file; "-" is standard output
    PortTarget port;
    bool quiet = false;
    bool archive = true; // a download that ends goes into the archive
};

// One download or log-count query without a window: the window's link, answered by an operator who is
// not there. It ends when the link says the exchange ended, and turns how it ended into the exit code.
// A file that is a terminal, a pipe or a device gets the lines as they come; a regular file gets them
// all at once at the end, and only when the download is complete. With an archive, a download that ends
// goes into it too, and the run waits for its answer before it ends.
class UnattendedRun : public QObject {
    Q_OBJECT

public:
    UnattendedRun(RunRequest request, ArchiveService* archive, QObject* parent = nullptr);

    // Runs until the exchange ends or a stop signal arrives; returns the exit code.
    int exec();

private:
    void onExchangeEnded(ExchangeEnd how, const QString& reason);
    void onLinesStored(int first, int last);
    int outcome();
    int countOutcome();
    int writeDownload();
    bool prepareOutput();
    void stop(int exitCode, const QString& why);
    // Says where the lines received are kept, when the run ends without them in its file.
    void tellWhereTheLinesAre();
    QString outputName() const;
    void awaitArchive();

    RunRequest m_request;
    PortExchange m_exchange;
    Link& m_link; // the exchange's
    ProgressReport m_progress;
    QTimer m_tick;
    QEventLoop m_loop;
    CsvWriter m_output;
    int m_streamed = 0; // lines already written to a file that takes them as they come
    std::optional<ExchangeEnd> m_end;
    QString m_reason;  // why the exchange ended as it did, where the link says
    int m_stopped = 0; // the exit code of a run stopped early (a signal, a broken pipe)
    QEventLoop m_archiveWait;
};
