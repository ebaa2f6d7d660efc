#pragma once

#include "Throttle.h"

#include <QObject>
#include <QString>

class LogView;
class ProgressView;

// Tells screen readers that the log box's text or the progress bar's value changed, at most once every
// kIntervalMs: a download changes both many times a second, far more than anyone can listen to. The
// last change is always told. Also installs the screen-reader views of the log box and progress bar.
class AccessibleAnnouncer : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 1000;

    AccessibleAnnouncer(const LogView& log, const ProgressView& progress, QObject* parent = nullptr);

    static void installViews();
    // The window shows something new; it is told now, or when the interval is over.
    void noteChange();

signals:
    // A change of the log box's text or the progress bar's value was told to screen readers.
    void told(QObject* view);

private:
    void announce();

    const LogView& m_log;
    const ProgressView& m_progress;
    QString m_toldText;
    int m_toldValue = 0;
    Throttle m_throttle;
};
