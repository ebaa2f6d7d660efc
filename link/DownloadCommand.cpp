#include "DownloadCommand.h"

#include "CommandMode.h"
#include "ControllerWire.h"
#include "Link.h"

void startDownload(Link& link, DownloadEntry entry) {
    LinkState& state = link.state;
    LinkDisplay& display = link.display;
    if (state.LogsSaved == 0 && state.LineCount() != 0 && link.PromptSaveLogs) {
        link.PromptSaveLogs();
    }
    for (int panel = 0; panel < LinkDisplay::kPanels; ++panel) {
        display.setPanelText(panel, QString());
    }
    state.CommandMode = CommandModes::Download;
    state.LogsSaved = 0;
    if (entry == DownloadEntry::Button) {
        state.RxBuffer.clear();
    }
    if (!beginExchange(link, ControllerWire::kDownloadCommand)) {
        return;
    }
    if (entry == DownloadEntry::Menu) {
        state.RxBuffer.clear(); // nothing is read before this handler returns, so after sending is as good
    }
    display.setLogText({});
    state.WatchLineCount = 0;
    state.dropLines();
    link.recovery.restart();
    display.setCommandsEnabled(false);
    display.setSaveEnabled(false);
    display.setProgress(0);
    display.setPanelText(0, QStringLiteral("Downloading..."));
    display.setPanelColour(0, PanelColour::Menu);
}
