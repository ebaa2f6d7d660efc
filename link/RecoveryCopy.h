#pragma once

#include "CsvWriter.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QTimer>
#include <memory>

class LineStore;

// A copy of the running download's lines in the state folder ($XDG_STATE_HOME/korvane/, by default
// ~/.local/state/korvane/, made for the user alone), so that a crash, a killed process or a flat battery
// loses nothing. Lines go in whole, as they are stored, and reach the disk at least once a second and
// within a second of the end of the download. The copy is removed once the lines are saved or the
// operator gives them up. Each program keeps a copy of its own, locked while it runs, so downloads
// running side by side never write into each other's copy; a copy whose program is gone holds a
// download that was not saved. A copy that cannot be written never stops a download.
//
// When a silent controller is asked again (Retry), the copy of the attempt so far is set aside and kept
// until a later attempt holds at least as many lines or completes, so the best attempt is never lost.
class RecoveryCopy {
public:
    static constexpr int kFlushMs = 1000;

    RecoveryCopy();
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // The copy of this program's current (or last) download; empty when it keeps none.
    QString path() const { return m_path; }
    // The copy of an earlier attempt set aside, while it holds more than the current one; empty when none.
    QString setAsidePath() const { return m_setAside ? m_setAside->path : QString(); }

    // A download starts: the copy begins empty (an earlier attempt set aside stays for the next start).
    void restart();
    // The download starts over: the attempt so far is set aside when it holds more than one set aside
    // before, and a new copy begins.
    void retry();
    // Copies the lines stored since the last call.
    void catchUp(const LineStore& lines);
    // The download is over: what was copied goes to the system at once and to the disk within a second;
    // an empty copy is removed, as there is nothing to recover. A complete download needs no attempt
    // set aside.
    void finish(const LineStore& lines, bool complete);
    // The lines were saved or given up.
    void remove();

    // What an earlier run left unsaved, found without reading it whole (a copy may be huge).
    struct Found {
        QString path;
        qint64 size = 0;       // of the file
        qint64 bytes = 0;      // of the whole lines offered: those within the limit of one download
        int count = 0;         // whole lines offered
        QDateTime written;     // when it was last written
        QString controller;    // the name its header gives the controller, or ""
        int expected = 0;      // the lines its header announced, 0 when it holds no header count
        bool complete = false; // its last line is the controller's final line (and is offered)
        bool readOnly = false; // it could not be taken over (its lock could not be made): kept as it is
    };
    // The copies that no running program keeps, oldest first; a copy without a whole line is removed.
    static QList<Found> leftovers();
    // A copy's whole lines offered, no more than `limitBytes`.
    static LineStore load(const Found& found, qint64 limitBytes);
    // Removes a copy found at start-up, with its lock.
    static void discard(const Found& found);

private:
    struct Copy {
        QString path;
        std::unique_ptr<QLockFile> lock;
        CsvWriter file;
        int lines = 0; // lines of the attempt in the copy
        bool open = false;
    };
    bool begin();
    void flush();
    void fail(const QString& reason);
    static void drop(std::unique_ptr<Copy>& copy);

    QString m_path;
    std::unique_ptr<Copy> m_copy;     // this download's copy
    std::unique_ptr<Copy> m_setAside; // an earlier attempt's, kept while it holds more
    QTimer m_flushTimer;
    bool m_failed = false;   // the copy could not be kept for this download (logged once)
    bool m_finished = false; // the download is over: one last flush to the disk is due
};
