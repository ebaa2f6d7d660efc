#pragma once

#include "OutputFile.h"

#include <QString>

class Operator;

// The file an export from the archive goes to, written as a save is written: opened as soon as the
// operator names it, so a name that cannot be used is told at once in a save's words (Retry included);
// written when the archive's bytes come, under a temporary name beside it, brought to the disk and put in
// its place in one step, so a failed export never leaves part of a file. Dropped before it is written, it
// leaves nothing behind.
class ExportFile {
public:
    explicit ExportFile(Operator& op) : m_op(op), m_file(op) {}

    // False: the reason has been shown.
    bool open(const QString& name);
    // Writes the bytes exactly as they are and closes the file. False: the reason has been shown.
    bool write(const QByteArray& bytes);
    const QString& name() const { return m_name; }

private:
    Operator& m_op;
    OutputFile m_file;
    QString m_name;
};
