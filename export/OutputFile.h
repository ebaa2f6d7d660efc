#pragma once

#include <QByteArray>
#include <QString>

class Operator;

// The one output file of a save. Each line is handed to the system as it is written, so a failure is
// noticed at the line that caused it and the lines before it are in the file.
class OutputFile {
public:
    explicit OutputFile(Operator& op) : m_op(op) {}
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, or empties an existing one. Returns 1 when it is open, 0 when not (the reason
    // has been shown to the operator).
    int OpenOutputFile(const QString& name);
    // Writes CsvLine exactly as it is. Returns 1 when written, 0 when not.
    int WriteLogLine();
    void close();

    QByteArray CsvLine;

private:
    int m_fd = -1;
    qint64 m_written = 0; // bytes of the whole lines written so far
    Operator& m_op;
};
