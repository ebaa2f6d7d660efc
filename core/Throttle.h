#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

// Runs an action at most once every interval, however often it is asked for: the first request runs it
// at once, requests within the interval are gathered and run once when the interval is over, so the last
// change is never left out. Used where a download changes something many times a second that a person
// (or a screen reader) follows at a slower pace.
class Throttle : public QObject {
    Q_OBJECT

public:
    Throttle(int intervalMs, std::function<void()> action, QObject* parent = nullptr);

    // The action is wanted: now, or at the end of the running interval.
    void request();
    // The action runs now whatever the interval (before a message box, the screen must be current).
    void runNow();
    // Nothing pending runs.
    void cancel();
    bool pending() const { return m_later.isActive(); }

private:
    std::function<void()> m_action;
    int m_intervalMs;
    QElapsedTimer m_sinceRun;
    QTimer m_later;
};
