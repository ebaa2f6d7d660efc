// Takes the README's pictures of the log viewer's archive side: imports a folder of saved downloads (as
// tools/make_year_downloads.py writes them) through the viewer's Import Folder into an archive of its own,
// saves the screen with the controller list, then with the chart of the first controller's merged year.
// Run under Xvfb:
//   cmake --build build --target rm7-archive-shots
//   tools/make_year_downloads.py /tmp/year
//   xvfb-run -a -s "-screen 0 1280x800x24" build/tools/rm7-archive-shots /tmp/year docs/archive-list.png
//   docs/archive-year-chart.png

#include "ArchivePage.h"
#include "ArchivePane.h"
#include "ArchiveService.h"
#include "ControllerListModel.h"
#include "LineStore.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "RecordView.h"
#include "ScriptedOperator.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool shoot(QWidget* window, const QString& path) {
    QTest::qWait(800);
    const QRect area = window->frameGeometry();
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(path);
}

bool settled(const ArchivePane* pane) {
    return QTest::qWaitFor([pane] { return !pane->isBusy(); }, 120000);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        return 2;
    }
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        qputenv(name, home.filePath(QString::fromLatin1(name)).toLocal8Bit());
    }
    ScriptedOperator op;
    LineStore current;
    ArchiveService service;
    LogViewer viewer(current, op);
    viewer.setArchive(&service);
    viewer.move(0, 0);
    viewer.resize(1180, 700);
    viewer.show();
    ArchivePane* pane = viewer.archivePane();
    viewer.pages()->setCurrentWidget(pane);
    op.openFiles = {{QDir(QString::fromLocal8Bit(argv[1])).absolutePath()}};
    viewer.findChild<QAction*>(QStringLiteral("importFolder"))->trigger();
    if (!settled(pane) || pane->controllers()->rowCount() == 0 || !op.questions.isEmpty()) {
        return 1;
    }
    // The year's controller chosen, its downloads listed.
    const ControllerListModel* list = pane->controllers();
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->controller(row).name.startsWith(QLatin1String("RM7-0042"))) {
            pane->controllerTable()->selectRow(row);
        }
    }
    if (!settled(pane)) {
        return 1;
    }
    pane->controllerTable()->resizeColumnsToContents();
    pane->downloadTable()->resizeColumnsToContents();
    if (!shoot(&viewer, QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }
    viewer.findChild<QAction*>(QStringLiteral("showHistory"))->trigger();
    if (!settled(pane)) {
        return 1;
    }
    auto* page = qobject_cast<ArchivePage*>(viewer.pages()->currentWidget());
    if (page == nullptr || page->view() == nullptr) {
        return 1;
    }
    page->view()->setCurrentWidget(page->view()->chart());
    return shoot(&viewer, QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
