#pragma once

#include "ChartData.h"
#include "Throttle.h"

#include <QWidget>

class ChartView;
class LineStore;
class Operator;
class QChart;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class RecordTableModel;

// The chart of the log viewer: the download's numeric columns against time (or the record number), each
// switched on and off in the list beside it. When the dates read both ways (no day above 12), the
// operator says how they are meant, and that answer is kept for the next downloads.
class LogChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLiveRefreshMs = 1000;

    LogChart(const RecordTableModel& model, const LineStore& store, Operator& op, QWidget* parent = nullptr);

    // Reads the download again now; while it grows, `rebuildSoon` does so at most once a second.
    void rebuild();
    void rebuildSoon();
    bool exportPng(const QString& path);
    void exportChart();
    void setDateOrder(DateOrder order);

    const ChartData& data() const { return m_data; }
    QChart* chart() const { return m_chart; }
    ChartView* view() const { return m_view; }
    QListWidget* columnList() const { return m_columns; }
    QComboBox* dateOrderBox() const { return m_dateOrder; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSeries();
    void fitAxes();
    void columnToggled(QListWidgetItem* item);

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
    Throttle m_refresh;
    bool m_stale = true;
};
