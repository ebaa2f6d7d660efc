#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class Operator;

// What the archive has to tell the operator (a damaged file set aside, a team archive out of reach), each
// in a box of its own once no other box is open, so it never lands on top of a download's own message.
class ArchiveNotices : public QObject {
    Q_OBJECT

public:
    static constexpr int kRetryMs = 500;

    explicit ArchiveNotices(Operator& op, QObject* parent = nullptr);

    void tell(const QString& text);

private:
    void showWaiting();

    Operator& m_op;
    QStringList m_waiting;
    QTimer m_later;
    bool m_showing = false;
};
