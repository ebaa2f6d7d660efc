#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

// CPU time this process has used so far, user and system, in seconds.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// This process's resident memory now, in KiB (0 where /proc cannot say).
inline long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// A figure of /proc/self/status ("VmRSS:", "VmHWM:"), in KiB; -1 where it cannot be read.
inline long statusKiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

// Peak memory (VmHWM) counted from here on: the kernel forgets the earlier peak.
inline void forgetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// The median of some runs with the lowest and highest beside it.
struct Spread {
    double median = 0;
    double lowest = 0;
    double highest = 0;
};

inline Spread spreadOf(QList<double> values) {
    if (values.isEmpty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    const double median = n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.first(), values.last()};
}
