#pragma once

#include "CsvWriter.h"

#include <QByteArray>
#include <QString>

class LineStore;
class Operator;

// The one output file of the window's save, and the file errors it reports to the operator: the name
// checked, the file opened (Retry while the device is unavailable), the lines written in large pieces
// of whole lines, a failing piece written again line by line so the failure is told at the line that
// caused it (Retry writes that line again), and the file brought to the disk and closed.
class OutputFile {
public:
    // Large enough that a million lines take a few dozen writes, small enough that the window gets a
    // turn every few milliseconds.
    static constexpr qsizetype kPieceBytes = 1 << 20;

    // A reader (a FIFO, a device) that takes nothing for this long fails the save as an unavailable device.
    static constexpr int kPatienceMs = 5000;

    explicit OutputFile(Operator& op) : m_op(op) { m_writer.setPatience(kPatienceMs); }

    // Creates the file, or empties an existing one (Replace: writes beside it and puts it in its place
    // at close(), as an export does). False: the reason has been shown to the operator.
    bool OpenOutputFile(const QString& name, CsvWriter::Placement placement = CsvWriter::Placement::InPlace);
    // Writes CsvLine exactly as it is. False: the reason has been shown.
    bool WriteLogLine();
    // Writes lines 1 to lines.count() in pieces of about pieceBytes, giving the event loop a turn between
    // pieces (without user input), so the window keeps painting and the port keeps being read.
    bool writeLines(const LineStore& lines, qsizetype pieceBytes = kPieceBytes);
    // Brings the file to the disk and closes it. Empty when done, else the reason it failed (not yet shown).
    QString close();

    QByteArray CsvLine;

private:
    CsvWriter m_writer;
    Operator& m_op;
};
