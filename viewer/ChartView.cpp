#include "ChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>
#include <cmath>

namespace {

constexpr int kScrollStep = 20;    // pixels per Up or Down
constexpr double kMoveShare = 0.1; // of the time in view, per Left or Right
constexpr int kWheelNotch = 120;

} // namespace

ChartView::ChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setRubberBand(QChartView::HorizontalRubberBand);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing);
}

QValueAxis* ChartView::timeAxis() const {
    return qobject_cast<QValueAxis*>(chart()->axes(Qt::Horizontal).value(0));
}

void ChartView::zoomTime(double factor, double at) {
    QValueAxis* axis = timeAxis();
    if (axis == nullptr || factor <= 0) {
        return;
    }
    const double anchor = axis->min() + (axis->max() - axis->min()) * at;
    axis->setRange(anchor - (anchor - axis->min()) / factor, anchor + (axis->max() - anchor) / factor);
}

void ChartView::zoomBoth(double factor) {
    chart()->zoom(factor);
    emit valuesTaken();
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / kWheelNotch;
    if (steps == 0) {
        event->ignore();
        return;
    }
    const double factor = std::pow(kZoomStep, steps);
    if (event->modifiers() & Qt::ControlModifier) {
        zoomBoth(factor);
    } else {
        const QRectF plot = chart()->plotArea();
        const double at = plot.width() > 0 ? (event->position().x() - plot.left()) / plot.width() : 0.5;
        zoomTime(factor, std::clamp(at, 0.0, 1.0));
    }
    event->accept();
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    const bool both = event->modifiers() & Qt::ControlModifier;
    QValueAxis* axis = timeAxis();
    const double width = axis != nullptr ? axis->max() - axis->min() : 0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        both ? zoomBoth(kZoomStep) : zoomTime(kZoomStep);
        break;
    case Qt::Key_Minus:
        both ? zoomBoth(1 / kZoomStep) : zoomTime(1 / kZoomStep);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (axis != nullptr) {
            const double by = width * kMoveShare * (event->key() == Qt::Key_Left ? -1 : 1);
            axis->setRange(axis->min() + by, axis->max() + by);
        }
        break;
    case Qt::Key_Up:
        chart()->scroll(0, kScrollStep);
        emit valuesTaken();
        break;
    case Qt::Key_Down:
        chart()->scroll(0, -kScrollStep);
        emit valuesTaken();
        break;
    case Qt::Key_Home:
    case Qt::Key_0:
        emit homePressed();
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
    if (event->button() == Qt::LeftButton) {
        m_rectangle = event->modifiers() & Qt::ControlModifier;
        setRubberBand(m_rectangle ? QChartView::RectangleRubberBand : QChartView::HorizontalRubberBand);
    }
    QChartView::mousePressEvent(event);
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        const QPoint at = event->position().toPoint();
        const QPoint moved = at - m_lastDrag;
        chart()->scroll(-moved.x(), 0);
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
    if (event->button() == Qt::RightButton) {
        // The right button zooms out, along time only, as the wheel does.
        zoomTime(1 / (kZoomStep * kZoomStep));
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_rectangle) {
        m_rectangle = false;
        emit valuesTaken();
    }
}
