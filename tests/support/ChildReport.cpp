#include "ChildReport.h"

#include <sys/wait.h>
#include <unistd.h>

QByteArray reportFromChild(const std::function<QByteArray()>& work) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const QByteArray report = work();
        [[maybe_unused]] const auto written = ::write(pipeFds[1], report.constData(), size_t(report.size()));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QByteArray report;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        report.append(buffer, n);
    }
    ::close(pipeFds[0]);
    ::waitpid(pid, nullptr, 0);
    return report;
}

bool becomeUnprivileged() {
    constexpr uid_t kNobody = 65534;
    return ::geteuid() != 0 || (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
}
