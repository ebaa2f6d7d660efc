// rm7-download --collect and --status, run as the real program against simulators on ptys: several
// controllers at once, retries, file names and their suffixes, the archive, the summary and the exit
// code, a port held by another program, a stop signal; and the naming rules in this process.

#include "Archive.h"
#include "CliRun.h"
#include "ComPort.h"
#include "ControllerSim.h"
#include "CsvWriter.h"
#include "FileNamePattern.h"
#include "SafeFileName.h"
#include "SimReply.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>

namespace {

constexpr int kDone = 0;
constexpr int kUsage = 2;
constexpr int kPortUnavailable = 3;

// A controller of its own: the simulator's reply with another unit in its header.
QList<QByteArray> unitLines(const QByteArray& unit, int records) {
    QList<QByteArray> lines = SimReply::downloadLines(records);
    lines[3] = "Unit: " + unit + "\r\n";
    return lines;
}

// The summary's rows by port, each the row's cells after the port.
QMap<QString, QStringList> summaryRows(const QByteArray& output) {
    QMap<QString, QStringList> rows;
    const QStringList lines = QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const QStringList cells = line.split(u'\t');
        rows[cells.first()] = cells.mid(1);
    }
    return rows;
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestCollect : public QObject {
    Q_OBJECT

private:
    int run(QProcess& process, const QStringList& arguments) {
        prepareCli(process, *m_env, QStringLiteral(RM7_DOWNLOAD));
        return runCli(process, arguments);
    }
    void startSim(ControllerSim& sim, int com) {
        QVERIFY(sim.start());
        QVERIFY(sim.placeLink(m_env->settingsFolder(), com));
    }

    std::unique_ptr<TestEnvironment> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // Four controllers at once: one complete (named as the archive renamed it, its earlier records not new),
    // one silent then answering on the retry (beside a file of its name from before), one unplugged in the
    // middle, one port missing; the first given three times over. The worst result is the exit code.
    void fourControllersAtOnce() {
        struct Port {
            int com;
            SimOptions options;
            QString file;        // "" for none
            QStringList summary; // controller, lines, new records, result
        };
        const QString pattern = QStringLiteral("{controller}_{line:4}_COM{com}.csv");
        QList<Port> ports = {
            {3,
             {.lines = unitLines("RM7-0101", 100)},
             "Pump North_Unit_ RM7-0101_COM3.csv",
             {"Pump North", "108", "90", "done"}},
            {4,
             {.silentAfterLine = 20, .silentAttempts = 1, .lines = unitLines("RM7-0102", 100)},
             "RM7-0102, North Pump Station_Unit_ RM7-0102_COM4-2.csv",
             {"RM7-0102, North Pump Station", "108", "100", "done (2 tries)"}},
            {5,
             {.hangUpAfterLine = 30, .lines = unitLines("RM7-0103", 100)},
             "",
             {"RM7-0103, North Pump Station", "30", "23", "port not available: nothing connected (2 tries)"}},
            {6, {}, "", {"-", "0", "-", "port not available: nothing connected (2 tries)"}},
        };
        std::vector<std::unique_ptr<ControllerSim>> sims;
        for (const Port& port : std::as_const(ports)) {
            sims.push_back(std::make_unique<ControllerSim>(port.options));
            if (port.com == 6) {
                m_env->placeMissingDevice(6);
            } else {
                startSim(*sims.back(), port.com);
            }
        }
        {
            Archive archive; // ten of the first controller's records came before, and it was renamed
            const AddResult earlier = archive.add(unitLines("RM7-0101", 10).join(),
                                                  {QDateTime::currentDateTimeUtc(), {}, {}, 3, {}, {}});
            QVERIFY(archive.renameController(earlier.controllerId, QStringLiteral("Pump North")).ok());
        }
        QTemporaryDir out;
        const QString before =
            out.filePath(QStringLiteral("RM7-0102, North Pump Station_Unit_ RM7-0102_COM4.csv"));
        QFile earlierFile(before);
        QVERIFY(earlierFile.open(QIODevice::WriteOnly) && earlierFile.write("from before\n") == 12);
        earlierFile.close();

        QProcess process;
        const int code = run(process, {"--collect",
                                       "--port",
                                       "3",
                                       "--port",
                                       "4",
                                       "--port",
                                       "5",
                                       "--port",
                                       "6",
                                       "--port",
                                       sims[0]->devicePath(),
                                       "--port",
                                       m_env->settingsFolder() + QStringLiteral("ports/com3"),
                                       "--name",
                                       pattern,
                                       "--into",
                                       out.path(),
                                       "--retries",
                                       "1",
                                       "--retry-delay",
                                       "0.5"});
        const QString said = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(code, kPortUnavailable);
        const auto rows = summaryRows(process.readAllStandardOutput());
        QCOMPARE(rows.size(), 4); // COM 3 once
        QStringList expectedFiles{QFileInfo(before).fileName()};
        for (const Port& port : std::as_const(ports)) {
            const QStringList row = rows.value(QStringLiteral("COM %1").arg(port.com));
            QCOMPARE(QStringList({row.value(0), row.value(1), row.value(2), row.value(4)}), port.summary);
            QCOMPARE(row.value(3), port.file.isEmpty() ? QStringLiteral("-") : out.filePath(port.file));
            if (!port.file.isEmpty()) {
                expectedFiles << port.file;
                QCOMPARE(readFileBytes(out.filePath(port.file)), port.options.lines->join());
            }
        }
        expectedFiles.sort();
        QCOMPARE(folderEntries(out.path()), expectedFiles); // no part of a file, no temporary name
        QCOMPARE(readFileBytes(before), QByteArray("from before\n"));
        // Each retry is told with its reason.
        QVERIFY2(said.contains(QStringLiteral("COM 4: no response from the controller; trying again in 0.5 s "
                                              "(try 2 of 2)")),
                 qPrintable(said));
        QVERIFY2(
            said.contains(QStringLiteral("COM 6: port not available: Nothing is connected")) &&
                said.contains(QStringLiteral("or choose another port; trying again in 0.5 s (try 2 of 2)")),
            qPrintable(said));
        // The unplugged controller's lines stay in its recovery copy and in the archive, as an incomplete
        // download; the silent try's copy went once the retry's file was written.
        QCOMPARE(m_env->recoveryCopies().size(), 1);
        const QByteArray unplugged = unitLines("RM7-0103", 100).mid(0, 30).join();
        QCOMPARE(readFileBytes(m_env->recoveryCopies().first()), unplugged);
        Archive archive;
        QStringList ends;
        for (const ControllerSummary& controller : archive.controllers(DateOrder::Unknown).value) {
            for (const DownloadSummary& download : archive.downloads(controller.id).value) {
                ends << controller.name + QStringLiteral(": ") + downloadEndText(download.end);
                if (download.end == DownloadEnd::Interrupted) {
                    QCOMPARE(archive.downloadBytes(download.id).value, unplugged);
                }
            }
        }
        QCOMPARE(ends, QStringList({"Pump North: complete", "Pump North: complete",
                                    "RM7-0102, North Pump Station: silent",
                                    "RM7-0102, North Pump Station: complete",
                                    "RM7-0103, North Pump Station: interrupted"}));
    }

    // What cannot make a collection is said before any port is opened.
    void usageErrorsBeforeAnyDownload_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown field")
            << QStringList{"--name", "{unit}.csv"} << "field {unit} that cannot be";
        QTest::newRow("header line 0")
            << QStringList{"--name", "{line:0}"} << "field {line:0} that cannot be";
        QTest::newRow("a brace left open") << QStringList{"--name", "{controller.csv"} << "never closed";
        QTest::newRow("a folder in the name")
            << QStringList{"--name", "logs/{controller}.csv"} << "holds a '/'";
        QTest::newRow("no name") << QStringList{"--name", ".csv"} << "makes no name";
        QTest::newRow("empty") << QStringList{"--name", ""} << "makes no name";
        QTest::newRow("folder is a file")
            << QStringList{"--into", "@/korvane/korvane.ini"} << "is not a folder";
        QTest::newRow("folder cannot be made")
            << QStringList{"--into", "@/korvane/korvane.ini/x"} << "cannot be made";
        QTest::newRow("retries") << QStringList{"--retries", "many"} << "--retries takes a number of tries";
        QTest::newRow("retry delay") << QStringList{"--retry-delay=-1"} << "--retry-delay takes seconds";
        QTest::newRow("ini") << QStringList{"--ini", "[COLLECT]\r\nPorts=3,fast\r\n"}
                             << "Ports: --port takes";
        QTest::newRow("no port") << QStringList{"--ini", ""} << "no port to collect from";
    }
    void usageErrorsBeforeAnyDownload() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        ControllerSim sim;
        startSim(sim, 3);
        m_env->writeIni("[DEFAULT]\r\nComport= 3\r\n");
        if (arguments.first() == u"--ini") {
            m_env->writeIni(arguments.takeAt(1).toLatin1());
            arguments.removeFirst();
        }
        QTemporaryDir out;
        arguments.replaceInStrings(QStringLiteral("@"), m_env->configHome());
        QProcess process;
        QCOMPARE(run(process, QStringList{"--collect", "--into", out.path()} + arguments), kUsage);
        const QString said = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(said.contains(message) && said.contains("Try 'rm7-download --help'."), qPrintable(said));
        QCOMPARE(sim.received(), QByteArray());
    }

    // Two collections never download one port at the same moment: the second finds it in use and waits
    // for its retry, or gives up when it has none.
    void busyPortWaitsForItsTurn_data() {
        QTest::addColumn<int>("retries");
        QTest::newRow("retried once it is free") << 2;
        QTest::newRow("no retries: in use") << 0;
    }
    void busyPortWaitsForItsTurn() {
        QFETCH(int, retries);
        ControllerSim sim(SimOptions{.records = 20});
        startSim(sim, 3);
        auto holder = std::make_unique<ComPort>(); // another program holds the port
        holder->setCommPort(3);
        holder->setPortOpen(true);
        QTemporaryDir out;
        QProcess process;
        connect(&process, &QProcess::readyReadStandardError, this, [&] {
            if (process.peek(4096).contains("is in use by")) {
                holder.reset();
            }
        });
        process.setReadChannel(QProcess::StandardError);
        const int code =
            run(process, {"--collect", "--port", "3", "--into", out.path(), "--retries",
                          QString::number(retries), "--retry-delay", "1", "--no-archive", "--quiet"});
        const auto rows = summaryRows(process.readAllStandardOutput());
        const QByteArray said = process.readAllStandardError();
        QVERIFY2(!said.contains(" lines"), said.constData()); // quiet: the retry said, no progress
        QCOMPARE(code, retries > 0 ? kDone : kPortUnavailable);
        QCOMPARE(rows.value(QStringLiteral("COM 3")).value(4),
                 retries > 0 ? QStringLiteral("done (2 tries)")
                             : QStringLiteral("port not available: in use"));
        QCOMPARE(folderEntries(out.path()).size(), retries > 0 ? 1 : 0);
    }

    // SIGTERM in the middle: every port closed, no file, each port's lines in its recovery copy, and the
    // summary printed all the same.
    void stopSignalEndsEveryExchange() {
        ControllerSim first(SimOptions{.records = 300, .paced = true});
        ControllerSim second(SimOptions{.records = 300, .paced = true, .lines = unitLines("RM7-0102", 300)});
        startSim(first, 3);
        startSim(second, 4);
        QTemporaryDir out;
        QProcess process;
        prepareCli(process, *m_env, QStringLiteral(RM7_DOWNLOAD));
        process.setArguments({"--collect", "--port", "3", "--port", "4", "--into", out.path()});
        process.start();
        QByteArray progress;
        QTRY_VERIFY_WITH_TIMEOUT((progress += process.readAllStandardError()).contains("COM 3: ") &&
                                     progress.contains("COM 4: "),
                                 20000);
        ::kill(pid_t(process.processId()), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
        QCOMPARE(process.exitCode(), 128 + SIGTERM);
        const auto rows = summaryRows(process.readAllStandardOutput());
        QCOMPARE(rows.size(), 2);
        for (const QStringList& row : rows) {
            QCOMPARE(row.value(4), QStringLiteral("stopped by SIGTERM"));
            QVERIFY(row.value(1).toInt() > 0);
        }
        QCOMPARE(folderEntries(out.path()), QStringList());
        QCOMPARE(m_env->recoveryCopies().size(), 2);
        for (const int com : {3, 4}) {
            ComPort port;
            port.setCommPort(com);
            port.setPortOpen(true);
            QVERIFY(port.PortOpen());
        }
    }

    // Who is overdue: no download for more than --overdue days, else [ARCHIVE] OverdueDays, else a week.
    void status_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("overdue"); // the column's title, then the old and the recent controller's
        QTest::newRow("a week") << QByteArray() << QStringList{} << "Overdue (7 days) yes no";
        QTest::newRow("korvane.ini") << QByteArray("[ARCHIVE]\r\nOverdueDays=14\r\n") << QStringList{}
                                     << "Overdue (14 days) no no";
        QTest::newRow("--overdue 1") << QByteArray() << QStringList{"--overdue", "1"}
                                     << "Overdue (1 days) yes yes";
    }
    void status() {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, arguments);
        QFETCH(QString, overdue);
        m_env->writeIni(ini);
        {
            Archive archive;
            const QDateTime now = QDateTime::currentDateTimeUtc();
            archive.add(unitLines("RM7-0001", 5).join(), {now.addDays(-10), now.addDays(-10), {}, 3, {}, {}});
            archive.add(unitLines("RM7-0002", 7).join(), {now.addDays(-2), now.addDays(-2), {}, 4, {}, {}});
        }
        QProcess process;
        QCOMPARE(run(process, QStringList{"--status"} + arguments), kDone);
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.first().section(u'\t', 0, 4),
                 QStringLiteral("Number\tController\tLast download\tNewest "
                                "record\tRecords"));
        QCOMPARE(
            QStringList({lines[0].section(u'\t', 5), lines[1].section(u'\t', 5), lines[2].section(u'\t', 5)})
                .join(u' '),
            overdue);
        QCOMPARE(lines[1].section(u'\t', 1, 1) + u' ' + lines[1].section(u'\t', 4, 4),
                 QStringLiteral("RM7-0001, North Pump Station 5"));
        QCOMPARE(run(process, {"--status", "--overdue", "0"}), kUsage);
    }

    // Names from fields, made safe for the file system; numbered names for a name already taken.
    void names_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("controller");
        QTest::addColumn<QString>("name");
        const QString pump = QStringLiteral("RM7-0042, North Pump Station");
        QTest::newRow("default") << QString(FileNamePattern::kDefault) << pump
                                 << "RM7-0042, North Pump Station_2026-11-02_0200.csv";
        QTest::newRow("fields and braces")
            << "{{{com}}}_{line:6}_{line:9}.csv" << pump << "{5}_Firmware_ R7305 V1.7_.csv";
        QTest::newRow("folder, control and leading dot") << "{controller}.csv"
                                                         << "../a\tb/c\x01"
                                                         << "_._a_b_c_.csv";
        QTest::newRow("leading dash") << "{controller}"
                                      << "-rf"
                                      << "_rf";
        QTest::newRow("nothing but the extension") << "{controller}.csv"
                                                   << ""
                                                   << "download.csv";
        QTest::newRow("too long, extension kept")
            << "{controller}.csv" << QString(300, u'é') << QString(125, u'é') + ".csv";
    }
    void names() {
        QFETCH(QString, pattern);
        QFETCH(QString, controller);
        QFETCH(QString, name);
        QString reason;
        const auto read = FileNamePattern::read(pattern, reason);
        QVERIFY2(read, qPrintable(reason));
        const QStringList header{"RM7 CONTROLLER LOG DOWNLOAD",
                                 "Korvane Instruments",
                                 "Site: North Pump Station",
                                 "Unit: RM7-0042",
                                 "Log Entries: 100",
                                 "Firmware: R7305 V1.7"};
        QCOMPARE(read->nameFor({controller, header, "5", QDateTime(QDate(2026, 11, 2), QTime(2, 0, 59))}),
                 name);
        QVERIFY(QFile::encodeName(name).size() <= SafeFileName::kMaxNameBytes);
        const QString numbered = SafeFileName::numbered(name, 12);
        QVERIFY(QFile::encodeName(numbered).size() <= SafeFileName::kMaxNameBytes);
        QVERIFY(
            numbered.endsWith(QStringLiteral("-12") +
                              name.mid(name.lastIndexOf(u'.') < 0 ? name.size() : name.lastIndexOf(u'.'))));
    }

    // A file that keeps others' names takes the next free number, and says which.
    void noReplacePlacement() {
        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("log.csv"));
        for (const QByteArray& text : {QByteArray("one\n"), QByteArray("two\n"), QByteArray("three\n")}) {
            CsvWriter file;
            QVERIFY(file.open(path, CsvWriter::Placement::NoReplace).ok());
            QVERIFY(file.write(text).ok() && file.finish().ok());
        }
        QCOMPARE(folderEntries(out.path()), QStringList({"log-2.csv", "log-3.csv", "log.csv"}));
        QCOMPARE(readFileBytes(out.filePath(QStringLiteral("log-3.csv"))), QByteArray("three\n"));
    }
};

QTEST_GUILESS_MAIN(TestCollect)
#include "tst_collect.moc"
