#include "OutputFile.h"

#include "FileErrors.h"
#include "LineStore.h"
#include "Logging.h"
#include "Operator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>

namespace {

constexpr int kTurnEveryMs = 10;

// A name holding one of ; < = > ? [ ] * is refused.
bool hasRefusedCharacter(const QString& name) {
    return std::any_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u';' && c <= u'?') || c == u'[' || c == u']' || c == u'*';
    });
}

// The last line from `first` on whose end lies within pieceBytes of where line `first` starts; at least
// `first` itself, however long it is.
int lastLineOfPiece(const LineStore& lines, int first, qsizetype pieceBytes) {
    const qsizetype limit = lines.endOf(first - 1) + pieceBytes;
    int low = first;
    int high = lines.count();
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (lines.endOf(middle) <= limit) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

} // namespace

bool OutputFile::OpenOutputFile(const QString& name, CsvWriter::Placement placement) {
    for (;;) {
        FileErrorAnswer answer = FileErrorAnswer::GaveUp;
        if (hasRefusedCharacter(name)) {
            qCWarning(lcExport).noquote() << "not saved: the name" << name << "holds a refused character";
            answer = ReportFileError(FileError::BadFileName, name, m_op);
        } else {
            const int systemError = m_writer.open(name, placement).systemError;
            if (systemError == 0) {
                return true;
            }
            qCWarning(lcExport).noquote() << "cannot open" << name << ':' << systemErrorText(systemError);
            answer = reportSystemError(systemError, name, m_op);
        }
        if (answer != FileErrorAnswer::Retry) {
            return false;
        }
    }
}

bool OutputFile::WriteLogLine() {
    for (;;) {
        const WriteResult result = m_writer.write(CsvLine);
        if (result.ok()) {
            return true;
        }
        qCWarning(lcExport).noquote() << "writing a line failed:" << systemErrorText(result.systemError);
        if (ReportFileError(FileError::fromSystemError(result.systemError), QString(), m_op) !=
            FileErrorAnswer::Retry) {
            return false;
        }
    }
}

bool OutputFile::writeLines(const LineStore& lines, qsizetype pieceBytes) {
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    for (int first = 1; first <= lines.count();) {
        const int last = lastLineOfPiece(lines, first, std::max<qsizetype>(pieceBytes, 1));
        const WriteResult result = m_writer.write(lines.lines(first, last));
        if (!result.ok()) {
            qCWarning(lcExport).noquote()
                << "writing lines" << first << "to" << last
                << "at once failed:" << systemErrorText(result.systemError) << "- one by one now";
            for (int k = first; k <= last; ++k) {
                CsvLine = lines.line(k).toByteArray();
                if (!WriteLogLine()) {
                    return false;
                }
            }
        }
        first = last + 1;
        if (sinceTurn.hasExpired(kTurnEveryMs) && QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sinceTurn.start();
        }
    }
    return true;
}

QString OutputFile::close() {
    const WriteResult result = m_writer.finish();
    if (result.ok()) {
        return {};
    }
    // A late write error: the lines may never reach the disk, so they do not count as saved.
    QString reason = QStringLiteral("The file could not be brought to the disk: %1.")
                         .arg(systemErrorText(result.systemError));
    qCWarning(lcExport).noquote() << reason;
    return reason;
}
