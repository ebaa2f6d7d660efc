#include "ProgressReport.h"

#include <cmath>
#include <unistd.h>

namespace {

constexpr qint64 kBarIntervalMs = 100;
constexpr qint64 kLineIntervalMs = 1000;
constexpr int kBarWidth = 24;

QString rateText(qint64 bytes, qint64 elapsedMs) {
    if (elapsedMs <= 0) {
        return QStringLiteral("- B/s");
    }
    const double perSecond = double(bytes) * 1000.0 / double(elapsedMs);
    if (perSecond >= 1024.0 * 1024.0) {
        return QStringLiteral("%1 MiB/s").arg(perSecond / (1024.0 * 1024.0), 0, 'f', 1);
    }
    if (perSecond >= 1024.0) {
        return QStringLiteral("%1 KiB/s").arg(perSecond / 1024.0, 0, 'f', 1);
    }
    return QStringLiteral("%1 B/s").arg(qint64(perSecond));
}

// Seconds still to go at the pace so far, or -1 while there is nothing to go by.
qint64 secondsLeft(const ProgressFigures& figures, qint64 elapsedMs) {
    if (figures.expected <= 0 || figures.lines <= 0 || figures.lines >= figures.expected) {
        return figures.expected > 0 && figures.lines >= figures.expected ? 0 : -1;
    }
    const double msPerLine = double(elapsedMs) / double(figures.lines);
    return std::llround(msPerLine * double(figures.expected - figures.lines) / 1000.0);
}

QString clockText(qint64 seconds) {
    if (seconds < 0) {
        return QStringLiteral("--:--");
    }
    const qint64 hours = seconds / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2")
                                       .arg((seconds / 60) % 60, hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
                                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutesSeconds) : minutesSeconds;
}

QString expectedText(int expected) {
    return expected > 0 ? QString::number(expected) : QStringLiteral("?");
}

} // namespace

ProgressReport::Style ProgressReport::styleFor(bool quiet) {
    if (quiet) {
        return Style::None;
    }
    return ::isatty(STDERR_FILENO) == 1 ? Style::Bar : Style::Lines;
}

ProgressReport::ProgressReport(Style style, FILE* out) : m_style(style), m_out(out) {
    m_clock.start();
}

QString ProgressReport::barText(const ProgressFigures& figures, qint64 elapsedMs) {
    int filled = 0;
    if (figures.expected > 0) {
        filled = int(qint64(kBarWidth) * qMin(figures.lines, figures.expected) / figures.expected);
    }
    const QString bar = QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('.'));
    return QStringLiteral("%1/%2 lines [%3] %4, %5 left")
        .arg(figures.lines)
        .arg(expectedText(figures.expected), bar, rateText(figures.bytes, elapsedMs),
             clockText(secondsLeft(figures, elapsedMs)));
}

QString ProgressReport::lineText(const ProgressFigures& figures, qint64 elapsedMs) {
    return QStringLiteral("rm7-download: ") + figuresText(figures, elapsedMs);
}

QString ProgressReport::figuresText(const ProgressFigures& figures, qint64 elapsedMs) {
    return QStringLiteral("%1 of %2 lines, %3, %4 left")
        .arg(figures.lines)
        .arg(expectedText(figures.expected), rateText(figures.bytes, elapsedMs),
             clockText(secondsLeft(figures, elapsedMs)));
}

void ProgressReport::announce(const QString& text) {
    if (m_style != Style::None) {
        std::fprintf(m_out, "rm7-download: %s\n", qPrintable(text));
        std::fflush(m_out);
    }
}

void ProgressReport::update(const ProgressFigures& figures) {
    if (m_style == Style::None) {
        return;
    }
    const qint64 now = m_clock.elapsed();
    const qint64 interval = m_style == Style::Bar ? kBarIntervalMs : kLineIntervalMs;
    if (m_lastPrintMs >= 0 && now - m_lastPrintMs < interval) {
        return;
    }
    // A plain report repeats nothing: a second without a new line prints nothing.
    if (m_style == Style::Lines && figures.lines == m_lastLines) {
        return;
    }
    print(figures);
}

void ProgressReport::finish(const ProgressFigures& figures) {
    if (m_style == Style::None) {
        return;
    }
    // A run that never got a line (the port did not open, say) reports nothing.
    const bool nothingYet = m_lastLines < 0 && figures.lines == 0;
    if (figures.lines != m_lastLines && !nothingYet) {
        print(figures);
    }
    if (m_barShown) {
        std::fputc('\n', m_out);
        std::fflush(m_out);
        m_barShown = false;
    }
}

void ProgressReport::print(const ProgressFigures& figures) {
    const qint64 now = m_clock.elapsed();
    m_lastPrintMs = now;
    m_lastLines = figures.lines;
    if (m_style == Style::Bar) {
        // Back to the start of the line, the report, then clear what a longer report left behind.
        std::fprintf(m_out, "\r%s\033[K", qPrintable(barText(figures, now)));
        m_barShown = true;
    } else {
        std::fprintf(m_out, "%s\n", qPrintable(lineText(figures, now)));
    }
    std::fflush(m_out);
}
