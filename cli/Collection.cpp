#include "Collection.h"

#include "ArchiveService.h"
#include "ExitCode.h"
#include "Logging.h"
#include "StopSignals.h"
#include "TextTable.h"

#include <QTextStream>
#include <algorithm>
#include <csignal>

namespace {

// A terminal's block is redrawn ten times a second; plain lines are due once a second at most.
constexpr int kBarTickMs = 100;
constexpr int kLineTickMs = 250;

QString signalName(int signalNumber) {
    switch (signalNumber) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(signalNumber);
    }
}

} // namespace

Collection::Collection(CollectRequest request, ArchiveService* archive, QObject* parent)
    : QObject(parent), m_request(std::move(request)), m_archive(archive),
      m_progress(ProgressReport::styleFor(m_request.quiet)) {
    for (const PortTarget& target : std::as_const(m_request.ports)) {
        auto* port = new PortCollector(target, m_request, archive, this);
        connect(port, &PortCollector::said, this,
                [this, port](const QString& text) { m_progress.say(port->target().name(), text); });
        connect(port, &PortCollector::done, this, [this] {
            if (std::all_of(m_ports.begin(), m_ports.end(),
                            [](const PortCollector* p) { return p->isDone(); })) {
                m_loop.quit();
            }
        });
        m_ports << port;
    }
    if (archive != nullptr) {
        connect(archive, &ArchiveService::notice, this,
                [this](const QString& text) { m_progress.say({}, text); });
    }
    // Quiet, nothing is shown and nothing needs waking up for.
    const ProgressReport::Style style = ProgressReport::styleFor(m_request.quiet);
    m_showProgress = style != ProgressReport::Style::None;
    m_tick.setInterval(style == ProgressReport::Style::Bar ? kBarTickMs : kLineTickMs);
    connect(&m_tick, &QTimer::timeout, this, [this] { m_progress.show(progress()); });
}

int Collection::exec(FILE* summary) {
    StopSignals stops;
    connect(&stops, &StopSignals::stopRequested, this, &Collection::stop);
    QStringList labels;
    for (const PortCollector* port : std::as_const(m_ports)) {
        labels << port->target().label();
    }
    m_progress.announce(QStringLiteral("collecting from ") + labels.join(QStringLiteral(", ")));
    qCInfo(lcCollect).noquote() << "collecting from" << labels.join(QStringLiteral(", ")) << "into"
                                << m_request.folder;
    for (PortCollector* port : std::as_const(m_ports)) {
        port->start();
    }
    if (m_showProgress) {
        m_tick.start();
    }
    if (!std::all_of(m_ports.begin(), m_ports.end(), [](const PortCollector* p) { return p->isDone(); })) {
        m_loop.exec();
    }
    m_tick.stop();
    m_progress.finish(progress());
    printSummary(summary);
    int exitCode = ExitCode::kDone;
    for (const PortCollector* port : std::as_const(m_ports)) {
        exitCode = ExitCode::worse(exitCode, port->result().exitCode);
    }
    return m_stopped != 0 ? ExitCode::kSignalBase + m_stopped : exitCode;
}

void Collection::stop(int signalNumber) {
    qCInfo(lcCollect) << "stopped by signal" << signalNumber;
    m_stopped = signalNumber;
    for (PortCollector* port : std::as_const(m_ports)) {
        port->stop(ExitCode::kSignalBase + signalNumber,
                   QStringLiteral("stopped by ") + signalName(signalNumber));
    }
    m_loop.quit();
}

QList<PortProgress> Collection::progress() const {
    QList<PortProgress> rows;
    for (const PortCollector* port : m_ports) {
        rows << PortProgress{port->target().label(), port->target().name(), port->downloading(),
                             port->figures(),        port->tryElapsedMs(),  port->status()};
    }
    return rows;
}

QList<PortResult> Collection::results() const {
    QList<PortResult> results;
    for (const PortCollector* port : m_ports) {
        results << port->result();
    }
    return results;
}

void Collection::printSummary(FILE* out) const {
    QList<QStringList> rows;
    for (const PortResult& result : results()) {
        rows << QStringList{result.port,
                            result.controller.isEmpty() ? QStringLiteral("-") : result.controller,
                            QString::number(result.lines),
                            result.archived ? QString::number(result.newRecords) : QStringLiteral("-"),
                            result.file.isEmpty() ? QStringLiteral("-") : result.file,
                            result.result};
    }
    QTextStream stream(out);
    printTable(stream,
               {QStringLiteral("Port"), QStringLiteral("Controller"), QStringLiteral("Lines"),
                QStringLiteral("New records"), QStringLiteral("File"), QStringLiteral("Result")},
               rows);
}
