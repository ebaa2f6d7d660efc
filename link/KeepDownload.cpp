#include "KeepDownload.h"

#include "LineStore.h"
#include "LinkState.h"
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

WriteResult KeepDownload::saveInto(CsvWriter& file, int written) {
    WriteResult result = file.write(m_lines.lines(written + 1, m_lines.count()));
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
        case SaveResult::Cancelled: // the recovery copy stays for the next start
            return;
        case SaveResult::Failed:
            break; // asked again
        }
    }
    m_recovery.remove();
}

void KeepDownload::offerLeftovers() {
    QList<RecoveryCopy::Found> found = RecoveryCopy::leftovers();
    while (!found.isEmpty()) {
        QList<LeftoverCopy> copies;
        for (const RecoveryCopy::Found& copy : std::as_const(found)) {
            copies << LeftoverCopy{
                copy.controller, copy.count, copy.expected, copy.complete, copy.written, copy.size, [copy] {
                    return RecoveryCopy::load(copy, LinkState::kMaxBytes);
                }};
        }
        const QList<LeftoverChoice> choices = m_op.reviewLeftovers(copies);
        QList<RecoveryCopy::Found> failed;
        for (qsizetype i = 0; i < found.size() && i < choices.size(); ++i) {
            if (choices.at(i) == LeftoverChoice::Discard) {
                RecoveryCopy::discard(found.at(i));
            } else if (choices.at(i) == LeftoverChoice::Save) {
                // A copy past the limit of one download offers its first part.
                switch (::SaveLogs(RecoveryCopy::load(found.at(i), LinkState::kMaxBytes), m_settings, m_op)) {
                case SaveResult::Saved:
                    RecoveryCopy::discard(found.at(i));
                    break;
                case SaveResult::Cancelled:
                    break; // kept for the next start
                case SaveResult::Failed:
                    failed << found.at(i); // offered again, as after a failed save of a download
                    break;
                }
            }
        }
        found = failed;
    }
}
