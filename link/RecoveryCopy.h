#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QTimer>
#include <memory>

class LineStore;

// A copy of the running download's lines in the state folder ($XDG_STATE_HOME/korvane/, by default
// ~/.local/state/korvane/), so that a crash, a killed process or a flat battery loses nothing. Lines go in
// whole, as they are stored, and reach the disk at least once a second and within a second of the end of
// the download. The copy is removed once the lines are saved or the operator gives them up. Each program
// keeps a copy of its own, locked while it runs, so downloads running side by side (a script fetching
// from several controllers) never write into each other's copy; a copy whose program is gone holds a
// download that was not saved. A copy that cannot be written never stops a download.
class RecoveryCopy {
public:
    static constexpr int kFlushMs = 1000;

    RecoveryCopy();

    // The copy of this program's current (or last) download; empty when it keeps none.
    QString path() const { return m_file.fileName(); }

    // A download starts, or starts over: the copy begins empty.
    void restart();
    // Copies the lines stored since the last call.
    void catchUp(const LineStore& lines);
    // The download is over: what was copied goes to the system at once and to the disk within a second;
    // an empty copy is removed, as there is nothing to recover.
    void finish(const LineStore& lines);
    // The lines were saved or given up.
    void remove();

    // What an earlier run left unsaved: its whole lines, byte for byte, and when they were written.
    struct Found {
        QString path;
        QByteArray lines;
        int count = 0;
        QDateTime written;
    };
    // The copies that no running program keeps, oldest first; a copy without a whole line is removed.
    static QList<Found> leftovers();
    // Removes a copy found at start-up.
    static void discard(const QString& path);

private:
    void flush();
    void fail(const QString& reason);

    QFile m_file;
    std::unique_ptr<QLockFile> m_lock; // held while this program keeps the copy
    QTimer m_flushTimer;
    int m_copied = 0;        // lines of the store in the copy
    bool m_failed = false;   // the copy could not be kept for this download (logged once)
    bool m_finished = false; // the download is over: one last flush to the disk is due
};
