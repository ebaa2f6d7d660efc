#include "CollectProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr qint64 kLineIntervalMs = 1000;
constexpr int kUsualWidth = 80;

} // namespace

CollectProgress::CollectProgress(ProgressReport::Style style, FILE* out) : m_style(style), m_out(out) {
    m_clock.start();
}

void CollectProgress::announce(const QString& text) {
    if (m_style != ProgressReport::Style::None) {
        std::fprintf(m_out, "rm7-download: %s\n", qPrintable(text));
        std::fflush(m_out);
    }
}

int CollectProgress::width() const {
    winsize size{};
    return ::ioctl(::fileno(m_out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : kUsualWidth;
}

QString CollectProgress::row(const PortProgress& port, int labelWidth) const {
    return port.port.leftJustified(labelWidth) + QStringLiteral("  ") +
           (port.downloading ? ProgressReport::barText(port.figures, port.elapsedMs) : port.status);
}

// A line wider than the terminal would wrap, and the block would no longer go back to its start.
void CollectProgress::draw(const QStringList& rows) {
    const int columns = width() - 1;
    for (const QString& text : rows) {
        std::fprintf(m_out, "\r%s\033[K\n", qPrintable(text.left(columns)));
    }
    m_drawn = rows;
    std::fflush(m_out);
}

// Back to the block's first line, and everything below it cleared.
void CollectProgress::undraw() {
    if (!m_drawn.isEmpty()) {
        std::fprintf(m_out, "\033[%dA\r\033[J", int(m_drawn.size()));
        m_drawn.clear();
    }
}

void CollectProgress::show(const QList<PortProgress>& ports) {
    if (m_style == ProgressReport::Style::Bar) {
        int labelWidth = 0;
        for (const PortProgress& port : ports) {
            labelWidth = std::max(labelWidth, int(port.port.size()));
        }
        QStringList rows;
        for (const PortProgress& port : ports) {
            rows << row(port, labelWidth);
        }
        if (rows != m_drawn) {
            // Written over in place; the block only grows or shrinks when the ports are first shown.
            if (rows.size() == m_drawn.size()) {
                std::fprintf(m_out, "\033[%dA", int(m_drawn.size()));
            } else {
                undraw();
            }
            draw(rows);
        }
        return;
    }
    if (m_style != ProgressReport::Style::Lines) {
        return;
    }
    m_lastPrintMs.resize(ports.size(), -1);
    m_lastLines.resize(ports.size(), 0);
    const qint64 now = m_clock.elapsed();
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const PortProgress& port = ports.at(i);
        // A plain report repeats nothing: a second without a new line prints nothing.
        if (port.figures.lines == 0 || port.figures.lines == m_lastLines.at(i) ||
            (port.downloading && m_lastPrintMs.at(i) >= 0 && now - m_lastPrintMs.at(i) < kLineIntervalMs)) {
            continue;
        }
        m_lastPrintMs[i] = now;
        m_lastLines[i] = port.figures.lines;
        std::fprintf(m_out, "rm7-download: %s: %s\n", qPrintable(port.name),
                     qPrintable(ProgressReport::figuresText(port.figures, port.elapsedMs)));
        std::fflush(m_out);
    }
}

void CollectProgress::say(const QString& port, const QString& text) {
    const QStringList shown = m_drawn;
    undraw();
    if (port.isEmpty()) {
        std::fprintf(m_out, "rm7-download: %s\n", qPrintable(text));
    } else {
        std::fprintf(m_out, "rm7-download: %s: %s\n", qPrintable(port), qPrintable(text));
    }
    if (!shown.isEmpty()) {
        draw(shown);
    }
    std::fflush(m_out);
}

void CollectProgress::finish(const QList<PortProgress>& ports) {
    QList<PortProgress> ended = ports;
    for (PortProgress& port : ended) {
        port.downloading = false; // the last figures print at once
    }
    show(m_style == ProgressReport::Style::Bar ? ports : ended);
}
