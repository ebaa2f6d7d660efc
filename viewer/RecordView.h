#pragma once

#include <QTabWidget>
#include <QTimer>

class LineStore;
class LogChart;
class Operator;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class RecordTableModel;

// The table and the chart over one set of lines: the current download (live while it runs: its model is
// told of new and dropped lines), a controller's history, a past download or a saved file. The table shows
// the header lines above one row per record, sorts by the column whose title is clicked, finds as you type
// (saying how many rows of all it shows), copies the chosen rows as CSV text (the column titles too when
// asked) and jumps to the first or last row; the chart plots the readings. The store must outlive it.
class RecordView : public QTabWidget {
    Q_OBJECT

public:
    static constexpr int kFilterDelayMs = 150;
    // Rows arriving during a download are added at most this often: a table drawn a few times a second
    // keeps up with the eye, and the download keeps its speed.
    static constexpr int kRowsEveryMs = 100;

    RecordView(const LineStore& store, Operator& op, QWidget* parent = nullptr);

    RecordTableModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }
    QLineEdit* filter() const { return m_filter; }
    QPlainTextEdit* header() const { return m_header; }
    LogChart* chart() const { return m_chart; }
    QLabel* rowCount() const { return m_rowCount; }
    QCheckBox* copyTitles() const { return m_copyTitles; }

    // The chosen rows' lines as they arrived, on the clipboard as text.
    void copyRows();
    void goToFirst();
    void goToLast();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTitles();
    void markOtherLines();
    void rowsArrived(int first, int last);
    void countRows();

    RecordTableModel* m_model;
    QPlainTextEdit* m_header;
    QLineEdit* m_filter;
    QTableView* m_table;
    LogChart* m_chart;
    QLabel* m_rowCount;
    QCheckBox* m_copyTitles;
    QTimer m_filterDelay;
};
