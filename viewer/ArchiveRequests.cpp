#include "ArchiveRequests.h"

#include "Logging.h"
#include "Operator.h"

quint64 ArchiveRequests::track(quint64 request, const QString& what) {
    m_running.insert(request, what);
    emit busyChanged();
    return request;
}

bool ArchiveRequests::finish(quint64 request) {
    const bool ours = m_running.remove(request) > 0;
    if (ours) {
        emit busyChanged();
    }
    return ours;
}

void ArchiveRequests::fail(const QString& what, const QString& reason) {
    qCWarning(lcViewer).noquote() << what << '-' << reason;
    m_op.messageBox(what, MsgStyle::Ok + MsgStyle::Exclamation, tr("Archive"), reason);
}
