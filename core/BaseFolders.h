#pragma once

#include <QString>

// The base folders of the freedesktop.org rules, each an absolute path without a final separator:
// $XDG_CONFIG_HOME (~/.config), $XDG_STATE_HOME (~/.local/state), $XDG_DATA_HOME (~/.local/share). A
// variable that holds a relative path is ignored, as the rules say (it would depend on the folder the
// program was started in); that is logged once.
namespace BaseFolders {

QString configHome();
QString stateHome();
QString dataHome();

// Makes the folder and any missing parents, each new one 0700 whatever the umask (the logs are the
// operator's own); the system's reason on failure, else "".
QString makePrivateFolder(const QString& folder);
// Creates the file empty and 0600 when it is not there; the system's reason on failure, else "".
QString makePrivateFile(const QString& path);

} // namespace BaseFolders
