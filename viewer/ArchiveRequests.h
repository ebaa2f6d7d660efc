#pragma once

#include <QMap>
#include <QObject>

class Operator;

// The viewer's questions to the archive that have no answer yet, each with what it is doing, so the window
// can say what it is loading; an answer to a question someone else asked (the main window shares the
// service) is told apart by its number. Failures of the answers are told to the operator and logged.
class ArchiveRequests : public QObject {
    Q_OBJECT

public:
    explicit ArchiveRequests(Operator& op, QObject* parent = nullptr) : QObject(parent), m_op(op) {}

    quint64 track(quint64 request, const QString& what);
    // The answer to `request` came: true when the question was the viewer's.
    bool finish(quint64 request);
    bool isBusy() const { return !m_running.isEmpty(); }
    // What the newest unanswered question is doing, "" when none waits.
    QString doing() const { return m_running.isEmpty() ? QString() : m_running.last(); }
    void fail(const QString& what, const QString& reason);

    Operator& op() const { return m_op; }

signals:
    void busyChanged();

private:
    Operator& m_op;
    QMap<quint64, QString> m_running;
};
