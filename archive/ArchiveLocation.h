#pragma once

#include <QString>

// Where the archive file lives on this PC, and making its folder and file private: the folder 0700 and
// the file 0600 whatever the umask, since the logs are the operator's own.
namespace ArchiveLocation {

// $XDG_DATA_HOME/korvane/, or ~/.local/share/korvane/ when XDG_DATA_HOME is unset, empty or relative (the
// base-directory rules ignore a relative path); it ends in a separator.
QString dataFolder();
// The archive file: dataFolder() + "archive.sqlite".
QString localFile();

// Makes the folder and any missing parents, each new one 0700; the system's reason on failure, else "".
QString makePrivateFolder(const QString& folder);
// Creates the file empty and 0600 when it is not there; the system's reason on failure, else "".
QString makePrivateFile(const QString& path);

} // namespace ArchiveLocation
