// Takes the README's pictures of the log viewer: downloads 400 records from the simulator into the
// window, opens the viewer and saves the screen with its table, then with its chart. Run under Xvfb:
//   cmake --build build --target rm7-viewer-shots
//   xvfb-run -a -s "-screen 0 1280x900x24" build/tools/rm7-viewer-shots docs/viewer-table.png
//   docs/viewer-chart.png

#include "ComPort.h"
#include "ControllerSim.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "MainForm.h"
#include "RecordTableModel.h"
#include "ScriptedOperator.h"
#include "Settings.h"

#include <QApplication>
#include <QChart>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

bool shoot(QWidget* window, const QString& path) {
    QTest::qWait(500);
    const QRect area = window->frameGeometry();
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(path);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        return 2;
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QDir().mkpath(home.filePath(QStringLiteral("korvane")));
    ControllerSim sim({.records = 400});
    if (!sim.start() || !sim.placeLink(home.filePath(QStringLiteral("korvane/")), 1)) {
        return 1;
    }
    ScriptedOperator op;
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    window.show();
    window.LoadButton->click();
    if (!QTest::qWaitFor([&] { return window.LoadButton->isEnabled(); }, 30000)) {
        return 1;
    }

    window.LogViewerMenu_Click();
    LogViewer* viewer = window.logViewer();
    viewer->move(0, 0);
    viewer->resize(1000, 640);
    viewer->table()->resizeColumnsToContents();
    viewer->table()->scrollTo(viewer->model()->index(100, 0));
    viewer->table()->selectRow(102);
    if (!shoot(viewer, QString::fromLocal8Bit(argv[1]))) {
        return 1;
    }
    viewer->tabs()->setCurrentWidget(viewer->chart());
    QListWidget* columns = viewer->chart()->columnList();
    for (int i = 0; i < columns->count(); ++i) {
        const QString title = columns->item(i)->text();
        columns->item(i)->setCheckState(title == u"Value" || title == u"Battery" ? Qt::Checked
                                                                                 : Qt::Unchecked);
    }
    return shoot(viewer, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
