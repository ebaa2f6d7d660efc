#include "ArchiveNotices.h"

#include "Logging.h"
#include "Operator.h"

#include <QApplication>

ArchiveNotices::ArchiveNotices(Operator& op, QObject* parent) : QObject(parent), m_op(op) {
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &ArchiveNotices::showWaiting);
}

void ArchiveNotices::tell(const QString& text) {
    qCInfo(lcArchive) << "told the operator:" << text;
    m_waiting.append(text);
    m_later.start(0);
}

void ArchiveNotices::showWaiting() {
    if (m_showing) {
        return; // the box open now shows the rest when it closes
    }
    m_showing = true;
    while (!m_waiting.isEmpty()) {
        if (QApplication::activeModalWidget() != nullptr) {
            m_later.start(kRetryMs);
            break;
        }
        m_op.messageBox(m_waiting.takeFirst(), MsgStyle::Ok + MsgStyle::Information,
                        QStringLiteral("Archive"));
    }
    m_showing = false;
}
