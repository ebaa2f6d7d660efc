#include "ArchivePane.h"

#include "ArchivePages.h"
#include "ArchiveRequests.h"
#include "ArchiveService.h"
#include "ArchiveTransfers.h"
#include "ControllerListModel.h"
#include "DownloadListModel.h"
#include "ExportBar.h"
#include "Operator.h"
#include "StoredSettings.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>

namespace {

QTableView* listTable(const char* name, QAbstractItemModel* model, const QString& accessibleName) {
    auto* table = new QTableView;
    table->setObjectName(QLatin1String(name));
    table->setAccessibleName(accessibleName);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setDefaultSectionSize(130);
    return table;
}

// A row of buttons for actions; nullptr pushes the rest to the right.
QHBoxLayout* buttonRow(const QList<QAction*>& actions) {
    auto* row = new QHBoxLayout;
    for (QAction* action : actions) {
        if (action == nullptr) {
            row->addStretch(1);
            continue;
        }
        auto* button = new QToolButton;
        button->setDefaultAction(action);
        row->addWidget(button);
    }
    return row;
}

} // namespace

ArchivePane::ArchivePane(ArchiveService& service, Operator& op, QWidget* parent)
    : QWidget(parent), m_service(&service), m_op(op), m_requests(new ArchiveRequests(op, this)),
      m_pages(new ArchivePages(service, *m_requests, this)),
      m_transfers(new ArchiveTransfers(service, *m_requests, this)),
      m_controllers(new ControllerListModel(this)), m_downloads(new DownloadListModel(this)),
      m_controllerTable(listTable("controllers", m_controllers, tr("Controllers"))),
      m_downloadTable(listTable("downloads", m_downloads, tr("Downloads"))), m_exportBar(new ExportBar),
      m_state(new QLabel), m_busy(new QLabel), m_spinner(new QProgressBar), m_downloadsTitle(new QLabel),
      m_note(new QLabel) {
    setObjectName(QStringLiteral("archivePane"));
    m_importFiles = action(
        tr("&Import Files..."), "importFiles", [this] { m_transfers->importFiles(); },
        QKeySequence(Qt::CTRL | Qt::Key_I));
    m_importFolder = action(tr("Import &Folder..."), "importFolder", [this] { m_transfers->importFolder(); });
    m_export = action(
        tr("E&xport Records..."), "exportRecords",
        [this] {
            if (const ControllerSummary* c = chosenController()) {
                m_transfers->exportRecords(m_exportBar->request(c->id, StoredSettings::dateOrder()), c->name);
            }
        },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    m_exportDownload = action(tr("Export Down&load..."), "exportDownload", [this] {
        const QList<int> rows = chosenRows(m_downloadTable);
        if (const ControllerSummary* c = chosenController(); c != nullptr && rows.size() == 1) {
            m_transfers->exportDownload(m_downloads->download(rows.first()), c->name);
        }
    });
    m_history = action(tr("Show &History"), "showHistory", [this] {
        if (const ControllerSummary* c = chosenController()) {
            m_pages->showHistory(*c);
        }
    });
    m_download = action(tr("Show Do&wnload"), "showDownload", [this] {
        if (const QList<int> rows = chosenRows(m_downloadTable); rows.size() == 1) {
            m_pages->showDownload(m_downloads->download(rows.first()));
        }
    });
    m_compare = action(tr("&Compare Downloads"), "compareDownloads", [this] { compareDownloads(); });
    m_rename = action(tr("Re&name..."), "renameController", [this] { renameController(); });
    m_join = action(tr("&Join..."), "joinControllers", [this] { joinControllers(); });
    m_refresh = action(
        tr("Refresh"), "refresh", [this] { refresh(); }, QKeySequence(Qt::Key_F5));
    m_history->setToolTip(tr("The chosen controller's records from every download, in time order"));
    m_compare->setToolTip(tr("The records that only one of the two chosen downloads holds"));
    m_join->setToolTip(tr("Make the two chosen controllers one: the same unit after a firmware change"));
    layOut();

    connect(m_requests, &ArchiveRequests::busyChanged, this, &ArchivePane::showBusy);
    connect(m_pages, &ArchivePages::pageOpened, this, &ArchivePane::pageOpened);
    connect(m_transfers, &ArchiveTransfers::done, m_note, &QLabel::setText);
    connect(m_transfers, &ArchiveTransfers::archiveChanged, this, &ArchivePane::refresh);
    connect(m_controllerTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ArchivePane::controllerChosen);
    connect(m_downloadTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ArchivePane::updateActions);
    connect(m_controllerTable, &QAbstractItemView::activated, m_history, &QAction::trigger);
    connect(m_downloadTable, &QAbstractItemView::activated, m_download, &QAction::trigger);
    connect(m_controllers, &ControllerListModel::renameAsked, this, &ArchivePane::rename);

    connect(&service, &ArchiveService::stateChanged, this, &ArchivePane::showState);
    connect(&service, &ArchiveService::controllersListed, this, &ArchivePane::controllersListed);
    connect(&service, &ArchiveService::downloadsListed, this, &ArchivePane::downloadsListed);
    connect(&service, &ArchiveService::controllerChanged, this, &ArchivePane::controllerChanged);
    // Downloads archived by the main window (or delivered late) change the list.
    connect(&service, &ArchiveService::added, this, [this](quint64, const AddResult& result) {
        if (result.outcome == AddOutcome::Added) {
            refresh();
        }
    });
    connect(&service, &ArchiveService::delivered, this, [this](quint64, int delivered) {
        if (delivered > 0) {
            refresh();
        }
    });
    connect(&service, &QObject::destroyed, this, [this] {
        showState({ArchiveState::Mode::Off, m_archiveState.where, tr("the archive was closed"), 0});
    });
    showBusy();
    showState(service.state()); // after connecting: a change from here on is heard
}

QAction* ArchivePane::action(const QString& text, const char* name, const std::function<void()>& run,
                             const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, run);
    return action;
}

void ArchivePane::layOut() {
    m_state->setObjectName(QStringLiteral("archiveState"));
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_busy->setObjectName(QStringLiteral("busy"));
    m_spinner->setRange(0, 0); // it moves while the archive works, with no measure of how far
    m_spinner->setMaximumWidth(100);
    m_spinner->setTextVisible(false);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    // F2 renames a controller; a double click shows its history.
    m_controllerTable->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_controllerTable->horizontalHeader()->resizeSection(ControllerListModel::Name, 260);
    m_downloadTable->horizontalHeader()->resizeSection(DownloadListModel::End, 100);

    auto* status = new QHBoxLayout;
    status->addWidget(m_state, 1);
    status->addWidget(m_busy);
    status->addWidget(m_spinner);
    auto* upper = new QWidget;
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(m_controllerTable, 1);
    upperLayout->addLayout(
        buttonRow({m_history, m_rename, m_join, nullptr, m_importFiles, m_importFolder, m_refresh}));
    QHBoxLayout* exportRow = buttonRow({m_export});
    exportRow->insertWidget(0, m_exportBar, 1);
    upperLayout->addLayout(exportRow);
    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_downloadsTitle);
    lowerLayout->addWidget(m_downloadTable, 1);
    lowerLayout->addLayout(buttonRow({m_download, m_compare, m_exportDownload, nullptr}));
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(upper);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(status);
    layout->addWidget(split, 1);
    layout->addWidget(m_note);
}

QList<QAction*> ArchivePane::fileActions() const {
    return {m_importFiles, m_importFolder, nullptr, m_export, m_exportDownload};
}

QList<QAction*> ArchivePane::archiveActions() const {
    return {m_history, m_download, m_compare, nullptr, m_rename, m_join, nullptr, m_refresh};
}

bool ArchivePane::isBusy() const {
    return m_requests->isBusy();
}

void ArchivePane::showBusy() {
    m_busy->setText(m_requests->doing());
    m_busy->setVisible(m_requests->isBusy());
    m_spinner->setVisible(m_requests->isBusy());
}

bool ArchivePane::usable() const {
    return m_service && m_archiveState.mode != ArchiveState::Mode::Off;
}

void ArchivePane::showState(const ArchiveState& state) {
    const bool wasUsable = usable();
    const bool opened =
        m_archiveState.mode == ArchiveState::Mode::Closed && state.mode != ArchiveState::Mode::Closed;
    m_archiveState = state;
    switch (state.mode) {
    case ArchiveState::Mode::Closed:
        m_state->setText(tr("Opening the archive..."));
        break;
    case ArchiveState::Mode::Ready:
        m_state->setText(tr("Archive: %1").arg(state.where));
        break;
    case ArchiveState::Mode::Waiting:
        m_state->setText(tr("The archive %1 cannot be reached now (%2). Downloads waiting on this PC: %3.")
                             .arg(state.where, state.reason)
                             .arg(state.queued));
        break;
    case ArchiveState::Mode::Off:
        m_state->setText(tr("The archive is off in this run: %1. The current download can still be viewed "
                            "and saved, and saved files opened.")
                             .arg(state.reason));
        break;
    }
    if (!usable()) {
        m_controllers->setControllers({}, QDateTime::currentDateTimeUtc(), StoredSettings::overdueDays());
        m_downloads->setDownloads({});
    } else if (!wasUsable || opened) {
        refresh();
    }
    for (QWidget* part : {static_cast<QWidget*>(m_controllerTable), static_cast<QWidget*>(m_downloadTable),
                          static_cast<QWidget*>(m_exportBar)}) {
        part->setEnabled(usable());
    }
    updateActions();
}

QList<int> ArchivePane::chosenRows(const QTableView* table) const {
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

const ControllerSummary* ArchivePane::chosenController() const {
    const QList<int> rows = chosenRows(m_controllerTable);
    return rows.size() == 1 && usable() ? &m_controllers->controller(rows.first()) : nullptr;
}

void ArchivePane::updateActions() {
    const bool on = usable();
    const bool one = chosenController() != nullptr;
    const qsizetype downloads = chosenRows(m_downloadTable).size();
    for (QAction* a : {m_importFiles, m_importFolder, m_refresh}) {
        a->setEnabled(on);
    }
    for (QAction* a : {m_history, m_export, m_rename}) {
        a->setEnabled(one);
    }
    m_join->setEnabled(on && chosenRows(m_controllerTable).size() == 2);
    m_download->setEnabled(on && downloads == 1);
    m_exportDownload->setEnabled(on && one && downloads == 1);
    m_compare->setEnabled(on && downloads == 2);
}

void ArchivePane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale) {
        refresh();
    }
}

void ArchivePane::refresh() {
    if (!usable()) {
        return;
    }
    if (!isVisible()) {
        m_stale = true; // read when the pane shows: a hidden list costs the database nothing
        return;
    }
    m_stale = false;
    m_listRequest = m_requests->track(m_service->listControllers(StoredSettings::dateOrder()),
                                      tr("Reading the controllers..."));
}

void ArchivePane::controllersListed(quint64 request, const ArchiveResult<QList<ControllerSummary>>& result) {
    if (!m_requests->finish(request) || request != m_listRequest) {
        return;
    }
    if (!result.ok()) {
        m_requests->fail(tr("The archive's controllers could not be read."), result.error);
        return;
    }
    const ControllerSummary* chosen = chosenController();
    const qint64 keep = chosen != nullptr ? chosen->id : m_downloadsOf;
    m_controllers->setControllers(result.value, QDateTime::currentDateTimeUtc(),
                                  StoredSettings::overdueDays());
    m_downloadsOf = 0; // listed again for the row chosen now
    const int row = std::max(0, m_controllers->rowOf(keep));
    if (row < m_controllers->rowCount()) {
        m_controllerTable->selectRow(row);
    } else {
        m_downloads->setDownloads({});
        m_downloadsTitle->clear();
        updateActions();
    }
}

void ArchivePane::controllerChosen() {
    const ControllerSummary* chosen = chosenController();
    if (chosen != nullptr && chosen->id != m_downloadsOf) {
        m_exportBar->setRange(chosen->firstRecord, chosen->lastRecord);
        m_downloadsTitle->setText(tr("Downloads of %1:").arg(chosen->name));
        m_downloadsOf = chosen->id;
        m_downloads->setDownloads({});
        m_downloadsRequest = m_requests->track(m_service->listDownloads(chosen->id),
                                               tr("Reading the downloads of %1...").arg(chosen->name));
    }
    updateActions();
}

void ArchivePane::downloadsListed(quint64 request, const ArchiveResult<QList<DownloadSummary>>& result) {
    if (!m_requests->finish(request) || request != m_downloadsRequest) {
        return;
    }
    if (!result.ok()) {
        m_requests->fail(tr("The controller's downloads could not be read."), result.error);
        return;
    }
    m_downloads->setDownloads(result.value);
    m_downloadTable->scrollToBottom();
    updateActions();
}

void ArchivePane::compareDownloads() {
    const QList<int> rows = chosenRows(m_downloadTable);
    if (rows.size() == 2) {
        // The list runs oldest first.
        m_pages->compare(m_downloads->download(rows.at(0)), m_downloads->download(rows.at(1)));
    }
}

void ArchivePane::renameController() {
    const QList<int> rows = chosenRows(m_controllerTable);
    if (rows.size() == 1 && usable()) {
        const QModelIndex name = m_controllers->index(rows.first(), ControllerListModel::Name);
        m_controllerTable->setCurrentIndex(name);
        m_controllerTable->edit(name);
    }
}

void ArchivePane::rename(qint64 controllerId, const QString& name) {
    if (!usable()) {
        return;
    }
    const quint64 request = m_requests->track(m_service->renameController(controllerId, name),
                                              tr("Renaming the controller %1...").arg(name));
    m_changes.insert(request, tr("The controller could not be renamed %1.").arg(name));
}

void ArchivePane::joinControllers() {
    const QList<int> rows = chosenRows(m_controllerTable);
    if (rows.size() != 2 || !usable()) {
        return;
    }
    // The identity the archive met first keeps its name, and gets the downloads of both.
    const ControllerSummary& a = m_controllers->controller(rows.at(0));
    const ControllerSummary& b = m_controllers->controller(rows.at(1));
    const ControllerSummary keep = a.id < b.id ? a : b;
    const ControllerSummary other = a.id < b.id ? b : a;
    const Answer answer = m_op.messageBox(
        tr("Join %1 to %2?").arg(other.name, keep.name), MsgStyle::YesNo + MsgStyle::Exclamation,
        tr("Join Controllers"),
        tr("They become one controller named %1, whose history holds the records of both; later downloads of "
           "either go to it. Join only two identities of the same unit (after a firmware change, say): this "
           "cannot be undone.")
            .arg(keep.name));
    if (answer != Answer::Yes || !usable()) {
        return;
    }
    const quint64 request = m_requests->track(m_service->joinControllers(keep.id, other.id),
                                              tr("Joining %1 to %2...").arg(other.name, keep.name));
    m_changes.insert(request, tr("%1 could not be joined to %2.").arg(other.name, keep.name));
}

void ArchivePane::controllerChanged(quint64 request, const ArchiveResult<bool>& result) {
    const QString failure = m_changes.take(request);
    if (m_requests->finish(request) && !result.ok()) {
        m_requests->fail(failure, result.error);
    }
    refresh();
}
