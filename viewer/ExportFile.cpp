#include "ExportFile.h"

#include "LineStore.h"
#include "Logging.h"
#include "Operator.h"

bool ExportFile::open(const QString& name) {
    m_name = name;
    return m_file.OpenOutputFile(name, CsvWriter::Placement::Replace);
}

bool ExportFile::write(const QByteArray& bytes) {
    // Whole lines in large pieces, as a save writes them; a download cut off inside its last line keeps
    // that part too.
    const LineStore lines = LineStore::fromText(bytes);
    bool written = m_file.writeLines(lines);
    if (written && lines.byteCount() < bytes.size()) {
        m_file.CsvLine = bytes.mid(lines.byteCount());
        written = m_file.WriteLogLine();
    }
    // A write that failed leaves the temporary file to go with m_file: the target stays as it was.
    const QString lateError = written ? m_file.close() : QString();
    if (!written || !lateError.isEmpty()) {
        qCWarning(lcViewer).noquote() << "export to" << m_name << "failed" << lateError;
        m_op.messageBox(QStringLiteral("Error Writing to File!!"), MsgStyle::Ok + MsgStyle::Critical,
                        QStringLiteral("FILE WRITE ERROR"), lateError);
        return false;
    }
    qCInfo(lcViewer).noquote() << "exported" << bytes.size() << "bytes to" << m_name;
    return true;
}
