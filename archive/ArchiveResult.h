#pragma once

#include <QString>
#include <utility>

// An answer from the archive: a value, or the reason it could not be given, in the words of the system
// or the database driver. Nothing the archive does throws.
template <typename T> struct ArchiveResult {
    T value{};
    QString error;

    bool ok() const { return error.isEmpty(); }
    static ArchiveResult failure(QString reason) { return {T{}, std::move(reason)}; }
};

// What became of a download handed to the archive.
enum class AddOutcome {
    Added,        // stored, with whatever records were new
    AlreadyThere, // the same bytes from the same controller were archived before: nothing added
    Queued,       // the archive could not take it now; it waits and is delivered later
    Refused,      // not a download (no "Date," line after header lines); reason says why
    Failed,       // not archived, not kept (archiving is off, or the download could not be kept)
};

struct AddResult {
    AddOutcome outcome = AddOutcome::Failed;
    QString reason;          // why it was queued, refused or failed
    QString path;            // the imported file, for imports
    qint64 controllerId = 0; // the controller it belongs to, when added or already there
    qint64 downloadId = 0;   // its row, when added or already there
    qint64 recordsAdded = 0; // records new to the controller's history
};
