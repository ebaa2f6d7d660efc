#pragma once

class LogViewer;
class MainForm;
class Operator;

// What makes the main window usable by screen readers, and what opens the log viewer (the menus' access
// keys and shortcuts are the window's own): names for the log box, the progress bar and the status
// panels, and their changes told at a listenable rate; a panel whose text does not fit shows it whole as
// its tool tip; Tools > Log Viewer with Ctrl+L.
void addWindowAccess(MainForm& form, Operator& op);

// The window's log viewer, made on first use and shown.
LogViewer* openLogViewer(MainForm& form, Operator& op);
