#pragma once

class MainForm;

// What makes the main window usable by screen readers (the menus' access keys and shortcuts are the
// window's own): names for the log box, the progress bar and the status panels, and their changes told
// at a listenable rate; a panel whose text does not fit shows it whole as its tool tip.
void addWindowAccess(MainForm& form);
