// rm7-archive-bench: how fast the archive is, on an SQLite file and on a PostgreSQL server this command
// starts itself (flushing to disk as a real one does). It measures importing 100 files of 10,000 records
// into an empty archive, adding a 10,000-record download to the archive of 1,000,000 records that makes,
// loading that controller's whole history (in a process of its own, for its peak memory), and the longest
// pause of a 10 ms timer on the calling thread while ArchiveService archives a download on its thread, and
// opening that history in the log viewer's archive side (in a process of its own on Qt's offscreen
// platform: from the request to the table drawn with its rows, and the peak memory that added).
// Each figure is the median of several runs, with the fastest and slowest beside it.
//
//   rm7-archive-bench [--runs N] [--import-runs N] [--sqlite-only]

#include "Archive.h"
#include "ArchivePage.h"
#include "ArchivePane.h"
#include "ArchiveService.h"
#include "ControllerListModel.h"
#include "LineStore.h"
#include "LogViewer.h"
#include "PostgresServer.h"
#include "ProcessUse.h"
#include "QuietOperator.h"
#include "RecordTableModel.h"
#include "RecordView.h"
#include "SampleDownload.h"
#include "StoredSettings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int kFiles = 100;
constexpr int kRecordsPerFile = 10000;
constexpr int kAddRecords = 10000;
constexpr int kTimerMs = 10;

QTextStream out(stdout);

DownloadFacts facts() {
    return {QDateTime::currentDateTimeUtc(), QDateTime::currentDateTimeUtc(),
            QStringLiteral("bench"),         1,
            QStringLiteral("/dev/ttyS0"),    DownloadEnd::Complete};
}

double seconds(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
}

// "median (min–max)" of a list of values.
QString spread(const QList<double>& values, int precision) {
    const Spread s = spreadOf(values);
    return QStringLiteral("%1 (%2–%3)")
        .arg(s.median, 0, 'f', precision)
        .arg(s.lowest, 0, 'f', precision)
        .arg(s.highest, 0, 'f', precision);
}

// The child that loads a history: prints seconds, the peak memory the load added (MiB) and the records'
// bytes (MiB).
int historyChild() {
    Archive archive;
    archive.open();
    const auto list = archive.controllers(DateOrder::DayFirst);
    if (!list.ok() || list.value.isEmpty()) {
        out << "ERROR " << (list.ok() ? QStringLiteral("no controller") : list.error) << Qt::endl;
        return 1;
    }
    forgetPeakMemory();
    const long before = statusKiB("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    const auto history = archive.history(list.value.first().id, DateOrder::DayFirst);
    const double took = seconds(clock);
    const long peak = statusKiB("VmHWM:");
    if (!history.ok()) {
        out << "ERROR " << history.error << Qt::endl;
        return 1;
    }
    const qsizetype recordBytes =
        history.value.bytes.size() - history.value.ends[history.value.titleLine - 1];
    out << "RESULT " << took << ' ' << double(peak - before) / 1024 << ' ' << double(recordBytes) / (1 << 20)
        << ' ' << history.value.count() - history.value.titleLine << Qt::endl;
    return 0;
}

// Waits, handling events, until `done` holds; false after a minute.
bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.hasExpired(60000)) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The child that opens the history in the viewer: prints seconds from the request to the table drawn with
// its rows, the peak memory that added (MiB), the records' bytes (MiB) and the rows.
int viewerChild() {
    QuietOperator op;
    LineStore current;
    ArchiveService service;
    LogViewer viewer(current, op);
    viewer.setArchive(&service);
    viewer.show();
    viewer.pages()->setCurrentWidget(viewer.archivePane());
    if (!waitFor([&] {
            return !viewer.archivePane()->isBusy() && viewer.archivePane()->controllers()->rowCount() > 0;
        })) {
        out << "ERROR the controllers were not listed " << op.told.join(' ') << Qt::endl;
        return 1;
    }
    forgetPeakMemory();
    const long before = statusKiB("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    viewer.findChild<QAction*>(QStringLiteral("showHistory"))->trigger();
    ArchivePage* page = nullptr;
    if (!waitFor([&] {
            page = qobject_cast<ArchivePage*>(viewer.pages()->currentWidget());
            return page != nullptr && !page->isLoading();
        }) ||
        page->view() == nullptr) {
        out << "ERROR the history did not open " << op.told.join(' ') << Qt::endl;
        return 1;
    }
    page->view()->table()->viewport()->repaint(); // the rows drawn, as the event loop would draw them next
    const double took = seconds(clock);
    const long peak = statusKiB("VmHWM:");
    const RecordTableModel* model = page->view()->model();
    const qsizetype bytes = page->lines().byteCount() - page->lines().endOf(model->layout().titleLine);
    out << "RESULT " << took << ' ' << double(peak - before) / 1024 << ' ' << double(bytes) / (1 << 20) << ' '
        << model->rowCount() << Qt::endl;
    return 0;
}

// The longest pause of a 10 ms timer on this thread while the service archives `bytes`.
double longestPause(ArchiveService& service, const QByteArray& bytes) {
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer timer;
    timer.setInterval(kTimerMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    const auto connection = QObject::connect(&service, &ArchiveService::added, &loop, &QEventLoop::quit);
    clock.start();
    timer.start();
    service.add(bytes, facts());
    loop.exec();
    QObject::disconnect(connection);
    return double(longest) / 1e6;
}

struct Figures {
    QList<double> import;
    QList<double> add;
    QList<double> load;
    QList<double> loadPeak;
    QList<double> pause;
    QList<double> view;
    QList<double> viewPeak;
    QList<double> viewRatio; // peak memory against the records' bytes
    double recordMiB = 0;
    qint64 records = 0;
};

class Bench {
public:
    Bench(int runs, int importRuns) : m_runs(runs), m_importRuns(importRuns) {}

    bool makeFiles() {
        for (int f = 0; f < kFiles; ++f) {
            QFile file(m_files.filePath(QStringLiteral("download-%1.csv").arg(f, 3, 10, QLatin1Char('0'))));
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(sampleDownload(f * kRecordsPerFile, kRecordsPerFile)) < 0) {
                out << "cannot write " << file.fileName() << ": " << file.errorString() << Qt::endl;
                return false;
            }
        }
        return true;
    }

    // A fresh archive: a data folder of its own, and on the server a database of its own.
    bool fresh(PostgresServer* server) {
        const QString folder = m_work.filePath(QStringLiteral("run%1").arg(++m_fresh));
        qputenv("XDG_DATA_HOME", (folder + QStringLiteral("/data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/config")).toLocal8Bit());
        if (server == nullptr) {
            return true;
        }
        const QString name = QStringLiteral("bench%1").arg(m_fresh);
        if (!server->createDatabase(name)) {
            out << server->error() << Qt::endl;
            return false;
        }
        StoredSettings::writeArchiveDatabase(server->address(name));
        return true;
    }

    std::optional<Figures> measure(PostgresServer* server) {
        Figures figures;
        for (int run = 0; run < m_importRuns; ++run) {
            if (!fresh(server)) {
                return std::nullopt;
            }
            Archive archive;
            archive.open();
            QElapsedTimer clock;
            clock.start();
            const QList<AddResult> results = archive.importPaths({m_files.path()});
            figures.import << seconds(clock);
            const auto added = std::count_if(results.cbegin(), results.cend(), [](const AddResult& r) {
                return r.outcome == AddOutcome::Added;
            });
            if (added != kFiles) {
                out << "import: only " << added << " of " << kFiles
                    << " files added: " << results.first().reason << Qt::endl;
                return std::nullopt;
            }
        }
        int next = kFiles * kRecordsPerFile;
        {
            Archive archive;
            for (int run = 0; run < m_runs; ++run) {
                const QByteArray bytes = sampleDownload(next, kAddRecords);
                next += kAddRecords;
                QElapsedTimer clock;
                clock.start();
                const AddResult result = archive.add(bytes, facts());
                figures.add << seconds(clock);
                if (result.recordsAdded != kAddRecords) {
                    out << "add: " << result.reason << Qt::endl;
                    return std::nullopt;
                }
            }
        }
        for (int run = 0; run < m_runs; ++run) {
            const auto words = child(QStringLiteral("history"));
            if (!words) {
                return std::nullopt;
            }
            figures.load << words->at(1).toDouble();
            figures.loadPeak << words->at(2).toDouble();
            figures.recordMiB = words->at(3).toDouble();
            figures.records = words->at(4).toLongLong();
        }
        for (int run = 0; run < m_runs; ++run) {
            const auto words = child(QStringLiteral("viewer"));
            if (!words) {
                return std::nullopt;
            }
            figures.view << words->at(1).toDouble();
            figures.viewPeak << words->at(2).toDouble();
            figures.viewRatio << words->at(2).toDouble() / words->at(3).toDouble();
        }
        {
            ArchiveService service;
            for (int run = 0; run < m_runs; ++run) {
                figures.pause << longestPause(service, sampleDownload(next, kAddRecords));
                next += kAddRecords;
            }
        }
        return figures;
    }

private:
    // Runs this command as a child measuring `task`: the words of its RESULT line.
    static std::optional<QList<QByteArray>> child(const QString& task) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RM7_BENCH_CHILD"), task);
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        child.waitForFinished(-1);
        const QList<QByteArray> words = child.readAllStandardOutput().trimmed().split(' ');
        if (words.size() != 5 || words.first() != "RESULT") {
            out << task << ": " << words.join(' ') << child.readAllStandardError() << Qt::endl;
            return std::nullopt;
        }
        return words;
    }

    int m_runs;
    int m_importRuns;
    QTemporaryDir m_work;
    QTemporaryDir m_files;
    int m_fresh = 0;
};

void print(const QString& name, const Figures& f) {
    out << "| " << name << " | " << spread(f.import, 1) << " s | " << spread(f.add, 3) << " s | "
        << spread(f.load, 2) << " s | " << spread(f.loadPeak, 0) << " MiB for "
        << QString::number(f.recordMiB, 'f', 0) << " MiB of " << f.records << " records | "
        << spread(f.pause, 1) << " ms | " << spread(f.view, 2) << " s | " << spread(f.viewPeak, 0) << " MiB, "
        << spread(f.viewRatio, 2) << "x the records' bytes |" << Qt::endl;
}

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("RM7_BENCH_CHILD") == "viewer") {
        QApplication app(argc, argv);
        return viewerChild();
    }
    QCoreApplication app(argc, argv);
    if (qgetenv("RM7_BENCH_CHILD") == "history") {
        return historyChild();
    }
    QStringList args = app.arguments();
    const auto option = [&](const QString& name, int fallback) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    Bench bench(option(QStringLiteral("--runs"), 5), option(QStringLiteral("--import-runs"), 3));
    if (!bench.makeFiles()) {
        return 1;
    }
    out << "| archive | import 100 × 10,000 records | add 10,000 to 1,000,000 | load the history | "
           "memory of the load | longest 10 ms timer pause | opened in the viewer | memory of the viewer |"
        << Qt::endl
        << "|---|---|---|---|---|---|---|---|" << Qt::endl;
    if (const auto figures = bench.measure(nullptr)) {
        print(QStringLiteral("SQLite file"), *figures);
    } else {
        return 1;
    }
    if (args.contains(QStringLiteral("--sqlite-only"))) {
        return 0;
    }
    const QTemporaryDir serverFolder; // the server's own: it is handed to nobody when this runs as root
    PostgresServer server(serverFolder.path());
    if (!server.start(true)) {
        out << server.error() << Qt::endl;
        return 1;
    }
    if (const auto figures = bench.measure(&server)) {
        print(QStringLiteral("PostgreSQL, local socket"), *figures);
    } else {
        return 1;
    }
    return 0;
}
