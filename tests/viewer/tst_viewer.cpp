// The log viewer over a download as the simulator sends it: rows as they arrive, find as you type, copy,
// the first and last row, and the chart's columns, time axis, day/month choice, zoom and export.

#include "ChartView.h"
#include "LineStore.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "RecordTableModel.h"
#include "ScriptedOperator.h"
#include "SimReply.h"
#include "TestEnvironment.h"

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

    std::unique_ptr<TestEnvironment> m_env;
    ScriptedOperator m_op;
    LineStore m_store;
    std::unique_ptr<LogViewer> m_viewer;

    LogViewer* afterDownload(const QList<QByteArray>& lines) {
        m_store.clear();
        for (const QByteArray& line : lines) {
            m_store.append(line);
        }
        m_viewer = std::make_unique<LogViewer>(m_store, m_op);
        m_viewer->show();
        return m_viewer.get();
    }
    LogChart* chartOf(LogViewer* viewer) {
        viewer->tabs()->setCurrentWidget(viewer->chart());
        return viewer->chart();
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_op = ScriptedOperator();
    }
    void cleanup() {
        m_viewer.reset();
        m_env.reset();
    }

    // Rows follow the lines as they arrive; a table that showed the newest row keeps showing the newest,
    // and a line that is no record stands across the row.
    void rowsArrive() {
        LogViewer* viewer = afterDownload(QList<QByteArray>());
        const QList<QByteArray> lines = SimReply::downloadLines(200);
        for (const QByteArray& line : lines) {
            m_store.append(line);
            viewer->model()->linesStored();
        }
        QTRY_COMPARE(viewer->model()->rowCount(), 201);
        QCOMPARE(viewer->header()->toPlainText().split(u'\n').at(2),
                 QStringLiteral("Site: North Pump Station"));
        QCOMPARE(viewer->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Event"));
        QCOMPARE(viewer->model()->index(199, 8).data().toString(), QStringLiteral("000200"));
        QCOMPARE(viewer->table()->columnSpan(200, 0), 9);
        viewer->goToLast();
        m_store.append("stray\r\n");
        viewer->model()->linesStored();
        QTRY_COMPARE(viewer->model()->rowCount(), 202);
        QTRY_VERIFY(viewer->table()->rowAt(viewer->table()->viewport()->height() - 2) >= 200);
    }

    void findAsYouType() {
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
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
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
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
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
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
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
        LogChart* chart = chartOf(viewer);
        QVERIFY(chart->data().orderAmbiguous);
        QVERIFY(chart->dateOrderBox()->isEnabled());
        QCOMPARE(chart->data().order, DateOrder::DayFirst);
        chart->dateOrderBox()->setFocus();
        QTest::keyClick(chart->dateOrderBox(), Qt::Key_Down);
        QCOMPARE(chart->data().order, DateOrder::MonthFirst);
        QCOMPARE(chart->data().series.at(0).points.at(0).x(),
                 double(QDateTime(QDate(2026, 1, 11), QTime(0, 0)).toMSecsSinceEpoch()));
        QVERIFY(m_env->readIni().contains("[VIEWER]\nDateOrder=MDY\n"));

        // A viewer opened later reads the same dates the same way.
        LogChart* again = chartOf(afterDownload(SimReply::downloadLines(30)));
        QCOMPARE(again->data().order, DateOrder::MonthFirst);
        QCOMPARE(again->dateOrderBox()->currentIndex(), 1);
    }

    void unambiguousDatesDecideThemselves() {
        m_env->writeIni("[VIEWER]\nDateOrder=MDY\n");
        LogViewer* viewer = afterDownload(downloadWithDates({"12/11/2026", "13/11/2026"}));
        LogChart* chart = chartOf(viewer);
        QVERIFY(!chart->data().orderAmbiguous);
        QVERIFY(!chart->dateOrderBox()->isEnabled());
        QCOMPARE(chart->data().order, DateOrder::DayFirst);
        QCOMPARE(chart->data().series.at(0).points.at(1).x(),
                 double(QDateTime(QDate(2026, 11, 13), QTime(10, 1)).toMSecsSinceEpoch()));
    }

    void zoomFromTheKeyboardAndExport() {
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
        LogChart* chart = chartOf(viewer);
        chart->view()->setFocus();
        QTest::keyClick(chart->view(), Qt::Key_Plus);
        QVERIFY(chart->chart()->isZoomed());
        QTest::keyClick(chart->view(), Qt::Key_Right);
        QTest::keyClick(chart->view(), Qt::Key_Home);
        QVERIFY(!chart->chart()->isZoomed());

        m_op.saveFiles = {m_env->path(QStringLiteral("chart"))};
        chart->findChild<QPushButton*>(QStringLiteral("exportPng"))->click();
        QCOMPARE(m_op.saveRequests.last().filter, QStringLiteral("PNG images (*.png)"));
        QCOMPARE(readFileBytes(m_env->path(QStringLiteral("chart.png"))).left(8),
                 QByteArray("\x89PNG\r\n\x1a\n"));
        // A place that cannot be written is told, not passed over.
        m_op.saveFiles = {m_env->path(QStringLiteral("no/such/folder/chart.png"))};
        chart->exportChart();
        QCOMPARE(m_op.texts().last(), QStringLiteral("The chart could not be saved as %1.")
                                          .arg(m_env->path(QStringLiteral("no/such/folder/chart.png"))));
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
