#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP as a Qt signal: the handler only writes the signal's number to a pipe, and the
// event loop reads it, so the run can close the port and drop its unfinished file in ordinary code.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    // False when the pipe could not be made; the signals then keep their default action.
    bool installed() const { return m_notifier != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    void onReadable();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
