#pragma once

#include <QList>
#include <QStringList>

class QTextStream;

// A table for scripts and people alike: a title line, then one line a row, the columns separated by tabs
// (cut -f picks them out). A tab or line end inside a cell becomes a space, so each row stays one line
// with its columns in place.
void printTable(QTextStream& out, const QStringList& titles, const QList<QStringList>& rows);
