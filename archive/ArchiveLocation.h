#pragma once

#include <QString>

// Where the archive file lives on this PC (its folder and file are made private: see BaseFolders).
namespace ArchiveLocation {

// $XDG_DATA_HOME/korvane/, or ~/.local/share/korvane/ when XDG_DATA_HOME is unset, empty or relative (the
// base-directory rules ignore a relative path); it ends in a separator.
QString dataFolder();
// The archive file: dataFolder() + "archive.sqlite".
QString localFile();

} // namespace ArchiveLocation
