#include "ProgressView.h"

#include <QPaintEvent>
#include <QPainter>

ProgressView::ProgressView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressView::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(std::clamp(m_value, m_minimum, m_maximum));
    update();
}

void ProgressView::setValue(int value) {
    value = std::clamp(value, m_minimum, m_maximum);
    if (value != m_value) {
        // Only the blocks between the old and the new end change; the frame stays as it is.
        const int from = filledWidth();
        m_value = value;
        const int to = filledWidth();
        const QRect area = blockArea();
        update(QRect(area.left() + std::min(from, to) - blockWidth(), area.top(),
                     std::abs(to - from) + 2 * blockWidth() + 2, area.height()) &
               contentsRect());
    }
}

void ProgressView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    painter.end();
    if (!contentsRect().contains(event->rect())) {
        QFrame::paintEvent(event);
    }
    painter.begin(this);
    const QRect area = blockArea();
    const int filled = filledWidth();
    const int block = blockWidth();
    const QColor colour = palette().color(QPalette::Active, QPalette::Highlight);
    const int firstShown = std::max(0, (event->rect().left() - area.left()) / (block + 2) * (block + 2));
    const int lastShown = event->rect().right() - area.left();
    for (int x = firstShown; x < filled && x <= lastShown; x += block + 2) {
        painter.fillRect(QRect(area.left() + x, area.top(), std::min(block, filled - x), area.height()),
                         colour);
    }
}

QRect ProgressView::blockArea() const {
    return contentsRect().adjusted(2, 2, -2, -2);
}

int ProgressView::blockWidth() const {
    return std::max(4, blockArea().height() * 2 / 3);
}

int ProgressView::filledWidth() const {
    const int span = m_maximum - m_minimum;
    if (span <= 0 || m_value <= m_minimum) {
        return 0;
    }
    return int(qint64(blockArea().width()) * (m_value - m_minimum) / span);
}
