#pragma once

#include <QByteArrayView>
#include <QString>

// What came of writing lines to a file: nothing went wrong, or the system's error and the step it came at.
struct WriteResult {
    enum class Step { None, Open, Write, Finish };
    int systemError = 0; // errno; 0 when the lines are in the file and on the disk
    Step step = Step::None;

    bool ok() const { return systemError == 0; }
};

// Writes a download's lines to a file and asks nothing; the callers decide what to tell. Each write
// hands whole lines to the system and, when it fails, cuts the file back to the lines before, so a file
// never ends in part of a line. The lines count as written only once finish() has them on the disk and
// the file closed without error.
//
// In place (the window's Save, as the program always wrote): the file is created or emptied and written.
// Replacing (the command line): a regular file (or a name not yet taken) is written under a temporary
// name beside it and renamed over the target in one step, so a failed run never leaves part of a file;
// a target that is not a regular file (a terminal, a device, a FIFO, standard output) is written in place
// and never replaced; a folder is refused (EISDIR).
// Beside others (a collection's files): written under a temporary name in the target's folder like a
// replacing write, but finish() never replaces a file. The system decides in one step whether the name is
// free (a rename that refuses to replace, or a hard link where the file system lacks it); when a file has
// it, NAME-2.ext, NAME-3.ext, ... are tried the same way, and placedPath() says which name was taken.
class CsvWriter {
public:
    enum class Placement { InPlace, Replace, NoReplace };
    // Numbered names tried before NoReplace gives up with EEXIST.
    static constexpr int kMostNumbered = 999;
    // Who may read the file: like any file the user makes (the umask decides), or the user alone (0600
    // whatever the umask: a recovery copy holds the controller's data).
    enum class Access { Usual, Private };

    CsvWriter() = default;
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    WriteResult open(const QString& path, Placement placement, Access access = Access::Usual);
    // How long a reader (a FIFO, a device) may take nothing before a write gives up with ETIMEDOUT; while it
    // waits, the event loop gets its turns (without user input), so a window keeps painting. 0, as the
    // command line has it: a write waits as long as the reader does. Set before open().
    void setPatience(int ms) { m_patienceMs = ms; }
    // Writes to a descriptor the program already has (standard output), which it keeps open.
    void openDescriptor(int fd);
    WriteResult write(QByteArrayView wholeLines);
    WriteResult finish();
    // What was written so far reaches the disk (a regular file), the file staying open.
    WriteResult sync();
    // Gives up: a temporary file goes, a file written in place keeps its whole lines.
    void abandon();
    bool isOpen() const { return m_fd >= 0; }
    // A regular file (on a disk); else a terminal, a pipe or a device, which take the bytes as they come.
    bool regularFile() const { return m_regular; }
    // Where finish() put the file: the target, or for NoReplace the numbered name it took.
    QString placedPath() const { return m_target; }

private:
    int closeFile();
    int placeWithoutReplacing();

    int m_fd = -1;
    bool m_ownsFd = true;
    bool m_regular = false; // a regular file, which fsync brings to the disk
    qint64 m_written = 0;   // bytes of the whole lines in the file
    int m_patienceMs = 0;
    QString m_target;
    QString m_temporary;       // the name written under until finish() renames it over m_target
    bool m_keepOthers = false; // NoReplace: finish() takes a free name, never an existing file's
};

// The system's words for an error number, e.g. "No space left on device".
QString systemErrorText(int systemError);
