// rm7-bench: how fast the program takes a download, measured side by side in one run. Every figure is
// measured in a process of its own (this command run with --scenario), so each has its own peak memory.

#include "ComPort.h"
#include "CpuTime.h"
#include "Link.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "MainForm.h"
#include "QuietOperator.h"
#include "ReceiveDispatcher.h"
#include "RecordTableModel.h"
#include "SaveLogs.h"
#include "Settings.h"
#include "SimReply.h"
#include "UnattendedRun.h"
#include "WindowAccess.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 10000;
constexpr int kPacedRecords = 100;
constexpr int kStreamRecords = 200000;

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One scenario's figures, as the child prints them for the parent.
struct Figures {
    double wall = 0;
    double cpu = 0;
    double value = 0; // the scenario's own figure (MB/s, seconds)
    long peak = 0;
};

void report(const Figures& f) {
    QTextStream(stdout) << "RESULT " << f.wall << ' ' << f.cpu << ' ' << f.value << ' ' << peakKiB()
                        << Qt::endl;
}

QByteArray download(int records) {
    return SimReply::downloadLines(records).join();
}

// The dispatcher alone over a download held in memory, in reads of a pty's usual size.
void benchDispatcher() {
    const QByteArray bytes = download(kRecords);
    ComPort port;
    Settings settings;
    QuietOperator op;
    Link link(port, settings, op);
    const int rounds = 50;
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < rounds; ++round) {
        link.state.dropLines();
        link.state.RxBuffer.clear();
        link.state.replyOver = false;
        for (qsizetype at = 0; at < bytes.size(); at += 4095) {
            receiveReply(link,
                         QByteArrayView(bytes).sliced(at, std::min<qsizetype>(4095, bytes.size() - at)));
        }
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    report({wall, cpuSeconds() - cpu, double(bytes.size()) * rounds / wall / 1e6});
}

// rm7-sim in a process of its own, its pty linked as COM 1 in a fresh settings folder.
class SimProcess {
public:
    SimProcess(int records, bool paced) {
        qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
        const QString settingsFolder = m_home.filePath(QStringLiteral("korvane"));
        QDir().mkpath(settingsFolder);
        QFile ini(settingsFolder + QStringLiteral("/korvane.ini"));
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write("[DEFAULT]\nComport= 1\n");
        }
        QStringList args{QStringLiteral("--records"),  QString::number(records),
                         QStringLiteral("--settings"), settingsFolder,
                         QStringLiteral("--com"),      QStringLiteral("1")};
        if (!paced) {
            args << QStringLiteral("--fast");
        }
        m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../sim/rm7-sim"), args);
        QByteArray said;
        while (!said.contains("COM 1") && m_process.waitForReadyRead(5000)) {
            said += m_process.readAll();
        }
        device = QString::fromLocal8Bit(said.left(said.indexOf('\n')));
    }
    ~SimProcess() {
        m_process.terminate();
        m_process.waitForFinished();
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    QString device;

private:
    QTemporaryDir m_home;
    QProcess m_process;
};

// The host's limit: a plain program that asks the same simulator for the download and copies the bytes
// from its pty to a file, with blocking reads and nothing else.
void benchCopy() {
    const qsizetype expected = download(kRecords).size();
    SimProcess sim(kRecords, false);
    const int port = ::open(QFile::encodeName(sim.device).constData(), O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(port, &raw);
    cfmakeraw(&raw);
    tcsetattr(port, TCSANOW, &raw);
    QTemporaryDir dir;
    const int out = ::open(QFile::encodeName(dir.filePath(QStringLiteral("copy"))).constData(),
                           O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    [[maybe_unused]] const auto sent = ::write(port, "*LOAD#", 6);
    char buffer[4096];
    for (qsizetype got = 0; got < expected;) {
        const ssize_t n = ::read(port, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        [[maybe_unused]] const auto written = ::write(out, buffer, size_t(n));
        got += n;
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    report({wall, cpuSeconds() - cpu, wall});
    ::close(out);
    ::close(port);
}

// The whole window (offscreen) taking a download from rm7-sim in a process of its own.
void benchWindow(int records, bool paced) {
    SimProcess sim(records, paced);
    QuietOperator op;
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    window.show();
    QCoreApplication::processEvents();
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.LoadButton->click();
    QEventLoop wait;
    QObject::connect(&window.link().display, &LinkDisplay::changed, &wait, [&] {
        if (window.link().display.commandsEnabled()) {
            wait.quit();
        }
    });
    wait.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    report({wall, cpuSeconds() - cpu, double(window.link().state.LineCount())});
}

// The command line's download (no window, no display) from rm7-sim in a process of its own, written to a
// file as rm7-download --download FILE --quiet does.
void benchCommandLine() {
    SimProcess sim(kRecords, false);
    QTemporaryDir dir;
    RunRequest request;
    request.file = dir.filePath(QStringLiteral("run.csv"));
    request.comNumber = 1;
    request.quiet = true;
    UnattendedRun run(request);
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const int code = run.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    report({wall, cpuSeconds() - cpu, code == 0 ? double(QFileInfo(request.file).size()) : -1.0});
}

void benchSave() {
    const QList<QByteArray> lines = SimReply::downloadLines(kRecords);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QuietOperator op;
    op.saveAs = dir.filePath(QStringLiteral("out/run.csv"));
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    Settings settings;
    const LogSource source{[&lines] { return int(lines.size()); },
                           [&lines](int k) { return QByteArrayView(lines.at(k - 1)); }};
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    SaveLogs(source, settings, op);
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    report({wall, cpuSeconds() - cpu, wall});
}

void benchStartUp() {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QuietOperator op;
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    window.show();
    QCoreApplication::processEvents();
    report({0, cpuSeconds(), 0});
}

long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// Opening the log viewer on a download already stored: the time until its table is on screen, and the
// memory it adds (value, in KiB).
void benchViewerOpen(int records) {
    QuietOperator op;
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    window.show();
    LineStore& store = window.link().state.LogLines;
    for (const QByteArray& line : SimReply::downloadLines(records)) {
        store.append(line);
    }
    QCoreApplication::processEvents();
    const long before = residentKiB();
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    LogViewer* viewer = openLogViewer(window, op);
    QCoreApplication::processEvents(); // laid out and painted
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const long added = residentKiB() - before;
    report({wall, cpuSeconds() - cpu, double(added)});
    delete viewer;
}

// On a million stored lines: the time from typing into the viewer's Find box to the rows found (value:
// the rows), or from choosing the chart to its points drawn.
void benchViewerOnMillion(bool chart) {
    QuietOperator op;
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    window.show();
    LineStore& store = window.link().state.LogLines;
    for (const QByteArray& line : SimReply::downloadLines(1000000 - 8)) {
        store.append(line);
    }
    LogViewer* viewer = openLogViewer(window, op);
    QCoreApplication::processEvents();
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    if (chart) {
        viewer->tabs()->setCurrentWidget(viewer->chart());
    } else {
        viewer->model()->setFilter(QStringLiteral("pump on"));
    }
    QCoreApplication::processEvents();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    report({wall, cpuSeconds() - cpu, double(viewer->model()->rowCount())});
}

// A download streaming into an open viewer (its table, or its chart): the longest wait of a 10 ms timer
// (value, in seconds) tells how long the window could not answer.
enum class Viewer { None, Table, Chart };
void benchViewerStream(int records, Viewer shown) {
    SimProcess sim(records, false);
    QuietOperator op;
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    window.show();
    if (shown != Viewer::None) {
        LogViewer* viewer = openLogViewer(window, op);
        if (shown == Viewer::Chart) {
            viewer->tabs()->setCurrentWidget(viewer->chart());
        }
    }
    QCoreApplication::processEvents();
    QTimer tick;
    tick.setInterval(10);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.LoadButton->click();
    sinceTick.start();
    tick.start();
    QEventLoop wait;
    QObject::connect(&window.link().display, &LinkDisplay::changed, &wait, [&] {
        if (window.link().display.commandsEnabled()) {
            wait.quit();
        }
    });
    wait.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    if (window.link().state.LineCount() != records + 8) {
        QTextStream(stderr) << "rm7-bench: the download brought " << window.link().state.LineCount()
                            << " lines\n";
        return;
    }
    report({wall, cpuSeconds() - cpu, double(longest) / 1e9});
}

struct Row {
    QString measure;
    QString figure;
    QString target;
    Figures f;
};

Figures runScenario(const QString& name) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--scenario"), name});
    child.waitForFinished(600000);
    const double processWall = double(clock.nsecsElapsed()) / 1e9;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("RESULT ")) {
            const QList<QByteArray> parts = line.mid(7).split(' ');
            Figures f{parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(), parts[3].toLong()};
            if (name == u"startup") {
                f.wall = processWall; // from the start of the process to the window shown
            }
            return f;
        }
    }
    QTextStream(stderr) << "rm7-bench: scenario " << name << " gave no result\n";
    return {};
}

// The run with the median wall time of several, as one run on a shared machine may be disturbed.
Figures medianOf(const QString& name, int runs) {
    QList<Figures> all;
    for (int run = 0; run < runs; ++run) {
        all << runScenario(name);
    }
    std::sort(all.begin(), all.end(), [](const Figures& a, const Figures& b) { return a.wall < b.wall; });
    return all.at(all.size() / 2);
}

QString ms(double seconds) {
    return QString::number(seconds * 1000, 'f', 1) + QStringLiteral(" ms");
}

int runAll() {
    const Figures dispatcher = medianOf(QStringLiteral("dispatcher"), 3);
    const Figures copy = medianOf(QStringLiteral("copy"), 7);
    const Figures window = medianOf(QStringLiteral("window"), 7);
    const Figures commandLine = medianOf(QStringLiteral("command-line"), 7);
    const Figures paced = medianOf(QStringLiteral("paced"), 1);
    const Figures save = medianOf(QStringLiteral("save"), 5);
    const Figures startup = medianOf(QStringLiteral("startup"), 5);
    const Figures viewer10k = medianOf(QStringLiteral("viewer-10k"), 5);
    const Figures viewer1m = medianOf(QStringLiteral("viewer-1m"), 3);
    const Figures find1m = medianOf(QStringLiteral("viewer-find-1m"), 3);
    const Figures chart1m = medianOf(QStringLiteral("viewer-chart-1m"), 3);
    const Figures streamAlone = medianOf(QStringLiteral("stream-no-viewer"), 3);
    const Figures streamTable = medianOf(QStringLiteral("viewer-stream"), 3);
    const Figures streamChart = medianOf(QStringLiteral("viewer-stream-chart"), 3);

    const double downloadBytes = double(download(kRecords).size());
    const double wireSeconds = double(download(kPacedRecords).size()) * 10 / 9600;
    const QList<Row> rows = {
        {QStringLiteral("Dispatcher alone, 10,000-line download in memory"),
         QString::number(dispatcher.value, 'f', 0) + QStringLiteral(" MB/s"), QStringLiteral(">= 50 MB/s"),
         dispatcher},
        {QStringLiteral("Plain copy of the same %1 KB from the simulator's pty to a file")
             .arg(downloadBytes / 1000, 0, 'f', 0),
         ms(copy.wall), QStringLiteral("(the host's limit)"), copy},
        {QStringLiteral("Window (offscreen), unpaced 10,000 lines, redraw per read"),
         ms(window.wall) + QStringLiteral(" = %1x the copy").arg(window.wall / copy.wall, 0, 'f', 1),
         QStringLiteral("<= 3x the copy"), window},
        {QStringLiteral("Command line (no display), unpaced 10,000 lines to a file"),
         commandLine.value == downloadBytes
             ? ms(commandLine.wall) +
                   QStringLiteral(" = %1x the copy").arg(commandLine.wall / copy.wall, 0, 'f', 1)
             : QStringLiteral("failed"),
         QStringLiteral("<= 3x the copy"), commandLine},
        {QStringLiteral("Paced at 9600 baud, %1 records, wire time %2")
             .arg(kPacedRecords)
             .arg(ms(wireSeconds)),
         ms(paced.wall) + QStringLiteral(" (+%1), CPU %2%")
                              .arg(ms(paced.wall - wireSeconds))
                              .arg(paced.cpu / paced.wall * 100, 0, 'f', 2),
         QStringLiteral("<= wire + 1% + 100 ms; CPU < 2%"), paced},
        {QStringLiteral("Saving 10,000 lines"), ms(save.wall), QStringLiteral("-"), save},
        {QStringLiteral("Start-up to the first window shown"), ms(startup.wall), QStringLiteral("-"),
         startup},
        {QStringLiteral(
             "Log viewer opened on 10,000 stored lines (time to its table on screen; memory added)"),
         ms(viewer10k.wall) + QStringLiteral("; +%1 MB").arg(viewer10k.value / 1024, 0, 'f', 1),
         QStringLiteral("well under 1 s; little memory"), viewer10k},
        {QStringLiteral("Log viewer opened on 1,000,000 stored lines (the same)"),
         ms(viewer1m.wall) + QStringLiteral("; +%1 MB").arg(viewer1m.value / 1024, 0, 'f', 1),
         QStringLiteral("well under 1 s; little memory"), viewer1m},
        {QStringLiteral("Find \"pump on\" in 1,000,000 lines (all rows searched)"), ms(find1m.wall),
         QStringLiteral("-"), find1m},
        {QStringLiteral("The chart of 1,000,000 lines (4 columns, at most 4,000 points each)"),
         ms(chart1m.wall), QStringLiteral("-"), chart1m},
        {QStringLiteral("Unpaced %1 lines, no viewer open: longest gap of a 10 ms timer")
             .arg(kStreamRecords + 8),
         ms(streamAlone.value), QStringLiteral("-"), streamAlone},
        {QStringLiteral("The same into an open viewer's table"), ms(streamTable.value), QStringLiteral("-"),
         streamTable},
        {QStringLiteral("The same with the chart shown (redrawn once a second)"), ms(streamChart.value),
         QStringLiteral("-"), streamChart},
    };

    QString table =
        QStringLiteral("Medians of repeated runs (the paced download runs once).\n\n"
                       "| measure | figure | target | wall | CPU | peak RSS |\n|---|---|---|---|---|---|\n");
    for (const Row& row : rows) {
        table += QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 MB |\n")
                     .arg(row.measure, row.figure, row.target, ms(row.f.wall), ms(row.f.cpu))
                     .arg(double(row.f.peak) / 1024.0, 0, 'f', 1);
    }
    QTextStream(stdout) << table;
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/results.md");
    QFile out(path);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(table.toUtf8());
        QTextStream(stdout) << "written to " << path << Qt::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--scenario"));
    if (at < 0 || at + 1 >= args.size()) {
        return runAll();
    }
    const QString& scenario = args.at(at + 1);
    if (scenario == u"dispatcher") {
        benchDispatcher();
    } else if (scenario == u"copy") {
        benchCopy();
    } else if (scenario == u"window") {
        benchWindow(kRecords, false);
    } else if (scenario == u"command-line") {
        benchCommandLine();
    } else if (scenario == u"paced") {
        benchWindow(kPacedRecords, true);
    } else if (scenario == u"save") {
        benchSave();
    } else if (scenario == u"startup") {
        benchStartUp();
    } else if (scenario == u"viewer-10k") {
        benchViewerOpen(10000 - 8);
    } else if (scenario == u"viewer-1m") {
        benchViewerOpen(1000000 - 8);
    } else if (scenario == u"viewer-stream") {
        benchViewerStream(kStreamRecords, Viewer::Table);
    } else if (scenario == u"viewer-stream-chart") {
        benchViewerStream(kStreamRecords, Viewer::Chart);
    } else if (scenario == u"viewer-find-1m") {
        benchViewerOnMillion(false);
    } else if (scenario == u"viewer-chart-1m") {
        benchViewerOnMillion(true);
    } else if (scenario == u"stream-no-viewer") {
        benchViewerStream(kStreamRecords, Viewer::None);
    }
    return 0;
}
