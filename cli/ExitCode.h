#pragma once

// How a command-line run ends, as its exit status. Scripts rely on these numbers: keep them.
namespace ExitCode {
inline constexpr int kDone = 0;
inline constexpr int kFailure = 1; // anything not named below
inline constexpr int kUsage = 2;
inline constexpr int kPortUnavailable = 3;
inline constexpr int kNoLogs = 4;
inline constexpr int kControllerSilent = 5;
inline constexpr int kFileError = 6;
// The download stopped at the limit of what one download may bring, before its final line.
inline constexpr int kIncomplete = 7;
// The controller's count reply does not carry a count (its four digits are not hexadecimal).
inline constexpr int kUnreadableReply = 8;
// The archive cannot be used (it is off, newer than this program, or failed to answer).
inline constexpr int kArchiveUnusable = 9;
// A run stopped by a signal ends with 128 + the signal's number, as a shell reports it.
inline constexpr int kSignalBase = 128;
} // namespace ExitCode
