#pragma once

class Link;

// The Download button clears the receive buffer before opening the port, the Tools menu's Download
// right after it; otherwise the two start a download alike.
enum class DownloadEntry { Button, Menu };

// Offers to save an unsaved download, clears the display, opens the port, sends "*LOAD#" and starts the
// response watchdog.
void startDownload(Link& link, DownloadEntry entry);
