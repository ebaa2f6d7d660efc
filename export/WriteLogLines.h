#pragma once

#include "LineBytes.h"
#include "OutputFile.h"

// Large enough that a million lines take a few dozen writes, small enough that the window gets a turn
// every few milliseconds.
constexpr qsizetype kWriteChunkBytes = 1 << 20;

// Writes the lines to the file in pieces of whole lines of about chunkBytes each, giving the event loop a
// turn between pieces (without user input), so the window keeps painting and the port keeps being read
// while a long download is saved. A piece that fails is written again line by line, so the failure is
// reported at the line that caused it, exactly as when every line is written on its own, and the file
// keeps only whole lines.
FileStep WriteLogLines(OutputFile& file, const LineBytes& lines, qsizetype chunkBytes = kWriteChunkBytes);
