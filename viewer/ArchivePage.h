#pragma once

#include "LineStore.h"

#include <QWidget>

class Operator;
class QLabel;
class RecordView;

// A page of the viewer's archive side: it says what it is loading until the answer comes, then shows the
// lines (a history, a past download, a saved file) in the table and chart it keeps them for, another view
// (a comparison), or why they could not come.
class ArchivePage : public QWidget {
    Q_OBJECT

public:
    explicit ArchivePage(const QString& loading, QWidget* parent = nullptr);
    ~ArchivePage() override;
    ArchivePage(const ArchivePage&) = delete;
    ArchivePage& operator=(const ArchivePage&) = delete;

    void showLines(LineStore lines, Operator& op);
    void showWidget(QWidget* content);
    void showFailure(const QString& reason);

    bool isLoading() const { return m_content == nullptr && !m_failed; }
    // The table and chart once lines are shown, else nullptr.
    RecordView* view() const { return m_view; }
    QWidget* content() const { return m_content; }
    QLabel* note() const { return m_note; }
    const LineStore& lines() const { return m_lines; }

private:
    LineStore m_lines; // read by m_view, which goes first
    QLabel* m_note;
    QWidget* m_content = nullptr;
    RecordView* m_view = nullptr;
    bool m_failed = false;
};
