#include "PortCollector.h"

#include "ArchiveService.h"
#include "ControllerName.h"
#include "DownloadArchiver.h"
#include "DownloadParts.h"
#include "EndOutcome.h"
#include "ExitCode.h"
#include "Logging.h"
#include "RecoveryCopy.h"
#include "StoredSettings.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace {

void discardCopy(const QString& path) {
    RecoveryCopy::Found copy;
    copy.path = path;
    RecoveryCopy::discard(copy);
}

QString secondsText(int ms) {
    return ms % 1000 == 0 ? QStringLiteral("%1 s").arg(ms / 1000)
                          : QStringLiteral("%1 s").arg(QLocale::c().toString(ms / 1000.0, 'f', 1));
}

// The first paragraph of a reason: what went wrong, without the advice that follows it.
QString firstParagraph(const QString& text) {
    return text.section(QStringLiteral("\n\n"), 0, 0).simplified();
}

// A sentence continued: "... choose another port" + "; trying again ...".
QString continued(QString text, const QString& more) {
    if (more.isEmpty()) {
        return text;
    }
    while (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text + QStringLiteral("; ") + more;
}

} // namespace

PortCollector::PortCollector(const PortTarget& target, const CollectRequest& request, ArchiveService* archive,
                             QObject* parent)
    : QObject(parent), m_target(target), m_request(request), m_archive(archive) {
    m_result.port = target.name();
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] {
        retireTry();
        startTry();
    });
    if (m_archive != nullptr) {
        connect(m_archive, &ArchiveService::controllersListed, this,
                [this](quint64 request, const ArchiveResult<QList<ControllerSummary>>& listed) {
                    if (request != m_nameRequest || m_done) {
                        return;
                    }
                    m_nameRequest.reset();
                    if (!listed.ok()) {
                        qCWarning(lcCollect).noquote()
                            << m_result.port
                            << "keeps the header's name; the archive did not list its controllers:"
                            << listed.error;
                    }
                    const qint64 id = m_exchange->archived()->controllerId;
                    for (const ControllerSummary& controller : listed.value) {
                        if (controller.id == id) {
                            m_result.controller = controller.name; // as the operator may have renamed it
                        }
                    }
                    decide();
                });
    }
}

// A try that ends with the collection keeps its lines in its copy, for the window to offer.
PortCollector::~PortCollector() = default;

void PortCollector::start() {
    startTry();
}

void PortCollector::startTry() {
    ++m_result.tries;
    m_exchange = std::make_unique<PortExchange>(m_target, m_archive);
    connect(m_exchange.get(), &PortExchange::ended, this, &PortCollector::onEnded);
    m_stage = Stage::Downloading;
    m_tryClock.start();
    qCInfo(lcCollect).noquote() << m_target.label() << "try" << m_result.tries << "of"
                                << m_request.retries + 1;
    m_exchange->startDownload();
}

// The try's lines and the controller its header names, when it brought more than any try before.
void PortCollector::noteLines() {
    const Link& link = m_exchange->link();
    const QByteArray bytes = link.lines().bytes();
    const DownloadParts parts = DownloadParts::of(bytes);
    if (!parts.header.isEmpty() && (link.LineCount() >= m_result.lines || m_result.controller.isEmpty())) {
        m_result.controller = controllerName(parts.header);
    }
    m_result.lines = std::max(m_result.lines, link.LineCount());
}

bool PortCollector::downloading() const {
    return m_stage == Stage::Downloading;
}

ProgressFigures PortCollector::figures() const {
    return m_exchange ? m_exchange->figures() : ProgressFigures{};
}

void PortCollector::onEnded(ExchangeEnd how, const QString& reason) {
    if (m_done) {
        return;
    }
    m_exchange->close();
    m_end = how;
    m_reason = reason;
    noteLines();
    if (m_exchange->archiving() && !m_exchange->archived()) {
        m_stage = Stage::Archiving;
        connect(m_exchange.get(), &PortExchange::archiveAnswered, this, &PortCollector::onArchived,
                Qt::SingleShotConnection);
        return;
    }
    onArchived();
}

void PortCollector::onArchived() {
    if (m_done) {
        return;
    }
    if (const std::optional<AddResult>& answer = m_exchange->archived()) {
        m_result.archived = true;
        if (answer->outcome == AddOutcome::Added) {
            m_result.newRecords += answer->recordsAdded;
        }
        if (const QString trouble = archiveTrouble(*answer); !trouble.isEmpty()) {
            say(trouble);
        }
        const bool known =
            answer->outcome == AddOutcome::Added || answer->outcome == AddOutcome::AlreadyThere;
        if (known && answer->controllerId > 0) {
            lookUpName();
            return;
        }
    }
    decide();
}

// The archive's name for the controller, which the operator may have changed since its first download.
void PortCollector::lookUpName() {
    m_stage = Stage::Naming;
    m_nameRequest = m_archive->listControllers(StoredSettings::dateOrder());
}

bool PortCollector::retryable() const {
    switch (m_end) {
    case ExchangeEnd::Abandoned:
    case ExchangeEnd::CountLate:
        return true; // silent, or its device went away: it may answer or come back
    case ExchangeEnd::PortUnavailable:
        switch (m_exchange->port().lastOpenFailure()) {
        case PortError::Cause::NoDevice:
        case PortError::Cause::Busy:
        case PortError::Cause::Other:
            return true;
        default:
            return false; // no permission, a number without a device: no wait mends that
        }
    default:
        return false;
    }
}

void PortCollector::decide() {
    if (m_end == ExchangeEnd::Completed) {
        writeFile();
        return;
    }
    const EndOutcome outcome = EndOutcome::of(m_end, m_reason, m_exchange->link().LineCount());
    if (retryable() && m_result.tries <= m_request.retries) {
        say(continued(firstParagraph(outcome.text), QStringLiteral("trying again in %1 (try %2 of %3)")
                                                        .arg(secondsText(m_request.retryDelayMs))
                                                        .arg(m_result.tries + 1)
                                                        .arg(m_request.retries + 1)));
        m_stage = Stage::Waiting;
        m_retryTimer.start(m_request.retryDelayMs);
        return;
    }
    const QString given =
        m_result.tries > 1 ? QStringLiteral("given up after %1 tries: ").arg(m_result.tries) : QString();
    finish(outcome.exitCode, continued(given + outcome.text, copyNote()));
}

void PortCollector::writeFile() {
    Link& link = m_exchange->link();
    const QByteArray bytes = link.lines().bytes();
    const DownloadParts parts = DownloadParts::of(bytes);
    NameFields fields;
    fields.controller = m_result.controller;
    for (const QByteArrayView line : parts.header) {
        fields.headerLines << QString::fromLatin1(line);
    }
    fields.com =
        m_target.comNumber ? QString::number(*m_target.comNumber) : QFileInfo(m_target.devicePath).fileName();
    fields.started = link.exchangeStartedAt().toLocalTime();
    const QString path = m_request.folder + QLatin1Char('/') + m_request.pattern.nameFor(fields);
    // Exactly what the window's Save writes, in one step, never over another file.
    CsvWriter file;
    WriteResult written = file.open(path, CsvWriter::Placement::NoReplace);
    if (written.ok()) {
        written = link.keep().saveInto(file);
    }
    if (!written.ok()) {
        file.abandon();
        finish(
            ExitCode::kFileError,
            continued(QStringLiteral("cannot write %1: %2").arg(path, systemErrorText(written.systemError)),
                      copyNote()));
        return;
    }
    m_result.file = file.placedPath();
    // The file holds the whole download: earlier tries' copies hold nothing more.
    for (const EarlierCopy& copy : std::as_const(m_earlier)) {
        discardCopy(copy.path);
    }
    m_earlier.clear();
    finish(ExitCode::kDone, {});
}

// The try's exchange goes; its copy stays (unlocked) when it holds lines, as the best try's.
void PortCollector::retireTry() {
    if (!m_exchange) {
        return;
    }
    const QString copy = m_exchange->link().recovery().path();
    const int lines = m_exchange->link().LineCount();
    m_exchange.reset();
    if (lines > 0 && !copy.isEmpty() && QFileInfo::exists(copy)) {
        m_earlier << EarlierCopy{copy, lines};
    }
    keepBestCopies();
}

// A copy goes once a later try holds at least as many lines, as a retry in the window keeps it.
void PortCollector::keepBestCopies() {
    int most = 0;
    for (qsizetype i = m_earlier.size() - 1; i >= 0; --i) {
        if (m_earlier.at(i).lines <= most) {
            discardCopy(m_earlier.at(i).path);
            m_earlier.removeAt(i);
        } else {
            most = m_earlier.at(i).lines;
        }
    }
}

// Where the lines received are kept, for a port that ends without its file.
QString PortCollector::copyNote() const {
    EarlierCopy best;
    for (const EarlierCopy& copy : m_earlier) {
        best = copy.lines > best.lines ? copy : best;
    }
    if (m_exchange) {
        const QString current = m_exchange->link().recovery().path();
        if (m_exchange->link().LineCount() >= std::max(best.lines, 1) && !current.isEmpty() &&
            QFileInfo::exists(current)) {
            best = {current, m_exchange->link().LineCount()};
        }
    }
    return best.lines > 0
               ? QStringLiteral("the %1 lines received are kept in %2").arg(best.lines).arg(best.path)
               : QString();
}

void PortCollector::stop(int exitCode, const QString& result) {
    if (m_done) {
        return;
    }
    m_retryTimer.stop();
    if (m_exchange) {
        m_exchange->close();
        noteLines();
    }
    m_done = true;
    m_stage = Stage::Done;
    m_result.exitCode = exitCode;
    m_result.result = result;
    if (const QString note = copyNote(); !note.isEmpty()) {
        say(note);
    }
    emit done();
}

void PortCollector::finish(int exitCode, const QString& detail) {
    m_done = true;
    m_stage = Stage::Done;
    m_result.exitCode = exitCode;
    QString result;
    switch (exitCode) {
    case ExitCode::kDone:
        result = QStringLiteral("done");
        break;
    case ExitCode::kNoLogs:
        result = QStringLiteral("no log entries");
        break;
    case ExitCode::kIncomplete:
        result = QStringLiteral("incomplete: stopped at the limit of one download");
        break;
    case ExitCode::kControllerSilent:
        result = m_reason.isEmpty() ? QStringLiteral("no response from the controller")
                                    : QStringLiteral("interrupted: the device went away");
        break;
    case ExitCode::kPortUnavailable:
        result = m_exchange->port().lastOpenFailure() == PortError::Cause::Busy
                     ? QStringLiteral("port not available: in use")
                 : m_exchange->port().lastOpenFailure() == PortError::Cause::NoDevice
                     ? QStringLiteral("port not available: nothing connected")
                     : QStringLiteral("port not available");
        break;
    case ExitCode::kFileError:
        result = QStringLiteral("file not written");
        break;
    default:
        result = QStringLiteral("failed");
        break;
    }
    m_result.result =
        m_result.tries > 1 ? QStringLiteral("%1 (%2 tries)").arg(result).arg(m_result.tries) : result;
    if (!detail.isEmpty()) {
        say(detail);
    }
    qCInfo(lcCollect).noquote() << m_target.label() << "ended:" << m_result.result;
    emit done();
}

void PortCollector::say(const QString& text) {
    qCWarning(lcCollect).noquote() << m_target.label() << text;
    emit said(text);
}

QString PortCollector::status() const {
    switch (m_stage) {
    case Stage::Idle:
        return QStringLiteral("starting");
    case Stage::Downloading:
        return QStringLiteral("downloading");
    case Stage::Archiving:
    case Stage::Naming:
        return QStringLiteral("archiving");
    case Stage::Waiting:
        return QStringLiteral("try %1 of %2 in %3 s")
            .arg(m_result.tries + 1)
            .arg(m_request.retries + 1)
            .arg((m_retryTimer.remainingTime() + 999) / 1000);
    case Stage::Done:
        break;
    }
    return m_result.file.isEmpty() ? m_result.result
                                   : QStringLiteral("%1, %2 lines: %3")
                                         .arg(m_result.result)
                                         .arg(m_result.lines)
                                         .arg(QFileInfo(m_result.file).fileName());
}
