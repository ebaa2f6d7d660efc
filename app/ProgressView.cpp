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
        m_value = value;
        update(contentsRect()); // the frame stays as it is
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
    const QRect area = contentsRect().adjusted(2, 2, -2, -2);
    const int span = m_maximum - m_minimum;
    if (span <= 0 || m_value <= m_minimum) {
        return;
    }
    const int filled = int(qint64(area.width()) * (m_value - m_minimum) / span);
    const int block = std::max(4, area.height() * 2 / 3);
    const QColor colour = palette().color(QPalette::Active, QPalette::Highlight);
    for (int x = 0; x < filled; x += block + 2) {
        painter.fillRect(QRect(area.left() + x, area.top(), std::min(block, filled - x), area.height()),
                         colour);
    }
}
