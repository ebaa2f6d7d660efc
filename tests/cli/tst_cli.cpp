// rm7-download from the command line, run as the real program with no display against the simulator on
// a pty: exit codes, the file, progress on a pipe and on a terminal, and SIGTERM or SIGINT in the middle.

#include "Archive.h"
#include "CliRun.h"
#include "ComPort.h"
#include "ControllerSim.h"
#include "SampleDownload.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Exit codes as the manual page gives them.
constexpr int kDone = 0;
constexpr int kUsage = 2;
constexpr int kPortUnavailable = 3;
constexpr int kNoLogs = 4;
constexpr int kSilent = 5;
constexpr int kFileError = 6;
constexpr int kIncomplete = 7;
constexpr int kUnreadableReply = 8;

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    void prepare(QProcess& process) { prepareCli(process, *m_env, QStringLiteral(RM7_DOWNLOAD)); }

    // Runs the program to its end while the simulator answers on this thread's event loop.
    int run(QProcess& process, const QStringList& arguments) {
        prepare(process);
        return runCli(process, arguments);
    }

    void startSim(ControllerSim& sim) {
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), 3));
    }

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_env->writeIni("[DEFAULT]\r\nComport= 3\r\n");
    }
    void cleanup() { m_env.reset(); }

    void helpAndVersionNeedNoDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("version") << QStringList{"--version"} << kDone << "rm7-download 1.7\n";
        QTest::newRow("help") << QStringList{"--help"} << kDone << "--download <file>";
        QTest::newRow("both commands") << QStringList{"--count", "--download", "x"} << kUsage << "";
        QTest::newRow("no command") << QStringList{"--quiet"} << kUsage << "";
        QTest::newRow("unknown option") << QStringList{"--count", "--colour"} << kUsage << "";
        QTest::newRow("unknown option alone") << QStringList{"--frobnicate"} << kUsage << "";
        QTest::newRow("a short unknown option") << QStringList{"-q"} << kUsage << "";
        QTest::newRow("a file name alone") << QStringList{"log.csv"} << kUsage << "";
        QTest::newRow("bad port") << QStringList{"--count", "--port", "fast"} << kUsage << "";
        QTest::newRow("a port it does not know") << QStringList{"--count", "--port", "40"} << kUsage << "";
    }
    void helpAndVersionNeedNoDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess process;
        QCOMPARE(run(process, arguments), exitCode);
        QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(output));
        if (exitCode == kUsage) {
            QVERIFY(process.readAllStandardError().contains("Try 'rm7-download --help'."));
        }
    }

    // Without a port ever chosen, the command line says how to choose one and stores none itself.
    void noPortEverChosen() {
        m_env->writeIni("[DEFAULT]\r\npath=/data/\r\n");
        QProcess process;
        QCOMPARE(run(process, {"--count"}), kUsage);
        QVERIFY(process.readAllStandardError().contains("no port was ever chosen: give one with --port"));
        QCOMPARE(m_env->readIni(), QByteArray("[DEFAULT]\r\npath=/data/\r\n"));
    }

    // Every way a run can end, with its exit code, what it says and the file it leaves.
    void outcomes_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<QString>("scenario"); // the port missing, noise before the reply, an endless reply
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("message"); // a pattern of what stderr says
        QTest::addColumn<bool>("fileMade");
        QTest::addColumn<QString>("archived"); // how the archive has the download end, "" for not at all
        const QByteArray none;
        QTest::newRow("complete download") << 200 << -1 << "" << QStringList{"--download", "@/log.csv"}
                                           << kDone << none << "" << true << "complete";
        QTest::newRow("not archived")
            << 20 << -1 << "" << QStringList{"--download", "@/log.csv", "--no-archive"} << kDone << none << ""
            << true << "";
        QTest::newRow("to standard output")
            << 50 << -1 << "" << QStringList{"--download", "-"} << kDone << SimReply::downloadLines(50).join()
            << "" << false << "complete";
        QTest::newRow("count") << 300 << -1 << "" << QStringList{"--count"} << kDone << QByteArray("300\n")
                               << "" << false << "";
        QTest::newRow("no logs") << 0 << -1 << "" << QStringList{"--download", "@/log.csv"} << kNoLogs << none
                                 << "no log entries" << false << "";
        QTest::newRow("silent controller") << 100 << 20 << "" << QStringList{"--download", "@/log.csv"}
                                           << kSilent << none << "no response" << false << "silent";
        QTest::newRow("silent to the count")
            << 100 << 0 << "" << QStringList{"--count"} << kSilent << none << "no response" << false << "";
        QTest::newRow("missing port")
            << 100 << -1 << "missing" << QStringList{"--download", "@/log.csv"} << kPortUnavailable << none
            << "rm7-download: port not available: Nothing is connected as COM 3 \\(.*\\)\\. Check the cable"
            << false << "";
        QTest::newRow("file cannot be written")
            << 100 << -1 << "" << QStringList{"--download", "@/no such folder/log.csv"} << kFileError << none
            << "cannot write" << false << "";
        QTest::newRow("a folder") << 100 << -1 << "" << QStringList{"--download", "@"} << kFileError << none
                                  << "cannot write .*: Is a directory" << false << "";
        QTest::newRow("noise before the count reply")
            << 10 << -1 << "noisy" << QStringList{"--count"} << kUnreadableReply << QByteArray("")
            << "the controller's count reply carries no count: \"\\\\x01\\*01a0" << false << "";
        QTest::newRow("a controller that never stops")
            << 0 << -1 << "endless" << QStringList{"--download", "@/log.csv"} << kIncomplete << none
            << "the download is incomplete: it was stopped after \\d+ lines" << false << "limit reached";
        QTest::newRow("a full device")
            << 100 << -1 << "" << QStringList{"--download", "/dev/full"} << kFileError << none
            << "cannot write /dev/full: No space left on device" << false << "";
    }
    void outcomes() {
        QFETCH(int, records);
        QFETCH(int, silentAfter);
        QFETCH(QString, scenario);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        QFETCH(QString, message);
        QFETCH(bool, fileMade);
        QFETCH(QString, archived);

        ControllerSim sim(SimOptions{.records = records,
                                     .stray = scenario == u"noisy" ? "\x01" : "",
                                     .silentAfterLine = silentAfter,
                                     .silentAttempts = 99,
                                     .endlessLineBytes = scenario == u"endless" ? 64 << 10 : 0});
        startSim(sim);
        if (silentAfter == 0) {
            sim.options().queryReply = QByteArray();
        }
        if (scenario == u"missing") {
            QFile::remove(m_env->settingsFolder() + QStringLiteral("ports/com3"));
            m_env->placeMissingDevice(3);
        }
        QTemporaryDir out;
        arguments.replaceInStrings(QStringLiteral("@"), out.path());
        QProcess process;
        QCOMPARE(run(process, arguments), exitCode);
        if (!output.isNull()) {
            QCOMPARE(process.readAllStandardOutput(), output);
        }
        const QString said = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(said.contains(QRegularExpression(message)), qPrintable(said));
        const QString file = out.filePath(QStringLiteral("log.csv"));
        QCOMPARE(QFile::exists(file), fileMade);
        if (fileMade) {
            QCOMPARE(readFileBytes(file), SimReply::downloadLines(records).join());
        }
        // A run that made no file leaves nothing behind either.
        QCOMPARE(folderEntries(out.path()).size(), fileMade ? 1 : 0);
        // Lines that reached no file stay in the recovery copy, and the run says where; saved lines need
        // none.
        const bool kept = silentAfter > 0 || scenario == u"endless" || arguments.contains("/dev/full");
        QCOMPARE(m_env->recoveryCopies().size(), kept ? 1 : 0);
        QCOMPARE(said.contains(QStringLiteral("lines received are kept in ") + m_env->stateFolder()), kept);
        // Each error is told once, with no log line beside it.
        QVERIFY2(!said.contains(QStringLiteral("rm7.")), qPrintable(said));
        QCOMPARE(said.count(QStringLiteral("Nothing is connected")), scenario == u"missing" ? 1 : 0);
        // Whatever became of the file, a download that ended went into the archive, with its lines.
        Archive archive;
        const auto controllers = archive.controllers(DateOrder::Unknown).value;
        QCOMPARE(controllers.size(), archived.isEmpty() ? 0 : 1);
        if (!archived.isEmpty()) {
            const DownloadSummary download = archive.downloads(controllers.first().id).value.value(0);
            QCOMPARE(downloadEndText(download.end), archived);
            QCOMPARE(archive.downloadBytes(download.id).value,
                     kept ? readFileBytes(m_env->recoveryCopies().first())
                          : SimReply::downloadLines(records).join());
        }
    }

    void portGivenAsDevicePath() {
        ControllerSim sim(SimOptions{.records = 20});
        QVERIFY(sim.start());
        m_env->placeMissingDevice(3); // the settings' port is not the one used
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("log.csv"));
        QProcess process;
        QCOMPARE(run(process, {"--download", file, "--port", sim.devicePath(), "--quiet"}), kDone);
        QCOMPARE(readFileBytes(file), SimReply::downloadLines(20).join());
        QCOMPARE(process.readAllStandardError(), QByteArray());
    }

    // A target that is not a regular file is written where it stands and never replaced: a device node
    // (made with mknod when root: the controlling terminal's numbers, the terminal given to the run), a
    // FIFO with a reader, a terminal by its own name.
    void targetsThatAreNoFileAreWrittenInPlace_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("device node") << "node";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("terminal") << "terminal";
    }
    void targetsThatAreNoFileAreWrittenInPlace() {
        QFETCH(QString, kind);
        ControllerSim sim(SimOptions{.records = 30, .paced = true});
        startSim(sim);
        QTemporaryDir out;
        QString target = out.filePath(QStringLiteral("target"));
        int reader = -1;
        int slave = -1;
        if (kind == u"fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
            reader = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK);
        } else {
            char name[64];
            QVERIFY(::openpty(&reader, &slave, name, nullptr, nullptr) == 0);
            termios raw{};
            ::tcgetattr(slave, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
            ::fcntl(reader, F_SETFL, ::fcntl(reader, F_GETFL) | O_NONBLOCK);
            if (kind == u"terminal" || ::geteuid() != 0 ||
                ::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0600, makedev(5, 0)) != 0) {
                target = QString::fromLatin1(name);
            }
        }
        QByteArray arrived;
        qsizetype whileRunning = 0; // bytes that came before the run ended: as they arrive, not at the end
        QProcess process;
        QSocketNotifier notifier(reader, QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [&] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;) {
                arrived.append(buffer, n);
            }
            whileRunning = process.state() == QProcess::Running ? arrived.size() : whileRunning;
        });
        process.setChildProcessModifier([slave] {
            if (slave >= 0) { // the terminal becomes the run's own
                ::setsid();
                ::ioctl(slave, TIOCSCTTY, 0);
            }
        });
        QCOMPARE(run(process, {"--download", target, "--quiet"}), kDone);
        QTRY_COMPARE(arrived, SimReply::downloadLines(30).join());
        QVERIFY(whileRunning > 0);
        struct stat after {};
        ::stat(QFile::encodeName(target).constData(), &after);
        QVERIFY(kind == u"fifo" ? S_ISFIFO(after.st_mode) : S_ISCHR(after.st_mode));
        ::close(reader);
        ::close(slave);
    }

    void stopSignalLeavesNoFileAndFreesThePort_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP (the terminal closed)") << int(SIGHUP);
    }
    void stopSignalLeavesNoFileAndFreesThePort() {
        QFETCH(int, signalNumber);
        ControllerSim sim(SimOptions{.records = 300, .paced = true});
        startSim(sim);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("log.csv"));
        QFile::copy(m_env->iniPath(), file); // a file of the same name from before stays as it was
        const QByteArray before = readFileBytes(file);
        QProcess process;
        prepare(process);
        process.setArguments({"--download", file});
        process.start();
        QByteArray progress;
        QTRY_VERIFY_WITH_TIMEOUT((progress += process.readAllStandardError()).contains(" of 308 lines"),
                                 20000);
        QVERIFY(sim.replyPending());
        ::kill(pid_t(process.processId()), signalNumber);
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signalNumber);
        QCOMPARE(readFileBytes(file), before);
        // The lines received so far wait in the recovery copy, and the run says where.
        QCOMPARE(m_env->recoveryCopies().size(), 1);
        QVERIFY(process.readAllStandardError().contains("lines received are kept in " +
                                                        QFile::encodeName(m_env->recoveryCopies().first())));
        QCOMPARE(folderEntries(out.path()), QStringList{"log.csv"});
        ComPort port;
        port.setCommPort(3);
        port.setPortOpen(true);
        QVERIFY(port.PortOpen());
    }

    // A reader that goes away (as "| head" does) ends the run with one line and the copy kept; a name the
    // folder cannot hold, and a relative XDG folder, are known before the controller is asked anything.
    void brokenPipeNameTooLongRelativeFolders_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("broken pipe") << "pipe";
        QTest::newRow("name too long") << "name";
        QTest::newRow("relative XDG folders, --verbose") << "relative";
    }
    void brokenPipeNameTooLongRelativeFolders() {
        QFETCH(QString, kind);
        ControllerSim sim(SimOptions{.records = 300, .paced = kind == u"pipe"});
        startSim(sim);
        QTemporaryDir out;
        QProcess process;
        prepare(process);
        QStringList arguments{
            "--download", kind == u"pipe" ? "-" : out.filePath(QString(kind == u"name" ? 300 : 255, u'x'))};
        if (kind == u"relative") { // HOME holds the settings; the relative XDG folders are not used
            QProcessEnvironment environment = process.processEnvironment();
            environment.insert(QStringLiteral("HOME"), m_env->configHome() + QStringLiteral("/home"));
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
            environment.insert(QStringLiteral("XDG_STATE_HOME"), QStringLiteral("relative/state"));
            process.setProcessEnvironment(environment);
            process.setWorkingDirectory(out.path());
            QVERIFY(QDir().mkpath(m_env->configHome() + QStringLiteral("/home/.config")));
            QVERIFY(QFile::rename(m_env->settingsFolder(),
                                  m_env->configHome() + QStringLiteral("/home/.config/korvane")));
            arguments << "--verbose";
        }
        if (kind == u"pipe") { // the reader takes a few bytes and goes
            process.setProgram(QStringLiteral("bash"));
            arguments =
                QStringList{"-c", "\"$0\" --download - | head -c 1000 >/dev/null; exit ${PIPESTATUS[0]}",
                            QStringLiteral(RM7_DOWNLOAD)};
        }
        process.setArguments(arguments);
        process.start();
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning,
                                 60000); // the simulator answers meanwhile
        const QByteArray said = process.readAllStandardError();
        if (kind == u"pipe") {
            QCOMPARE(process.exitCode(), kFileError);
            QVERIFY2(said.contains("cannot write standard output: Broken pipe\n"), said.constData());
            QCOMPARE(m_env->recoveryCopies().size(), 1);
        } else if (kind == u"name") {
            QCOMPARE(process.exitCode(), kFileError);
            QVERIFY(said.contains("File name too long"));
            QCOMPARE(sim.received(), QByteArray()); // the controller was never asked
        } else {
            QCOMPARE(process.exitCode(), kDone);
            QVERIFY2(said.contains("XDG_CONFIG_HOME is a relative path"), said.constData()); // a log line
            QVERIFY(!QFileInfo::exists(out.filePath(QStringLiteral("relative"))));
            QCOMPARE(folderEntries(out.path()), QStringList{QString(255, u'x')}); // the longest name there is
        }
    }

    // Saved files brought in, the controllers listed, a controller's records written out, and what each
    // verb says of input it cannot use.
    void archiveVerbs() {
        const QString saved = m_env->path(QStringLiteral("saved"));
        QDir().mkpath(saved);
        const auto place = [&](const QString& name, const QByteArray& bytes, int daysAgo) {
            QFile file(saved + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.setFileTime(QDateTime::currentDateTime().addDays(-daysAgo),
                             QFileDevice::FileModificationTime);
        };
        place(QStringLiteral("march.csv"), sampleDownload(0, 30), 2);
        place(QStringLiteral("april.csv"), sampleDownload(20, 20), 1); // the newest, overlapping by ten
        place(QStringLiteral("notes.txt"), "shopping list\r\n", 1);
        const auto verb = [this](const QStringList& arguments, int exitCode) {
            QProcess process;
            [&] { QCOMPARE(run(process, arguments), exitCode); }();
            return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        };
        QString said = verb({"--import", saved}, kFileError);
        QVERIFY2(said.contains(saved + QStringLiteral("/april.csv: added, 20 new records")),
                 qPrintable(said));
        QVERIFY2(said.contains(saved + QStringLiteral("/march.csv: added, 20 new records")),
                 qPrintable(said));
        QVERIFY2(said.contains(saved + QStringLiteral("/notes.txt: refused: no \"Date,\" line")),
                 qPrintable(said));
        said = verb({"--import", saved + QStringLiteral("/march.csv")}, kDone);
        QVERIFY2(said.endsWith(QStringLiteral("march.csv: already in the archive\n")), qPrintable(said));

        said = verb({"--controllers"}, kDone);
        QVERIFY2(
            said.contains(QStringLiteral("\n1\tRM7-0042, North Pump Station\t2\t40\t2026-11-01 00:00:00\t"
                                         "2026-11-01 00:39:00\t")),
            qPrintable(said));

        // The controller's own layout, its count line carrying the records exported: a download of them.
        QCOMPARE(verb({"--export", "1", "-"}, kDone), QString::fromLatin1(sampleDownload(0, 40)));
        const QString plain = m_env->path(QStringLiteral("plain.csv"));
        QCOMPARE(verb({"--export", "rm7-0042, north pump station", "--plain", "--from", "2026-11-01 00:35",
                       "--to", "2026-11-01", plain},
                      kDone),
                 QString());
        const QList<QByteArray> download = sampleDownload(0, 40).split('\n');
        QCOMPARE(readFileBytes(plain),
                 (QList<QByteArray>{download[6]} + download.mid(42, 5)).join('\n') + '\n');

        QVERIFY(verb({"--export", "1", saved}, kFileError).contains(QStringLiteral(": Is a directory")));
        QVERIFY(verb({"--export", "7", "-"}, kUsage)
                    .contains(QStringLiteral("no controller '7' in the archive")));
        QVERIFY(verb({"--export", "1", "--from", "yesterday", "-"}, kUsage)
                    .contains(QStringLiteral("--from takes a date such as")));
        QVERIFY(verb({"--export", "1"}, kUsage).contains(QStringLiteral("--export needs one file")));
        QVERIFY(verb({"--import"}, kUsage).contains(QStringLiteral("--import needs the files")));
    }

    // Progress on a pipe is a plain line a second; on a terminal, one line redrawn in place, back to its
    // start and cleared after, ending in one line end.
    void progress_data() {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("a pipe") << false;
        QTest::newRow("a terminal") << true;
    }
    void progress() {
        QFETCH(bool, terminal);
        ControllerSim sim(SimOptions{.records = 40, .paced = true});
        startSim(sim);
        int master = -1;
        int slave = -1;
        QByteArray seen;
        std::unique_ptr<QSocketNotifier> notifier;
        const auto drain = [&] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) {
                seen.append(buffer, n);
            }
        };
        QProcess process;
        if (terminal) {
            QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
            ::ioctl(slave, TIOCEXCL); // nobody else may open this terminal while the test reads it
            notifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
            connect(notifier.get(), &QSocketNotifier::activated, this, drain);
            process.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
        }
        QTemporaryDir out;
        QCOMPARE(run(process, {"--download", out.filePath(QStringLiteral("log.csv"))}), kDone);
        if (terminal) {
            ::close(slave);
            QTRY_VERIFY(seen.endsWith('\n'));
            drain();
            ::close(master);
        } else {
            seen = process.readAllStandardError();
        }
        // First which port the run uses, then the reports.
        const QByteArray named = "rm7-download: COM 3 (" + QFile::encodeName(sim.devicePath()) + ")";
        QVERIFY2(seen.startsWith(named + (terminal ? "\r\n" : "\n")), seen.constData());
        seen = seen.mid(seen.indexOf('\n') + 1);
        QCOMPARE(seen.count('\n'), terminal ? 1 : seen.count('\n'));
        const QList<QByteArray> reports = seen.trimmed().split(terminal ? '\r' : '\n');
        QVERIFY2(reports.size() >= 3, seen.constData());
        static const QRegularExpression plain(
            QStringLiteral("^rm7-download: \\d+ of (\\d+|\\?) lines, [\\d.]+ (B|KiB|MiB)/s, [-\\d:]+ left$"));
        static const QRegularExpression bar(QStringLiteral(
            "^\\d+/(\\d+|\\?) lines \\[[#.]{24}\\] [\\d.]+ (B|KiB|MiB)/s, [-\\d:]+ left\\x1b\\[K$"));
        for (const QByteArray& report : reports) {
            QVERIFY2((terminal ? bar : plain).match(QString::fromLatin1(report)).hasMatch(),
                     report.constData());
        }
        QVERIFY(reports.last().startsWith(terminal ? "48/48 lines [########################]"
                                                   : "rm7-download: 48 of 48 lines"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
