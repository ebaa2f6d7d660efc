#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

// Where a download stands, as the progress report shows it.
struct ProgressFigures {
    int lines = 0;    // lines received so far
    int expected = 0; // lines the header announced, 0 while unknown
    qint64 bytes = 0; // bytes of those lines
};

// The download's progress on standard error. On a terminal it is one line redrawn in place: lines
// received of those expected, a bar, bytes per second and the time left. Anywhere else (a log file, a
// pipe, cron's mail) it is a plain line once a second, so the output stays readable.
class ProgressReport {
public:
    enum class Style { None, Bar, Lines };

    // The style for standard error as it is now; None when quiet.
    static Style styleFor(bool quiet);

    explicit ProgressReport(Style style, FILE* out = stderr);
    // The run's first line: which port it uses, e.g. "COM 4 (/dev/ttyUSB0)".
    void announce(const QString& text);
    // Called often (every tick of the run); prints only when its style says it is time.
    void update(const ProgressFigures& figures);
    // The last figures, once, and the end of the bar's line.
    void finish(const ProgressFigures& figures);

    // The text of a report, without line end or redraw codes; the time in milliseconds since the start.
    static QString barText(const ProgressFigures& figures, qint64 elapsedMs);
    static QString lineText(const ProgressFigures& figures, qint64 elapsedMs);
    // The figures of a plain line: "40 of 108 lines, 1.2 KiB/s, 0:12 left".
    static QString figuresText(const ProgressFigures& figures, qint64 elapsedMs);

private:
    void print(const ProgressFigures& figures);

    Style m_style;
    FILE* m_out;
    QElapsedTimer m_clock;
    qint64 m_lastPrintMs = -1;
    int m_lastLines = -1;
    bool m_barShown = false;
};
