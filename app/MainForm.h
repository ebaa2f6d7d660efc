#pragma once

#include "ComPort.h"
#include "Link.h"
#include "Settings.h"

#include <QMainWindow>
#include <array>

class ArchiveNotices;
class ArchiveService;
class LogView;
class LogViewer;
class PanelBox;
class Operator;
class ProgressView;
class QAction;
class QFrame;
class QToolButton;

// The program's main window: the command buttons, the log box, the progress bar, the status panels and
// the menus. Its handlers are a line or two each; the controller link, the port set-up and the export
// own the behaviour, and the window draws what the link shows.
class MainForm : public QMainWindow {
    Q_OBJECT

public:
    // The port and the settings are the program's one port and its settings, shared with the dialogs.
    // With an archive, every download that ends goes into it and the viewer shows its side.
    MainForm(Operator& op, ComPort& port, Settings& settings, ArchiveService* archive = nullptr,
             QWidget* parent = nullptr);

    ComPort& comPort() { return m_comPort; }
    Settings& settings() { return m_settings; }
    Link& link() { return m_link; }

    QToolButton* SelComs = nullptr;
    QToolButton* LoadButton = nullptr;
    QToolButton* SaveButton = nullptr;
    QToolButton* QueryButton = nullptr;
    QFrame* MyFrame = nullptr;
    LogView* LogText = nullptr;
    ProgressView* LoadProgress = nullptr;
    QFrame* Frame1 = nullptr;
    std::array<PanelBox*, LinkDisplay::kPanels> StatusPanel{};
    std::array<QFrame*, 2> Line1{};
    QAction* SaveFile = nullptr;
    QAction* ExitMenu = nullptr;
    QAction* ConnectMenu = nullptr;
    QAction* SetupComs = nullptr;
    QAction* LogViewerMenu = nullptr;
    QAction* About = nullptr;

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void LoadButton_Click();
    void ConnectMenu_Click();
    void QueryButton_Click();
    void SaveButton_Click();
    void SaveFile_Click();
    void SelComs_Click();
    void SetupComs_Click();
    void ExitMenu_Click();
    void LogViewerMenu_Click();
    void About_Click();

    // The log viewer beside the window, made on first use; nothing before that.
    LogViewer* logViewer() const { return m_viewer; }

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void routeEvents();
    void showDisplay();
    void choosePort();
    void centreOnScreen();
    void useArchive();

    Operator& m_op;
    ComPort& m_comPort;
    Settings& m_settings;
    Link m_link;
    ArchiveService* m_archive;
    ArchiveNotices* m_notices = nullptr;
    LogViewer* m_viewer = nullptr;
    quint64 m_shownStatusRevision = ~quint64(0);
    bool m_askingAtActivation = false;
    bool m_activatedBefore = false;
};
