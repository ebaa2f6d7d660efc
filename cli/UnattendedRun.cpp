#include "UnattendedRun.h"

#include "DownloadCommand.h"
#include "ExitCode.h"
#include "LogCountQuery.h"
#include "Logging.h"
#include "ReceiveDispatcher.h"
#include "ResponseWatchdog.h"
#include "StopSignals.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

constexpr int kTickMs = 100;

void complain(const QString& text) {
    std::fprintf(stderr, "rm7-download: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

UnattendedRun::UnattendedRun(RunRequest request, QObject* parent)
    : QObject(parent), m_request(std::move(request)), m_link(m_port, m_settings, m_op),
      m_progress(m_request.kind == RunRequest::Kind::Download ? ProgressReport::styleFor(m_request.quiet)
                                                              : ProgressReport::Style::None) {
    connect(&m_port, &ComPort::OnComm, this, [this] { receiveFromPort(m_link); });
    connect(&m_link.ResponseTimer, &QTimer::timeout, this, [this] { watchdogTick(m_link); });
    m_link.onExchangeEnd = [this](ExchangeEnd end) { onExchangeEnd(end); };
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &UnattendedRun::onTick);
}

UnattendedRun::~UnattendedRun() = default;

int UnattendedRun::exec() {
    LoadSettings(m_settings);
    if (m_request.comNumber) {
        m_settings.PortNumber = *m_request.comNumber;
    }
    if (!m_request.devicePath.isEmpty()) {
        m_port.setDevicePath(m_request.devicePath);
    }
    // A file that cannot be written is known before the controller is asked for anything.
    if (m_request.kind == RunRequest::Kind::Download && !prepareOutput()) {
        return ExitCode::kFileError;
    }

    StopSignals stops;
    connect(&stops, &StopSignals::stopRequested, this, &UnattendedRun::onStop);

    if (m_request.kind == RunRequest::Kind::Download) {
        startDownload(m_link, DownloadEntry::Button);
    } else {
        startLogCountQuery(m_link);
    }
    // The port did not open when the program asked to end instead; otherwise wait for the exchange's end.
    if (!m_op.endRequested && !m_end) {
        m_tick.start();
        m_loop.exec();
        m_tick.stop();
    }
    m_link.ResponseTimer.stop();
    m_port.setPortOpen(false);
    if (m_request.kind == RunRequest::Kind::Download) {
        m_progress.finish(figures());
    }
    return outcome();
}

bool UnattendedRun::prepareOutput() {
    if (m_request.file == QStringLiteral("-")) {
        return true;
    }
    m_output = std::make_unique<QSaveFile>(m_request.file);
    if (!m_output->open(QIODevice::WriteOnly)) {
        complain(QStringLiteral("cannot write %1: %2").arg(m_request.file, m_output->errorString()));
        return false;
    }
    return true;
}

void UnattendedRun::onExchangeEnd(ExchangeEnd end) {
    m_end = end;
    if (m_link.state.ExpectedLines > 0) {
        m_expected = m_link.state.ExpectedLines; // the finish forgets it; the last report still shows it
    }
    // The finish that told us goes on (its message box, closing the port); leave once it is through.
    QTimer::singleShot(0, &m_loop, &QEventLoop::quit);
}

void UnattendedRun::onStop(int signalNumber) {
    qCInfo(lcLink) << "stopped by signal" << signalNumber;
    m_stopSignal = signalNumber;
    m_link.ResponseTimer.stop();
    m_port.setPortOpen(false);
    m_loop.quit();
}

void UnattendedRun::onTick() {
    if (m_link.state.ExpectedLines > 0) {
        m_expected = m_link.state.ExpectedLines;
    }
    m_progress.update(figures());
}

ProgressFigures UnattendedRun::figures() const {
    const LinkState& state = m_link.state;
    const int lines = state.LineCount();
    return {lines, state.ExpectedLines > 0 ? state.ExpectedLines : m_expected,
            lines > 0 ? state.LogLines.lines(1, lines).size() : 0};
}

int UnattendedRun::outcome() {
    if (m_stopSignal != 0) {
        // The unfinished file is dropped with m_output: nothing is left behind.
        return ExitCode::kSignalBase + m_stopSignal;
    }
    if (!m_end) {
        if (m_op.endRequested) {
            complain(QStringLiteral("port not available: %1").arg(m_op.lastDetails));
            return ExitCode::kPortUnavailable;
        }
        complain(QStringLiteral("the exchange with the controller did not end"));
        return ExitCode::kFailure;
    }
    switch (*m_end) {
    case ExchangeEnd::Completed:
        return writeDownload();
    case ExchangeEnd::StoreFull:
        complain(QStringLiteral("the download was stopped after %1 lines: no more can be kept")
                     .arg(m_link.state.LineCount()));
        return writeDownload();
    case ExchangeEnd::NoLogs:
        complain(QStringLiteral("the controller holds no log entries"));
        return ExitCode::kNoLogs;
    case ExchangeEnd::CountShown:
        std::printf("%d\n", receivedLogCount(m_link));
        std::fflush(stdout);
        return ExitCode::kDone;
    case ExchangeEnd::CountLate:
    case ExchangeEnd::Abandoned:
        complain(QStringLiteral("no response from the controller"));
        return ExitCode::kControllerSilent;
    }
    return ExitCode::kFailure;
}

int UnattendedRun::writeDownload() {
    // Exactly what the window's Save writes: the stored lines 1 to LineCount, each as it arrived.
    const QByteArrayView bytes = m_link.state.LogLines.lines(1, m_link.state.LineCount());
    if (!m_output) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) ||
            out.write(bytes.data(), bytes.size()) != bytes.size() || !out.flush()) {
            complain(QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
            return ExitCode::kFileError;
        }
        m_link.recovery.remove();
        return ExitCode::kDone;
    }
    if (m_output->write(bytes.data(), bytes.size()) != bytes.size() || !m_output->commit()) {
        complain(QStringLiteral("cannot write %1: %2").arg(m_request.file, m_output->errorString()));
        return ExitCode::kFileError;
    }
    m_link.recovery.remove(); // saved: nothing left to recover
    qCInfo(lcExport) << "saved" << m_link.state.LineCount() << "lines to" << m_request.file;
    return ExitCode::kDone;
}
