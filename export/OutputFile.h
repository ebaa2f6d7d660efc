#pragma once

#include "SystemFile.h"

#include <QByteArray>
#include <QString>

class Operator;

// What a step of writing the output file came to.
enum class FileStep { Failed = 0, Done = 1 };

// The one output file of a save. Each line is handed to the system as it is written, so a failure is
// noticed at the line that caused it and the lines before it are in the file.
class OutputFile {
public:
    explicit OutputFile(Operator& op) : m_op(op) {}

    // Creates the file, or empties an existing one. Failed: the reason has been shown to the operator.
    FileStep OpenOutputFile(const QString& name);
    // Writes CsvLine exactly as it is.
    FileStep WriteLogLine();
    // Writes whole lines at once without telling the operator anything: 0 when written, else the system's
    // error, the file then cut back to the lines written before.
    int writeWhole(QByteArrayView bytes);
    void close() { m_file.close(); }

    QByteArray CsvLine;

private:
    SystemFile m_file;
    qint64 m_written = 0; // bytes of the whole lines written so far
    Operator& m_op;
};
