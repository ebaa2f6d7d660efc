#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reading a saved download from a file to import it. The start of the file is read first, so a file that
// is not a download is refused however large it is; a download is read whole only up to a size no
// controller's log reaches.
namespace ImportFile {

struct Read {
    QByteArray bytes;
    QString refusal; // why the file is not a download (or too large to be one)
    QString error;   // why it could not be read, in the system's words
};

Read read(const QString& path);
// The files to import for what the operator named: a file as it is, a folder's files (not its
// subfolders) in name order.
QStringList expand(const QStringList& paths);

} // namespace ImportFile
