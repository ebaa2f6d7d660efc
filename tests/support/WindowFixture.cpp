#include "WindowFixture.h"

#include <QTest>
#include <QToolButton>

bool WindowFixture::startSim(SimOptions options, int com) {
    sim = std::make_unique<ControllerSim>(std::move(options));
    return sim->start() && sim->placeLink(env.settingsFolder(), com);
}

bool WindowFixture::openWindow(bool withArchive) {
    if (withArchive) {
        archive = std::make_unique<ArchiveService>();
    }
    form = std::make_unique<MainForm>(op, port, settings, archive.get());
    form->show();
    return QTest::qWaitForWindowExposed(form.get());
}

bool WindowFixture::idle() const {
    return form->LoadButton->isEnabled();
}
