#pragma once

#include "RecordView.h"

#include <QWidget>

class LineStore;
class Operator;
class QTabWidget;

// The log viewer: a window beside the main window over the lines of the current (or last) download, live
// while it runs (see RecordView). Escape or Ctrl+W closes it.
class LogViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFilterDelayMs = RecordView::kFilterDelayMs;
    static constexpr int kRowsEveryMs = RecordView::kRowsEveryMs;

    LogViewer(const LineStore& store, Operator& op, QWidget* parent = nullptr);

    // The current download's table and chart.
    RecordTableModel* model() const { return m_current->model(); }
    QTableView* table() const { return m_current->table(); }
    QLineEdit* filter() const { return m_current->filter(); }
    QPlainTextEdit* header() const { return m_current->header(); }
    QTabWidget* tabs() const { return m_current; }
    LogChart* chart() const { return m_current->chart(); }
    QLabel* rowCount() const { return m_current->rowCount(); }
    QCheckBox* copyTitles() const { return m_current->copyTitles(); }

    void copyRows() { m_current->copyRows(); }
    void goToFirst() { m_current->goToFirst(); }
    void goToLast() { m_current->goToLast(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    RecordView* m_current;
    bool m_placed = false;
};
