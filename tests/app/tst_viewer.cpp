// The log viewer on a real download from the simulator: rows as they arrive, find as you type, copy, the
// first and last row, and the chart's columns, time axis, day/month choice, zoom and export.

#include "ChartView.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "RecordTableModel.h"
#include "SimReply.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

QList<QByteArray> downloadWithDates(const QList<QByteArray>& dates) {
    QList<QByteArray> lines = SimReply::downloadLines(0).mid(0, 7);
    int i = 0;
    for (const QByteArray& date : dates) {
        lines << date + ",10:0" + QByteArray::number(i) + ":00,1,LEVEL,1" + QByteArray::number(i) +
                     ".5,m,12.5V,OK,00000" + QByteArray::number(i + 1) + "\r\n";
        ++i;
    }
    lines << "END OF DOWNLOAD\r\n";
    return lines;
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> w;

    LogViewer* openViewer() {
        w->form->findChild<QAction*>(QStringLiteral("LogViewerMenu"))->trigger();
        return w->form->findChild<LogViewer*>();
    }
    LogViewer* afterDownload(SimOptions options) {
        if (!w->startSim(std::move(options)) || !w->openWindow()) {
            return nullptr;
        }
        w->form->LoadButton->click();
        if (!QTest::qWaitFor([this] { return w->idle(); }, 10000)) {
            return nullptr;
        }
        LogViewer* viewer = openViewer();
        QTest::qWait(LogViewer::kRowsEveryMs); // nothing is left to arrive
        return viewer;
    }
    LogChart* chartOf(LogViewer* viewer) {
        viewer->tabs()->setCurrentWidget(viewer->chart());
        return viewer->chart();
    }

private slots:
    void init() { w = std::make_unique<WindowFixture>(); }
    void cleanup() { w.reset(); }

    void rowsArriveDuringADownload() {
        QVERIFY(w->startSim({.records = 60, .lineGapMs = 10}));
        QVERIFY(w->openWindow());
        LogViewer* viewer = openViewer();
        QVERIFY(viewer && viewer->isVisible());
        RecordTableModel* model = viewer->model();
        QCOMPARE(model->rowCount(), 0);
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        QList<int> rowsSeen;
        QObject scope; // the watch ends with this test
        connect(model, &QAbstractItemModel::rowsInserted, &scope, [&] { rowsSeen << model->rowCount(); });
        connect(model, &QAbstractItemModel::modelReset, &scope, [&] { rowsSeen.clear(); });
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        QTRY_COMPARE(model->rowCount(), 61); // 60 records and the final line
        QVERIFY(inserted.size() > 3);        // in steps as the reads came (a few a second), not at the end
        QVERIFY(std::is_sorted(rowsSeen.begin(), rowsSeen.end()));
        QVERIFY(reset.size() <= 2); // the first lines and the titles; afterwards rows are only added
        QCOMPARE(viewer->header()->toPlainText().split(QLatin1Char('\n')).size(), 6);
        QCOMPARE(viewer->header()->toPlainText().split(QLatin1Char('\n')).at(2),
                 QStringLiteral("Site: North Pump Station"));
        QCOMPARE(model->columnCount(), 9);
        QCOMPARE(model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Event"));
        QCOMPARE(model->index(59, 8).data().toString(), QStringLiteral("000060"));
        QCOMPARE(model->index(60, 0).data().toString(), QStringLiteral("END OF DOWNLOAD"));
        QCOMPARE(viewer->table()->columnSpan(60, 0), 9);
        // The next download starts the table again.
        w->form->LoadButton->click();
        QTRY_VERIFY(w->idle());
        QTRY_COMPARE(model->rowCount(), 61);
    }

    void findAsYouType() {
        LogViewer* viewer = afterDownload({.records = 30});
        QVERIFY(viewer);
        QTest::keyClicks(viewer->filter(), QStringLiteral("pump on"));
        // Records 3, 8, 13, ... are "PUMP ON" events.
        QTRY_COMPARE(viewer->model()->rowCount(), 6);
        for (int row = 0; row < 6; ++row) {
            QCOMPARE(viewer->model()->index(row, 3).data().toString(), QStringLiteral("PUMP ON"));
        }
        viewer->filter()->clear();
        QTRY_COMPARE(viewer->model()->rowCount(), 31);
    }

    void copyFirstAndLast() {
        LogViewer* viewer = afterDownload({.records = 30});
        QVERIFY(viewer);
        QTableView* table = viewer->table();
        table->setFocus();
        table->selectRow(1);
        table->selectionModel()->select(viewer->model()->index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        const QList<QByteArray> lines = SimReply::downloadLines(30);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(lines[8] + lines[9]));

        viewer->findChild<QPushButton*>(QStringLiteral("last"))->click();
        QCOMPARE(table->currentIndex().row(), 30);
        viewer->findChild<QPushButton*>(QStringLiteral("first"))->click();
        QCOMPARE(table->currentIndex().row(), 0);
        viewer->findChild<QPushButton*>(QStringLiteral("copyRows"))->click();
        QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(lines[7]));
    }

    void chartColumnsAndTimeAxis() {
        LogViewer* viewer = afterDownload({.records = 30});
        QVERIFY(viewer);
        LogChart* chart = chartOf(viewer);
        QStringList columns;
        for (int i = 0; i < chart->columnList()->count(); ++i) {
            columns << chart->columnList()->item(i)->text();
        }
        // Event, Unit and Status hold text; Battery ("12.5V") is a reading with its unit.
        QCOMPARE(columns, QStringList({"Channel", "Value", "Battery", "Sequence"}));
        QCOMPARE(chart->chart()->series().size(), 4);
        auto* axis = qobject_cast<QDateTimeAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(axis);
        QCOMPARE(axis->min(), QDateTime(QDate(2026, 11, 1), QTime(0, 0)));
        QCOMPARE(axis->max(), QDateTime(QDate(2026, 11, 1), QTime(0, 29)));
        // A column switched off leaves the chart.
        chart->columnList()->item(3)->setCheckState(Qt::Unchecked);
        QVERIFY(!chart->chart()->series().at(3)->isVisible());
        QVERIFY(chart->chart()->series().at(2)->isVisible());
    }

    void ambiguousDatesAskAndTheAnswerIsKept() {
        // Every date is 01/11/2026: the 1st of November or January the 11th.
        LogViewer* viewer = afterDownload({.records = 30});
        QVERIFY(viewer);
        LogChart* chart = chartOf(viewer);
        QVERIFY(chart->data().orderAmbiguous);
        QVERIFY(chart->dateOrderBox()->isEnabled());
        QCOMPARE(chart->data().order, DateOrder::DayFirst);
        chart->dateOrderBox()->setFocus();
        QTest::keyClick(chart->dateOrderBox(), Qt::Key_Down);
        QCOMPARE(chart->data().order, DateOrder::MonthFirst);
        QCOMPARE(chart->data().series.at(0).points.at(0).x(),
                 double(QDateTime(QDate(2026, 1, 11), QTime(0, 0)).toMSecsSinceEpoch()));
        QVERIFY(w->env.readIni().contains("[VIEWER]\nDateOrder=MDY\n"));

        // A viewer opened later reads the same dates the same way.
        delete viewer;
        LogChart* again = chartOf(openViewer());
        QCOMPARE(again->data().order, DateOrder::MonthFirst);
        QCOMPARE(again->dateOrderBox()->currentIndex(), 1);
    }

    void unambiguousDatesDecideThemselves() {
        w->env.writeIni("[DEFAULT]\nComport= 1\n[VIEWER]\nDateOrder=MDY\n");
        LogViewer* viewer = afterDownload({.lines = downloadWithDates({"12/11/2026", "13/11/2026"})});
        QVERIFY(viewer);
        LogChart* chart = chartOf(viewer);
        QVERIFY(!chart->data().orderAmbiguous);
        QVERIFY(!chart->dateOrderBox()->isEnabled());
        QCOMPARE(chart->data().order, DateOrder::DayFirst);
        QCOMPARE(chart->data().series.at(0).points.at(1).x(),
                 double(QDateTime(QDate(2026, 11, 13), QTime(10, 1)).toMSecsSinceEpoch()));
    }

    void zoomFromTheKeyboardAndExport() {
        LogViewer* viewer = afterDownload({.records = 30});
        QVERIFY(viewer);
        LogChart* chart = chartOf(viewer);
        chart->view()->setFocus();
        QTest::keyClick(chart->view(), Qt::Key_Plus);
        QVERIFY(chart->chart()->isZoomed());
        QTest::keyClick(chart->view(), Qt::Key_Right);
        QTest::keyClick(chart->view(), Qt::Key_Home);
        QVERIFY(!chart->chart()->isZoomed());

        w->op.saveFiles = {w->env.path(QStringLiteral("chart"))};
        chart->findChild<QPushButton*>(QStringLiteral("exportPng"))->click();
        QCOMPARE(w->op.saveRequests.last().filter, QStringLiteral("PNG images (*.png)"));
        QCOMPARE(readFileBytes(w->env.path(QStringLiteral("chart.png"))).left(8),
                 QByteArray("\x89PNG\r\n\x1a\n"));
        // A place that cannot be written is told, not passed over.
        w->op.saveFiles = {w->env.path(QStringLiteral("no/such/folder/chart.png"))};
        chart->exportChart();
        QCOMPARE(w->op.texts().last(), QStringLiteral("The chart could not be saved as %1.")
                                           .arg(w->env.path(QStringLiteral("no/such/folder/chart.png"))));
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
