#include "RecoveryCopy.h"

#include "LineStore.h"
#include "Logging.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString stateFolder() {
    QString folder = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (folder.isEmpty()) {
        folder = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return folder + QStringLiteral("/korvane/");
}

} // namespace

RecoveryCopy::RecoveryCopy() {
    m_flushTimer.setInterval(kFlushMs);
    m_flushTimer.callOnTimeout([this] { flush(); });
}

QString RecoveryCopy::path() {
    return stateFolder() + QStringLiteral("recovery.csv");
}

void RecoveryCopy::restart() {
    m_file.close();
    m_copied = 0;
    m_failed = false;
    m_finished = false;
    if (!QDir().mkpath(stateFolder())) {
        fail(QStringLiteral("cannot make the folder ") + stateFolder());
        return;
    }
    m_file.setFileName(path());
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
    if (QFile::exists(path()) && !QFile::remove(path())) {
        qCWarning(lcLink).noquote() << "cannot remove the recovery copy" << path();
    }
}

void RecoveryCopy::fail(const QString& reason) {
    m_flushTimer.stop();
    m_file.close();
    if (!m_failed) {
        m_failed = true;
        qCWarning(lcLink).noquote() << "the download goes on without a recovery copy in" << path() << ':'
                                    << reason;
    }
}

std::optional<RecoveryCopy::Found> RecoveryCopy::find() {
    QFile file(path());
    if (!file.exists()) {
        return std::nullopt;
    }
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLink).noquote() << "cannot read the recovery copy" << path() << ':' << file.errorString();
        return std::nullopt;
    }
    Found found;
    found.written = QFileInfo(file).lastModified();
    found.lines = file.readAll();
    file.close();
    // A line cut off by the end of the process is no line: only whole lines are recovered.
    found.lines.truncate(found.lines.lastIndexOf('\n') + 1);
    found.count = int(found.lines.count('\n'));
    if (found.count == 0) {
        qCInfo(lcLink).noquote() << "the recovery copy" << path() << "holds no whole line; removed";
        discardFound();
        return std::nullopt;
    }
    return found;
}

void RecoveryCopy::discardFound() {
    if (!QFile::remove(path())) {
        qCWarning(lcLink).noquote() << "cannot remove the recovery copy" << path();
    }
}
