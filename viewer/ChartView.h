#pragma once

#include <QChartView>
#include <QPoint>

class QValueAxis;

// A chart that the mouse and the keyboard zoom and move along its time (x) axis, the value axes following
// what is in view: drag a range to zoom into it, the wheel zooms about the pointer, the middle button drags
// the plot; + and - zoom, Left and Right move, Home (or 0) shows everything again. With Ctrl held, the
// wheel, + and - and the dragged rectangle zoom the values too; Up and Down move the values. Once the
// values are zoomed or moved by hand, `valuesTaken` tells the chart to leave them until Home.
class ChartView : public QChartView {
    Q_OBJECT

public:
    static constexpr double kZoomStep = 1.25;

    explicit ChartView(QChart* chart, QWidget* parent = nullptr);

    // The time axis zoomed by `factor` (above 1 narrows it) about the point `at` of it (0 left, 1 right).
    void zoomTime(double factor, double at = 0.5);

signals:
    void homePressed();
    void valuesTaken();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QValueAxis* timeAxis() const;
    void zoomBoth(double factor);

    bool m_dragging = false;
    bool m_rectangle = false; // the rubber band being drawn zooms the values too
    QPoint m_lastDrag;
};
