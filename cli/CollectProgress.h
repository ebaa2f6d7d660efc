#pragma once

#include "ProgressReport.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>

// One port's line in a collection's progress.
struct PortProgress {
    QString port; // "COM 3 (/dev/ttyUSB0)", as the terminal's block shows it
    QString name; // "COM 3", as plain lines begin
    bool downloading = false;
    ProgressFigures figures;
    qint64 elapsedMs = 0; // of the port's current try
    QString status;       // what the port is at while it does not download
};

// A collection's progress on standard error. On a terminal: one line per port, the whole block redrawn in
// place, a message printed above it. Elsewhere (the journal, a log file, cron's mail): a plain line per
// port, "rm7-download: COM 3: 40 of 108 lines, ...", at most once a second for each and only when it
// brought lines. Quiet: no progress. Messages are printed in every style.
class CollectProgress {
public:
    explicit CollectProgress(ProgressReport::Style style, FILE* out = stderr);

    void announce(const QString& text);
    // Called often (every tick of the collection); prints only when its style says it is time.
    void show(const QList<PortProgress>& ports);
    // A message about one port: "rm7-download: COM 3: <text>" (without a port: about the collection).
    void say(const QString& port, const QString& text);
    // The last figures, once.
    void finish(const QList<PortProgress>& ports);

private:
    QString row(const PortProgress& port, int labelWidth) const;
    void draw(const QStringList& rows);
    void undraw();
    int width() const;

    ProgressReport::Style m_style;
    FILE* m_out;
    QElapsedTimer m_clock;
    QStringList m_drawn;         // the block on screen (terminal)
    QList<qint64> m_lastPrintMs; // plain lines, per port
    QList<int> m_lastLines;
};
