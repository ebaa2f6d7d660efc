#include "CommandMode.h"
#include "ControllerWire.h"
#include "Link.h"

void Link::startDownload(DownloadEntry entry) {
    if (m_keep.unsaved()) {
        PromptSaveLogs();
    }
    for (int panel = 0; panel < LinkDisplay::kPanels; ++panel) {
        m_display.setPanelText(panel, QString());
    }
    m_state.CommandMode = CommandModes::Download;
    if (entry == DownloadEntry::Button) {
        m_state.RxBuffer.clear();
    }
    if (!beginExchange(ControllerWire::kDownloadCommand)) {
        return;
    }
    if (entry == DownloadEntry::Menu) {
        m_state.RxBuffer.clear(); // nothing is read before this handler returns, so after sending is as good
    }
    m_display.clearLog();
    m_state.WatchLineCount = 0;
    dropLines();
    // Only now are the old lines replaced: had the port not opened, they would still be saved (or not).
    m_keep.restart();
    m_recovery.restart();
    m_display.setCommandsEnabled(false);
    m_display.setSaveEnabled(false);
    m_display.setProgress(0);
    m_display.setPanelText(0, QStringLiteral("Downloading..."));
    m_display.setPanelColour(0, PanelColour::Menu);
}
