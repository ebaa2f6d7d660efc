#include "KeepDownload.h"

#include "LineStore.h"
#include "Logging.h"
#include "Operator.h"
#include "RecoveryCopy.h"

KeepDownload::KeepDownload(const LineStore& lines, RecoveryCopy& recovery, Settings& settings, Operator& op)
    : m_lines(lines), m_recovery(recovery), m_settings(settings), m_op(op) {}

bool KeepDownload::unsaved() const {
    return m_lines.count() != 0 && m_logsSaved == 0;
}

void KeepDownload::saved() {
    m_logsSaved = 1;
    m_recovery.remove();
}

SaveResult KeepDownload::SaveLogs() {
    const SaveResult result = ::SaveLogs(m_lines, m_settings, m_op);
    if (result == SaveResult::Saved) {
        saved();
    }
    return result;
}

WriteResult KeepDownload::saveInto(CsvWriter& file) {
    WriteResult result = file.write(m_lines.lines(1, m_lines.count()));
    if (result.ok()) {
        result = file.finish();
    }
    if (!result.ok()) {
        file.abandon();
        qCWarning(lcExport).noquote()
            << "not saved:" << systemErrorText(result.systemError) << "- the recovery copy keeps the lines";
        return result;
    }
    qCInfo(lcExport) << "saved" << m_lines.count() << "lines";
    saved();
    return result;
}

void KeepDownload::PromptSaveLogs() {
    while (m_op.messageBox(QStringLiteral("Save Downloaded Logs?"), MsgStyle::YesNo + MsgStyle::Exclamation,
                           QStringLiteral("Warning!!")) == Answer::Yes) {
        switch (SaveLogs()) {
        case SaveResult::Saved:
            return;
        case SaveResult::Cancelled:
            return; // the recovery copy stays for the next start
        case SaveResult::Failed:
            break; // asked again
        }
    }
    m_recovery.remove();
}

void KeepDownload::offerLeftovers() {
    for (const RecoveryCopy::Found& found : RecoveryCopy::leftovers()) {
        const LineStore lines = LineStore::fromText(found.lines);
        const QString text = QStringLiteral("%1 lines downloaded on %2 were not saved.\r\nSave them now?")
                                 .arg(found.count)
                                 .arg(found.written.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        bool keep = false;
        while (!keep && m_op.messageBox(text, MsgStyle::YesNo + MsgStyle::Exclamation,
                                        QStringLiteral("Unsaved Download")) == Answer::Yes) {
            const SaveResult result = ::SaveLogs(lines, m_settings, m_op);
            keep = result == SaveResult::Cancelled; // offered again at the next start
            if (result == SaveResult::Saved) {
                break;
            }
        }
        if (!keep) {
            RecoveryCopy::discard(found.path);
        }
    }
}
