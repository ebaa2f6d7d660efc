#include "OutputFile.h"

#include "FileErrors.h"
#include "Operator.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

// Writes all of the bytes; returns 0 or the system error that stopped it.
int writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        done += n;
    }
    return 0;
}

} // namespace

int OutputFile::OpenOutputFile(const QString& name) {
    for (;;) {
        int error = 0;
        int systemError = 0;
        if (hasRefusedCharacter(name)) {
            error = FileError::BadFileName;
        } else {
            close();
            m_fd =
                ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                m_written = 0;
                return 1;
            }
            systemError = errno;
            error = FileError::fromSystemError(systemError);
        }
        const int answer = ReportFileError(error, name, m_op);
        if (answer == 3) {
            // No message of its own, yet the operator must not believe the data was saved.
            m_op.messageBox(FileError::plainReason(systemError) + QStringLiteral("\r\n Accessing: ") + name,
                            MsgStyle::Ok + MsgStyle::Exclamation, QStringLiteral("File Error"));
        }
        if (answer != 0) {
            return 0;
        }
    }
}

int OutputFile::WriteLogLine() {
    for (;;) {
        const int systemError = writeAll(m_fd, CsvLine);
        if (systemError == 0) {
            m_written += CsvLine.size();
            return 1;
        }
        // A line cut short would read as a record of its own: the file keeps only whole lines.
        if (::ftruncate(m_fd, off_t(m_written)) == 0) {
            ::lseek(m_fd, off_t(m_written), SEEK_SET);
        }
        if (ReportFileError(FileError::fromSystemError(systemError), QString(), m_op) != 0) {
            return 0;
        }
    }
}

void OutputFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
