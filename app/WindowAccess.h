#pragma once

class MainForm;

// What makes the main window usable by screen readers (the menus' access keys and shortcuts are the
// window's own, and each status panel names itself): names for the log box and the progress bar, and
// their changes told at a listenable rate.
void addWindowAccess(MainForm& form);
