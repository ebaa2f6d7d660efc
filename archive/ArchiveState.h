#pragma once

#include <QString>

// Where the archive stands, for the front end to show.
struct ArchiveState {
    enum class Mode {
        Closed,  // not opened yet
        Ready,   // downloads are archived
        Waiting, // the team archive cannot be reached: downloads wait on this PC and go there later
        Off,     // nothing is archived in this run (reason says why); downloads and saves carry on
    };
    Mode mode = Mode::Closed;
    QString where;  // the archive file or the team archive, as the operator reads it
    QString reason; // why it is waiting or off
    int queued = 0; // downloads waiting to be archived
};
