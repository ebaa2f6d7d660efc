#include "FileErrors.h"

#include "CsvWriter.h"
#include "Operator.h"

#include <cerrno>

namespace FileError {

// How the system's errors read as file errors:
//   ENOENT, ENOTDIR         76 path not found (a folder of the name is missing)
//   ENAMETOOLONG            52 bad file name
//   EIO                     57 device input/output error
//   ENXIO, ENODEV           68 device unavailable (an adapter or drive that went away, a reader that
//   ETIMEDOUT                  takes nothing)
//   ENOMEDIUM               71 disk not ready
//   ETXTBSY                 55 file already open (busy)
//   anything else           75 no message of its own: EACCES, EPERM, EROFS, EISDIR, ENOSPC, EFBIG, ...
int fromSystemError(int systemError) {
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        return PathNotFound;
    case ENAMETOOLONG:
        return BadFileNameOrNumber;
    case EIO:
        return DeviceIo;
    case ENXIO:
    case ENODEV:
    case ETIMEDOUT:
        return DeviceUnavailable;
#ifdef ENOMEDIUM
    case ENOMEDIUM:
        return DiskNotReady;
#endif
    case ETXTBSY:
        return FileAlreadyOpen;
    default:
        return PathAccess;
    }
}

QString plainReason(int systemError) {
    switch (systemError) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Permission denied.");
    case EROFS:
        return QStringLiteral("The disk is write-protected.");
    case EISDIR:
        return QStringLiteral("That name belongs to a folder.");
    case ENOSPC:
        return QStringLiteral("There is no space left on the disk.");
    default:
        return systemErrorText(systemError) + QLatin1Char('.');
    }
}

} // namespace FileError

FileErrorAnswer ReportFileError(int errorNumber, const QString& name, Operator& op) {
    QString message;
    int style = MsgStyle::Ok + MsgStyle::Exclamation;
    switch (errorNumber) {
    case FileError::BadFileNameOrNumber:
    case FileError::BadFileName:
        message = QStringLiteral("Illegal File Number/Name.");
        break;
    case FileError::FileNotFound:
        message = QStringLiteral("File Not Found.");
        break;
    case FileError::BadFileMode:
        message = QStringLiteral("Bad File mode.");
        break;
    case FileError::FileAlreadyOpen:
        message = QStringLiteral("File already open.");
        break;
    case FileError::DeviceIo:
        message = QStringLiteral("The disk is full.");
        break;
    case FileError::PastEndOfFile:
        message = QStringLiteral("This file has a nonstandard end-of-file marker,"
                                 "or an attempt was made to read beyond the end-of-file marker.");
        break;
    case FileError::DeviceUnavailable:
        message = QStringLiteral("That device appears to be unavailable.");
        style = MsgStyle::RetryCancel + MsgStyle::Exclamation;
        break;
    case FileError::DiskNotReady:
        message = QStringLiteral("The disk is not ready.");
        break;
    case FileError::PathNotFound:
        message = QStringLiteral("Path doesn't exist.");
        break;
    default:
        return FileErrorAnswer::Unlisted;
    }
    if (!name.isEmpty()) {
        message += QStringLiteral("\r\n Accessing: ") + name;
    }
    return op.messageBox(message, style, QStringLiteral("File Error")) == Answer::Retry
               ? FileErrorAnswer::Retry
               : FileErrorAnswer::GaveUp;
}

FileErrorAnswer reportSystemError(int systemError, const QString& name, Operator& op) {
    const FileErrorAnswer answer = ReportFileError(FileError::fromSystemError(systemError), name, op);
    if (answer != FileErrorAnswer::Unlisted) {
        return answer;
    }
    // No message of its own, yet the operator must not believe the file was written or read.
    op.messageBox(FileError::plainReason(systemError) + QStringLiteral("\r\n Accessing: ") + name,
                  MsgStyle::Ok + MsgStyle::Exclamation, QStringLiteral("File Error"));
    return FileErrorAnswer::GaveUp;
}
