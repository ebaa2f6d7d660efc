#pragma once

#include "RecordView.h"

#include <QWidget>

class ArchivePane;
class ArchiveService;
class LineStore;
class Operator;
class QMenuBar;
class QTabWidget;

// The log viewer: a window beside the main window over the lines of the current (or last) download (see
// RecordView). Given the archive, it gains an archive side: a menu bar (File: Open, Import, Export, Close;
// Archive: history, downloads, comparison, names), the "Archive" page listing the controllers, and a page
// for each history, past download, comparison or saved file opened, beside the current download's.
// Escape or Ctrl+W closes it.
class LogViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFilterDelayMs = RecordView::kFilterDelayMs;
    static constexpr int kRowsEveryMs = RecordView::kRowsEveryMs;

    LogViewer(const LineStore& store, Operator& op, QWidget* parent = nullptr);

    // The archive side over this service (owned by the caller, which keeps it while the viewer lives);
    // nullptr: none. Called once, after construction.
    void setArchive(ArchiveService* archive);

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

    // The archive side, nullptr without one: its pages (current download, archive, then those opened).
    ArchivePane* archivePane() const { return m_archive; }
    QTabWidget* pages() const { return m_pages; }
    QMenuBar* menuBar() const { return m_menu; }

    // File > Open: saved files, each on a page of its own.
    void openFiles();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addPage(QWidget* page, const QString& title);
    void buildMenus();

    Operator& m_op;
    RecordView* m_current;
    ArchivePane* m_archive = nullptr;
    QTabWidget* m_pages = nullptr;
    QMenuBar* m_menu = nullptr;
    bool m_placed = false;
};
