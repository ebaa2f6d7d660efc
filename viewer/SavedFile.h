#pragma once

#include "LineStore.h"

#include <QString>
#include <optional>

class Operator;

// A saved download (or any CSV file) read for the viewer, archived or not. A file that cannot be read is
// told as a save tells a file it cannot write (Retry where the device is unavailable); one larger than any
// controller's download is refused with its size.
namespace SavedFile {

constexpr qint64 kMaxBytes = 512LL << 20;

std::optional<LineStore> read(const QString& path, Operator& op);

} // namespace SavedFile
