#include "RecoveryCopy.h"

#include "BaseFolders.h"
#include "ControllerName.h"
#include "ControllerWire.h"
#include "LineStore.h"
#include "LinkState.h"
#include "LiveDisplay.h"
#include "Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/stat.h>

namespace {

constexpr qint64 kPieceBytes = 1 << 20;
constexpr qint64 kHeaderBytes = 64 << 10; // the header is in the first bytes of a download, if anywhere

QString stateFolder() {
    return BaseFolders::stateHome() + QStringLiteral("/korvane/");
}

// A lock file holds the controller's data no more than the copy does, yet only its user need see it.
void makePrivate(const QString& path) {
    ::chmod(QFile::encodeName(path).constData(), 0600);
}

// The program that holds a lock still runs (on this machine).
bool heldByARunningProgram(const QLockFile& lock) {
    qint64 pid = 0;
    QString host;
    QString application;
    return lock.getLockInfo(&pid, &host, &application) && pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

// What a copy's first bytes say: the controller's name, the lines its header announced.
void readHeader(const QByteArray& first, RecoveryCopy::Found& found) {
    QList<QByteArrayView> lines;
    for (qsizetype begin = 0; begin < first.size();) {
        const qsizetype lf = first.indexOf('\n', begin);
        if (lf < 0) {
            return;
        }
        const QByteArrayView line = QByteArrayView(first).sliced(begin, lf + 1 - begin);
        begin = lf + 1;
        if (line.startsWith(ControllerWire::kColumnTitles) &&
            lines.size() >= ControllerWire::kFirstTitlesLine - 1) {
            QList<QByteArray> texts;
            for (const QByteArrayView shown : lines) {
                texts << panelText(shown).toLatin1();
            }
            found.controller = controllerName(QList<QByteArrayView>(texts.begin(), texts.end()));
            found.expected = expectedLinesFor(panelText(lines.at(lines.size() - 2))).value_or(0);
            return;
        }
        lines << line;
    }
}

// Counts the whole lines of a copy's first part, the most one download may bring, in pieces, never
// holding it whole: a controller that never stopped, under an older program, may have left gigabytes,
// and only that first part is ever offered, so the rest need not be read (a copy of any size is offered
// within a second).
bool survey(QFile& file, RecoveryCopy::Found& found) {
    const qint64 part = std::min(found.size, LinkState::kMaxBytes);
    QByteArray piece;
    qint64 at = 0;
    qint64 lastLineStart = 0;
    while (at < part && !(piece = file.read(std::min(kPieceBytes, part - at))).isEmpty()) {
        if (at == 0) {
            readHeader(piece.left(kHeaderBytes), found);
        }
        for (qsizetype lf = piece.indexOf('\n'); lf >= 0; lf = piece.indexOf('\n', lf + 1)) {
            ++found.count;
            lastLineStart = found.bytes;
            found.bytes = at + lf + 1;
        }
        at += piece.size();
    }
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcLink).noquote() << "cannot read the recovery copy" << file.fileName() << ':'
                                    << file.errorString();
        return false;
    }
    if (part < found.size) {
        qCInfo(lcLink).noquote() << "the recovery copy" << file.fileName() << "holds" << found.size
                                 << "bytes: its first" << found.bytes << "are offered";
    } else if (found.count > 0 && file.seek(lastLineStart)) {
        found.complete =
            file.read(ControllerWire::kEndOfDownload.size()).startsWith(ControllerWire::kEndOfDownload);
    }
    return true;
}

} // namespace

RecoveryCopy::RecoveryCopy() {
    m_flushTimer.setInterval(kFlushMs);
    m_flushTimer.callOnTimeout([this] { flush(); });
}

RecoveryCopy::~RecoveryCopy() {
    if (m_copy) {
        m_copy->file.abandon(); // the whole lines stay for the next start
    }
}

bool RecoveryCopy::begin() {
    m_flushTimer.stop();
    m_failed = false;
    m_finished = false;
    if (const QString why = BaseFolders::makePrivateFolder(stateFolder()); !why.isEmpty()) {
        fail(QStringLiteral("cannot make the folder: ") + why);
        return false;
    }
    ::chmod(QFile::encodeName(stateFolder()).constData(), 0700); // a folder made before was 0755
    // A name of its own: when it started, which program, and which of its copies.
    static int made = 0;
    auto copy = std::make_unique<Copy>();
    copy->path =
        stateFolder() + QStringLiteral("recovery-%1-%2-%3.csv")
                            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                            .arg(QCoreApplication::applicationPid())
                            .arg(made++);
    copy->lock = std::make_unique<QLockFile>(copy->path + QStringLiteral(".lock"));
    copy->lock->setStaleLockTime(0); // a long download is no reason to think its program gone
    if (!copy->lock->tryLock(0)) {
        fail(QStringLiteral("cannot lock ") + copy->path);
        return false;
    }
    makePrivate(copy->path + QStringLiteral(".lock"));
    const WriteResult opened =
        copy->file.open(copy->path, CsvWriter::Placement::InPlace, CsvWriter::Access::Private);
    if (!opened.ok()) {
        copy->lock->unlock();
        fail(systemErrorText(opened.systemError));
        return false;
    }
    copy->open = true;
    m_path = copy->path;
    m_copy = std::move(copy);
    m_flushTimer.start();
    return true;
}

void RecoveryCopy::restart() {
    drop(m_copy);
    m_path.clear();
    // An attempt set aside before is kept, unlocked, for the next start to offer.
    if (m_setAside) {
        m_setAside->lock->unlock();
        m_setAside.reset();
    }
    begin();
}

void RecoveryCopy::retry() {
    if (m_copy && m_copy->open) {
        m_copy->file.sync();
        m_copy->file.abandon(); // closed, whole lines kept
        m_copy->open = false;
    }
    if (m_copy && m_copy->lines > 0 && (!m_setAside || m_copy->lines > m_setAside->lines)) {
        drop(m_setAside);
        m_setAside = std::move(m_copy);
        qCInfo(lcLink).noquote() << "the attempt so far is kept in" << m_setAside->path;
    } else {
        drop(m_copy);
    }
    m_path.clear();
    begin();
}

void RecoveryCopy::catchUp(const LineStore& lines) {
    if (!m_copy || !m_copy->open || lines.count() <= m_copy->lines) {
        return;
    }
    const WriteResult written = m_copy->file.write(lines.lines(m_copy->lines + 1, lines.count()));
    if (!written.ok()) {
        fail(systemErrorText(written.systemError));
        return;
    }
    m_copy->lines = lines.count();
    // The best attempt is now this one: the one set aside may go.
    if (m_setAside && m_copy->lines >= m_setAside->lines) {
        drop(m_setAside);
    }
}

void RecoveryCopy::finish(const LineStore& lines, bool complete) {
    catchUp(lines);
    m_flushTimer.stop();
    if (complete) {
        drop(m_setAside);
    }
    if (!m_copy || !m_copy->open) {
        return;
    }
    if (m_copy->lines == 0) {
        remove();
        return;
    }
    // In the system's hands at once (the writes are made directly), so a crash from here on loses nothing;
    // on the disk itself within the usual second, so the finish does not wait for the disk.
    m_finished = true;
    m_flushTimer.start();
}

void RecoveryCopy::flush() {
    if (!m_copy || !m_copy->open) {
        return;
    }
    // Down to the disk itself, not only the system's cache: a flat battery must not lose the lines.
    const WriteResult synced = m_copy->file.sync();
    if (!synced.ok()) {
        fail(systemErrorText(synced.systemError));
        return;
    }
    if (m_finished) {
        m_flushTimer.stop();
    }
}

void RecoveryCopy::remove() {
    m_flushTimer.stop();
    drop(m_copy);
    m_path.clear();
}

void RecoveryCopy::drop(std::unique_ptr<Copy>& copy) {
    if (!copy) {
        return;
    }
    copy->file.abandon();
    if (QFile::exists(copy->path) && !QFile::remove(copy->path)) {
        qCWarning(lcLink).noquote() << "cannot remove the recovery copy" << copy->path;
    }
    copy->lock->unlock();
    copy.reset();
}

void RecoveryCopy::fail(const QString& reason) {
    m_flushTimer.stop();
    if (m_copy) {
        m_copy->file.abandon(); // whole lines stay
        m_copy->open = false;
    }
    if (!m_failed) {
        m_failed = true;
        qCWarning(lcLink).noquote() << "the download goes on without a recovery copy in" << stateFolder()
                                    << ':' << reason;
    }
}

QList<RecoveryCopy::Found> RecoveryCopy::leftovers() {
    QList<Found> all;
    const QFileInfoList copies =
        QDir(stateFolder()).entryInfoList({QStringLiteral("recovery-*.csv")}, QDir::Files, QDir::Name);
    for (const QFileInfo& copy : copies) {
        Found found;
        found.path = copy.filePath();
        found.written = copy.lastModified();
        found.size = copy.size();
        QLockFile lock(copy.filePath() + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) {
            if (lock.error() == QLockFile::LockFailedError && heldByARunningProgram(lock)) {
                continue; // a running program keeps it
            }
            // Taking over a program's lock needs room on the disk; the copy is offered all the same.
            found.readOnly = true;
            qCWarning(lcLink).noquote()
                << "the recovery copy" << found.path
                << "cannot be taken over (its lock cannot be made); it is offered as it is";
        }
        QFile file(copy.filePath());
        if (!file.open(QIODevice::ReadOnly) || !survey(file, found)) {
            qCWarning(lcLink).noquote()
                << "cannot read the recovery copy" << file.fileName() << ':' << file.errorString();
            continue;
        }
        if (found.count == 0) {
            qCInfo(lcLink).noquote() << "the recovery copy" << found.path << "holds no whole line; removed";
            discard(found);
            continue;
        }
        all << found;
    }
    return all;
}

LineStore RecoveryCopy::load(const Found& found, qint64 limitBytes) {
    QFile file(found.path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLink).noquote() << "cannot read the recovery copy" << found.path << ':'
                                    << file.errorString();
        return {};
    }
    return LineStore::fromText(file.read(std::min(found.bytes, limitBytes)));
}

void RecoveryCopy::discard(const Found& found) {
    if (!QFile::remove(found.path)) {
        qCWarning(lcLink).noquote() << "cannot remove the recovery copy" << found.path;
    }
    QFile::remove(found.path + QStringLiteral(".lock"));
}
