#pragma once

#include "CsvWriter.h"
#include "SaveLogs.h"

class LineStore;
class Operator;
class RecoveryCopy;
struct Settings;

// What counts as saved, in one place. A download's lines count as saved once every one of them is in a
// file that closed without error and reached the disk; only then does the recovery copy go. Lines not
// saved are offered before they are thrown away ("Save Downloaded Logs?"), and lines an earlier run left
// in its recovery copy are offered at the next start.
class KeepDownload {
public:
    KeepDownload(const LineStore& lines, RecoveryCopy& recovery, Settings& settings, Operator& op);

    // 1 once the lines of the current download are in a file; 0 otherwise.
    int LogsSaved() const { return m_logsSaved; }
    // Lines are stored that no file holds.
    bool unsaved() const;
    // A new download's lines take the place of the old ones: none of them is saved yet.
    void restart() { m_logsSaved = 0; }

    // The window's Save: the Save dialog, then the lines written where the operator chose.
    SaveResult SaveLogs();
    // The command line's save: the stored lines after the first `written` (which the caller already wrote,
    // as a pipe takes them while they come) into a file the caller opened (before the download, so a name
    // that cannot be used is known before the controller is asked anything), then the file finished.
    WriteResult saveInto(CsvWriter& file, int written = 0);
    // "Save Downloaded Logs?": Yes saves (and asks again after a failed save, so another place can be
    // chosen); No gives the lines up and their recovery copy with them; Cancel in the Save dialog keeps
    // the copy for the next start. The caller then treats the lines as gone.
    void PromptSaveLogs();
    // At start-up: every copy earlier runs left unsaved, in one dialog: each saved, discarded or kept for
    // the next start. A copy whose save failed is offered again.
    void offerLeftovers();

private:
    void saved();

    const LineStore& m_lines;
    RecoveryCopy& m_recovery;
    Settings& m_settings;
    Operator& m_op;
    int m_logsSaved = 0;
};
