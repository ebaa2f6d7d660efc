#include "TextTable.h"

#include <QRegularExpression>
#include <QTextStream>

namespace {

void printRow(QTextStream& out, const QStringList& cells) {
    static const QRegularExpression kBreaks(QStringLiteral("[\\t\\r\\n]+"));
    for (qsizetype i = 0; i < cells.size(); ++i) {
        out << (i == 0 ? "" : "\t") << QString(cells.at(i)).replace(kBreaks, QStringLiteral(" "));
    }
    out << '\n';
}

} // namespace

void printTable(QTextStream& out, const QStringList& titles, const QList<QStringList>& rows) {
    printRow(out, titles);
    for (const QStringList& row : rows) {
        printRow(out, row);
    }
    out.flush();
}
