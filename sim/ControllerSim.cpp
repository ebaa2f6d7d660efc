#include "ControllerSim.h"

#include "SimReply.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qint64 kBytesPerSecond = 960; // 9600 baud, 10 bits a character

int baudOf(speed_t speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

} // namespace

ControllerSim::ControllerSim(SimOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    // A serial adapter hands on what it received every few milliseconds (a UART at its FIFO trigger, a USB
    // adapter at its latency timer), not byte by byte.
    m_pacer.setInterval(10);
    connect(&m_pacer, &QTimer::timeout, this, &ControllerSim::pump);
}

ControllerSim::~ControllerSim() {
    closePty();
    if (!m_linkPath.isEmpty()) {
        QFile::remove(m_linkPath);
    }
}

bool ControllerSim::start() {
    closePty();
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    raw.c_cflag |= CS8 | CLOCAL | CREAD;
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return false;
    }
    // The master side is driven without blocking; the slave fd stays open, unread, so that the master
    // does not see a hang-up each time the program closes its port.
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
    generatedReply(); // made now, so that answering costs no time
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &ControllerSim::onReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &ControllerSim::pump);
    return true;
}

bool ControllerSim::placeLink(const QString& settingsFolder, int comNumber) {
    const QString folder = QDir(settingsFolder).filePath(QStringLiteral("ports"));
    QDir().mkpath(folder);
    m_linkPath = QDir(folder).filePath(QStringLiteral("com%1").arg(comNumber));
    QFile::remove(m_linkPath);
    return QFile::link(m_slavePath, m_linkPath);
}

SimLineSettings ControllerSim::lineSettings() const {
    termios t{};
    if (m_slave < 0 || tcgetattr(m_slave, &t) != 0) {
        return {};
    }
    SimLineSettings line;
    line.baud = baudOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5:
        line.dataBits = 5;
        break;
    case CS6:
        line.dataBits = 6;
        break;
    case CS7:
        line.dataBits = 7;
        break;
    default:
        line.dataBits = 8;
        break;
    }
    line.parity = (t.c_cflag & PARENB) != 0;
    line.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 1;
    return line;
}

void ControllerSim::onReadable() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        m_received.append(buffer, n);
        m_inbox.append(buffer, n);
    }
    static const QByteArray kLoad = "*LOAD#";
    static const QByteArray kQuery = "*01a02#";
    for (;;) {
        const qsizetype load = m_inbox.indexOf(kLoad);
        const qsizetype query = m_inbox.indexOf(kQuery);
        if (load < 0 && query < 0) {
            break;
        }
        const bool isLoad = load >= 0 && (query < 0 || load < query);
        const QByteArray& command = isLoad ? kLoad : kQuery;
        m_inbox.remove(0, (isLoad ? load : query) + command.size());
        emit commandReceived(command);
        if (isLoad) {
            ++m_downloadRequests;
            QList<QByteArray> lines = m_options.lines ? *m_options.lines : generatedReply();
            if (m_options.endlessLineBytes > 0) {
                lines = SimReply::downloadLines(0).mid(0, 7);
                const QByteArray line = QByteArray(m_options.endlessLineBytes - 2, 'x') + "\r\n";
                m_endless = line.repeated(std::max(1, (256 << 10) / int(line.size())));
            }
            bool hangUpAtEnd = false;
            if (m_options.hangUpAfterLine >= 0 && m_options.hangUpAfterLine < lines.size()) {
                lines.resize(m_options.hangUpAfterLine);
                hangUpAtEnd = true;
            } else if (m_options.silentAfterLine >= 0 && m_downloadRequests <= m_options.silentAttempts &&
                       m_options.silentAfterLine < lines.size()) {
                lines.resize(m_options.silentAfterLine);
            }
            if (!m_options.stray.isEmpty()) {
                lines.prepend(m_options.stray);
            }
            startReply(lines, hangUpAtEnd);
        } else {
            startReply(
                {m_options.stray + m_options.queryReply.value_or(SimReply::logCount(m_options.records))},
                false);
        }
    }
    m_inbox = m_inbox.right(8); // a command may be split across reads
}

QList<QByteArray> ControllerSim::generatedReply() {
    if (m_generatedRecords != m_options.records) {
        m_generatedRecords = m_options.records;
        m_generated = m_options.records > 0 ? SimReply::downloadLines(m_options.records)
                                            : QList<QByteArray>{SimReply::noLogs()};
    }
    return m_generated;
}

void ControllerSim::startReply(QList<QByteArray> pieces, bool hangUpAtEnd) {
    if (!m_options.paced && m_options.lineGapMs == 0) {
        pieces = {pieces.join()}; // as fast as possible: a few large writes, not one per line
    }
    m_queue = std::move(pieces);
    m_offset = 0;
    m_hangUpAtEnd = hangUpAtEnd;
    m_clock.start();
    m_pacedSent = 0;
    if (m_options.paced) {
        m_pacer.start();
    }
    pump();
}

void ControllerSim::pump() {
    if (m_master < 0) {
        return;
    }
    m_writeNotifier->setEnabled(false);
    qint64 allowance = m_options.paced ? m_clock.elapsed() * kBytesPerSecond / 1000 - m_pacedSent : INT64_MAX;
    while (!m_queue.isEmpty() && allowance > 0) {
        const QByteArray& piece = m_queue.first();
        const qint64 want = std::min<qint64>(piece.size() - m_offset, allowance);
        const ssize_t n = want > 0 ? ::write(m_master, piece.constData() + m_offset, size_t(want)) : 0;
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                m_writeNotifier->setEnabled(true);
            }
            return;
        }
        m_offset += n;
        allowance -= n;
        m_pacedSent += n;
        if (m_offset < piece.size()) {
            if (n == 0 || !m_options.paced) {
                m_writeNotifier->setEnabled(true);
            }
            continue;
        }
        m_queue.removeFirst();
        m_offset = 0;
        if (m_options.lineGapMs > 0 && !m_queue.isEmpty()) {
            QTimer::singleShot(m_options.lineGapMs, this, &ControllerSim::pump);
            return;
        }
    }
    if (!m_queue.isEmpty()) {
        return;
    }
    if (!m_endless.isEmpty()) {
        m_queue << m_endless;
        m_writeNotifier->setEnabled(true);
        return;
    }
    m_pacer.stop();
    if (m_hangUpAtEnd) {
        // The lines sent reach the program before the cable is pulled: closing the pty at once would
        // throw away what it has not read yet.
        QTimer::singleShot(200, this, &ControllerSim::hangUp);
    } else {
        emit replyFinished();
    }
}

void ControllerSim::sendNow(const QByteArray& bytes) {
    if (m_master >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    }
}

void ControllerSim::closePty() {
    m_pacer.stop();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_master >= 0) {
        ::close(m_master);
    }
    if (m_slave >= 0) {
        ::close(m_slave);
    }
    m_master = m_slave = -1;
    m_queue.clear();
    m_endless.clear();
}

void ControllerSim::hangUp() {
    closePty();
    // The freed pty number goes to the next program that asks for one; a link left pointing at it would
    // lead to that program's device. It now names a place of its own folder that never exists.
    if (!m_linkPath.isEmpty()) {
        QFile::remove(m_linkPath);
        QFile::link(m_linkPath + QStringLiteral(".unplugged"), m_linkPath);
    }
    emit hungUp();
}

bool ControllerSim::reconnect() {
    if (!start()) {
        return false;
    }
    if (!m_linkPath.isEmpty()) {
        QFile::remove(m_linkPath);
        return QFile::link(m_slavePath, m_linkPath);
    }
    return true;
}
