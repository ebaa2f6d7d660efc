#include "WindowAccess.h"

#include "AccessibleAnnouncer.h"
#include "LogView.h"
#include "LogViewer.h"
#include "MainForm.h"
#include "ProgressView.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>

namespace {

void addViewerItem(MainForm& form, Operator& op) {
    auto* tools = form.findChild<QMenu*>(QStringLiteral("ToolMen"));
    if (tools == nullptr) {
        return;
    }
    QAction* item = tools->addAction(QStringLiteral("&Log Viewer"));
    item->setObjectName(QStringLiteral("LogViewerMenu"));
    item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QObject::connect(item, &QAction::triggered, &form, [&form, &op] { openLogViewer(form, op); });
}

// A panel too narrow for its text shows the whole text as its tool tip.
void fitToolTip(QLineEdit* panel) {
    const int room =
        panel->contentsRect().width() - 2 * panel->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    const bool cut = panel->fontMetrics().horizontalAdvance(panel->text()) > room;
    panel->setToolTip(cut ? panel->text() : QString());
}

void describeDisplays(MainForm& form) {
    form.LogText->setAccessibleName(QStringLiteral("Received lines"));
    form.LoadProgress->setAccessibleName(QStringLiteral("Download progress"));
    for (int i = 0; i < LinkDisplay::kPanels; ++i) {
        QLineEdit* panel = form.StatusPanel.at(size_t(i));
        panel->setAccessibleName(i == 0 ? QStringLiteral("Download status")
                                        : QStringLiteral("Download header %1").arg(i));
        QObject::connect(panel, &QLineEdit::textChanged, panel, [panel] { fitToolTip(panel); });
    }
    auto* announcer = new AccessibleAnnouncer(*form.LogText, *form.LoadProgress, &form);
    // Connected after the window's own drawing, so it sees what the window now shows.
    QObject::connect(&form.link().display, &LinkDisplay::changed, announcer,
                     &AccessibleAnnouncer::noteChange);
}

} // namespace

void addWindowAccess(MainForm& form, Operator& op) {
    AccessibleAnnouncer::installViews();
    addViewerItem(form, op);
    describeDisplays(form);
}

LogViewer* openLogViewer(MainForm& form, Operator& op) {
    auto* viewer = form.findChild<LogViewer*>(QStringLiteral("LogViewer"), Qt::FindDirectChildrenOnly);
    if (viewer == nullptr) {
        viewer = new LogViewer(form.link().state.LogLines, form.link().display, op, &form);
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}
