#pragma once

#include <QChartView>
#include <QPoint>

// A chart that the mouse and the keyboard zoom and move: drag a rectangle to zoom into it, the wheel
// zooms about the middle, the middle button drags the plot; + and - zoom, the arrow keys move, Home (or 0)
// shows everything again.
class ChartView : public QChartView {
    Q_OBJECT

public:
    explicit ChartView(QChart* chart, QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
    QPoint m_lastDrag;
};
