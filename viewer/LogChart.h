#pragma once

#include "ChartData.h"
#include "Throttle.h"

#include <QColor>
#include <QHash>
#include <QWidget>

class ChartView;
class LineStore;
class Operator;
class QAbstractSeries;
class QChart;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QValueAxis;
class RecordTableModel;

// The chart of the log viewer: the download's numeric columns against time (or the record number), each
// switched on and off in the list beside it and drawn on a value axis of its own, in its colour, so a
// battery of 12 V reads as well as a level of 200 m. Columns that name or count records (a channel, a
// sequence number) start switched off. Ticks fall on round values and times; zooming narrows the time and
// the value axes follow what is in view. When the dates read both ways (no day above 12), the operator says
// how they are meant, and that answer is kept for the next downloads.
class LogChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLiveRefreshMs = 1000;
    // Beyond this many stretches (gaps cut a column into) a column is drawn as points, not lines.
    static constexpr int kMostStretches = 200;

    LogChart(const RecordTableModel& model, const LineStore& store, Operator& op, QWidget* parent = nullptr);

    // Reads the download again now; while it grows, `rebuildSoon` does so at most once a second.
    void rebuild();
    void rebuildSoon();
    bool exportPng(const QString& path);
    void exportChart();
    void setDateOrder(DateOrder order);
    // Everything in view again, the value axes following the time in view.
    void showAll();
    bool isZoomed() const;

    const ChartData& data() const { return m_data; }
    QChart* chart() const { return m_chart; }
    ChartView* view() const { return m_view; }
    QListWidget* columnList() const { return m_columns; }
    QComboBox* dateOrderBox() const { return m_dateOrder; }
    // The time (or record) axis, and the value axis of a column (by its title), nullptr without one.
    QValueAxis* timeAxis() const { return m_x; }
    QValueAxis* valueAxis(const QString& title) const;
    // The series that draw a column: one line per stretch, and the lone records as points.
    QList<QAbstractSeries*> seriesOf(const QString& title) const;

signals:
    void dateOrderChosen(DateOrder order);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Plot {
        QString title;
        QColor color;
        QValueAxis* axis = nullptr;
        QList<QAbstractSeries*> parts;
        bool shown = true;
        bool filled = false; // its parts hold the points of the data as last read
    };

    void setUpAxes();
    void fillPlot(Plot& plot, const ChartData::Series& series);
    void placeAxes();
    void showLegend();
    void timeRangeChanged(double min, double max);
    void labelTime();
    void fitValues();
    void columnToggled(QListWidgetItem* item);
    // The x of the first and last point of every column, shown or not.
    std::pair<double, double> fullRange() const;

    const RecordTableModel& m_model;
    const LineStore& m_store;
    Operator& m_op;
    ChartData m_data;
    DateOrder m_choice;
    QChart* m_chart;
    ChartView* m_view;
    QListWidget* m_columns;
    QComboBox* m_dateOrder;
    QLabel* m_dateNote;
    QPushButton* m_export;
    QValueAxis* m_x = nullptr;
    QList<Plot> m_plots;
    QHash<QString, bool> m_chosen; // columns the operator switched on or off
    bool m_followValues = true;    // the value axes fit what is in view
    bool m_adjusting = false;      // the time axis is being set from here
    Throttle m_refresh;
    bool m_stale = true;
};
