#include "LogViewer.h"

#include "ArchivePage.h"
#include "ArchivePane.h"
#include "Operator.h"
#include "SavedFile.h"
#include "StoredSettings.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QBoxLayout>
#include <QFileInfo>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>

LogViewer::LogViewer(const LineStore& store, Operator& op, QWidget* parent)
    : QWidget(parent, Qt::Window), m_op(op), m_current(new RecordView(store, op, this)) {
    setObjectName(QStringLiteral("LogViewer"));
    setWindowTitle(tr("Log Viewer"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_current);

    auto* close = new QAction(tr("&Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    resize(900, 600);
}

void LogViewer::setArchive(ArchiveService* archive) {
    if (archive == nullptr || m_archive != nullptr) {
        return;
    }
    // The current download's table and chart become the first page; the archive's list the second.
    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setDocumentMode(true);
    m_pages->setTabsClosable(true);
    m_pages->tabBar()->setElideMode(Qt::ElideMiddle);
    delete layout()->replaceWidget(m_current, m_pages);
    m_pages->addTab(m_current, tr("Current &download"));
    m_archive = new ArchivePane(*archive, m_op);
    m_pages->addTab(m_archive, tr("&Archive"));
    for (int fixed = 0; fixed < 2; ++fixed) {
        m_pages->tabBar()->setTabButton(fixed, QTabBar::RightSide, nullptr);
    }
    connect(m_pages, &QTabWidget::tabCloseRequested, this, [this](int index) {
        if (index >= 2) {
            QWidget* page = m_pages->widget(index);
            m_pages->removeTab(index);
            page->deleteLater();
        }
    });
    connect(m_archive, &ArchivePane::pageOpened, this, &LogViewer::addPage);
    buildMenus();
}

void LogViewer::buildMenus() {
    m_menu = new QMenuBar(this);
    layout()->setMenuBar(m_menu);
    // "Fil&e": Alt+F stays with Find, as it was before the menus came.
    QMenu* file = m_menu->addMenu(tr("Fil&e"));
    QAction* open = file->addAction(tr("&Open..."), this, &LogViewer::openFiles);
    open->setObjectName(QStringLiteral("openFiles"));
    open->setShortcut(QKeySequence::Open);
    file->addSeparator();
    const auto addAll = [](QMenu* menu, const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            if (action == nullptr) {
                menu->addSeparator();
            } else {
                menu->addAction(action);
            }
        }
    };
    addAll(file, m_archive->fileActions());
    file->addSeparator();
    file->addAction(findChild<QAction*>(QStringLiteral("close"), Qt::FindDirectChildrenOnly));
    addAll(m_menu->addMenu(tr("A&rchive")), m_archive->archiveActions());
}

void LogViewer::addPage(QWidget* page, const QString& title) {
    const int index = m_pages->addTab(page, title);
    m_pages->setTabToolTip(index, title);
    m_pages->setCurrentIndex(index);
}

void LogViewer::openFiles() {
    const QStringList paths =
        m_op.chooseOpenFiles({tr("Open Saved Downloads"), QStringLiteral("CSV files (*.csv);;All files (*)"),
                              StoredSettings::savePath(), OpenFileRequest::Pick::Files});
    for (const QString& path : paths) {
        if (auto lines = SavedFile::read(path, m_op)) {
            auto* page = new ArchivePage(QString());
            page->showLines(std::move(*lines), m_op);
            addPage(page, QFileInfo(path).fileName());
            m_pages->setTabToolTip(m_pages->currentIndex(), path);
        }
    }
}

// Opened for the first time, the viewer stands beside the main window rather than over it.
void LogViewer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_placed || parentWidget() == nullptr) {
        return;
    }
    m_placed = true;
    const QWidget* main = parentWidget()->window();
    const QSize frame = size() + (main->frameGeometry().size() - main->size());
    move(WindowPlacement::beside(main->frameGeometry(), frame, main->screen()->availableGeometry()));
}
