// Takes the README's pictures of the log viewer: downloads the simulator's records into the window (a day
// and a half of them, with five hours taken out as if the controller had been off), opens the viewer and
// saves the screen with its table (found and sorted), then with its chart as it first shows. Run under Xvfb:
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
#include "SimReply.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

constexpr int kRecords = 2000;
constexpr int kOffFrom = 900; // records 900 to 1199 (15:00 to 19:59 on the first day) never taken
constexpr int kOffRecords = 300;

bool shoot(QWidget* window, const QString& path) {
    QTest::qWait(500);
    const QRect area = window->frameGeometry();
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(path);
}

QList<QByteArray> downloadWithAGap() {
    QList<QByteArray> lines = SimReply::downloadLines(kRecords);
    const int header = 7; // the lines before the first record
    lines.remove(header + kOffFrom, kOffRecords);
    lines[4] = "Log Entries: " + QByteArray::number(kRecords - kOffRecords) + "\r\n";
    return lines;
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
    ControllerSim sim({.records = kRecords - kOffRecords, .lines = downloadWithAGap()});
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
    QTest::keyClicks(viewer->filter(), QStringLiteral("pump"));
    QTest::qWait(LogViewer::kFilterDelayMs * 2);
    viewer->table()->sortByColumn(4, Qt::DescendingOrder); // Value, highest first
    viewer->table()->resizeColumnsToContents();
    viewer->table()->selectRow(2);
    if (!shoot(viewer, QString::fromLocal8Bit(argv[1]))) {
        return 1;
    }
    viewer->tabs()->setCurrentWidget(viewer->chart());
    return shoot(viewer, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
