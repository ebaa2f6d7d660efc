#include "Throttle.h"

Throttle::Throttle(int intervalMs, std::function<void()> action, QObject* parent)
    : QObject(parent), m_action(std::move(action)), m_intervalMs(intervalMs) {
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &Throttle::runNow);
}

void Throttle::request() {
    if (m_later.isActive()) {
        return;
    }
    if (m_intervalMs <= 0 || !m_sinceRun.isValid() || m_sinceRun.hasExpired(m_intervalMs)) {
        runNow();
    } else {
        m_later.start(int(m_intervalMs - m_sinceRun.elapsed()));
    }
}

void Throttle::runNow() {
    m_later.stop();
    m_sinceRun.start();
    m_action();
}

void Throttle::cancel() {
    m_later.stop();
}
