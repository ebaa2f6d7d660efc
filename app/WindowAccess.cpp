#include "WindowAccess.h"

#include "AccessibleAnnouncer.h"
#include "LogView.h"
#include "MainForm.h"
#include "ProgressView.h"

namespace {

void describeDisplays(MainForm& form) {
    form.LogText->setAccessibleName(QStringLiteral("Received lines"));
    form.LoadProgress->setAccessibleName(QStringLiteral("Download progress"));
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
