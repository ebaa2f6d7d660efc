#include "DownloadCommand.h"

#include "ComPort.h"
#include "Link.h"
#include "OpenPort.h"

void startDownload(Link& link, DownloadEntry entry) {
    LinkState& state = link.state;
    LinkDisplay& display = link.display;
    if (state.LogsSaved == 0 && state.LineCount() != 0 && link.PromptSaveLogs) {
        link.PromptSaveLogs();
    }
    for (int panel = 0; panel < LinkDisplay::kPanels; ++panel) {
        display.setPanelText(panel, QString());
    }
    state.CommandMode = 0;
    state.LogsSaved = 0;
    if (entry == DownloadEntry::Button) {
        state.RxBuffer.clear();
    }
    if (!OpenPort(link.port, link.settings, link.op)) {
        return;
    }
    if (entry == DownloadEntry::Menu) {
        state.RxBuffer.clear();
    }
    state.replyOver = false;
    link.port.Output(kDownloadCommand);
    display.setLogText({});
    if (!link.ResponseTimer.isActive()) {
        link.ResponseTimer.start();
    }
    state.WatchLineCount = 0;
    state.dropLines();
    display.setCommandsEnabled(false);
    display.setSaveEnabled(false);
    display.setProgress(0);
    display.setPanelText(0, QStringLiteral("Downloading..."));
    display.setPanelColour(0, PanelColour::Menu);
}
