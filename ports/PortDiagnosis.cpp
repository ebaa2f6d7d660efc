#include "PortDiagnosis.h"

#include "PortDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Holder {
    qint64 pid;
    QString name;
};

QString tried(int comNumber, const QString& device) {
    return QStringLiteral("COM %1 (%2)").arg(comNumber).arg(device);
}

// The serial port library hides the system's error number; a plain open, closed at once, tells it.
int plainOpenError(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    return 0;
}

QString processName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
}

bool isRunning(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// Programs that open serial devices lock them with /var/lock/LCK..name, the first line naming their
// process; a file whose process is gone is left over and holds nothing.
std::optional<Holder> lockHolder(const QString& path) {
    // The serial port library names its lock after the device itself, whichever link reached it.
    const QString real = QFileInfo(path).canonicalFilePath();
    const QString device = real.isEmpty() ? path : real;
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : QFileInfo(device).fileName();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char* folder : {"/var/lock", "/run/lock", "/tmp"}) {
        QFile lock(QString::fromLatin1(folder) + QStringLiteral("/LCK..") + name);
        if (!lock.open(QIODevice::ReadOnly)) {
            continue;
        }
        const qint64 pid = lock.readLine(64).trimmed().toLongLong();
        if (pid != ::getpid() && isRunning(pid)) {
            return Holder{pid, processName(pid)};
        }
    }
    return std::nullopt;
}

// ModemManager tries every new serial device as a modem for a while; brltty takes CH340 and CP210x
// adapters for braille displays. Either holds the device away from the program.
QString knownGrabbers() {
    bool modemManager = false;
    bool brltty = false;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric) {
            continue;
        }
        const QString name = processName(pid);
        modemManager = modemManager || name == u"ModemManager";
        brltty = brltty || name == u"brltty";
    }
    QString text;
    if (modemManager) {
        text += QStringLiteral("\n\nModemManager is running: it tries every new serial device as a modem for "
                               "a while after it appears. Wait half a minute and try again, or stop it with\n"
                               "sudo systemctl stop ModemManager");
    }
    if (brltty) {
        text += QStringLiteral("\n\nbrltty is running: it takes CH340 and CP210x adapters for braille "
                               "displays. Without a braille display, remove it with\nsudo apt remove brltty");
    }
    return text;
}

QString permissionText(const QString& what, const QString& device) {
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0) {
        return QStringLiteral("Your user may not use %1. Ask for read and write access to the device, or "
                              "choose another port.")
            .arg(what);
    }
    const group* grp = ::getgrgid(st.st_gid);
    const passwd* owner = ::getpwuid(st.st_uid);
    const QString groupName =
        grp != nullptr ? QString::fromLocal8Bit(grp->gr_name) : QString::number(st.st_gid);
    const QString ownerName =
        owner != nullptr ? QString::fromLocal8Bit(owner->pw_name) : QString::number(st.st_uid);
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        return QStringLiteral("Your user may not use %1: the device belongs to the group %2, and your user "
                              "is not in it. Add it with\nsudo usermod -aG %2 $USER\nthen log out and in "
                              "again.")
            .arg(what, groupName);
    }
    return QStringLiteral("Your user may not use %1: only its owner, %2, may open it. Ask the administrator "
                          "for access, or choose another port.")
        .arg(what, ownerName);
}

// How to keep a number on one adapter, in the words of where it is read.
QString keepOnOneAdapter(int comNumber, PortDiagnosis::Audience audience) {
    return audience == PortDiagnosis::Audience::Window
               ? QStringLiteral(
                     "To keep COM %1 on one adapter in any USB socket, choose it in the port list and "
                     "press OK: the program then pins COM %1 to it.")
                     .arg(comNumber)
               : QStringLiteral("To reach one adapter in any USB socket, name it by its stable name: "
                                "--port /dev/serial/by-id/... (ls /dev/serial/by-id lists them).");
}

QString pinAdvice(int comNumber, const QString& device, PortDiagnosis::Audience audience) {
    if (!followsUsbTable(comNumber)) {
        return {};
    }
    return QStringLiteral("\n\nCOM %1 reaches whichever adapter the system names %2 at the moment. %3")
        .arg(comNumber)
        .arg(device, keepOnOneAdapter(comNumber, audience));
}

PortError explain(int comNumber, const QString& device, PortError::Cause qtCause, const QString& qtMessage) {
    const QString what = tried(comNumber, device);
    const int error = qtCause == PortError::Cause::NoDevice ? ENOENT : plainOpenError(device);
    if (error == ENOENT || error == ENODEV || error == ENXIO) {
        return {PortError::Cause::NoDevice,
                QStringLiteral("Nothing is connected as %1. Check the cable or adapter, or choose "
                               "another port.")
                    .arg(what),
                comNumber, device};
    }
    if (error == EACCES || error == EPERM) {
        return {PortError::Cause::PermissionDenied, permissionText(what, device), comNumber, device};
    }
    const std::optional<Holder> holder = lockHolder(device);
    if (holder || error == EBUSY || qtCause == PortError::Cause::Busy) {
        const QString who =
            holder ? QStringLiteral("%1 (process %2)")
                         .arg(holder->name.isEmpty() ? QStringLiteral("a program") : holder->name)
                         .arg(holder->pid)
                   : QStringLiteral("another program, which holds it for itself alone");
        return {
            PortError::Cause::Busy,
            QStringLiteral("%1 is in use by %2. Close that program, or choose another port.").arg(what, who) +
                knownGrabbers(),
            comNumber, device};
    }
    QString message = error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : qtMessage;
    while (message.endsWith(QLatin1Char('.'))) {
        message.chop(1);
    }
    return {qtCause, QStringLiteral("%1 did not open. The system says: %2.").arg(what, message), comNumber,
            device};
}

} // namespace

namespace PortDiagnosis {

PortError openFailure(int comNumber, const QString& device, PortError::Cause qtCause,
                      const QString& qtMessage, Audience audience) {
    // Whatever the cause, a number that follows the table may have reached another adapter than the one
    // meant: pinning keeps it on one.
    const PortError plain = explain(comNumber, device, qtCause, qtMessage);
    return {plain.cause(), plain.reason() + pinAdvice(comNumber, device, audience), comNumber, device};
}

PortError noSuchNumber(int comNumber) {
    return {PortError::Cause::InvalidNumber,
            QStringLiteral("COM %1 is not a port this program knows. Choose another port.").arg(comNumber),
            comNumber};
}

QString hangUp(int comNumber, const QString& device, Audience audience) {
    const bool window = audience == Audience::Window;
    QString text = QStringLiteral("The device went away: %1 hung up, as it does when the adapter is "
                                  "unplugged or its cable pulled. Plug it back in, then %2.")
                       .arg(tried(comNumber, device), window ? QStringLiteral("press Retry")
                                                             : QStringLiteral("run the download again"));
    if (followsUsbTable(comNumber)) {
        text += QStringLiteral("\n\n%1 opens whatever adapter the system then names %2. %3")
                    .arg(window ? QStringLiteral("Retry") : QStringLiteral("The next run"), device,
                         keepOnOneAdapter(comNumber, audience));
    }
    return text;
}

} // namespace PortDiagnosis
