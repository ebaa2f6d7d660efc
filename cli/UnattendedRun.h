#pragma once

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
    std::optional<int> comNumber; // instead of the port in the settings file ...
    QString devicePath;           // ... or a device path used as it is
    bool quiet = false;
};

// One download or log-count query without a window: the window's link, answered by an operator who is
// not there. It ends when the link says the exchange ended, and turns how it ended into the exit code.
class UnattendedRun : public QObject {
    Q_OBJECT

public:
    explicit UnattendedRun(RunRequest request, QObject* parent = nullptr);

    // Runs until the exchange ends or a stop signal arrives; returns the exit code.
    int exec();

private:
    void onExchangeEnded(ExchangeEnd how, const QString& reason);
    void onStop(int signalNumber);
    void onTick();
    ProgressFigures figures() const;
    int outcome();
    int writeDownload();
    bool prepareOutput();

    RunRequest m_request;
    ComPort m_port;
    Settings m_settings;
    UnattendedOperator m_op;
    Link m_link;
    ProgressReport m_progress;
    QTimer m_tick;
    QEventLoop m_loop;
    CsvWriter m_output;
    std::optional<ExchangeEnd> m_end;
    QString m_reason; // why the exchange ended as it did, where the link says
    int m_stopSignal = 0;
    int m_expected = 0; // the header's count, kept after the download ends
};
