#include "UnattendedRun.h"

#include "ExitCode.h"
#include "Logging.h"
#include "StopSignals.h"

#include <cstdio>
#include <unistd.h>

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
    connect(&m_link, &Link::exchangeEnded, this, &UnattendedRun::onExchangeEnded);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &UnattendedRun::onTick);
}

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
        m_link.startDownload(DownloadEntry::Button);
    } else {
        m_link.startLogCountQuery();
    }
    if (!m_end) {
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
        m_output.openDescriptor(STDOUT_FILENO);
        return true;
    }
    const WriteResult opened = m_output.open(m_request.file, CsvWriter::Placement::Replace);
    if (!opened.ok()) {
        complain(
            QStringLiteral("cannot write %1: %2").arg(m_request.file, systemErrorText(opened.systemError)));
        return false;
    }
    return true;
}

void UnattendedRun::onExchangeEnded(ExchangeEnd how, const QString& reason) {
    m_end = how;
    m_reason = reason;
    if (m_link.ExpectedLines() > 0) {
        m_expected = m_link.ExpectedLines(); // the finish forgets it; the last report still shows it
    }
    // The finish that told us goes on (its message box, closing the port); leave once it is through.
    QTimer::singleShot(0, &m_loop, &QEventLoop::quit);
}

void UnattendedRun::onStop(int signalNumber) {
    qCInfo(lcLink) << "stopped by signal" << signalNumber;
    m_stopSignal = signalNumber;
    m_port.setPortOpen(false);
    m_loop.quit();
}

void UnattendedRun::onTick() {
    if (m_link.ExpectedLines() > 0) {
        m_expected = m_link.ExpectedLines();
    }
    m_progress.update(figures());
}

ProgressFigures UnattendedRun::figures() const {
    const int lines = m_link.LineCount();
    return {lines, m_link.ExpectedLines() > 0 ? m_link.ExpectedLines() : m_expected,
            m_link.lines().byteCount()};
}

int UnattendedRun::outcome() {
    if (m_stopSignal != 0) {
        m_output.abandon(); // no part of a file is left behind
        return ExitCode::kSignalBase + m_stopSignal;
    }
    if (!m_end) {
        complain(QStringLiteral("the exchange with the controller did not end"));
        return ExitCode::kFailure;
    }
    const QString because = m_reason.isEmpty() ? QString() : QStringLiteral(": ") + m_reason;
    switch (*m_end) {
    case ExchangeEnd::Completed:
        return writeDownload();
    case ExchangeEnd::StoreFull:
        complain(QStringLiteral("the download was stopped after %1 lines: no more can be kept")
                     .arg(m_link.LineCount()));
        return writeDownload();
    case ExchangeEnd::NoLogs:
        complain(QStringLiteral("the controller holds no log entries"));
        return ExitCode::kNoLogs;
    case ExchangeEnd::CountShown:
        std::printf("%d\n", m_link.receivedLogCount());
        std::fflush(stdout);
        return ExitCode::kDone;
    case ExchangeEnd::CountLate:
    case ExchangeEnd::Abandoned:
        complain(QStringLiteral("no response from the controller") + because);
        return ExitCode::kControllerSilent;
    case ExchangeEnd::PortUnavailable:
        complain(QStringLiteral("port not available") + because);
        return ExitCode::kPortUnavailable;
    }
    return ExitCode::kFailure;
}

int UnattendedRun::writeDownload() {
    // Exactly what the window's Save writes: the stored lines 1 to LineCount, each as it arrived.
    const WriteResult written = m_link.keep().saveInto(m_output);
    if (!written.ok()) {
        const QString name =
            m_request.file == QStringLiteral("-") ? QStringLiteral("standard output") : m_request.file;
        complain(QStringLiteral("cannot write %1: %2").arg(name, systemErrorText(written.systemError)));
        return ExitCode::kFileError;
    }
    return ExitCode::kDone;
}
