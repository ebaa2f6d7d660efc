#include "LogView.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int kMargin = 4;

// How many lines `before` moved up to give `after`, or -1 when it is not such a move.
qsizetype shiftBetween(const QList<QString>& before, const QList<QString>& after) {
    for (qsizetype shift = 0; shift < before.size(); ++shift) {
        const qsizetype kept = before.size() - shift;
        if (after.size() >= kept && std::equal(before.cbegin() + shift, before.cend(), after.cbegin())) {
            return shift;
        }
    }
    return -1;
}

} // namespace

LogView::LogView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAttribute(Qt::WA_OpaquePaintEvent); // it paints every pixel itself: nothing behind it is redrawn
}

void LogView::setPlainText(const QString& text) {
    if (text == m_text && !m_laidOut.isEmpty()) {
        return;
    }
    m_text = text;
    m_lines = text.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.constLast().isEmpty()) {
        m_lines.removeLast();
    }
    // Lines that scrolled out are forgotten now and then, not with every change.
    if (m_laidOut.size() > 2 * m_lines.size() + 16) {
        QHash<QString, QStaticText> laidOut;
        for (const QString& line : std::as_const(m_lines)) {
            const auto kept = m_laidOut.constFind(line);
            if (kept != m_laidOut.cend()) {
                laidOut.insert(line, *kept);
            }
        }
        m_laidOut.swap(laidOut);
    }
    for (const QString& line : std::as_const(m_lines)) {
        if (!m_laidOut.contains(line)) {
            QStaticText staticText(line);
            staticText.setTextFormat(Qt::PlainText);
            m_laidOut.insert(line, staticText);
        }
    }
    catchUp();
}

QRect LogView::textArea() const {
    return contentsRect().adjusted(kMargin, kMargin / 2, -1, -1);
}

QRect LogView::rows(qsizetype first, qsizetype last) const {
    const QRect area = textArea();
    const int step = fontMetrics().lineSpacing();
    return QRect(area.left(), area.top() + int(first) * step, area.width(), int(last - first) * step) & area;
}

void LogView::catchUp() {
    const qsizetype shift = shiftBetween(m_painted, m_lines);
    if (shift < 0) {
        update();
    } else {
        const qsizetype kept = m_painted.size() - shift;
        if (shift > 0) {
            scroll(0, -int(shift) * fontMetrics().lineSpacing(), textArea());
        }
        update(rows(kept, m_lines.size()));
    }
    m_painted = m_lines;
}

void LogView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    painter.end();
    if (!contentsRect().contains(event->rect())) {
        QFrame::paintEvent(event); // the frame, unless only lines inside it are new
    }

    painter.begin(this);
    const QRect area = textArea();
    painter.setClipRect(area & event->rect());
    painter.setPen(palette().color(QPalette::Text));
    const int step = fontMetrics().lineSpacing();
    const qsizetype first = std::max(0, (event->rect().top() - area.top()) / step);
    const qsizetype last =
        std::min<qsizetype>(m_painted.size() - 1, (event->rect().bottom() - area.top()) / step);
    for (qsizetype row = first; row <= last; ++row) {
        const auto laid = m_laidOut.find(m_painted.at(row));
        if (laid != m_laidOut.end()) {
            painter.drawStaticText(area.left(), area.top() + int(row) * step, *laid);
        }
    }
}

void LogView::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_laidOut.clear();
        m_painted.clear();
        setPlainText(m_text); // lay the lines out again in the new font
    }
}
