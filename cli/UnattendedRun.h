#pragma once

#include "ArchiveService.h"
#include "ComPort.h"
#include "CsvWriter.h"
#include "Link.h"
#include "ProgressReport.h"
#include "Settings.h"
#include "UnattendedOperator.h"

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <optional>

// What a command-line run is asked to do.
struct RunRequest {
    enum class Kind { Download, Count };
    Kind kind = Kind::Download;
    QString file;                 // the download's file; "-" is standard output
    std::optional<int> comNumber; // the COM number to use ...
    QString devicePath;           // ... or a device path used as it is
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
    void onStop(int signalNumber);
    void onTick();
    ProgressFigures figures() const;
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
    ComPort m_port;
    Settings m_settings;
    UnattendedOperator m_op;
    Link m_link;
    ProgressReport m_progress;
    QTimer m_tick;
    QEventLoop m_loop;
    CsvWriter m_output;
    int m_streamed = 0; // lines already written to a file that takes them as they come
    std::optional<ExchangeEnd> m_end;
    QString m_reason;   // why the exchange ended as it did, where the link says
    int m_stopped = 0;  // the exit code of a run stopped early (a signal, a broken pipe)
    int m_expected = 0; // the header's count, kept after the download ends
    ArchiveService* m_archive;
    std::optional<quint64> m_archiving;  // the archive's request for this download
    std::optional<AddResult> m_archived; // its answer
    QEventLoop m_archiveWait;
};
