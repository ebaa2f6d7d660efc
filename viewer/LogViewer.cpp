#include "LogViewer.h"

#include "WindowPlacement.h"

#include <QAction>
#include <QBoxLayout>
#include <QScreen>

LogViewer::LogViewer(const LineStore& store, Operator& op, QWidget* parent)
    : QWidget(parent, Qt::Window), m_current(new RecordView(store, op, this)) {
    setObjectName(QStringLiteral("LogViewer"));
    setWindowTitle(tr("Log Viewer"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_current);

    auto* close = new QAction(tr("Close"), this);
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    resize(900, 600);
}

// Opened for the first time, the viewer stands beside the main window rather than over it.
void LogViewer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_placed || parentWidget() == nullptr) {
        return;
    }
    m_placed = true;
    const QWidget* main = parentWidget()->window();
    const QSize frame = size() + (main->frameGeometry().size() - main->size());
    move(WindowPlacement::beside(main->frameGeometry(), frame, main->screen()->availableGeometry()));
}
