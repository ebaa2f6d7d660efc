// rm7-bench: how fast the program takes a download, measured side by side in one run. Every figure is
// measured in a process of its own (this command run with --scenario), so each has its own peak memory.
// With --before PATH the same scenarios run alternately in another build of this command (an older
// version of the program), so both columns come from the same machine at the same time.

#include "ComPort.h"
#include "CommandMode.h"
#include "Link.h"
#include "LogChart.h"
#include "LogViewer.h"
#include "MainForm.h"
#include "ProcessUse.h"
#include "QuietOperator.h"
#include "RecordTableModel.h"
#include "Settings.h"
#include "SimReply.h"
#include "UnattendedRun.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 10000;
constexpr int kPacedRecords = 1000;
constexpr int kMillionLines = 1'000'000;
constexpr int kHeaderAndEndLines = 8;
constexpr int kStreamRecords = 200000;

using Values = QMap<QString, double>;

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The C library's heap: what the program has allocated, and what it holds from the system for it.
struct Heap {
    double inUse = 0;
    double held = 0;
};

Heap heap() {
    const struct mallinfo2 info = mallinfo2();
    return {double(info.uordblks + info.hblkhd), double(info.arena + info.hblkhd)};
}

// A scenario's figures, as the child prints them for the parent: "RESULT key=value ...".
void report(Values values) {
    values[QStringLiteral("peak")] = double(peakKiB());
    QString line = QStringLiteral("RESULT");
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        line += QStringLiteral(" %1=%2").arg(it.key()).arg(it.value(), 0, 'g', 12);
    }
    QTextStream(stdout) << line << Qt::endl;
}

// Tells the parent, at once, where the measured part of a scenario starts and ends, so it can read the
// X server's CPU time at the same moments.
void mark(const char* what) {
    std::printf("MARK %s\n", what);
    std::fflush(stdout);
}

double seconds(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
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
        link.awaitReply(0);
        for (qsizetype at = 0; at < bytes.size(); at += 4095) {
            link.receiveReply(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(4095, bytes.size() - at)));
        }
    }
    const double wall = seconds(clock);
    report(
        {{"wall", wall}, {"cpu", cpuSeconds() - cpu}, {"value", double(bytes.size()) * rounds / wall / 1e6}});
}

// rm7-sim in a process of its own, its pty linked as COM 1 in a fresh settings folder.
class SimProcess {
public:
    SimProcess(int records, bool paced) {
        qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", m_home.filePath(QStringLiteral("state")).toLocal8Bit());
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
    const double wall = seconds(clock);
    report({{"wall", wall}, {"cpu", cpuSeconds() - cpu}});
    ::close(out);
    ::close(port);
}

// The main window on the chosen platform, with an operator who is never asked anything that needs a person.
struct ShownWindow {
    QuietOperator op;
    ComPort port;
    Settings settings;
    MainForm window{op, port, settings};
    ShownWindow() { window.show(); }
};

// Notes every paint, so that a clock can stop only once the event loop has gone idle after the last one.
class PaintWatch : public QObject {
public:
    bool pending = false;
    int updates = 0; // the window's repaints

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) {
            pending = true;
            updates += event->type() == QEvent::UpdateRequest ? 1 : 0;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The longest time between two ticks of a 10 ms timer: how long the window could not paint.
class TickGap : public QObject {
public:
    TickGap() {
        m_timer.setInterval(10);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_since.isValid()) {
                longest = std::max(longest, seconds(m_since));
            }
            m_since.start();
        });
        m_timer.start();
    }
    double longest = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_since;
};

// A download through the whole window from click to idle. `done` is when Download is offered again;
// `wall` and `cpu` stop when the event loop goes idle after the last paint the download caused.
struct DownloadRun {
    double done = 0;
    double wall = 0;
    double cpu = 0;
    double gap = 0;
    int repaints = 0;
};

DownloadRun downloadThroughWindow(MainForm& window, bool watchGap) {
    PaintWatch paints;
    qApp->installEventFilter(&paints);
    DownloadRun run;
    QElapsedTimer clock;
    bool started = false;
    double cpuStart = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &paints,
                     [&] {
                         if (started && paints.pending) {
                             run.wall = seconds(clock);
                             run.cpu = cpuSeconds() - cpuStart;
                             paints.pending = false;
                             mark("end"); // the parent reads the X server's time here, again and again
                         }
                     });
    QEventLoop wait;
    bool running = false;
    QObject::connect(&window.link().display(), &LinkDisplay::changed, &wait, [&] {
        if (!window.link().display().commandsEnabled()) {
            running = started;
        } else if (running && run.done == 0) {
            run.done = seconds(clock);
            paints.pending = true; // the clock runs at least until the completion is through
            QTimer::singleShot(300, &wait, &QEventLoop::quit);
        }
    });
    std::unique_ptr<TickGap> gap;
    if (watchGap) {
        gap = std::make_unique<TickGap>();
    }
    mark("start");
    cpuStart = cpuSeconds();
    clock.start();
    started = true;
    window.LoadButton->click();
    wait.exec();
    qApp->removeEventFilter(&paints);
    run.repaints = paints.updates;
    run.gap = gap ? gap->longest : 0;
    return run;
}

// The whole window taking a download from rm7-sim in a process of its own.
void benchWindow(int records, bool paced) {
    SimProcess sim(records, paced);
    ShownWindow w;
    MainForm& window = w.window;
    QCoreApplication::processEvents();
    const DownloadRun run = downloadThroughWindow(window, false);
    report({{"wall", run.wall},
            {"cpu", run.cpu},
            {"done", run.done},
            {"repaints", double(run.repaints)},
            {"lines", double(window.link().LineCount())}});
}

// A million lines unpaced: the window's longest pause, the memory the lines take beyond their bytes, and
// what is left after clearing them.
void benchMillion() {
    SimProcess sim(kMillionLines - kHeaderAndEndLines, false);
    ShownWindow w;
    MainForm& window = w.window;
    QCoreApplication::processEvents();
    const Heap before = heap();
    const DownloadRun run = downloadThroughWindow(window, true);
    const LineStore& store = window.link().lines();
    const double bytes = double(store.byteCount());
    const auto lines = double(store.count());
    const Heap full = heap();
    window.link().PromptSaveLogs(); // the quiet operator answers no: the lines are given up
    QCoreApplication::processEvents();
    const Heap cleared = heap();
    report({{"wall", run.wall},
            {"cpu", run.cpu},
            {"gap", run.gap},
            {"lines", lines},
            {"perLine", (full.inUse - before.inUse - bytes) / std::max(lines, 1.0)},
            {"cleared", (cleared.held - before.held) / 1024},
            {"clearedInUse", (cleared.inUse - before.inUse) / 1024}});
}

// A window whose store already holds a download of this many records, fed through its link as if the
// controller had sent it.
void fillStore(MainForm& window, int records) {
    window.link().awaitReply(0);
    window.link().receiveReply(download(records));
}

// Saving a million stored lines through the window while a 10 ms timer runs.
void benchSaveMillion() {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toLocal8Bit());
    QuietOperator op;
    op.saveAs = dir.filePath(QStringLiteral("run.csv"));
    ComPort port;
    Settings settings;
    MainForm window(op, port, settings);
    fillStore(window, kMillionLines - kHeaderAndEndLines);
    window.show();
    QCoreApplication::processEvents();
    QEventLoop loop;
    TickGap gap;
    double wall = 0;
    double cpu = 0;
    QTimer::singleShot(50, &loop, [&] {
        const double cpuStart = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        window.link().keep().SaveLogs();
        wall = seconds(clock);
        cpu = cpuSeconds() - cpuStart;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
    });
    loop.exec();
    report(
        {{"wall", wall}, {"cpu", cpu}, {"gap", gap.longest}, {"bytes", double(QFileInfo(op.saveAs).size())}});
}

void benchStartUp() {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toLocal8Bit());
    const ShownWindow w;
    QCoreApplication::processEvents();
    report({{"cpu", cpuSeconds()}});
}

// The command line's download (no window, no display) from rm7-sim in a process of its own, written to a
// file as rm7-download --download FILE --quiet does.
void benchCommandLine() {
    SimProcess sim(kRecords, false);
    QTemporaryDir dir;
    RunRequest request;
    request.file = dir.filePath(QStringLiteral("run.csv"));
    request.port.comNumber = 1;
    request.quiet = true;
    UnattendedRun run(request, nullptr); // as before the archive: the download alone
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const int code = run.exec();
    const double wall = seconds(clock);
    report({{"wall", wall},
            {"cpu", cpuSeconds() - cpu},
            {"bytes", code == 0 ? double(QFileInfo(request.file).size()) : -1.0}});
}

// A controller that sends more than one download may bring: the records of a download over and over
// until the store holds its 64 MiB. The memory the program's heap takes for it, against those bytes.
void benchByteLimit() {
    ComPort port;
    Settings settings;
    QuietOperator op;
    Link link(port, settings, op);
    const QList<QByteArray> lines = SimReply::downloadLines(kRecords);
    QByteArray records; // 128 bytes a line, so the bytes run out before the lines do
    for (qsizetype k = 7; k + 1 < lines.size(); ++k) {
        const QByteArray record = lines[k].chopped(2) + ',';
        records += record + QByteArray(126 - record.size(), 'x') + "\r\n";
    }
    const double before = heap().inUse;
    link.awaitReply(CommandModes::Download);
    for (qsizetype k = 0; k < 7; ++k) {
        link.receiveReply(lines[k]);
    }
    while (link.replyAwaited()) {
        for (qsizetype at = 0; at < records.size() && link.replyAwaited(); at += 4095) {
            link.receiveReply(
                QByteArrayView(records).sliced(at, std::min<qsizetype>(4095, records.size() - at)));
        }
    }
    report({{"bytes", double(link.lines().byteCount())},
            {"lines", double(link.LineCount())},
            {"heap", heap().inUse - before}});
}

// A 1 GB recovery copy left by a crash, not in the system's cache: the time from start-up to the offer
// of it, and the memory that takes.
void benchLeftoverOffer() {
    QTemporaryDir home;
    qputenv("XDG_STATE_HOME", home.path().toLocal8Bit());
    const QString folder = home.filePath(QStringLiteral("korvane"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/recovery-20261207-020000-1-1.csv");
    {
        const QList<QByteArray> lines = SimReply::downloadLines(kRecords);
        QByteArray records;
        for (qsizetype k = 7; k + 1 < lines.size(); ++k) {
            records += lines[k];
        }
        QFile copy(path);
        if (!copy.open(QIODevice::WriteOnly)) {
            return;
        }
        for (qsizetype k = 0; k < 7; ++k) {
            copy.write(lines[k]);
        }
        while (copy.size() < (qint64(1) << 30)) {
            copy.write(records);
        }
        copy.flush();
        ::fsync(copy.handle());
        ::posix_fadvise(copy.handle(), 0, 0, POSIX_FADV_DONTNEED); // read from the disk, as after a reboot
    }
    struct Offered : QuietOperator {
        QElapsedTimer* clock = nullptr;
        double at = 0;
        QList<LeftoverChoice> reviewLeftovers(const QList<LeftoverCopy>& copies) override {
            at = seconds(*clock);
            return QuietOperator::reviewLeftovers(copies);
        }
    } op;
    const long peakBefore = peakKiB();
    QElapsedTimer clock;
    clock.start();
    op.clock = &clock;
    ComPort port;
    Settings settings;
    Link link(port, settings, op);
    link.keep().offerLeftovers();
    report({{"wall", op.at}, {"added", double(peakKiB() - peakBefore)}});
}

// Opening the log viewer on a download already stored: the time until its table is on screen, and the
// memory it adds (KiB).
void benchViewerOpen(int records) {
    ShownWindow w;
    MainForm& window = w.window;
    fillStore(window, records);
    QCoreApplication::processEvents();
    const long before = residentKiB();
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.LogViewerMenu_Click();
    QCoreApplication::processEvents(); // laid out and painted
    const double wall = seconds(clock);
    report({{"wall", wall}, {"cpu", cpuSeconds() - cpu}, {"added", double(residentKiB() - before)}});
}

// On a million stored lines: the time from typing into the viewer's Find box to the rows found, or from
// choosing the chart to its points drawn.
void benchViewerOnMillion(bool chart) {
    ShownWindow w;
    MainForm& window = w.window;
    fillStore(window, kMillionLines - kHeaderAndEndLines);
    window.LogViewerMenu_Click();
    LogViewer* viewer = window.logViewer();
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
    report({{"wall", seconds(clock)},
            {"cpu", cpuSeconds() - cpu},
            {"rows", double(viewer->model()->rowCount())}});
}

// On a million stored lines: the time from a click on the Value title to the table sorted and drawn.
void benchViewerSortMillion() {
    ShownWindow w;
    MainForm& window = w.window;
    fillStore(window, kMillionLines - kHeaderAndEndLines);
    window.LogViewerMenu_Click();
    LogViewer* viewer = window.logViewer();
    QCoreApplication::processEvents();
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    viewer->table()->sortByColumn(4, Qt::DescendingOrder);
    QCoreApplication::processEvents();
    report({{"wall", seconds(clock)}, {"cpu", cpuSeconds() - cpu}});
}

// A download streaming into an open viewer (its table, or its chart), or with none open: the longest gap
// of a 10 ms timer tells how long the window could not answer.
enum class Viewer { None, Table, Chart };
void benchViewerStream(Viewer shown) {
    SimProcess sim(kStreamRecords, false);
    ShownWindow w;
    MainForm& window = w.window;
    if (shown != Viewer::None) {
        window.LogViewerMenu_Click();
        if (shown == Viewer::Chart) {
            window.logViewer()->tabs()->setCurrentWidget(window.logViewer()->chart());
        }
    }
    QCoreApplication::processEvents();
    const DownloadRun run = downloadThroughWindow(window, true);
    report({{"wall", run.wall}, {"cpu", run.cpu}, {"gap", run.gap}});
}

// ---- the parent: runs the scenarios, alternating the builds, and prints the table ----

struct Options {
    QStringList builds; // [this build, the build to compare with]
    int runs = 7;
    int pacedRuns = 3;
    int millionRuns = 3;
    QString platform = QStringLiteral("offscreen");
    QStringList only;
};

// The X server the children draw on ($DISPLAY), found by its command line; 0 when there is none.
qint64 xServerPid() {
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        return 0;
    }
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : processes) {
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!pid.front().isDigit() || !file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QList<QByteArray> args = file.readAll().split('\0');
        const QByteArray program = args.value(0).mid(args.value(0).lastIndexOf('/') + 1);
        if ((program == "Xvfb" || program == "Xorg" || program == "Xwayland") &&
            args.contains(display.toLatin1())) {
            return pid.toLongLong();
        }
    }
    return 0;
}

// CPU seconds (user and system) a process has used so far.
double processCpuSeconds(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) /
           double(sysconf(_SC_CLK_TCK));
}

Values runScenario(const QString& program, const QString& name, const QString& platform) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    child.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    child.start(program, {QStringLiteral("--scenario"), name});
    // The X server's CPU time between the child's marks: what drawing the measured part cost it.
    const qint64 xServer = platform == u"xcb" ? xServerPid() : 0;
    double xAtStart = 0;
    double xAtEnd = 0;
    QByteArray output;
    while (child.state() != QProcess::NotRunning && clock.elapsed() < 600000) {
        child.waitForReadyRead(100);
        while (child.canReadLine()) {
            const QByteArray line = child.readLine();
            output += line;
            if (line.startsWith("MARK start")) {
                xAtStart = processCpuSeconds(xServer);
            } else if (line.startsWith("MARK end")) {
                xAtEnd = processCpuSeconds(xServer);
            }
        }
    }
    child.waitForFinished(1000);
    output += child.readAllStandardOutput();
    const double processWall = seconds(clock);
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith("RESULT ")) {
            continue;
        }
        Values values;
        for (const QByteArray& pair : line.mid(7).split(' ')) {
            const qsizetype eq = pair.indexOf('=');
            values[QString::fromLatin1(pair.left(eq))] = pair.mid(eq + 1).toDouble();
        }
        if (name == u"startup") {
            values[QStringLiteral("wall")] = processWall; // from the start of the process to the window shown
        }
        if (xServer > 0) {
            values[QStringLiteral("xcpu")] = xAtEnd - xAtStart;
        }
        return values;
    }
    QTextStream(stderr) << "rm7-bench: scenario " << name << " of " << program << " gave no result\n";
    return {};
}

// Figures of one measure over the runs, per build.
struct Series {
    QList<double> values;
    void add(double v) { values << v; }
    double quantile(double q) const {
        if (values.isEmpty()) {
            return 0;
        }
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(qsizetype(std::lround(q * double(sorted.size() - 1))));
    }
};

QString spread(const Series& s, double scale, int decimals, const QString& unit) {
    if (s.values.isEmpty()) {
        return QStringLiteral("-");
    }
    auto f = [&](double v) { return QString::number(v * scale, 'f', decimals); };
    return QStringLiteral("%1%4 (%2–%3, n=%5)")
        .arg(f(s.quantile(0.5)), f(s.quantile(0)), f(s.quantile(1)), unit)
        .arg(s.values.size());
}

struct Row {
    QString measure;
    QString target;
    double scale;
    int decimals;
    QString unit;
    QList<Series> perBuild;
};

int runAll(const Options& o) {
    const int builds = int(o.builds.size());
    auto wanted = [&](const char* group) {
        return o.only.isEmpty() || o.only.contains(QLatin1String(group));
    };
    QList<Row> rows;
    auto row = [&](const QString& measure, const QString& target, double scale, int decimals,
                   const QString& unit) -> Row& {
        rows.append({measure, target, scale, decimals, unit, QList<Series>(builds)});
        return rows.last();
    };
    // Each round runs every build once; the order of the builds alternates from round to round.
    auto rounds = [&](int count, const std::function<void(int build)>& one) {
        for (int round = 0; round < count; ++round) {
            for (int i = 0; i < builds; ++i) {
                one(round % 2 == 0 ? i : builds - 1 - i);
            }
        }
    };
    const double wireSeconds = double(download(kPacedRecords).size()) * 10 / 9600;
    const QString tag = o.platform == u"offscreen" ? QStringLiteral("offscreen") : o.platform;

    if (wanted("dispatcher")) {
        Row& r = row(QStringLiteral("Dispatcher alone, 10,000-line download in memory"),
                     QStringLiteral(">= 50 MB/s"), 1, 0, QStringLiteral(" MB/s"));
        rounds(3, [&](int b) {
            r.perBuild[b].add(
                runScenario(o.builds[b], QStringLiteral("dispatcher"), o.platform)[QStringLiteral("value")]);
        });
    }
    if (wanted("window")) {
        rows.append({QStringLiteral("Plain copy of the 10,000-line download from the simulator's pty"),
                     QStringLiteral("(the host's limit)"), 1000, 2, QStringLiteral(" ms"),
                     QList<Series>(builds)});
        rows.append(
            {QStringLiteral("Window (%1), unpaced 10,000 lines, to idle after its last paint").arg(tag),
             QStringLiteral("-"), 1000, 2, QStringLiteral(" ms"), QList<Series>(builds)});
        rows.append({QStringLiteral("Window / copy, paired runs (copy and window alternating)"),
                     QStringLiteral("<= 2x"), 1, 2, QStringLiteral("x"), QList<Series>(builds)});
        rows.append({QStringLiteral("Command line (no display), the same download to a file"),
                     QStringLiteral("-"), 1000, 2, QStringLiteral(" ms"), QList<Series>(builds)});
        rows.append({QStringLiteral("Command line / copy, paired runs"), QStringLiteral("-"), 1, 2,
                     QStringLiteral("x"), QList<Series>(builds)});
        const qsizetype at = rows.size() - 5;
        rounds(o.runs, [&](int b) {
            const double copy =
                runScenario(o.builds[b], QStringLiteral("copy"), o.platform)[QStringLiteral("wall")];
            const double window =
                runScenario(o.builds[b], QStringLiteral("window"), o.platform)[QStringLiteral("wall")];
            rows[at].perBuild[b].add(copy);
            rows[at + 1].perBuild[b].add(window);
            rows[at + 2].perBuild[b].add(copy > 0 ? window / copy : 0);
            if (b == 0) { // an older build has no command line
                const Values cli = runScenario(o.builds[b], QStringLiteral("command-line"), o.platform);
                if (cli.value(QStringLiteral("bytes")) > 0) {
                    rows[at + 3].perBuild[b].add(cli[QStringLiteral("wall")]);
                    rows[at + 4].perBuild[b].add(copy > 0 ? cli[QStringLiteral("wall")] / copy : 0);
                }
            }
        });
    }
    if (wanted("paced")) {
        rows.append({QStringLiteral("Paced at 9600 baud (%1), %2 records: CPU of one core")
                         .arg(tag)
                         .arg(kPacedRecords),
                     QStringLiteral("<= 0.7%"), 100, 2, QStringLiteral("%"), QList<Series>(builds)});
        rows.append({QStringLiteral("Paced: the X server's CPU for it"), QStringLiteral("<= 0.4%"), 100, 2,
                     QStringLiteral("%"), QList<Series>(builds)});
        rows.append({QStringLiteral("Paced: program and X server together"), QStringLiteral("<= 1.0%"), 100,
                     2, QStringLiteral("%"), QList<Series>(builds)});
        rows.append({QStringLiteral("Paced: completion after the wire time (%1 ms)")
                         .arg(wireSeconds * 1000, 0, 'f', 0),
                     QStringLiteral("<= 1% + 100 ms (%1 ms)").arg(wireSeconds * 10 + 100, 0, 'f', 0), 1000, 1,
                     QStringLiteral(" ms"), QList<Series>(builds)});
        const qsizetype at = rows.size() - 4;
        rounds(o.pacedRuns, [&](int b) {
            const Values v = runScenario(o.builds[b], QStringLiteral("paced"), o.platform);
            const double wall = std::max(v[QStringLiteral("wall")], 1e-9);
            rows[at].perBuild[b].add(v[QStringLiteral("cpu")] / wall);
            if (v.contains(QStringLiteral("xcpu"))) {
                rows[at + 1].perBuild[b].add(v[QStringLiteral("xcpu")] / wall);
                rows[at + 2].perBuild[b].add((v[QStringLiteral("cpu")] + v[QStringLiteral("xcpu")]) / wall);
            }
            rows[at + 3].perBuild[b].add(v[QStringLiteral("done")] - wireSeconds);
        });
    }
    if (wanted("save")) {
        rows.append({QStringLiteral("Saving 1,000,000 lines through the window"), QStringLiteral("< 500 ms"),
                     1000, 0, QStringLiteral(" ms"), QList<Series>(builds)});
        rows.append({QStringLiteral("Saving 1,000,000 lines: longest gap of a 10 ms timer"),
                     QStringLiteral("< 100 ms"), 1000, 0, QStringLiteral(" ms"), QList<Series>(builds)});
        const qsizetype at = rows.size() - 2;
        rounds(o.runs, [&](int b) {
            const Values v = runScenario(o.builds[b], QStringLiteral("save1m"), o.platform);
            rows[at].perBuild[b].add(v[QStringLiteral("wall")]);
            rows[at + 1].perBuild[b].add(v[QStringLiteral("gap")]);
        });
    }
    if (wanted("million")) {
        rows.append({QStringLiteral("1,000,000 lines unpaced through the window"), QStringLiteral("-"), 1, 2,
                     QStringLiteral(" s"), QList<Series>(builds)});
        rows.append({QStringLiteral("1,000,000 lines: longest gap of a 10 ms timer"),
                     QStringLiteral("< 50 ms"), 1000, 0, QStringLiteral(" ms"), QList<Series>(builds)});
        rows.append({QStringLiteral("1,000,000 lines: heap in use per line beyond its bytes"),
                     QStringLiteral("<= 16 bytes"), 1, 1, QStringLiteral(" B"), QList<Series>(builds)});
        rows.append({QStringLiteral("1,000,000 lines: heap kept from the system after clearing the store"),
                     QStringLiteral("given back"), 1.0 / 1024, 1, QStringLiteral(" MB"),
                     QList<Series>(builds)});
        const qsizetype at = rows.size() - 4;
        rounds(o.millionRuns, [&](int b) {
            const Values v = runScenario(o.builds[b], QStringLiteral("million"), o.platform);
            rows[at].perBuild[b].add(v[QStringLiteral("wall")]);
            rows[at + 1].perBuild[b].add(v[QStringLiteral("gap")]);
            rows[at + 2].perBuild[b].add(v[QStringLiteral("perLine")]);
            rows[at + 3].perBuild[b].add(v[QStringLiteral("cleared")]);
        });
    }
    if (wanted("viewer")) { // this build only: an older one has no viewer
        const struct {
            const char* scenario;
            const char* key;
            QString measure;
            QString target;
            double scale;
            QString unit;
        } viewerRows[] = {
            {"viewer-10k", "wall", QStringLiteral("Log viewer opened on 10,000 stored lines"),
             QStringLiteral("well under 1 s"), 1000, QStringLiteral(" ms")},
            {"viewer-10k", "added", QStringLiteral("Log viewer on 10,000 lines: memory added"),
             QStringLiteral("little"), 1.0 / 1024, QStringLiteral(" MB")},
            {"viewer-1m", "wall", QStringLiteral("Log viewer opened on 1,000,000 stored lines"),
             QStringLiteral("well under 1 s"), 1000, QStringLiteral(" ms")},
            {"viewer-1m", "added", QStringLiteral("Log viewer on 1,000,000 lines: memory added"),
             QStringLiteral("little"), 1.0 / 1024, QStringLiteral(" MB")},
            {"viewer-find-1m", "wall", QStringLiteral("Find in 1,000,000 lines"), QStringLiteral("-"), 1000,
             QStringLiteral(" ms")},
            {"viewer-chart-1m", "wall", QStringLiteral("Chart of 1,000,000 lines"), QStringLiteral("-"), 1000,
             QStringLiteral(" ms")},
            {"viewer-sort-1m", "wall", QStringLiteral("Sorting 1,000,000 lines by a number column"),
             QStringLiteral("-"), 1000, QStringLiteral(" ms")},
            {"stream-no-viewer", "gap",
             QStringLiteral("Unpaced %1 lines, no viewer: longest gap of a 10 ms timer")
                 .arg(kStreamRecords + 8),
             QStringLiteral("-"), 1000, QStringLiteral(" ms")},
            {"viewer-stream", "gap", QStringLiteral("The same into an open viewer's table"),
             QStringLiteral("-"), 1000, QStringLiteral(" ms")},
            {"viewer-stream-chart", "gap", QStringLiteral("The same with the chart shown"),
             QStringLiteral("-"), 1000, QStringLiteral(" ms")},
        };
        QMap<QString, QList<Values>> results;
        for (const auto& v : viewerRows) {
            const QString name = QLatin1String(v.scenario);
            if (!results.contains(name)) {
                for (int run = 0; run < 3; ++run) {
                    results[name] << runScenario(o.builds[0], name, o.platform);
                }
            }
            Row& r = row(v.measure, v.target, v.scale, 1, v.unit);
            for (const Values& values : results[name]) {
                r.perBuild[0].add(values.value(QLatin1String(v.key)));
            }
        }
    }
    if (wanted("limits")) { // this build only: an older one has no limits
        row(QStringLiteral("A download stopped at its 64 MiB limit: heap it takes"),
            QStringLiteral("about its bytes"), 1.0 / (1 << 20), 1, QStringLiteral(" MiB"));
        row(QStringLiteral("A 1 GB recovery copy, not cached: start to its offer"), QStringLiteral("< 1 s"),
            1000, 0, QStringLiteral(" ms"));
        row(QStringLiteral("A 1 GB recovery copy: memory added until its offer"), QStringLiteral("< 50 MB"),
            1.0 / 1024, 1, QStringLiteral(" MB"));
        const qsizetype at = rows.size() - 3;
        for (int run = 0; run < o.runs; ++run) {
            rows[at].perBuild[0].add(
                runScenario(o.builds[0], QStringLiteral("byte-limit"), o.platform)[QStringLiteral("heap")]);
            const Values v = runScenario(o.builds[0], QStringLiteral("leftover-1g"), o.platform);
            rows[at + 1].perBuild[0].add(v[QStringLiteral("wall")]);
            rows[at + 2].perBuild[0].add(v[QStringLiteral("added")]);
        }
    }
    if (wanted("startup")) {
        Row& r = row(QStringLiteral("Start-up to the first window shown"), QStringLiteral("-"), 1000, 1,
                     QStringLiteral(" ms"));
        rounds(o.runs, [&](int b) {
            r.perBuild[b].add(
                runScenario(o.builds[b], QStringLiteral("startup"), o.platform)[QStringLiteral("wall")]);
        });
    }

    QString table = QStringLiteral(
        "Medians with min–max over n runs; the builds alternate run by run.\n\n| measure | target |");
    QString rule = QStringLiteral("|---|---|");
    for (int b = 0; b < builds; ++b) {
        table += b == 0 ? QStringLiteral(" this build |") : QStringLiteral(" before (%1) |").arg(o.builds[b]);
        rule += QStringLiteral("---|");
    }
    table += QLatin1Char('\n') + rule + QLatin1Char('\n');
    for (const Row& r : std::as_const(rows)) {
        table += QStringLiteral("| %1 | %2 |").arg(r.measure, r.target);
        for (const Series& s : r.perBuild) {
            table += QStringLiteral(" %1 |").arg(spread(s, r.scale, r.decimals, r.unit));
        }
        table += QLatin1Char('\n');
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
    auto value = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const QString scenario = value("--scenario");
    if (scenario.isEmpty()) {
        Options o;
        o.builds << QCoreApplication::applicationFilePath();
        if (!value("--before").isEmpty()) {
            o.builds << value("--before");
        }
        if (!value("--runs").isEmpty()) {
            o.runs = value("--runs").toInt();
        }
        if (!value("--paced-runs").isEmpty()) {
            o.pacedRuns = value("--paced-runs").toInt();
        }
        if (!value("--million-runs").isEmpty()) {
            o.millionRuns = value("--million-runs").toInt();
        }
        if (!value("--qpa").isEmpty()) {
            o.platform = value("--qpa");
        }
        if (!value("--only").isEmpty()) {
            o.only = value("--only").split(QLatin1Char(','));
        }
        return runAll(o);
    }
    if (scenario == u"dispatcher") {
        benchDispatcher();
    } else if (scenario == u"copy") {
        benchCopy();
    } else if (scenario == u"window") {
        benchWindow(kRecords, false);
    } else if (scenario == u"paced") {
        benchWindow(kPacedRecords, true);
    } else if (scenario == u"save1m") {
        benchSaveMillion();
    } else if (scenario == u"million") {
        benchMillion();
    } else if (scenario == u"startup") {
        benchStartUp();
    } else if (scenario == u"byte-limit") {
        benchByteLimit();
    } else if (scenario == u"leftover-1g") {
        benchLeftoverOffer();
    } else if (scenario == u"command-line") {
        benchCommandLine();
    } else if (scenario == u"viewer-10k") {
        benchViewerOpen(kRecords - kHeaderAndEndLines);
    } else if (scenario == u"viewer-1m") {
        benchViewerOpen(kMillionLines - kHeaderAndEndLines);
    } else if (scenario == u"viewer-find-1m") {
        benchViewerOnMillion(false);
    } else if (scenario == u"viewer-chart-1m") {
        benchViewerOnMillion(true);
    } else if (scenario == u"viewer-sort-1m") {
        benchViewerSortMillion();
    } else if (scenario == u"stream-no-viewer") {
        benchViewerStream(Viewer::None);
    } else if (scenario == u"viewer-stream") {
        benchViewerStream(Viewer::Table);
    } else if (scenario == u"viewer-stream-chart") {
        benchViewerStream(Viewer::Chart);
    }
    return 0;
}
