#include "WindowAccess.h"

#include "AccessibleAnnouncer.h"
#include "LogView.h"
#include "MainForm.h"
#include "ProgressView.h"

#include <QLineEdit>
#include <QStyle>

namespace {

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
    QObject::connect(&form.link().display(), &LinkDisplay::changed, announcer,
                     &AccessibleAnnouncer::noteChange);
}

} // namespace

void addWindowAccess(MainForm& form) {
    AccessibleAnnouncer::installViews();
    describeDisplays(form);
}
