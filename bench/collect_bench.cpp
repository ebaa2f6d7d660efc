// rm7-collect-bench: a collection from four controllers at once, each rm7-sim in a process of its own
// paced at 9600 baud. It measures the collection's wall time against the slowest controller's single
// download (rm7-download --download, in this process as the command runs it), the CPU the collecting
// process uses meanwhile, and, as a compressed stand-in for a day of hourly collections, the resident
// memory after each of many collections from the same controllers in one process (in child processes
// of this command, so each series starts afresh). Not a test: it prints a table.

#include "ArchiveService.h"
#include "Collection.h"
#include "ProcessUse.h"
#include "UnattendedRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// Four controllers of different sizes: the last is the slowest (123 lines, about 7.5 s on the wire).
constexpr int kRecords[] = {70, 85, 100, 115};
constexpr int kSoakRecords = 1000;
constexpr int kSoakCollections = 24;

// The simulators, each with its COM link in a settings folder of the benchmark's own, which the
// benchmark's own XDG folders point at.
class Simulators {
public:
    explicit Simulators(bool paced) {
        qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", m_home.filePath(QStringLiteral("state")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toLocal8Bit());
        const QString settings = m_home.filePath(QStringLiteral("korvane"));
        QDir().mkpath(settings);
        for (int i = 0; i < int(std::size(kRecords)); ++i) {
            auto sim = std::make_unique<QProcess>();
            QStringList arguments{
                QStringLiteral("--records"),  QString::number(paced ? kRecords[i] : kSoakRecords),
                QStringLiteral("--settings"), settings,
                QStringLiteral("--com"),      QString::number(i + 1)};
            if (!paced) {
                arguments << QStringLiteral("--fast");
            }
            sim->start(QCoreApplication::applicationDirPath() + QStringLiteral("/../sim/rm7-sim"), arguments);
            QByteArray said;
            while (!said.contains("COM " + QByteArray::number(i + 1)) && sim->waitForReadyRead(5000)) {
                said += sim->readAll();
            }
            m_sims.push_back(std::move(sim));
        }
    }
    ~Simulators() {
        for (const auto& sim : m_sims) {
            sim->terminate();
            sim->waitForFinished();
        }
    }
    Simulators(const Simulators&) = delete;
    Simulators& operator=(const Simulators&) = delete;

    QString folder(const QString& name) const {
        QDir().mkpath(m_home.filePath(name));
        return m_home.filePath(name);
    }

private:
    QTemporaryDir m_home;
    std::vector<std::unique_ptr<QProcess>> m_sims;
};

struct Sample {
    double wall = 0; // seconds
    double cpu = 0;  // seconds
    int exitCode = 0;
};

// The slowest controller's download as rm7-download --download FILE --quiet runs it, archive included.
Sample singleDownload(const QString& folder) {
    RunRequest request;
    request.file = folder + QStringLiteral("/single.csv");
    request.port.comNumber = int(std::size(kRecords));
    request.quiet = true;
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    int code = 0;
    {
        ArchiveService archive;
        UnattendedRun run(request, &archive);
        code = run.exec();
    }
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu, code};
}

// All four as rm7-download --collect --quiet runs them, archive included.
Sample collection(const QString& folder, FILE* summary) {
    CollectOptions options;
    for (int i = 1; i <= int(std::size(kRecords)); ++i) {
        options.ports << QString::number(i);
    }
    options.folder = folder;
    options.quiet = true;
    QString reason;
    const auto request = CollectRequest::make(options, reason);
    if (!request) {
        std::fprintf(stderr, "collect-bench: %s\n", qPrintable(reason));
        return {0, 0, -1};
    }
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    int code = 0;
    {
        ArchiveService archive;
        Collection run(*request, &archive);
        code = run.exec(summary);
    }
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu, code};
}

// "median (min–max, n=N)" of the values, each shown by `text`.
template <typename Show> QString spread(const QList<double>& values, Show text) {
    const Spread s = spreadOf(values);
    return QStringLiteral("%1 (%2–%3, n=%4)")
        .arg(text(s.median), text(s.lowest), text(s.highest))
        .arg(values.size());
}

// One series of back-to-back collections from fast simulators: the resident memory after each, one a line.
int soakChild(int collections) {
    Simulators sims(false);
    FILE* discard = std::fopen("/dev/null", "w");
    for (int i = 1; i <= collections; ++i) {
        const Sample run = collection(sims.folder(QStringLiteral("soak")), discard);
        if (run.exitCode != 0) {
            std::fprintf(stderr, "collect-bench: collection %d ended with %d\n", i, run.exitCode);
            return 1;
        }
        std::printf("%ld\n", residentKiB());
        std::fflush(stdout);
    }
    std::fclose(discard);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const auto count = [&](const QString& option, int fallback) {
        const qsizetype at = arguments.indexOf(option);
        return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
    };
    if (arguments.contains(QStringLiteral("--soak-child"))) {
        return soakChild(count(QStringLiteral("--collections"), kSoakCollections));
    }
    const int runs = count(QStringLiteral("--runs"), 5);
    const int soaks = count(QStringLiteral("--soak-runs"), 3);
    QTextStream out(stdout);

    QList<double> singleWall;
    QList<double> collectWall;
    QList<double> overMs;
    QList<double> overPercent;
    QList<double> cpuPercent;
    {
        Simulators sims(true);
        FILE* discard = std::fopen("/dev/null", "w");
        const QString folder = sims.folder(QStringLiteral("out"));
        collection(folder, discard); // the archive made, the system's caches warm
        for (int i = 0; i < runs; ++i) {
            // Side by side in the same minutes, so both see the same machine.
            const Sample single = singleDownload(folder);
            const Sample all = collection(folder, discard);
            if (single.exitCode != 0 || all.exitCode != 0) {
                std::fprintf(stderr, "collect-bench: a run ended with %d / %d\n", single.exitCode,
                             all.exitCode);
                return 1;
            }
            singleWall << single.wall;
            collectWall << all.wall;
            overMs << (all.wall - single.wall) * 1000;
            overPercent << (all.wall - single.wall) / single.wall * 100;
            cpuPercent << all.cpu / all.wall * 100;
            std::fprintf(stderr, "run %d: single %.3f s, collection %.3f s, CPU %.2f%%\n", i + 1, single.wall,
                         all.wall, all.cpu / all.wall * 100);
        }
        std::fclose(discard);
    }

    QList<QList<long>> series;
    for (int i = 0; i < soaks; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--soak-child")});
        child.waitForFinished(600000);
        QList<long> rss;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty()) {
                rss << line.toLong();
            }
        }
        if (child.exitCode() != 0 || rss.size() != kSoakCollections) {
            std::fprintf(stderr, "collect-bench: a soak ended early: %s\n",
                         child.readAllStandardError().constData());
            return 1;
        }
        series << rss;
        std::fprintf(stderr, "soak %d: %ld KiB after the 1st, %ld after the 2nd, %ld after the %dth\n", i + 1,
                     rss.first(), rss.at(1), rss.last(), kSoakCollections);
    }
    const auto at = [&](int n) {
        QList<double> values;
        for (const QList<long>& rss : std::as_const(series)) {
            values << double(rss.at(n - 1));
        }
        return values;
    };
    QList<double> growth;
    for (const QList<long>& rss : std::as_const(series)) {
        growth << double(rss.last() - rss.at(1));
    }

    const auto ms = [](double v) { return QStringLiteral("%1 ms").arg(v, 0, 'f', 0); };
    const auto s = [](double v) { return QStringLiteral("%1 s").arg(v, 0, 'f', 3); };
    const auto pct = [](double v) { return QStringLiteral("%1%").arg(v, 0, 'f', 2); };
    const auto kib = [](double v) { return QStringLiteral("%1 KiB").arg(v, 0, 'f', 0); };
    out << "| measure | target | figure |\n|---|---|---|\n";
    out << "| Slowest single download (" << kRecords[std::size(kRecords) - 1] << " records, paced) | - | "
        << spread(singleWall, s) << " |\n";
    out << "| Collection of all four at once | - | " << spread(collectWall, s) << " |\n";
    out << "| Collection after the slowest single download | <= 1% + 200 ms | " << spread(overMs, ms) << ", "
        << spread(overPercent, pct) << " |\n";
    out << "| CPU of the collecting process, of one core | < 2% | " << spread(cpuPercent, pct) << " |\n";
    out << "| Resident memory after the 2nd of " << kSoakCollections << " collections (4 x " << kSoakRecords
        << " records) | - | " << spread(at(2), kib) << " |\n";
    out << "| ... after the " << kSoakCollections << "th | flat | " << spread(at(kSoakCollections), kib)
        << " |\n";
    out << "| Growth from the 2nd to the " << kSoakCollections << "th | flat | " << spread(growth, kib)
        << " |\n";
    return 0;
}
