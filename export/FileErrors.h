#pragma once

#include <QString>

class Operator;

// The program's file error numbers, and how the platform's errors map onto them.
namespace FileError {
constexpr int BadFileNameOrNumber = 52;
constexpr int FileNotFound = 53;
constexpr int BadFileMode = 54;
constexpr int FileAlreadyOpen = 55;
constexpr int DeviceIo = 57;
constexpr int PastEndOfFile = 62;
constexpr int BadFileName = 64;
constexpr int DeviceUnavailable = 68;
constexpr int DiskNotReady = 71;
constexpr int PathAccess = 75; // no message of its own: permissions, full disk and the like
constexpr int PathNotFound = 76;

// The file error number for a system error code (errno).
int fromSystemError(int systemError);
// A plain reason for a system error that has no message of its own, e.g. "Permission denied."
QString plainReason(int systemError);
} // namespace FileError

// What came of reporting a file error.
enum class FileErrorAnswer {
    Retry = 0,    // the operator asked to try again
    GaveUp = 2,   // the operator gave up
    Unlisted = 3, // the error has no message of its own: nothing was shown
};

// Shows the message for a file error, naming the file when a name is given.
FileErrorAnswer ReportFileError(int errorNumber, const QString& name, Operator& op);
// Shows the message for a system error (errno) met using a file, as a save shows it: the file error's own
// message, or a plain reason where it has none. Retry only when the operator asked for it.
FileErrorAnswer reportSystemError(int systemError, const QString& name, Operator& op);
