#include "MainForm.h"

#include "AppIcons.h"
#include "ArchiveNotices.h"
#include "ArchiveService.h"
#include "Dialog.h"
#include "DownloadArchiver.h"
#include "LogView.h"
#include "LogViewer.h"
#include "Operator.h"
#include "PanelBox.h"
#include "PortChoices.h"
#include "ProgressView.h"
#include "RecordTableModel.h"
#include "Twips.h"
#include "WindowAccess.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

namespace {

constexpr int kClientWidth = 7530;
constexpr int kClientHeight = 6945;
constexpr int kMinOuterWidth = 7650;
constexpr int kMinOuterHeight = 7635;

struct PanelPlace {
    int left;
    int width;
};
// Indexed by panel number; from left to right they stand in the order 0, 1, 4, 2, 3.
constexpr PanelPlace kPanelPlaces[LinkDisplay::kPanels] = {
    {60, 1395}, {1500, 1455}, {4380, 1395}, {5820, 1575}, {3000, 1335}};

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

QToolButton* graphicalButton(QWidget* parent, const char* name, const QString& caption, const QString& tip,
                             const QIcon& icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(tip);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; }")); // room for the caption
    QFont captionFont = button->font();
    captionFont.setPointSizeF(7.5);
    button->setFont(captionFont);
    return button;
}

// A frame that takes no input, as the controls inside it are the program's to write; its texts stay as
// readable as on an enabled frame.
QFrame* displayFrame(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    QPalette palette = frame->palette();
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::Base, QPalette::Window}) {
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    }
    frame->setPalette(palette);
    frame->setEnabled(false);
    return frame;
}

QColor colourOf(PanelColour colour, const QPalette& palette) {
    switch (colour) {
    case PanelColour::Red:
        return {255, 0, 0};
    case PanelColour::Green:
        return {0, 255, 0};
    case PanelColour::ButtonFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case PanelColour::Menu:
        break;
    }
    return palette.color(QPalette::Active, QPalette::Window);
}

} // namespace

MainForm::MainForm(Operator& op, ComPort& port, Settings& settings, ArchiveService* archive, QWidget* parent)
    : QMainWindow(parent), m_op(op), m_comPort(port), m_settings(settings), m_link(port, settings, op),
      m_archive(archive) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral(" RM7 Controller Download Utility"));
    setWindowIcon(AppIcons::application());
    // The controls are sized for a small dialog font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    buildControls();
    buildMenus();
    routeEvents();
    addWindowAccess(*this);
    useArchive();
    Form_Load();
}

void MainForm::useArchive() {
    if (m_archive == nullptr) {
        return;
    }
    new DownloadArchiver(m_link, m_comPort, *m_archive, this);
    m_notices = new ArchiveNotices(m_op, this);
    connect(m_archive, &ArchiveService::notice, m_notices, &ArchiveNotices::tell);
}

void MainForm::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    SelComs = graphicalButton(client, "SelComs", QStringLiteral("Select Comport"),
                              QStringLiteral("Select Communications Port"), AppIcons::serialPort());
    place(SelComs, 0, 60, 1275, 555);
    LoadButton = graphicalButton(client, "LoadButton", QStringLiteral("Download"),
                                 QStringLiteral("Download data from Controller"), AppIcons::download());
    place(LoadButton, 1500, 60, 855, 555);
    SaveButton = graphicalButton(client, "SaveButton", QStringLiteral("Save"),
                                 QStringLiteral("Save downloaded data"), AppIcons::save());
    place(SaveButton, 2400, 60, 855, 555);
    QueryButton =
        graphicalButton(client, "QueryButton", QStringLiteral("Query Logs"),
                        QStringLiteral("Query qty of stored logs on controller"), AppIcons::query());
    place(QueryButton, 4980, 60, 1035, 555);
    QueryButton->setVisible(false);
    QueryButton->setEnabled(false);

    MyFrame = displayFrame(client, "MyFrame");
    place(MyFrame, 0, 660, 7515, 5175);
    LogText = new LogView(MyFrame);
    LogText->setObjectName(QStringLiteral("LogText"));
    place(LogText, 60, 240, 7395, 4875);

    LoadProgress = new ProgressView(client);
    LoadProgress->setObjectName(QStringLiteral("LoadProgress"));
    LoadProgress->setRange(0, 100);
    place(LoadProgress, 0, 5880, 7515, 315);

    Frame1 = displayFrame(client, "Frame1");
    place(Frame1, 0, 6240, 7515, 555);
    for (int i = 0; i < LinkDisplay::kPanels; ++i) {
        auto* panel = new PanelBox(
            i == 0 ? QStringLiteral("Download status") : QStringLiteral("Download header %1").arg(i), Frame1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        place(panel, kPanelPlaces[i].left, 180, kPanelPlaces[i].width, 315);
        StatusPanel.at(size_t(i)) = panel;
    }

    // A two-line rule under the menu bar: a dark line with a light one just below it.
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(client);
        line->setObjectName(QStringLiteral("Line1_%1").arg(i));
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, palette.color(i == 0 ? QPalette::Mid : QPalette::Base));
        line->setPalette(palette);
        line->setGeometry(0, i, px(7500), 1);
        Line1.at(size_t(i)) = line;
    }

    setTabOrder(SaveButton, LoadButton);
    setTabOrder(LoadButton, SelComs);
}

void MainForm::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("FileMen"));
    SaveFile = action(fileMenu, "SaveFile", QStringLiteral("&Save"));
    SaveFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fileMenu->addSeparator()->setObjectName(QStringLiteral("Sep2"));
    ExitMenu = action(fileMenu, "ExitMenu", QStringLiteral("E&xit"));
    ExitMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* toolMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    toolMenu->setObjectName(QStringLiteral("ToolMen"));
    ConnectMenu = action(toolMenu, "ConnectMenu", QStringLiteral("&Download"));
    SetupComs = action(toolMenu, "SetupComs", QStringLiteral("&COM Port Selection"));
    LogViewerMenu = action(toolMenu, "LogViewerMenu", QStringLiteral("&Log Viewer"));
    LogViewerMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("Help"));
    About = action(helpMenu, "About", QStringLiteral("&About"));
    About->setShortcut(QKeySequence(Qt::Key_F1));

    resize(px(kClientWidth), px(kClientHeight) + menuBar()->sizeHint().height());
}

void MainForm::routeEvents() {
    connect(LoadButton, &QToolButton::clicked, this, &MainForm::LoadButton_Click);
    connect(ConnectMenu, &QAction::triggered, this, &MainForm::ConnectMenu_Click);
    connect(QueryButton, &QToolButton::clicked, this, &MainForm::QueryButton_Click);
    connect(SaveButton, &QToolButton::clicked, this, &MainForm::SaveButton_Click);
    connect(SaveFile, &QAction::triggered, this, &MainForm::SaveFile_Click);
    connect(SelComs, &QToolButton::clicked, this, &MainForm::SelComs_Click);
    connect(SetupComs, &QAction::triggered, this, &MainForm::SetupComs_Click);
    connect(ExitMenu, &QAction::triggered, this, &MainForm::ExitMenu_Click);
    connect(LogViewerMenu, &QAction::triggered, this, &MainForm::LogViewerMenu_Click);
    connect(About, &QAction::triggered, this, &MainForm::About_Click);
    connect(&m_link.display(), &LinkDisplay::changed, this, &MainForm::showDisplay);
}

void MainForm::Form_Load() {
    // The link starts with no command sent (CommandMode 0), nothing received, stored or saved, and Save
    // disabled.
    LoadSettings(m_settings);
    Form_Resize(); // the window is centred by the size it is shown with, its minimum size applied
    centreOnScreen();
    showDisplay();
}

void MainForm::centreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
}

void MainForm::Form_Activate() {
    if (m_askingAtActivation) {
        return;
    }
    const bool first = !m_activatedBefore;
    m_askingAtActivation = true;
    if (first) {
        // By now the window manager has put its frame around the window: centre it again by its outer size.
        m_activatedBefore = true;
        centreOnScreen();
    }
    if (m_settings.PortDefaulted != 0) {
        choosePort();
        m_settings.PortDefaulted = 0;
    }
    if (first) {
        m_link.keep().offerLeftovers();
    }
    m_askingAtActivation = false;
}

void MainForm::choosePort() {
    if (const auto choice = m_op.choosePort(m_settings.PortNumber)) {
        storePortChoice(*choice, m_settings);
    }
}

void MainForm::Form_Resize() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return;
    }
    const QSize frameExtra = frameGeometry().size() - size();
    if (twips(frameGeometry().width()) < kMinOuterWidth) {
        resize(px(kMinOuterWidth) - frameExtra.width(), height());
    }
    if (twips(frameGeometry().height()) < kMinOuterHeight) {
        resize(width(), px(kMinOuterHeight) - frameExtra.height());
    }
    const int outerWidth = twips(frameGeometry().width());
    MyFrame->resize(px(outerWidth - 135), MyFrame->height());
    LogText->resize(px(outerWidth - 255), LogText->height());
    LoadProgress->resize(px(outerWidth - 135), LoadProgress->height());
    for (QFrame* line : Line1) {
        line->resize(px(outerWidth - 150), line->height());
    }
}

void MainForm::LoadButton_Click() {
    m_link.startDownload(DownloadEntry::Button);
}
void MainForm::ConnectMenu_Click() {
    m_link.startDownload(DownloadEntry::Menu);
}
void MainForm::QueryButton_Click() {
    m_link.startLogCountQuery();
}
void MainForm::SaveButton_Click() {
    m_link.keep().SaveLogs();
}
void MainForm::SaveFile_Click() {
    m_link.keep().SaveLogs();
}
void MainForm::SelComs_Click() {
    choosePort();
}
void MainForm::SetupComs_Click() {
    choosePort();
}

void MainForm::About_Click() {
    Dialog about(this);
    about.exec();
}

void MainForm::ExitMenu_Click() {
    m_link.confirmExit();
    m_op.endProgram();
}

void MainForm::closeEvent(QCloseEvent* event) {
    // The close box asks about stored lines just as File > Exit does.
    m_link.confirmExit();
    event->accept();
}

void MainForm::LogViewerMenu_Click() {
    if (m_viewer == nullptr) {
        m_viewer = new LogViewer(m_link.lines(), m_op, this);
        m_viewer->setArchive(m_archive);
        RecordTableModel* model = m_viewer->model();
        connect(&m_link, &Link::linesStored, model, &RecordTableModel::linesStored);
        connect(&m_link, &Link::linesDropped, model, &RecordTableModel::linesDropped);
        // The store goes with the link; the table must not read it afterwards.
        connect(&m_link, &QObject::destroyed, model, &RecordTableModel::detach);
    }
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
}

void MainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Form_Activate();
    }
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// Draws what the controller link shows; only what changed is touched: a download redraws many times a
// second.
void MainForm::showDisplay() {
    const LinkDisplay& display = m_link.display();
    LogText->show(m_link.lines(), display.logBox());
    LoadProgress->setValue(display.progress());
    if (display.statusRevision() == m_shownStatusRevision) {
        return;
    }
    m_shownStatusRevision = display.statusRevision();
    for (int i = 0; i < LinkDisplay::kPanels; ++i) {
        PanelBox* panel = StatusPanel.at(size_t(i));
        panel->setWholeText(display.panelText(i));
        const QColor colour = colourOf(display.panelColour(i), Frame1->palette());
        if (panel->palette().color(QPalette::Active, QPalette::Base) != colour) {
            QPalette palette = panel->palette();
            for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                palette.setColor(group, QPalette::Base, colour);
            }
            panel->setPalette(palette);
        }
    }
    LoadButton->setEnabled(display.commandsEnabled());
    ConnectMenu->setEnabled(display.commandsEnabled());
    SelComs->setEnabled(display.commandsEnabled());
    SaveButton->setEnabled(display.saveEnabled());
    SaveFile->setEnabled(display.saveEnabled());
}
