#pragma once

#include <QByteArrayView>

// What travels on the cable between the program and the controller. The simulator keeps its own copies
// of these on purpose: it is the other side of the wire.
namespace ControllerWire {

// 9600 baud, no parity, 8 data bits, 1 stop bit.
inline constexpr char kLineSettings[] = "9600,n,8,1";

// The commands go out as they are: no line end, nothing appended.
inline constexpr QByteArrayView kDownloadCommand = "*LOAD#";
inline constexpr QByteArrayView kLogCountCommand = "*01a02#";

// The download reply: lines ending in LF (CR LF from the controller), the column titles beginning
// "Date,", the final line beginning "END OF DOWNLOAD"; or "No log entries!" instead of any line.
inline constexpr QByteArrayView kNoLogs = "No log entries!";
inline constexpr QByteArrayView kEndOfDownload = "END OF DOWNLOAD";
inline constexpr QByteArrayView kColumnTitles = "Date,";
// The four lines before the column titles are the header shown in the panels, so the titles count as
// the header's end from line 5 on.
inline constexpr int kFirstTitlesLine = 5;
// The second header line before the titles holds the record count after a label this long.
inline constexpr int kCountLabelLength = 12;

// The log-count reply is complete at its 13th character; characters 9 to 12 (counting from 1) are the
// count in upper-case hex, high byte first.
inline constexpr qsizetype kLogCountReplyLength = 13;
inline constexpr qsizetype kLogCountDigitsAt = 8;
inline constexpr qsizetype kLogCountDigits = 4;

} // namespace ControllerWire
