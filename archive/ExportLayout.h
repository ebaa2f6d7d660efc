#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The bytes of an export, every line ending in CR LF.
namespace ExportLayout {

// The controller's own layout, so that tools that read downloads read it: the header lines of `head`
// (a download's lines up to its "Date," line, as received) with the count line carrying `count`, the
// "Date," line, the records (joined, each with its CR LF) and "END OF DOWNLOAD".
QByteArray controllerLayout(QByteArrayView head, QByteArrayView records, qint64 count);
// Column titles and records only, for spreadsheets.
QByteArray plainTable(QByteArrayView titles, QByteArrayView records);
// The count line (without its line end) with `count` where its number stood: the same 12-character
// label, the same blanks, a zero-padded number kept as wide.
QByteArray countLine(QByteArrayView line, qint64 count);

} // namespace ExportLayout
