#pragma once

#include "ArchiveResult.h"
#include "ArchiveState.h"
#include "ArchiveViews.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class ArchivePages;
class ArchiveRequests;
class ArchiveService;
class ArchiveTransfers;
class ControllerListModel;
class DownloadListModel;
class ExportBar;
class Operator;
class QAction;
class QLabel;
class QProgressBar;
class QTableView;

// The viewer's archive side: the controllers (name, downloads, records, first and last record, last
// download; overdue ones marked) and the chosen controller's downloads, with what can be done with them:
// its whole merged history, a past download or a comparison of two downloads on a page of their own
// (ArchivePages); saved files imported, records or a past download exported (ArchiveTransfers); a
// controller renamed, two identities of one unit joined. Every question goes to the archive's own thread
// and its answer comes back as a signal, so the window never waits for the database; meanwhile the pane
// says what it is loading. When the archive is off, it says why.
class ArchivePane : public QWidget {
    Q_OBJECT

public:
    ArchivePane(ArchiveService& service, Operator& op, QWidget* parent = nullptr);

    // The actions for the window's File and Archive menus (nullptr stands for a separator).
    QList<QAction*> fileActions() const;
    QList<QAction*> archiveActions() const;

    ControllerListModel* controllers() const { return m_controllers; }
    DownloadListModel* downloads() const { return m_downloads; }
    QTableView* controllerTable() const { return m_controllerTable; }
    QTableView* downloadTable() const { return m_downloadTable; }
    ExportBar* exportBar() const { return m_exportBar; }
    QLabel* stateLabel() const { return m_state; }
    QLabel* noteLabel() const { return m_note; }
    // True while a question of the viewer waits for its answer.
    bool isBusy() const;

    void refresh();

signals:
    // A page to show beside the others; it says it is loading until its answer comes.
    void pageOpened(QWidget* page, const QString& title);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QAction* action(const QString& text, const char* name, const std::function<void()>& run,
                    const QKeySequence& key = {});
    void layOut();
    void showBusy();
    void showState(const ArchiveState& state);
    bool usable() const;
    void updateActions();
    QList<int> chosenRows(const QTableView* table) const;
    const ControllerSummary* chosenController() const;
    void controllerChosen();
    void controllersListed(quint64 request, const ArchiveResult<QList<ControllerSummary>>& result);
    void downloadsListed(quint64 request, const ArchiveResult<QList<DownloadSummary>>& result);
    void compareDownloads();
    void renameController();
    void rename(qint64 controllerId, const QString& name);
    void joinControllers();
    void controllerChanged(quint64 request, const ArchiveResult<bool>& result);

    QPointer<ArchiveService> m_service;
    Operator& m_op;
    ArchiveRequests* m_requests;
    ArchivePages* m_pages;
    ArchiveTransfers* m_transfers;
    ArchiveState m_archiveState;
    ControllerListModel* m_controllers;
    DownloadListModel* m_downloads;
    QTableView* m_controllerTable;
    QTableView* m_downloadTable;
    ExportBar* m_exportBar;
    QLabel* m_state;
    QLabel* m_busy;
    QProgressBar* m_spinner;
    QLabel* m_downloadsTitle;
    QLabel* m_note;
    QAction* m_importFiles = nullptr;
    QAction* m_importFolder = nullptr;
    QAction* m_export = nullptr;
    QAction* m_exportDownload = nullptr;
    QAction* m_history = nullptr;
    QAction* m_download = nullptr;
    QAction* m_compare = nullptr;
    QAction* m_rename = nullptr;
    QAction* m_join = nullptr;
    QAction* m_refresh = nullptr;

    quint64 m_listRequest = 0;         // the newest list of controllers asked for
    quint64 m_downloadsRequest = 0;    // the newest list of downloads asked for
    qint64 m_downloadsOf = 0;          // the controller whose downloads are listed
    QHash<quint64, QString> m_changes; // a rename or a join asked for, and what to say when it fails
    bool m_stale = true;               // the list is read again once the pane shows
};
