#include "RecoveryCopy.h"

#include "BaseFolders.h"
#include "LineStore.h"
#include "Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString stateFolder() {
    return BaseFolders::stateHome() + QStringLiteral("/korvane/");
}

} // namespace

RecoveryCopy::RecoveryCopy() {
    m_flushTimer.setInterval(kFlushMs);
    m_flushTimer.callOnTimeout([this] { flush(); });
}

void RecoveryCopy::restart() {
    m_flushTimer.stop();
    m_file.close();
    m_copied = 0;
    m_failed = false;
    m_finished = false;
    if (!QDir().mkpath(stateFolder())) {
        fail(QStringLiteral("cannot make the folder ") + stateFolder());
        return;
    }
    if (!m_lock) {
        // A name of its own: when it started, which program, and which of its copies.
        static int made = 0;
        const QString name =
            stateFolder() + QStringLiteral("recovery-%1-%2-%3.csv")
                                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                                .arg(QCoreApplication::applicationPid())
                                .arg(made++);
        auto lock = std::make_unique<QLockFile>(name + QStringLiteral(".lock"));
        lock->setStaleLockTime(0); // a long download is no reason to think its program gone
        if (!lock->tryLock(0)) {
            fail(QStringLiteral("cannot lock ") + name);
            return;
        }
        m_lock = std::move(lock);
        m_file.setFileName(name);
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(m_file.errorString());
        return;
    }
    m_flushTimer.start();
}

void RecoveryCopy::catchUp(const LineStore& lines) {
    if (!m_file.isOpen() || lines.count() <= m_copied) {
        return;
    }
    const QByteArrayView fresh = lines.lines(m_copied + 1, lines.count());
    if (m_file.write(fresh.data(), fresh.size()) != fresh.size()) {
        fail(m_file.errorString());
        return;
    }
    m_copied = lines.count();
}

void RecoveryCopy::finish(const LineStore& lines) {
    catchUp(lines);
    m_flushTimer.stop();
    if (!m_file.isOpen()) {
        return;
    }
    if (m_copied == 0) {
        remove();
        return;
    }
    // In the system's hands at once, so a crash from here on loses nothing; on the disk itself within
    // the usual second, so the finish does not wait for the disk.
    if (!m_file.flush()) {
        fail(m_file.errorString());
        return;
    }
    m_finished = true;
    m_flushTimer.start();
}

void RecoveryCopy::flush() {
    if (!m_file.isOpen()) {
        return;
    }
    if (!m_file.flush()) {
        fail(m_file.errorString());
        return;
    }
#ifdef Q_OS_UNIX
    // Down to the disk itself, not only the system's cache: a flat battery must not lose the lines.
    ::fdatasync(m_file.handle());
#endif
    if (m_finished) {
        m_flushTimer.stop();
    }
}

void RecoveryCopy::remove() {
    m_flushTimer.stop();
    m_file.close();
    m_copied = 0;
    if (!m_lock) {
        return; // no copy of this program's own
    }
    if (QFile::exists(path()) && !QFile::remove(path())) {
        qCWarning(lcLink).noquote() << "cannot remove the recovery copy" << path();
    }
    m_lock.reset();
    m_file.setFileName(QString());
}

void RecoveryCopy::fail(const QString& reason) {
    m_flushTimer.stop();
    m_file.close();
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
        QLockFile lock(copy.filePath() + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) {
            continue; // a running program keeps it
        }
        QFile file(copy.filePath());
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(lcLink).noquote()
                << "cannot read the recovery copy" << file.fileName() << ':' << file.errorString();
            continue;
        }
        Found found{copy.filePath(), file.readAll(), 0, copy.lastModified()};
        file.close();
        // A line cut off by the end of the process is no line: only whole lines are recovered.
        found.lines.truncate(found.lines.lastIndexOf('\n') + 1);
        found.count = int(found.lines.count('\n'));
        if (found.count == 0) {
            qCInfo(lcLink).noquote() << "the recovery copy" << found.path << "holds no whole line; removed";
            discard(found.path);
            continue;
        }
        all << found;
    }
    return all;
}

void RecoveryCopy::discard(const QString& path) {
    if (!QFile::remove(path)) {
        qCWarning(lcLink).noquote() << "cannot remove the recovery copy" << path;
    }
}
