#pragma once

class LineStore;
class Operator;
struct Settings;

enum class SaveResult { Saved, Cancelled, Failed };

// Asks for a file in the Save dialog (opening in the remembered folder, which it then remembers anew)
// and writes the store's lines to it byte for byte: the lines stored when writing starts, so lines that
// arrived while the dialog was open are written too, and lines arriving meanwhile are left for later.
// Saved only when every line is in the file and the file reached the disk; failures are shown here.
SaveResult SaveLogs(const LineStore& lines, Settings& settings, Operator& op);
