// The log viewer's reading of a download, without widgets: fields, the table's rows and columns, the
// filter, sorting, copying, rows arriving during a download, column kinds, dates, the chart's points, gaps,
// ticks and title.

#include "ChartData.h"
#include "ChartScale.h"
#include "ChartTitle.h"
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

QDateTime at(const char* text) {
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QList<int> linesShown(const RecordTableModel& model) {
    QList<int> lines;
    for (int row = 0; row < model.rowCount(); ++row) {
        lines << model.lineOf(row);
    }
    return lines;
}

// Lines 2 to 6 of a download to sort: its dates are day first (13/10), one value is missing.
const QList<QByteArray> kToSort = {
    "Date,Time,Event,Value\r\n", "02/11/2026,09:00,b,10\r\n",  "13/10/2026,23:00,C,9.5\r\n",
    "02/11/2026,08:00,a,\r\n",   "01/12/2026,00:30,B,100\r\n", "noise\r\n",
};

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

    void numberColumnUses_data() {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QList<QByteArray>>("values"); // repeated over 40 records
        QTest::addColumn<QString>("use");
        QTest::newRow("channels in turn")
            << QByteArray("Channel") << QList<QByteArray>{"1", "2", "3", "4"} << "identifier";
        QTest::newRow("one sensor, by its title")
            << QByteArray("Sensor ID") << QList<QByteArray>{"7"} << "identifier";
        QTest::newRow("few whole numbers changing at every record")
            << QByteArray("Input") << QList<QByteArray>{"0", "2", "1"} << "identifier";
        QTest::newRow("whole-number level changing slowly")
            << QByteArray("Level") << QList<QByteArray>{"3", "3", "3", "4", "4", "4"} << "reading";
        QTest::newRow("readings with decimals")
            << QByteArray("Level") << QList<QByteArray>{"1.5", "2.5"} << "reading";
        QTest::newRow("a sequence") << QByteArray("Sequence") << QList<QByteArray>{} << "counter";
        QTest::newRow("a rising count, irregular")
            << QByteArray("Count") << QList<QByteArray>{"+1", "+3"} << "reading";
        QTest::newRow("the same under a counter's title")
            << QByteArray("Seq No") << QList<QByteArray>{"+1", "+3"} << "counter";
    }
    void numberColumnUses() {
        QFETCH(QByteArray, title);
        QFETCH(QList<QByteArray>, values);
        QFETCH(QString, use);
        LineStore store;
        store.append("Date,Time," + title + "\r\n");
        int total = 0;
        for (int i = 0; i < 40; ++i) {
            // No values: 000001, 000002, ...; "+n": a running total rising by n, by turns.
            const QByteArray value = values.isEmpty() ? QByteArray::number(i + 1).rightJustified(6, '0')
                                     : values.at(0).startsWith('+')
                                         ? QByteArray::number(total += values.at(i % 2).mid(1).toInt())
                                         : values.at(i % values.size());
            store.append("01/11/2026,10:" + QByteArray::number(10 + i) + "," + value + "\r\n");
        }
        const ColumnKinds kinds = ColumnKinds::detect(store, LogLayout::of(store), 3);
        QCOMPARE(kinds.numberColumns, QList<int>{2});
        const QString found = kinds.identifierColumns.contains(2) ? "identifier"
                              : kinds.counterColumns.contains(2)  ? "counter"
                                                                  : "reading";
        QCOMPARE(found, use);
        QCOMPARE(kinds.isReading(2), use == u"reading");
    }

    void valueTicks_data() {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("most");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("lowLabel");
        QTest::newRow("battery") << 11.5 << 14.4 << 8 << 11.5 << 14.5 << 0.5 << "11.5";
        QTest::newRow("flow") << 3.0 << 200.0 << 10 << 0.0 << 200.0 << 20.0 << "0";
        QTest::newRow("either side of 0") << -5.0 << 104.9 << 10 << -20.0 << 120.0 << 20.0 << "-20";
        QTest::newRow("one value") << 12.5 << 12.5 << 5 << 11.0 << 14.0 << 1.0 << "11";
        QTest::newRow("zero alone") << 0.0 << 0.0 << 4 << -1.0 << 1.0 << 0.5 << "-1.0";
        QTest::newRow("thousandths") << 0.001 << 0.0042 << 5 << 0.001 << 0.005 << 0.001 << "0.001";
    }
    void valueTicks() {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(int, most);
        const ChartScale::Values v = ChartScale::values(min, max, most);
        QTEST(v.low, "low");
        QTEST(v.high, "high");
        QTEST(v.step, "step");
        QTEST(v.label(v.low), "lowLabel");
        QVERIFY(v.steps() <= most);
    }

    void timeTicks_data() {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<int>("most");
        QTest::addColumn<QStringList>("labels"); // the first two, and the last
        QTest::addColumn<int>("count");
        QTest::newRow("a day and a half in hours")
            << at("2026-11-01 00:00:00") << at("2026-11-02 09:19:00") << 6
            << QStringList{"2026-11-01 00:00", "2026-11-01 06:00", "2026-11-02 06:00"} << 6;
        QTest::newRow("a working day in two hours")
            << at("2026-11-01 00:00:00") << at("2026-11-01 10:00:00") << 6
            << QStringList{"2026-11-01 00:00", "2026-11-01 02:00", "2026-11-01 10:00"} << 6;
        QTest::newRow("minutes") << at("2026-11-01 00:49:30") << at("2026-11-01 01:37:00") << 5
                                 << QStringList{"2026-11-01 00:50", "2026-11-01 01:00", "2026-11-01 01:30"}
                                 << 5;
        QTest::newRow("seconds") << at("2026-11-01 10:00:03") << at("2026-11-01 10:00:41") << 5
                                 << QStringList{"2026-11-01 10:00:10", "2026-11-01 10:00:20",
                                                "2026-11-01 10:00:40"}
                                 << 4;
        QTest::newRow("weeks from Monday") << at("2026-11-01 00:00:00") << at("2026-12-20 00:00:00") << 8
                                           << QStringList{"2026-11-02", "2026-11-09", "2026-12-14"} << 7;
        QTest::newRow("quarters") << at("2026-01-15 00:00:00") << at("2027-03-01 00:00:00") << 6
                                  << QStringList{"2026-04-01", "2026-07-01", "2027-01-01"} << 4;
        QTest::newRow("years") << at("2000-01-01 00:00:00") << at("2026-11-01 00:00:00") << 6
                               << QStringList{"2000-01-01", "2005-01-01", "2025-01-01"} << 6;
    }
    void timeTicks() {
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(int, most);
        QFETCH(QStringList, labels);
        const ChartScale::Times t = ChartScale::times(from.toMSecsSinceEpoch(), to.toMSecsSinceEpoch(), most);
        QTEST(int(t.ticks.size()), "count");
        QCOMPARE(ChartScale::timeLabel(t.ticks.at(0), t.format), labels.at(0));
        QCOMPARE(ChartScale::timeLabel(t.ticks.at(1), t.format), labels.at(1));
        QCOMPARE(ChartScale::timeLabel(t.ticks.last(), t.format), labels.at(2));
    }

    // A line never crosses a time without records much longer than the usual interval, nor goes back.
    void gapsCutTheLine_data() {
        QTest::addColumn<QList<int>>("minutes"); // of each record, in the order they came
        QTest::addColumn<QList<int>>("breaks");
        QTest::newRow("every minute") << QList<int>{0, 1, 2, 3, 4} << QList<int>{};
        QTest::newRow("an hour off") << QList<int>{0, 1, 2, 3, 60, 61, 62} << QList<int>{4};
        QTest::newRow("ten intervals is no gap") << QList<int>{0, 1, 2, 3, 13, 14} << QList<int>{};
        QTest::newRow("a record alone") << QList<int>{0, 1, 2, 100, 200, 201, 202} << QList<int>{3, 4};
        QTest::newRow("the clock set back") << QList<int>{0, 1, 2, 3, 1, 2, 3} << QList<int>{4};
        QTest::newRow("channels at the same minute")
            << QList<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 30, 30} << QList<int>{9};
    }
    void gapsCutTheLine() {
        QFETCH(QList<int>, minutes);
        QList<QByteArray> lines = {"Date,Time,Level\r\n"};
        for (int i = 0; i < minutes.size(); ++i) {
            const QTime time = QTime(0, 0).addSecs(minutes.at(i) * 60);
            lines << "01/11/2026," + time.toString(u"HH:mm").toLatin1() + ",1" + QByteArray::number(i) +
                         ".5\r\n";
        }
        LineStore store;
        fill(store, lines);
        const LogLayout layout = LogLayout::of(store);
        const ChartData data = ChartData::build(store, layout, ColumnKinds::detect(store, layout, 3), {});
        QCOMPARE(data.series.at(0).points.size(), minutes.size());
        QTEST(data.series.at(0).breaks, "breaks");
    }

    void chartTitle_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("timeAxis");
        QTest::addColumn<QDateTime>("first"); // or, against the record number, records 1 to 4
        QTest::addColumn<QDateTime>("last");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fileName");
        const QString sim =
            QStringLiteral("RM7 CONTROLLER LOG DOWNLOAD\nKorvane Instruments\nSite: North Pump "
                           "Station\nUnit: RM7-0042\nLog Entries: 400\nFirmware: R7305 V1.7");
        QTest::newRow("site and unit")
            << sim << true << at("2026-11-01 00:00:00") << at("2026-11-01 06:39:00")
            << QStringLiteral("Site: North Pump Station \u00b7 Unit: RM7-0042 \u00b7 2026-11-01 00:00 to "
                              "2026-11-01 06:39")
            << "RM7-0042_2026-11-01_0000_to_2026-11-01_0639.png";
        QTest::newRow("a site alone, seconds")
            << "LOG\nsite: Tank 3 / West\n"
            << true << at("2026-11-01 00:00:05") << at("2026-11-02 00:00:00")
            << QStringLiteral("site: Tank 3 / West \u00b7 2026-11-01 00:00:05 to 2026-11-02 00:00:00")
            << "Tank_3_West_2026-11-01_000005_to_2026-11-02_000000.png";
        QTest::newRow("no name, no dates")
            << "LOG\nFirmware: 1.7" << false << QDateTime() << QDateTime() << "records 1 to 4"
            << "chart_records_1-4.png";
    }
    void chartTitle() {
        QFETCH(QString, header);
        QFETCH(bool, timeAxis);
        QFETCH(QDateTime, first);
        QFETCH(QDateTime, last);
        ChartData data;
        data.timeAxis = timeAxis;
        data.plotted = 4;
        data.firstX = timeAxis ? double(first.toMSecsSinceEpoch()) : 1;
        data.lastX = timeAxis ? double(last.toMSecsSinceEpoch()) : 4;
        const ChartTitle title = ChartTitle::of(header, data);
        QTEST(title.text, "title");
        QTEST(title.fileName, "fileName");
    }

    // Numbers as numbers, dates and times as the moment, text in either case alike; no value comes last.
    void sorting_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("values rising") << 3 << Qt::AscendingOrder << QList<int>{3, 2, 5, 4, 6};
        QTest::newRow("values falling") << 3 << Qt::DescendingOrder << QList<int>{5, 2, 3, 4, 6};
        QTest::newRow("by date") << 0 << Qt::AscendingOrder << QList<int>{3, 4, 2, 5, 6};
        QTest::newRow("by time, that is by date and time")
            << 1 << Qt::DescendingOrder << QList<int>{5, 2, 4, 3, 6};
        QTest::newRow("text") << 2 << Qt::AscendingOrder << QList<int>{4, 2, 5, 3, 6};
        QTest::newRow("as they came") << -1 << Qt::AscendingOrder << QList<int>{2, 3, 4, 5, 6};
    }
    void sorting() {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        LineStore store;
        fill(store, kToSort);
        RecordTableModel model(store);
        model.sort(2, Qt::DescendingOrder);
        model.sort(column, order);
        QTEST(linesShown(model), "lines");
        QCOMPARE(model.nonRecordRows(), QList<int>{4});
        QCOMPARE(model.index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QVERIFY(!model.index(0, 2).data(Qt::TextAlignmentRole).isValid());
    }

    // A sorted table keeps its order while a download adds rows and while Find narrows them.
    void sortedRowsTakeArrivalsAndFind() {
        LineStore store;
        fill(store, kToSort);
        RecordTableModel model(store);
        model.sort(3, Qt::AscendingOrder);
        store.append("03/11/2026,07:00,d,50\r\n");
        store.append("03/11/2026,07:01,e,1\r\n");
        model.linesStored();
        QCOMPARE(linesShown(model), QList<int>({8, 3, 2, 7, 5, 4, 6}));
        model.setFilter(QStringLiteral("/11/"));
        QCOMPARE(linesShown(model), QList<int>({8, 2, 7, 4}));
        model.setFilter(QStringLiteral("/11/2026,0"));
        QCOMPARE(linesShown(model), QList<int>({8, 2, 7, 4}));
        QCOMPARE(model.allRows(), 7);
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
