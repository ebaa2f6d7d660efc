// The log viewer over a download as the simulator sends it: rows as they arrive, find as you type, sorting,
// copy, the first and last row, closing and where it opens; the chart's columns, axes and ticks, gaps,
// day/month choice, zoom and export.

#include "ChartView.h"
#include "LineStore.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "RecordTableModel.h"
#include "ScriptedOperator.h"
#include "SimReply.h"
#include "TestEnvironment.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QValueAxis>
#include <QXYSeries>
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

// A value axis ticks at multiples of a round step, and begins and ends on one.
void verifyRoundTicks(const QValueAxis* axis) {
    QCOMPARE(axis->tickType(), QValueAxis::TicksDynamic);
    QCOMPARE(axis->tickAnchor(), 0.0);
    const double step = axis->tickInterval();
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    QVERIFY2(qFuzzyCompare(mantissa, 1.0) || qFuzzyCompare(mantissa, 2.0) || qFuzzyCompare(mantissa, 5.0),
             qPrintable(QString::number(step)));
    for (const double end : {axis->min(), axis->max()}) {
        QVERIFY(std::abs(end / step - std::round(end / step)) < 1e-6);
    }
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

    // Readings are shown, the channel and the sequence number only when ticked; each shown column has a
    // value axis of its own with round ticks; the time axis names whole times with their year.
    void chartColumnsAxesAndTicks() {
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
        LogChart* chart = chartOf(viewer);
        QStringList shown;
        for (int i = 0; i < chart->columnList()->count(); ++i) {
            const QListWidgetItem* item = chart->columnList()->item(i);
            shown << item->text() + (item->checkState() == Qt::Checked ? "" : " (off)");
            const QList<QAbstractSeries*> parts = chart->seriesOf(item->text());
            QCOMPARE(
                std::any_of(parts.begin(), parts.end(), [](QAbstractSeries* s) { return s->isVisible(); }),
                item->checkState() == Qt::Checked);
        }
        // Event, Unit and Status hold text; Battery ("12.5V") is a reading with its unit.
        QCOMPARE(shown, QStringList({"Channel (off)", "Value", "Battery", "Sequence (off)"}));
        QValueAxis* value = chart->valueAxis(QStringLiteral("Value"));
        QValueAxis* battery = chart->valueAxis(QStringLiteral("Battery"));
        QVERIFY(value != battery && value->isVisible() && battery->isVisible());
        QVERIFY(!chart->valueAxis(QStringLiteral("Channel"))->isVisible());
        QCOMPARE(value->alignment(), Qt::AlignLeft);
        QCOMPARE(battery->alignment(), Qt::AlignRight);
        // The sims's battery reads 11.5 to 14.4 V, its values 0 to 99.9 m.
        QCOMPARE(battery->min(), 11.5);
        QCOMPARE(battery->max(), 14.5);
        QCOMPARE(value->min(), 0.0);
        QCOMPARE(value->max(), 100.0);
        verifyRoundTicks(value);
        verifyRoundTicks(battery);
        auto* time = qobject_cast<QCategoryAxis*>(chart->timeAxis());
        QVERIFY(time);
        QCOMPARE(time->min(), double(QDateTime(QDate(2026, 11, 1), QTime(0, 0)).toMSecsSinceEpoch()));
        QCOMPARE(time->max(), double(QDateTime(QDate(2026, 11, 1), QTime(0, 29)).toMSecsSinceEpoch()));
        QVERIFY(time->categoriesLabels().size() >= 2);
        for (const QString& label : time->categoriesLabels()) {
            QVERIFY2(
                QRegularExpression(QStringLiteral("^2026-11-01<br>00:[0-2][05]$")).match(label).hasMatch(),
                qPrintable(label));
        }
        QCOMPARE(chart->chart()->title(),
                 QStringLiteral(
                     "Site: North Pump Station \u00b7 Unit: RM7-0042 \u00b7 2026-11-01 00:00 to 2026-11-01 "
                     "00:29"));

        // The sequence switched on gets an axis of its own, on the left beside the first.
        chart->columnList()->item(3)->setCheckState(Qt::Checked);
        QValueAxis* sequence = chart->valueAxis(QStringLiteral("Sequence"));
        QVERIFY(sequence->isVisible() && chart->seriesOf(QStringLiteral("Sequence")).at(0)->isVisible());
        QCOMPARE(sequence->max(), 30.0);
        QCOMPARE(sequence->alignment(), Qt::AlignLeft);
        verifyRoundTicks(sequence);
        chart->columnList()->item(2)->setCheckState(Qt::Unchecked);
        QVERIFY(!chart->seriesOf(QStringLiteral("Battery")).at(0)->isVisible());
        QVERIFY(!battery->isVisible());
    }

    // Records missing for more than ten minutes: no line across the gap; a lone record is a point.
    void chartGaps() {
        const QList<QByteArray> all = SimReply::downloadLines(90);
        QList<QByteArray> lines = all.mid(0, 7);
        for (int i = 0; i < 90; ++i) {
            if (i < 20 || (i >= 30 && i < 40) || i == 51 || i >= 63) {
                lines << all.at(7 + i);
            }
        }
        LogChart* chart = chartOf(afterDownload(lines));
        const QList<QAbstractSeries*> parts = chart->seriesOf(QStringLiteral("Value"));
        QList<int> counts;
        for (QAbstractSeries* part : parts) {
            counts << int(static_cast<QXYSeries*>(part)->count());
        }
        QCOMPARE(counts, QList<int>({20, 10, 27, 1}));
        QCOMPARE(parts.at(3)->type(), QAbstractSeries::SeriesTypeScatter);
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

    // + narrows the time, the value axes follow what is in view; Ctrl with + zooms the values too, and
    // they stay until Home.
    void zoomInTime() {
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
        LogChart* chart = chartOf(viewer);
        QValueAxis* time = chart->timeAxis();
        QValueAxis* value = chart->valueAxis(QStringLiteral("Value"));
        const double fullWidth = time->max() - time->min();
        chart->view()->setFocus();
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(chart->view(), Qt::Key_Plus);
        }
        QVERIFY(chart->isZoomed());
        QVERIFY(time->max() - time->min() < fullWidth / 3);
        // Records 11 to 18 are in view: values 40.7 to 66.6 (the sim's value goes up by 3.7 a minute).
        QCOMPARE(value->min(), 40.0);
        QCOMPARE(value->max(), 70.0);
        verifyRoundTicks(value);
        QTest::keyClick(chart->view(), Qt::Key_Left);
        QTest::keyClick(chart->view(), Qt::Key_Home);
        QVERIFY(!chart->isZoomed());
        QCOMPARE(time->max() - time->min(), fullWidth);
        QTest::keyClick(chart->view(), Qt::Key_Plus, Qt::ControlModifier);
        const double zoomedLow = value->min();
        QVERIFY(zoomedLow > 0);
        QTest::keyClick(chart->view(), Qt::Key_Right);
        QCOMPARE(value->min(), zoomedLow);
        QTest::keyClick(chart->view(), Qt::Key_0);
        QCOMPARE(value->min(), 0.0);
        // Zooming out never shows more than the download.
        QTest::keyClick(chart->view(), Qt::Key_Minus);
        QCOMPARE(time->max() - time->min(), fullWidth);
    }

    // The picture is offered under the controller's name and times, in the folder of the last picture.
    void exportPng() {
        LogChart* chart = chartOf(afterDownload(SimReply::downloadLines(30)));
        const QString name = QStringLiteral("RM7-0042_2026-11-01_0000_to_2026-11-01_0029.png");
        QDir().mkpath(m_env->path(QStringLiteral("pictures")));
        m_op.saveFiles = {m_env->path(QStringLiteral("pictures/chart"))};
        chart->findChild<QPushButton*>(QStringLiteral("exportPng"))->click();
        QCOMPARE(m_op.saveRequests.last().filter, QStringLiteral("PNG images (*.png)"));
        QCOMPARE(m_op.saveRequests.last().folder, QDir::homePath() + QLatin1Char('/') + name);
        QCOMPARE(readFileBytes(m_env->path(QStringLiteral("pictures/chart.png"))).left(8),
                 QByteArray("\x89PNG\r\n\x1a\n"));
        m_op.saveFiles = {std::nullopt};
        chart->exportChart();
        QCOMPARE(m_op.saveRequests.last().folder, m_env->path(QStringLiteral("pictures/")) + name);
        // A place that cannot be written is told, not passed over.
        m_op.saveFiles = {m_env->path(QStringLiteral("no/such/folder/chart.png"))};
        chart->exportChart();
        QCOMPARE(m_op.texts().last(), QStringLiteral("The chart could not be saved as %1.")
                                          .arg(m_env->path(QStringLiteral("no/such/folder/chart.png"))));
    }

    // A click on a column title sorts by it; a sorted table counts, copies with its titles and finds.
    void sortCountAndCopyTitles() {
        LogViewer* viewer = afterDownload(SimReply::downloadLines(30));
        QHeaderView* header = viewer->table()->horizontalHeader();
        const QPoint valueTitle(header->sectionViewportPosition(4) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, valueTitle);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, valueTitle);
        QCOMPARE(header->sortIndicatorSection(), 4);
        QCOMPARE(viewer->model()->index(0, 4).data().toString(), QStringLiteral("99.9")); // record 28
        QCOMPARE(viewer->model()->headerData(0, Qt::Vertical).toInt(), 28);
        QCOMPARE(viewer->rowCount()->text(), QStringLiteral("31 rows"));
        QTest::keyClicks(viewer->filter(), QStringLiteral("pump on"));
        QTRY_COMPARE(viewer->rowCount()->text(), QStringLiteral("6 of 31 rows"));
        QCOMPARE(viewer->model()->index(0, 4).data().toString(), QStringLiteral("99.9"));

        viewer->copyTitles()->setChecked(true);
        viewer->table()->selectRow(0);
        viewer->copyRows();
        const QList<QByteArray> lines = SimReply::downloadLines(30);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(lines[6] + lines[7 + 27]));
    }

    void escapeAndCtrlWClose_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::newRow("Escape") << QKeyCombination(Qt::Key_Escape);
        QTest::newRow("Ctrl+W") << QKeyCombination(Qt::ControlModifier, Qt::Key_W);
    }
    void escapeAndCtrlWClose() {
        QFETCH(QKeyCombination, key);
        LogViewer* viewer = afterDownload(SimReply::downloadLines(3));
        QApplication::setActiveWindow(viewer);
        viewer->filter()->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QTest::keyClick(viewer->filter(), key.key(), key.keyboardModifiers());
        QVERIFY(!viewer->isVisible());
    }

    void placedBesideTheMainWindow_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QPoint>("viewer");
        const QRect screen(0, 0, 1920, 1080); // the viewer's frame is 900 x 600
        QTest::newRow("room on the right") << QRect(100, 50, 640, 480) << QPoint(740, 50);
        QTest::newRow("room on the left only") << QRect(1000, 50, 640, 480) << QPoint(100, 50);
        QTest::newRow("neither: the side it covers less") << QRect(300, 100, 1200, 700) << QPoint(1020, 100);
        QTest::newRow("low on the screen") << QRect(100, 800, 640, 240) << QPoint(740, 480);
    }
    void placedBesideTheMainWindow() {
        QFETCH(QRect, main);
        QTEST(WindowPlacement::beside(main, QSize(900, 600), QRect(0, 0, 1920, 1080)), "viewer");
    }
    void opensBesideItsParent() {
        QWidget main;
        main.setGeometry(10, 20, 100, 100);
        main.show();
        LogViewer viewer(m_store, m_op, &main);
        viewer.resize(viewer.minimumSizeHint());
        viewer.show();
        const QRect frame = main.frameGeometry();
        QCOMPARE(viewer.frameGeometry().topLeft(), QPoint(frame.right() + 1, frame.top()));
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
