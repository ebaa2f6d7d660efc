#pragma once

#include <QByteArray>
#include <functional>

// Runs work in a forked child process, where what it changes (dropped privileges, a file size limit, a
// failing system call) stays in the child, and returns the report the child made; empty when the child
// could not run.
QByteArray reportFromChild(const std::function<QByteArray()>& work);

// Makes the calling process an unprivileged user when it runs as root (root opens every device and
// writes everywhere). False when that failed.
bool becomeUnprivileged();

// Files of this process grow to `bytes` and no further: a write beyond fails with EFBIG, as on a full disk.
bool limitFileSize(long bytes);

// From now on the kernel answers every call of this system call (a number from <sys/syscall.h>) with the
// error, without carrying it out: a disk that fails to flush, a close that reports a late write error.
bool failSystemCall(long number, int error);
