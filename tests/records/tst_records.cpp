// The log viewer's reading of a download, without widgets: fields, the table's rows and columns, the
// filter, copying, rows arriving during a download, column kinds, dates and the chart's points.

#include "ChartData.h"
#include "ColumnKinds.h"
#include "CsvLine.h"
#include "FieldValue.h"
#include "LineStore.h"
#include "LogLayout.h"
#include "RecordTableModel.h"
#include "StoredSettings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>

namespace {

// A download with all the viewer must cope with: header, titles, plain and quoted records, a short and a
// long record, stray text and the final line.
const QList<QByteArray> kDownload = {
    "RM7 CONTROLLER LOG DOWNLOAD\r\n",
    "Site: North Pump Station\r\n",
    "Log Entries: 4\r\n",
    "Date,Time,Event,Value,Battery\r\n",
    "13/11/2026,08:00:00,LEVEL,12.5,14.2V\r\n",
    "13/11/2026,08:15:00,\"PUMP ON, manual\",3.0,14.1V\r\n",
    "13/11/2026,08:30:00,\"say \"\"hi\"\"\"\r\n",
    "13/11/2026,08:45:00,FLOW,7.25,13.9V,EXTRA,MORE\r\n",
    "line noise here\r\n",
    "END OF DOWNLOAD\r\n",
};

void fill(LineStore& store, const QList<QByteArray>& lines) {
    for (const QByteArray& line : lines) {
        store.append(line);
    }
}

QStringList rowTexts(const RecordTableModel& model, int row) {
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c) {
        cells << model.index(row, c).data().toString();
    }
    return cells;
}

QList<QByteArray> records(const QList<QByteArray>& dates, const QByteArray& titles = "Date,Time,Level\r\n") {
    QList<QByteArray> lines = {"Header\r\n", titles};
    int i = 0;
    for (const QByteArray& date : dates) {
        lines << date + ",10:0" + QByteArray::number(i % 10) + ",1" + QByteArray::number(i) + ".5m\r\n";
        ++i;
    }
    lines << "END OF DOWNLOAD\r\n";
    return lines;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT

private slots:
    // Run under a comma locale too (see tests/CMakeLists.txt): the readings read the same.
    void initTestCase() {
        if (qEnvironmentVariableIsSet("RM7_EXPECT_COMMA_LOCALE")) {
            QCOMPARE(QString::fromLatin1(std::localeconv()->decimal_point), QStringLiteral(","));
            QCOMPARE(QLocale::system().decimalPoint(), QStringLiteral(","));
        }
    }

    void csvFields_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain") << QByteArray("a,b,c\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("LF alone") << QByteArray("a,b\n") << QStringList{"a", "b"};
        QTest::newRow("empty fields") << QByteArray(",x,,\r\n") << QStringList{"", "x", "", ""};
        QTest::newRow("quoted comma") << QByteArray("\"a,b\",c\r\n") << QStringList{"a,b", "c"};
        QTest::newRow("doubled quote")
            << QByteArray("\"say \"\"hi\"\"\",2") << QStringList{"say \"hi\"", "2"};
        QTest::newRow("Latin-1") << QByteArray("25\xb0"
                                               "C,\xe9t\xe9\r\n")
                                 << QStringList{QStringLiteral("25\u00b0C"), QStringLiteral("\u00e9t\u00e9")};
        QTest::newRow("no comma") << QByteArray("END OF DOWNLOAD\r\n") << QStringList{"END OF DOWNLOAD"};
    }
    void csvFields() {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, fields);
        QCOMPARE(CsvLine::fields(line), fields);
        QCOMPARE(CsvLine::fieldCount(line), fields.size());
    }

    void tableOfADownload() {
        LineStore store;
        fill(store, kDownload);
        RecordTableModel model(store);
        QCOMPARE(model.headerText(),
                 QStringLiteral("RM7 CONTROLLER LOG DOWNLOAD\nSite: North Pump Station\nLog Entries: 4"));
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.columnCount(), 7); // the long record's two extra fields keep columns of their own
        QStringList titles;
        for (int c = 0; c < 5; ++c) {
            titles << model.headerData(c, Qt::Horizontal).toString();
        }
        QCOMPARE(titles, QStringList({"Date", "Time", "Event", "Value", "Battery"}));
        QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows << rowTexts(model, row).join(u'|') +
                        (model.index(row, 0).data(RecordTableModel::IsRecordRole).toBool() ? "" : " (text)");
        }
        QCOMPARE(rows, QStringList({"13/11/2026|08:00:00|LEVEL|12.5|14.2V||",
                                    "13/11/2026|08:15:00|PUMP ON, manual|3.0|14.1V||",
                                    "13/11/2026|08:30:00|say \"hi\"||||",
                                    "13/11/2026|08:45:00|FLOW|7.25|13.9V|EXTRA|MORE",
                                    "line noise here|||||| (text)", "END OF DOWNLOAD|||||| (text)"}));
        QCOMPARE(model.nonRecordRows(), QList<int>({4, 5}));
        QCOMPARE(model.index(1, 3).data(RecordTableModel::LineRole).toByteArray(), kDownload[5]);
    }

    void filter_data() {
        QTest::addColumn<QStringList>("typed"); // one text after another, as typed
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("any case") << QStringList{"pump on"} << QList<int>{6};
        QTest::newRow("typing on narrows") << QStringList{"1", "13.9", "13.9v"} << QList<int>{8};
        QTest::newRow("back to wider") << QStringList{"flow", "fl", "08:"} << QList<int>{5, 6, 7, 8};
        QTest::newRow("the final line") << QStringList{"end of"} << QList<int>{10};
        QTest::newRow("nothing") << QStringList{"no such text"} << QList<int>{};
        QTest::newRow("beyond Latin-1") << QStringList{QStringLiteral("\u20ac")} << QList<int>{};
        QTest::newRow("cleared") << QStringList{"flow", ""} << QList<int>{5, 6, 7, 8, 9, 10};
    }
    void filter() {
        QFETCH(QStringList, typed);
        QFETCH(QList<int>, lines);
        LineStore store;
        fill(store, kDownload);
        RecordTableModel model(store);
        for (const QString& text : typed) {
            model.setFilter(text);
        }
        QList<int> shown;
        for (int row = 0; row < model.rowCount(); ++row) {
            shown << model.lineOf(row);
        }
        QCOMPARE(shown, lines);
    }

    void copyGivesTheLinesAsTheyArrived() {
        LineStore store;
        fill(store, kDownload);
        RecordTableModel model(store);
        QCOMPARE(model.linesOf({3, 1, 1}), kDownload[5] + kDownload[7]);
        model.setFilter(QStringLiteral("13.9"));
        QCOMPARE(model.linesOf({0}), kDownload[7]);
        QCOMPARE(model.linesOf({7}), QByteArray());
    }

    // Told of lines as a download stores them, the table adds their rows; a new download starts it again;
    // once the store is gone it never reads it again.
    void rowsArriveDuringADownload() {
        LineStore store;
        RecordTableModel model(store);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        const auto arrive = [&](int first, int last) {
            for (int k = first; k <= last; ++k) {
                store.append(kDownload[k]);
            }
            model.linesStored();
        };
        arrive(0, 4); // one read brings the header and the first record, later reads a line or two each
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.headerText().count(QLatin1Char('\n')), 2);
        const qsizetype resetsAtTitles = reset.size();
        inserted.clear();
        arrive(5, 6);
        arrive(7, 7); // the long record widens the table
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.at(0).at(1).toInt(), 1);
        QCOMPARE(inserted.at(0).at(2).toInt(), 2);
        QCOMPARE(model.columnCount(), 7);
        QCOMPARE(reset.size(), resetsAtTitles); // what was there stays laid out
        model.setFilter(QStringLiteral("end")); // while a filter is on, only matching arrivals are added
        arrive(8, 9);
        QCOMPARE(model.rowCount(), 1);
        model.setFilter(QString());
        QCOMPARE(model.rowCount(), 6);
        store.clear();
        model.linesDropped();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.headerText(), QString());
        arrive(0, 9);
        model.detach();
        QCOMPARE(model.rowCount(), 0);
        model.linesStored();
        QCOMPARE(model.rowCount(), 0);
    }

    void numbers_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<double>("value"); // NaN: not a number
        const double no = qQNaN();
        QTest::newRow("plain") << QByteArray("12.5") << 12.5;
        QTest::newRow("unit") << QByteArray("14.2V") << 14.2;
        QTest::newRow("unit after a blank") << QByteArray(" 35 %") << 35.0;
        QTest::newRow("negative") << QByteArray("-3.25degC") << -3.25;
        QTest::newRow("many digits, exactly rounded")
            << QByteArray("1234567890.123456789") << 1234567890.123456789;
        QTest::newRow("text") << QByteArray("PUMP ON") << no;
        QTest::newRow("date") << QByteArray("13/11/2026") << no;
        QTest::newRow("time") << QByteArray("08:00:00") << no;
        QTest::newRow("comma decimal") << QByteArray("12,5") << no;
        QTest::newRow("empty") << QByteArray("") << no;
    }
    void numbers() {
        QFETCH(QByteArray, field);
        QFETCH(double, value);
        QCOMPARE(FieldValue::number(field).value_or(qQNaN()), value);
    }

    void columnKinds() {
        LineStore store;
        fill(store, kDownload);
        const LogLayout layout = LogLayout::of(store);
        const ColumnKinds kinds = ColumnKinds::detect(store, layout, 7);
        QCOMPARE(kinds.kinds.mid(0, 5),
                 QList<ColumnKind>({ColumnKind::Date, ColumnKind::Time, ColumnKind::Text, ColumnKind::Number,
                                    ColumnKind::Number}));
        QCOMPARE(kinds.dateColumn, 0);
        QCOMPARE(kinds.timeColumn, 1);
        QCOMPARE(kinds.numberColumns, QList<int>({3, 4}));
    }

    void dateOrder_data() {
        QTest::addColumn<QList<QByteArray>>("dates");
        QTest::addColumn<DateOrder>("chosen");
        QTest::addColumn<DateOrder>("read");
        QTest::addColumn<bool>("ambiguous");
        QTest::addColumn<QDate>("first");
        const QList<QByteArray> dayFirst = {"03/04/2026", "13/04/2026"};
        const QList<QByteArray> monthFirst = {"03/04/2026", "04/13/2026"};
        const QList<QByteArray> both = {"03/04/2026", "04/03/2026"};
        QTest::newRow("a day above 12 first")
            << dayFirst << DateOrder::MonthFirst << DateOrder::DayFirst << false << QDate(2026, 4, 3);
        QTest::newRow("a day above 12 second")
            << monthFirst << DateOrder::DayFirst << DateOrder::MonthFirst << false << QDate(2026, 3, 4);
        QTest::newRow("ambiguous, day first chosen")
            << both << DateOrder::DayFirst << DateOrder::DayFirst << true << QDate(2026, 4, 3);
        QTest::newRow("ambiguous, month first chosen")
            << both << DateOrder::MonthFirst << DateOrder::MonthFirst << true << QDate(2026, 3, 4);
        QTest::newRow("ambiguous, no choice yet")
            << both << DateOrder::Unknown << DateOrder::DayFirst << true << QDate(2026, 4, 3);
        QTest::newRow("ISO dates") << QList<QByteArray>{"2026-03-04"} << DateOrder::MonthFirst
                                   << DateOrder::DayFirst << false << QDate(2026, 3, 4);
    }
    void dateOrder() {
        QFETCH(QList<QByteArray>, dates);
        QFETCH(DateOrder, chosen);
        QFETCH(DateOrder, read);
        QFETCH(bool, ambiguous);
        QFETCH(QDate, first);
        LineStore store;
        fill(store, records(dates));
        const LogLayout layout = LogLayout::of(store);
        const ColumnKinds kinds = ColumnKinds::detect(store, layout, 3);
        const ChartData data = ChartData::build(store, layout, kinds, chosen);
        QVERIFY(data.timeAxis);
        QCOMPARE(data.order, read);
        QCOMPARE(data.orderAmbiguous, ambiguous);
        QCOMPARE(data.series.size(), 1);
        QCOMPARE(data.series[0].title, QStringLiteral("Level"));
        const QDateTime x = QDateTime::fromMSecsSinceEpoch(qint64(data.series[0].points.at(0).x()));
        QCOMPARE(x, QDateTime(first, QTime(10, 0)));
        QCOMPARE(data.series[0].points.at(0).y(), 10.5);
    }

    void withoutDatesAgainstTheRecordNumber() {
        LineStore store;
        fill(store, {"Date,Level,Flow\r\n", "x,1.5,2\r\n", "x,2.5,3\r\n", "END OF DOWNLOAD\r\n"});
        // "Date," names the columns even when no dates follow.
        const LogLayout layout = LogLayout::of(store);
        const ChartData data = ChartData::build(store, layout, ColumnKinds::detect(store, layout, 3), {});
        QVERIFY(!data.timeAxis);
        QCOMPARE(data.series.size(), 2);
        QCOMPARE(data.series[0].points, QList<QPointF>({{1, 1.5}, {2, 2.5}}));
    }

    void longDownloadsKeepFewPointsAndTheirPeaks() {
        LineStore store;
        store.append("Date,Time,Level\r\n");
        const int n = 100000;
        for (int i = 0; i < n; ++i) {
            const QByteArray level = i == 54321 ? QByteArray("999.0") : QByteArray::number(i % 100);
            store.append("01/11/2026,10:00:00," + level + "\r\n");
        }
        const LogLayout layout = LogLayout::of(store);
        const ChartData data = ChartData::build(store, layout, ColumnKinds::detect(store, layout, 3), {});
        const QList<QPointF>& points = data.series.at(0).points;
        QVERIFY(points.size() <= 2 * ChartData::kBuckets);
        QVERIFY(points.size() >= ChartData::kBuckets);
        QVERIFY(std::any_of(points.begin(), points.end(), [](QPointF p) { return p.y() == 999.0; }));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
