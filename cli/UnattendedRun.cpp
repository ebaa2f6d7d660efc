#include "UnattendedRun.h"

#include "Complaint.h"
#include "ControllerWire.h"
#include "DownloadArchiver.h"
#include "EndOutcome.h"
#include "ExitCode.h"
#include "Logging.h"
#include "StopSignals.h"

#include <QFile>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kTickMs = 100;

// The reply as text a person can read in a message: printable ASCII kept, anything else as \xNN.
QString readable(QByteArrayView bytes) {
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x20 && byte < 0x7f ? QString(QLatin1Char(c))
                                            : QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}

} // namespace

UnattendedRun::UnattendedRun(RunRequest request, ArchiveService* archive, QObject* parent)
    : QObject(parent), m_request(std::move(request)), m_exchange(m_request.port, archive),
      m_link(m_exchange.link()),
      m_progress(m_request.kind == RunRequest::Kind::Download ? ProgressReport::styleFor(m_request.quiet)
                                                              : ProgressReport::Style::None) {
    if (archive != nullptr) {
        connect(&m_exchange, &PortExchange::archiveAnswered, &m_archiveWait, &QEventLoop::quit);
        connect(archive, &ArchiveService::notice, this, [](const QString& text) { complain(text); });
    }
    connect(&m_exchange, &PortExchange::ended, this, &UnattendedRun::onExchangeEnded);
    connect(&m_link, &Link::linesStored, this, &UnattendedRun::onLinesStored);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, [this] { m_progress.update(m_exchange.figures()); });
}

int UnattendedRun::exec() {
    // A file that cannot be written is known before the controller is asked for anything.
    if (m_request.kind == RunRequest::Kind::Download && !prepareOutput()) {
        return ExitCode::kFileError;
    }

    StopSignals stops;
    connect(&stops, &StopSignals::stopRequested, this,
            [this](int signalNumber) { stop(ExitCode::kSignalBase + signalNumber, QString()); });

    if (m_request.kind == RunRequest::Kind::Download) {
        m_progress.announce(m_request.port.label());
        m_exchange.startDownload();
    } else {
        m_exchange.startCount();
    }
    if (!m_end && m_stopped == 0) {
        m_tick.start();
        m_loop.exec();
        m_tick.stop();
    }
    m_exchange.close();
    if (m_request.kind == RunRequest::Kind::Download) {
        m_progress.finish(m_exchange.figures());
    }
    const int exitCode = outcome();
    if (m_stopped == 0) {
        awaitArchive();
    }
    return exitCode;
}

// The download's file comes first; the archive's answer follows (only what went wrong is told) and never
// changes the exit code, as archiving never stops a download.
void UnattendedRun::awaitArchive() {
    if (!m_exchange.archiving()) {
        return;
    }
    if (!m_exchange.archived()) {
        StopSignals stops;
        connect(&stops, &StopSignals::stopRequested, &m_archiveWait, &QEventLoop::quit);
        m_archiveWait.exec();
    }
    if (!m_exchange.archived()) {
        return; // stopped while archiving: the archive finishes that download as the program ends
    }
    if (const QString trouble = archiveTrouble(*m_exchange.archived()); !trouble.isEmpty()) {
        complain(trouble);
    }
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

QString UnattendedRun::outputName() const {
    return m_request.file == QStringLiteral("-") ? QStringLiteral("standard output") : m_request.file;
}

void UnattendedRun::onExchangeEnded(ExchangeEnd how, const QString& reason) {
    m_end = how;
    m_reason = reason;
    m_loop.quit();
}

// A terminal, a pipe or a device takes the lines as they come, like a terminal program's output.
void UnattendedRun::onLinesStored(int /*first*/, int last) {
    if (m_request.kind != RunRequest::Kind::Download || m_output.regularFile() || m_stopped != 0) {
        return;
    }
    const WriteResult written = m_output.write(m_link.lines().lines(m_streamed + 1, last));
    if (!written.ok()) {
        stop(ExitCode::kFileError,
             QStringLiteral("cannot write %1: %2").arg(outputName(), systemErrorText(written.systemError)));
        return;
    }
    m_streamed = last;
}

void UnattendedRun::stop(int exitCode, const QString& why) {
    qCInfo(lcLink) << "stopped, exit code" << exitCode;
    if (m_stopped == 0) {
        m_stopped = exitCode;
        if (!why.isEmpty()) {
            complain(why);
        }
    }
    m_exchange.close();
    m_loop.quit();
}

void UnattendedRun::tellWhereTheLinesAre() {
    const QString copy = m_link.recovery().path();
    if (m_link.LineCount() > 0 && !copy.isEmpty() && QFile::exists(copy)) {
        complain(QStringLiteral("the %1 lines received are kept in %2").arg(m_link.LineCount()).arg(copy));
    }
}

int UnattendedRun::outcome() {
    if (m_stopped != 0) {
        m_output.abandon(); // no part of a file is left behind
        tellWhereTheLinesAre();
        return m_stopped;
    }
    if (!m_end) {
        complain(QStringLiteral("the exchange with the controller did not end"));
        return ExitCode::kFailure;
    }
    if (*m_end == ExchangeEnd::Completed) {
        return writeDownload();
    }
    if (*m_end == ExchangeEnd::CountShown) {
        return countOutcome();
    }
    const EndOutcome ended = EndOutcome::of(*m_end, m_reason, m_link.LineCount());
    m_output.abandon();
    complain(ended.text);
    tellWhereTheLinesAre();
    return ended.exitCode;
}

// The window shows whatever the count reply's digits make; a script gets a count only when the four
// digits are the hexadecimal digits the controller sends, never a number made from noise.
int UnattendedRun::countOutcome() {
    const QByteArrayView digits =
        QByteArrayView(m_link.RxBuffer())
            .sliced(ControllerWire::kLogCountDigitsAt, ControllerWire::kLogCountDigits);
    const bool hex = std::all_of(digits.begin(), digits.end(),
                                 [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
    if (!hex) {
        complain(QStringLiteral("the controller's count reply carries no count: \"%1\"")
                     .arg(readable(m_link.RxBuffer())));
        return ExitCode::kUnreadableReply;
    }
    std::printf("%d\n", m_link.receivedLogCount());
    std::fflush(stdout);
    return ExitCode::kDone;
}

int UnattendedRun::writeDownload() {
    // Exactly what the window's Save writes: the stored lines 1 to LineCount, each as it arrived.
    const WriteResult written = m_link.keep().saveInto(m_output, m_streamed);
    if (!written.ok()) {
        complain(
            QStringLiteral("cannot write %1: %2").arg(outputName(), systemErrorText(written.systemError)));
        tellWhereTheLinesAre();
        return ExitCode::kFileError;
    }
    return ExitCode::kDone;
}
