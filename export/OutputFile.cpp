#include "OutputFile.h"

#include "FileErrors.h"
#include "Logging.h"
#include "Operator.h"

namespace {

// A name holding one of ; < = > ? [ ] * is refused.
bool hasRefusedCharacter(const QString& name) {
    for (const QChar c : name) {
        if ((c >= u';' && c <= u'?') || c == u'[' || c == u']' || c == u'*') {
            return true;
        }
    }
    return false;
}

} // namespace

FileStep OutputFile::OpenOutputFile(const QString& name) {
    for (;;) {
        int error = 0;
        int systemError = 0;
        if (hasRefusedCharacter(name)) {
            error = FileError::BadFileName;
            qCWarning(lcExport).noquote() << "not saved: the name" << name << "holds a refused character";
        } else {
            systemError = m_file.open(name);
            if (systemError == 0) {
                m_written = 0;
                return FileStep::Done;
            }
            error = FileError::fromSystemError(systemError);
            qCWarning(lcExport).noquote() << "cannot open" << name << ':' << systemErrorText(systemError);
        }
        const FileErrorAnswer answer = ReportFileError(error, name, m_op);
        if (answer == FileErrorAnswer::Unlisted) {
            // No message of its own, yet the operator must not believe the data was saved.
            m_op.messageBox(FileError::plainReason(systemError) + QStringLiteral("\r\n Accessing: ") + name,
                            MsgStyle::Ok + MsgStyle::Exclamation, QStringLiteral("File Error"));
        }
        if (answer != FileErrorAnswer::Retry) {
            return FileStep::Failed;
        }
    }
}

int OutputFile::writeWhole(QByteArrayView bytes) {
    const int systemError = m_file.writeAll(bytes);
    if (systemError == 0) {
        m_written += bytes.size();
    } else {
        m_file.truncate(m_written);
    }
    return systemError;
}

FileStep OutputFile::WriteLogLine() {
    for (;;) {
        const int systemError = m_file.writeAll(CsvLine);
        if (systemError == 0) {
            m_written += CsvLine.size();
            return FileStep::Done;
        }
        qCWarning(lcExport).noquote()
            << "writing failed after" << m_written << "bytes:" << systemErrorText(systemError);
        // A line cut short would read as a record of its own: the file keeps only whole lines.
        m_file.truncate(m_written);
        if (ReportFileError(FileError::fromSystemError(systemError), QString(), m_op) !=
            FileErrorAnswer::Retry) {
            return FileStep::Failed;
        }
    }
}
