#include "ChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

namespace {

constexpr qreal kZoomStep = 1.25;
constexpr int kScrollStep = 20; // pixels per arrow key

} // namespace

ChartView::ChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing);
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    chart()->zoom(std::pow(kZoomStep, steps));
    event->accept();
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        chart()->zoom(kZoomStep);
        break;
    case Qt::Key_Minus:
        chart()->zoom(1 / kZoomStep);
        break;
    case Qt::Key_Left:
        chart()->scroll(-kScrollStep, 0);
        break;
    case Qt::Key_Right:
        chart()->scroll(kScrollStep, 0);
        break;
    case Qt::Key_Up:
        chart()->scroll(0, kScrollStep);
        break;
    case Qt::Key_Down:
        chart()->scroll(0, -kScrollStep);
        break;
    case Qt::Key_Home:
    case Qt::Key_0:
        chart()->zoomReset();
        break;
    default:
        QChartView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        m_dragging = true;
        m_lastDrag = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        const QPoint at = event->position().toPoint();
        const QPoint moved = at - m_lastDrag;
        chart()->scroll(-moved.x(), moved.y());
        m_lastDrag = at;
        event->accept();
        return;
    }
    QChartView::mouseMoveEvent(event);
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::MiddleButton) {
        m_dragging = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}
