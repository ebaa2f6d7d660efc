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

// Shows the message for a file error, naming the file when a name is given. Returns 0 when the operator
// asked to retry, 2 when the operator gave up, 3 for an error without a message (nothing was shown).
int ReportFileError(int errorNumber, const QString& name, Operator& op);
