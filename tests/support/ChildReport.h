#pragma once

#include <QByteArray>
#include <functional>

// Runs work in a forked child process, where what it changes (dropped privileges, a file size limit)
// stays in the child, and returns the report the child made; empty when the child could not run.
QByteArray reportFromChild(const std::function<QByteArray()>& work);

// Makes the calling process an unprivileged user when it runs as root (root opens every device and
// writes everywhere). False when that failed.
bool becomeUnprivileged();
