#pragma once

#include <QString>

// File names made from what a controller sent, safe for the file system: no folder separator, NUL or
// control character, nothing a Windows share or a FAT stick refuses (\ : * ? " < > |), no leading dot
// (a hidden file) or dash (read as an option by other programs), no blanks at either end, and at most
// kMaxNameBytes bytes as the system encodes it, shortened at a character and keeping its extension.
namespace SafeFileName {

// The longest name a Linux file system takes (NAME_MAX).
inline constexpr int kMaxNameBytes = 255;

// `raw` made safe; "download" stands for a name that is nothing but its extension.
QString of(const QString& raw);

// The name numbered n (n >= 2): "log.csv" becomes "log-2.csv", shortened before its extension when the
// number would take it past kMaxNameBytes.
QString numbered(const QString& name, int n);

} // namespace SafeFileName
