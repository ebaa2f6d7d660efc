// The viewer's archive side over a real SQLite archive in a folder of the test's own: the controller list
// and its overdue mark, a merged history, a comparison, a saved file opened, imports, exports, renaming
// and joining, and the archive switched off.

#include "ArchivePage.h"
#include "ArchivePane.h"
#include "ArchiveService.h"
#include "ComparisonPage.h"
#include "ControllerListModel.h"
#include "DownloadListModel.h"
#include "ExportBar.h"
#include "LineStore.h"
#include "LogViewer.h"
#include "RecordTableModel.h"
#include "SampleDownload.h"
#include "ScriptedOperator.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <QtTest>

namespace {

DownloadFacts endedDaysAgo(int days) {
    const QDateTime when = QDateTime::currentDateTimeUtc().addDays(-days);
    return {when, when, QStringLiteral("test-pc"), 1, QStringLiteral("/dev/ttyS0"), DownloadEnd::Complete};
}

QByteArray downloadOf(const QList<int>& numbers, const QByteArray& firmware = "R7305 V1.7") {
    QList<QByteArray> records;
    for (const int i : numbers) {
        records << sampleRecord(i);
    }
    return sampleDownload(records, "RM7-0042", firmware);
}

// A table's rows, each as the cells of these columns (all when none are named) joined by "|".
QStringList rowsOf(const QAbstractItemModel* model, QList<int> columns = {}) {
    for (int c = 0; columns.isEmpty() && c < model->columnCount(); ++c) {
        columns << c;
    }
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (const int c : columns) {
            cells << model->index(row, c).data().toString();
        }
        rows << cells.join(u'|');
    }
    return rows;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

class TestArchiveSide : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    ScriptedOperator m_op;
    LineStore m_store;
    std::unique_ptr<ArchiveService> m_service;
    std::unique_ptr<LogViewer> m_viewer;

    ArchivePane* pane() const { return m_viewer->archivePane(); }
    void trigger(const char* action) { m_viewer->findChild<QAction*>(QLatin1String(action))->trigger(); }
    void settle() { QTRY_VERIFY_WITH_TIMEOUT(!pane()->isBusy(), 30000); }

    // The archive side shown, after these downloads were archived.
    void openWith(const QList<QPair<QByteArray, DownloadFacts>>& downloads) {
        m_service = std::make_unique<ArchiveService>();
        QSignalSpy added(m_service.get(), &ArchiveService::added);
        for (const auto& [bytes, facts] : downloads) {
            m_service->add(bytes, facts);
        }
        QTRY_COMPARE_WITH_TIMEOUT(added.size(), downloads.size(), 30000);
        m_viewer = std::make_unique<LogViewer>(m_store, m_op);
        m_viewer->setArchive(m_service.get());
        m_viewer->show();
        m_viewer->pages()->setCurrentWidget(pane());
        settle();
    }
    // The page opened last, once its answer came.
    ArchivePage* newestPage() {
        auto* page = qobject_cast<ArchivePage*>(m_viewer->pages()->widget(m_viewer->pages()->count() - 1));
        [&] { QTRY_VERIFY_WITH_TIMEOUT(page != nullptr && !page->isLoading(), 30000); }();
        return page;
    }
    void choose(QTableView* table, const QList<int>& rows) {
        table->clearSelection();
        for (const int row : rows) {
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        qputenv("XDG_DATA_HOME", m_env->path(QStringLiteral("data")).toLocal8Bit());
        m_op = ScriptedOperator();
        m_store.clear();
    }
    void cleanup() {
        m_viewer.reset();
        m_service.reset();
        m_env.reset();
    }

    void listsControllersAndMarksOverdue() {
        m_env->writeIni("[ARCHIVE]\nOverdueDays=9\n");
        openWith({{sampleDownload(0, 3, "RM7-0042"), endedDaysAgo(12)},
                  {sampleDownload(1440, 2, "RM7-0077"), endedDaysAgo(1)}});
        const ControllerListModel* list = pane()->controllers();
        using C = ControllerListModel;
        QCOMPARE(
            rowsOf(list, {C::Name, C::Downloads, C::Records, C::FirstRecord, C::LastRecord, C::Overdue}),
            QStringList({"RM7-0042, North Pump Station|1|3|2026-11-01 00:00:00|2026-11-01 00:02:00|overdue: "
                         "12 days",
                         "RM7-0077, North Pump Station|1|2|2026-11-02 00:00:00|2026-11-02 00:01:00|"}));
        QCOMPARE(list->index(1, C::LastDownload).data().toString().size(), 16); // yyyy-MM-dd HH:mm
        QVERIFY(list->index(0, ControllerListModel::Name).data(Qt::ForegroundRole).isValid());
        QVERIFY(!list->index(1, ControllerListModel::Name).data(Qt::ForegroundRole).isValid());
        QCOMPARE(pane()->downloads()->rowCount(), 1); // the first controller's, chosen
        QVERIFY(pane()->stateLabel()->text().startsWith("Archive: "));
    }

    // The history merges both downloads in time order; the comparison shows what the cleared log lost and
    // what is new.
    void historyAndComparison() {
        openWith({{downloadOf({0, 1, 2, 3}), endedDaysAgo(2)}, {downloadOf({2, 3, 4}), endedDaysAgo(1)}});
        trigger("showHistory");
        const RecordTableModel* history = newestPage()->view()->model();
        QCOMPARE(rowsOf(history, {8}), QStringList({"0000001", "0000002", "0000003", "0000004", "0000005"}));
        QVERIFY(newestPage()->view()->header()->toPlainText().contains("Log Entries: 3"));

        choose(pane()->downloadTable(), {0, 1});
        trigger("compareDownloads");
        auto* comparison = qobject_cast<ComparisonPage*>(newestPage()->content());
        QVERIFY(comparison);
        QCOMPARE(rowsOf(comparison->onlyInFirst()->view()->model(), {8}),
                 QStringList({"0000001", "0000002"}));
        QCOMPARE(rowsOf(comparison->onlyInSecond()->view()->model(), {8}), QStringList({"0000005"}));
        QVERIFY(comparison->summary()->text().startsWith("2 records only in the download of"));
    }

    void opensSavedFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows"); // -1: not opened
        QTest::addColumn<QString>("told");
        QTest::newRow("a saved download") << "saved.csv" << 4 << "";
        QTest::newRow("a missing file") << "gone.csv" << -1 << "Path doesn't exist.\r\n Accessing: %1";
        QTest::newRow("a folder") << "" << -1 << "That name belongs to a folder.\r\n Accessing: %1";
    }
    void opensSavedFile() {
        QFETCH(QString, name);
        QFETCH(int, rows);
        QFETCH(QString, told);
        writeFile(m_env->path("saved.csv"), sampleDownload(0, 3));
        openWith({});
        const QString path = m_env->path(name);
        m_op.openFiles = {{path}};
        const int pages = m_viewer->pages()->count();
        trigger("openFiles");
        QCOMPARE(m_viewer->pages()->count(), pages + (rows < 0 ? 0 : 1));
        if (rows >= 0) {
            QCOMPARE(newestPage()->view()->model()->rowCount(), rows);
            QCOMPARE(m_viewer->pages()->tabText(pages), name);
        } else {
            QCOMPARE(m_op.texts(), QStringList(told.arg(path)));
        }
    }

    // A file that is no download is refused with the reason; the same file again adds nothing.
    void importsFiles() {
        writeFile(m_env->path("saved.csv"), sampleDownload(0, 3));
        writeFile(m_env->path("notes.txt"), "Pump 2: check the seal\r\nDate, next visit\r\n");
        openWith({});
        m_op.openFiles = {{m_env->path("saved.csv"), m_env->path("notes.txt")}, {m_env->path("saved.csv")}};
        trigger("importFiles");
        settle();
        QCOMPARE(m_op.questions.size(), 1);
        QCOMPARE(m_op.questions.first().text, "Imported 1 file with 3 new records. 1 file was not imported:");
        QVERIFY2(m_op.questions.first().details.startsWith("notes.txt: not imported: only 1 header line"),
                 qPrintable(m_op.questions.first().details));
        QTRY_COMPARE(rowsOf(pane()->controllers(), {ControllerListModel::Records}), QStringList({"3"}));
        trigger("importFiles");
        settle();
        QCOMPARE(pane()->noteLabel()->text(),
                 "Imported 0 files with 0 new records. 1 file was in the archive already.");
        QCOMPARE(rowsOf(pane()->controllers(), {ControllerListModel::Downloads}), QStringList({"1"}));
    }

    void exports_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("layout");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("expected"); // empty: not written, a save's message instead
        const QByteArray cut = downloadOf({2, 3, 4}).chopped(9); // cut off inside its last line
        QTest::newRow("controller's layout")
            << "exportRecords" << int(ExportBar::ControllerLayout) << "out.csv" << sampleDownload(0, 5);
        const QByteArray whole = sampleDownload(0, 5);
        QTest::newRow("plain table") << "exportRecords" << int(ExportBar::PlainTable) << "out.csv"
                                     << whole.mid(whole.indexOf("Date,")).chopped(17);
        QTest::newRow("a download byte for byte") << "exportDownload" << 0 << "out.csv" << cut;
        QTest::newRow("no such folder") << "exportRecords" << 0 << "no/such/out.csv" << QByteArray();
    }
    void exports() {
        QFETCH(QString, action);
        QFETCH(int, layout);
        QFETCH(QString, name);
        QFETCH(QByteArray, expected);
        openWith(
            {{downloadOf({0, 1, 2}), endedDaysAgo(2)}, {downloadOf({2, 3, 4}).chopped(9), endedDaysAgo(1)}});
        choose(pane()->downloadTable(), {1});
        pane()->exportBar()->layoutBox()->setCurrentIndex(layout);
        const QString path = m_env->path(name);
        writeFile(m_env->path("out.csv"), "an older file\r\n");
        m_op.saveFiles = {path};
        trigger(qPrintable(action));
        settle();
        QCOMPARE(m_op.saveRequests.size(), 1);
        if (expected.isEmpty()) {
            QCOMPARE(m_op.texts(),
                     QStringList(QStringLiteral("Path doesn't exist.\r\n Accessing: %1").arg(path)));
        } else {
            QCOMPARE(m_op.texts(), QStringList());
            QCOMPARE(readFileBytes(path), expected);
            QCOMPARE(QDir(m_env->path("")).entryList({".out.csv*"}, QDir::Hidden | QDir::Files),
                     QStringList());
        }
    }

    // A firmware change makes a second identity; joined, the two are one controller with both downloads.
    void renamesAndJoins() {
        openWith(
            {{downloadOf({0, 1}), endedDaysAgo(2)}, {downloadOf({1, 2}, "R7305 V1.8"), endedDaysAgo(1)}});
        QCOMPARE(pane()->controllers()->rowCount(), 2);
        QVERIFY(pane()->controllers()->setData(pane()->controllers()->index(0, ControllerListModel::Name),
                                               "Pump 2"));
        QTRY_COMPARE(rowsOf(pane()->controllers(), {0}),
                     QStringList({"Pump 2", "RM7-0042, North Pump Station"}));
        choose(pane()->controllerTable(), {0, 1});
        m_op.answers = {Answer::Yes};
        trigger("joinControllers");
        QCOMPARE(m_op.questions.last().text, "Join RM7-0042, North Pump Station to Pump 2?");
        QTRY_COMPARE(rowsOf(pane()->controllers(), {0, 1, 2}).first(), "Pump 2|2|3");
    }

    // An archive that cannot be opened: the archive side says why; the current download is still shown.
    void archiveOff() {
        writeFile(m_env->path("data"), "a file where the data folder should be");
        m_store.append("Date,Value\r\n");
        m_store.append("01/11/2026,1\r\n");
        openWith({});
        QTRY_VERIFY(pane()->stateLabel()->text().startsWith("The archive is off in this run: "));
        QVERIFY(!m_viewer->findChild<QAction*>("importFiles")->isEnabled());
        QCOMPARE(m_viewer->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestArchiveSide)
#include "tst_archiveside.moc"
