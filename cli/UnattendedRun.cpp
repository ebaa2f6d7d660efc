#include "UnattendedRun.h"

#include "DownloadCommand.h"
#include "ExitCode.h"
#include "LogCountQuery.h"
#include "PortError.h"
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

// Why the port cannot be opened, in the port's own words: the same attempt as the link's, made once
// more after it failed (by then the link has given up and closed its port).
QString portReason(ComPort& port, int comNumber) {
    try {
        port.setPortOpen(false);
        port.setCommPort(comNumber);
        port.setPortOpen(true);
        port.setPortOpen(false);
    } catch (const PortError& error) {
        return QString::fromStdString(error.what());
    }
    return QStringLiteral("%1 could not be opened").arg(port.deviceName());
}

} // namespace

UnattendedRun::UnattendedRun(RunRequest request, QObject* parent)
    : QObject(parent), m_request(std::move(request)), m_link(m_port, m_settings, m_op),
      m_progress(m_request.kind == RunRequest::Kind::Download ? ProgressReport::styleFor(m_request.quiet)
                                                              : ProgressReport::Style::None) {
    connect(&m_port, &ComPort::OnComm, this, [this] {
        receiveFromPort(m_link);
        onExchangeStep();
    });
    connect(&m_link.ResponseTimer, &QTimer::timeout, this, [this] {
        watchdogTick(m_link);
        onExchangeStep();
    });
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
    m_started = true;
    if (m_link.ResponseTimer.isActive()) {
        m_tick.start();
        m_loop.exec();
        m_tick.stop();
    }
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

void UnattendedRun::onExchangeStep() {
    // A finished download forgets the header's count; the report still wants it.
    if (m_link.state.ExpectedLines > 0) {
        m_expected = m_link.state.ExpectedLines;
    }
    // Every finish, and the watchdog's end of an exchange, stops the response timer.
    if (m_started && !m_link.ResponseTimer.isActive()) {
        m_loop.quit();
    }
}

void UnattendedRun::onStop(int signalNumber) {
    m_stopSignal = signalNumber;
    m_link.ResponseTimer.stop();
    m_port.setPortOpen(false);
    m_loop.quit();
}

void UnattendedRun::onTick() {
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
    if (m_op.endRequested) {
        complain(QStringLiteral("port not available: %1").arg(portReason(m_port, m_settings.PortNumber)));
        return ExitCode::kPortUnavailable;
    }
    if (m_op.asked(QStringLiteral("No Response from Controller."))) {
        complain(QStringLiteral("no response from the controller"));
        return ExitCode::kControllerSilent;
    }
    if (m_op.beeps > 0) {
        complain(QStringLiteral("the controller holds no log entries"));
        return ExitCode::kNoLogs;
    }
    if (m_request.kind == RunRequest::Kind::Count) {
        if (!m_link.state.replyOver) {
            return ExitCode::kFailure;
        }
        std::printf("%d\n", receivedLogCount(m_link));
        std::fflush(stdout);
        return ExitCode::kDone;
    }
    if (!m_link.state.replyOver) {
        return ExitCode::kFailure;
    }
    return writeDownload();
}

int UnattendedRun::writeDownload() {
    const int count = m_link.state.LineCount();
    if (count >= m_link.state.maxLines) {
        complain(QStringLiteral("the download was stopped after %1 lines: no more can be kept").arg(count));
    }
    // Exactly what the window's Save writes: the stored lines, each as it arrived.
    const QByteArrayView bytes = m_link.state.LogLines.lines(1, count);
    if (!m_output) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) ||
            out.write(bytes.data(), bytes.size()) != bytes.size() || !out.flush()) {
            complain(QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
            return ExitCode::kFileError;
        }
        return ExitCode::kDone;
    }
    if (m_output->write(bytes.data(), bytes.size()) != bytes.size() || !m_output->commit()) {
        complain(QStringLiteral("cannot write %1: %2").arg(m_request.file, m_output->errorString()));
        return ExitCode::kFileError;
    }
    return ExitCode::kDone;
}
