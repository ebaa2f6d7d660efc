#pragma once

#include <iterator>

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

// A run with several results (a collection from several ports) ends with the worst. From best to worst:
// done; no log entries (the controller's own state, nothing to fetch); incomplete (lines came, cut at the
// limit); silent controller; port not available (neither brought a line: a person must look at the cable
// or the controller); file error (lines came but are only in the recovery copy); archive unusable; any
// other failure; usage; stopped by a signal (nothing after the signal was done).
inline int rank(int code) {
    constexpr int kOrder[] = {
        kDone,      kNoLogs,          kIncomplete,      kControllerSilent, kPortUnavailable,
        kFileError, kUnreadableReply, kArchiveUnusable, kFailure,          kUsage};
    if (code >= kSignalBase) {
        return 100 + code;
    }
    for (int i = 0; i < int(std::size(kOrder)); ++i) {
        if (kOrder[i] == code) {
            return i;
        }
    }
    return 99; // a code of no kind above counts as a failure beyond all of them
}
inline int worse(int a, int b) {
    return rank(b) > rank(a) ? b : a;
}
} // namespace ExitCode
