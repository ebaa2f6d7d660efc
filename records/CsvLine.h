#pragma once

#include <QByteArrayView>
#include <QList>
#include <QStringList>

// A stored line read as comma-separated fields, the way a spreadsheet reads the saved file: a field in
// double quotes may hold commas, and "" inside quotes stands for one quote. The line end (LF, or CR LF)
// is not part of the last field.
namespace CsvLine {

QByteArrayView withoutLineEnd(QByteArrayView line);
// The fields as text, quotes removed, the bytes read as Latin-1.
QStringList fields(QByteArrayView line);
// The fields as views into the line, cheap enough for every line of a long download: surrounding quotes
// are dropped but a "" inside stays doubled, which no number or date contains.
void fieldViews(QByteArrayView line, QList<QByteArrayView>& out);
// The same, stopping after the first `most` fields.
void fieldViews(QByteArrayView line, QList<QByteArrayView>& out, int most);
int fieldCount(QByteArrayView line);

} // namespace CsvLine
