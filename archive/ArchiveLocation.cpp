#include "ArchiveLocation.h"

#include "BaseFolders.h"

namespace ArchiveLocation {

QString dataFolder() {
    return BaseFolders::dataHome() + QStringLiteral("/korvane/");
}

QString localFile() {
    return dataFolder() + QStringLiteral("archive.sqlite");
}

} // namespace ArchiveLocation
