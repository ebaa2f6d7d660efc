#include "StopSignals.h"

#include "Logging.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

// Ctrl+C, a polite kill, and a closed terminal or SSH session.
constexpr int kStops[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int signalNumber) {
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcLink) << "no pipe for SIGINT, SIGTERM and SIGHUP:" << qt_error_string(errno);
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignals::onReadable);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int stop : kStops) {
        sigaction(stop, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    if (m_notifier) {
        for (const int stop : kStops) {
            std::signal(stop, SIG_DFL);
        }
    }
}

void StopSignals::onReadable() {
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) == 1) {
        emit stopRequested(byte);
    }
}
