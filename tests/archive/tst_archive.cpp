// The archive, every case against a real SQLite file and against a real PostgreSQL server the test starts
// itself: merging downloads, imports, exports, past downloads, controllers, two programs at once, a
// program killed while archiving, damaged and newer archives, a full disk and a server out of reach.
// RM7_SKIP_POSTGRES=1 skips the server's rows where no server is installed; otherwise they fail.

#include "Archive.h"
#include "ArchiveLocation.h"
#include "ArchiveService.h"
#include "ChildReport.h"
#include "PostgresServer.h"
#include "SampleDownload.h"
#include "StoredSettings.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

DownloadFacts facts() {
    return {QDateTime::currentDateTimeUtc(), QDateTime::currentDateTimeUtc(),
            QStringLiteral("test-pc"),       1,
            QStringLiteral("/dev/ttyS0"),    DownloadEnd::Complete};
}

QList<QByteArray> records(const QList<int>& numbers) {
    QList<QByteArray> lines;
    for (const int i : numbers) {
        lines << sampleRecord(i);
    }
    return lines;
}

QList<QByteArray> historyRecords(Archive& archive, qint64 controllerId) {
    const auto history = archive.history(controllerId, DateOrder::DayFirst);
    QList<QByteArray> lines;
    for (int k = history.value.titleLine + 1; k <= history.value.count(); ++k) {
        lines << history.value.line(k).chopped(2).toByteArray();
    }
    return lines;
}

// Every controller's record count, then download count, as one text.
QString tally(Archive& archive) {
    QStringList parts;
    for (const ControllerSummary& c : archive.controllers(DateOrder::DayFirst).value) {
        parts << QStringLiteral("%1 records in %2 downloads").arg(c.records).arg(c.downloads);
    }
    return parts.join(QStringLiteral("; "));
}

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// The child side of the tests that need another program: adds records first..first+count-1 and prints
// the outcome. QT_LOGGING_RULES may make it say how far it got.
int childMain(const QByteArray& task) {
    const QList<QByteArray> words = task.split(' ');
    Archive archive;
    archive.open();
    const AddResult result = archive.add(sampleDownload(words.at(0).toInt(), words.at(1).toInt()), facts());
    std::printf("outcome %d %s\n", int(result.outcome), qPrintable(result.reason));
    return result.outcome == AddOutcome::Added ? 0 : 1;
}

} // namespace

class TestArchive : public QObject {
    Q_OBJECT

    QTemporaryDir m_serverDir;
    std::unique_ptr<PostgresServer> m_server;
    std::unique_ptr<TestEnvironment> m_env;
    int m_databases = 0;

    // A fresh, empty archive for this row: its own settings and data folders; on the server a database of
    // its own, named in korvane.ini.
    bool freshArchive() {
        QFETCH_GLOBAL(bool, postgres);
        m_env.reset(); // the old one puts back the variables it found
        m_env = std::make_unique<TestEnvironment>();
        if (!postgres) {
            return true;
        }
        if (PostgresServer::binFolder().isEmpty() && qEnvironmentVariableIsSet("RM7_SKIP_POSTGRES")) {
            QTest::qSkip("no PostgreSQL server installed, and RM7_SKIP_POSTGRES is set", __FILE__, __LINE__);
            return false;
        }
        if (!m_server) {
            m_server = std::make_unique<PostgresServer>(m_serverDir.path());
            if (!m_server->start()) {
                QTest::qFail(qPrintable(m_server->error()), __FILE__, __LINE__);
                m_server.reset(); // every row of the server says why
                return false;
            }
        }
        const QString name = QStringLiteral("archive%1").arg(++m_databases);
        if (!m_server->createDatabase(name)) {
            QTest::qFail(qPrintable(m_server->error()), __FILE__, __LINE__);
            return false;
        }
        StoredSettings::writeArchiveDatabase(m_server->address(name));
        return true;
    }

    // Runs this test program as another program adding records first..first+count-1.
    static void startChild(QProcess& child, int first, int count, bool progress = false) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RM7_ARCHIVE_CHILD"), QStringLiteral("%1 %2").arg(first).arg(count));
        if (progress) {
            env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("rm7.archive.debug=true"));
        }
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
    }

    static void setVersion(const QString& path, int version) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("poke"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(version == 0
                                   ? QStringLiteral("CREATE TABLE inventory (item TEXT)")
                                   : QStringLiteral("UPDATE rm7_schema SET version = %1").arg(version));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("poke"));
    }

private slots:
    void initTestCase_data() {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    // Each row: the downloads (record numbers, a number twice for a record repeated inside one download),
    // the records each adds (-1: already there), the merged history.
    void mergesDownloads_data() {
        QTest::addColumn<QList<QList<int>>>("downloads");
        QTest::addColumn<QList<int>>("added");
        QTest::addColumn<QList<int>>("history");
        QTest::newRow("overlapping") << QList<QList<int>>{{0, 1, 2, 3, 4}, {3, 4, 5, 6}} << QList<int>{5, 2}
                                     << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("repeated inside one") << QList<QList<int>>{{0, 0, 1}, {0, 1, 1}, {1, 0}}
                                             << QList<int>{3, 1, 0} << QList<int>{0, 0, 1, 1};
        QTest::newRow("same download twice")
            << QList<QList<int>>{{0, 1}, {0, 1}} << QList<int>{2, -1} << QList<int>{0, 1};
        QTest::newRow("older one later")
            << QList<QList<int>>{{2000, 2001}, {1, 2}} << QList<int>{2, 2} << QList<int>{1, 2, 2000, 2001};
        QTest::newRow("titles without records") << QList<QList<int>>{{}} << QList<int>{0} << QList<int>{};
    }
    void mergesDownloads() {
        QFETCH(QList<QList<int>>, downloads);
        QFETCH(QList<int>, added);
        QFETCH(QList<int>, history);
        if (!freshArchive()) {
            return;
        }
        Archive archive;
        const mode_t umask = ::umask(0); // the logs stay private whatever the umask
        QCOMPARE(archive.open().mode, ArchiveState::Mode::Ready);
        ::umask(umask);
        QFETCH_GLOBAL(bool, postgres);
        if (!postgres) {
            QCOMPARE(modeOf(ArchiveLocation::dataFolder()), 0700);
            QCOMPARE(modeOf(ArchiveLocation::localFile()), 0600);
        }
        qint64 controller = 0;
        for (qsizetype i = 0; i < downloads.size(); ++i) {
            // Nothing known about where it came from: stored as unknown.
            const AddResult result = archive.add(sampleDownload(records(downloads.at(i))), DownloadFacts());
            QCOMPARE(result.outcome, added.at(i) < 0 ? AddOutcome::AlreadyThere : AddOutcome::Added);
            QCOMPARE(result.recordsAdded, qMax(0, added.at(i)));
            controller = result.controllerId;
        }
        QCOMPARE(historyRecords(archive, controller), records(history));
        const auto list = archive.controllers(DateOrder::DayFirst).value;
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().name, QStringLiteral("RM7-0042, North Pump Station"));
        QCOMPARE(list.first().records, history.size());
        QCOMPARE(list.first().downloads, int(added.size() - added.count(-1)));
        QCOMPARE(list.first().lastRecord.isValid(), !history.isEmpty());
    }

    void importsFiles() {
        if (!freshArchive()) {
            return;
        }
        const QString folder = m_env->path(QStringLiteral("saved"));
        QDir().mkpath(folder);
        const QList<QPair<QString, QByteArray>> files = {
            {"a-november.csv", sampleDownload(0, 50)},
            {"b-december.csv", sampleDownload(40, 30)},
            {"c-notes.txt", "Pump 2: check the seal\r\nDate, next visit\r\n"},
            {"d-table.csv", "Date,Time,Value\r\n01/11/2026,00:00,1\r\n"},
        };
        for (const auto& [name, bytes] : files) {
            QFile file(folder + '/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        // Far larger than memory should hold: refused from its start, or by its size.
        QFile huge(folder + QStringLiteral("/e-huge.bin"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(3LL << 30));
        huge.close();
        QFile large(folder + QStringLiteral("/f-large.csv"));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.write(sampleDownload(0, 1)) > 0 &&
                large.resize(600LL << 20));
        large.close();

        Archive archive;
        const QString missing = m_env->path(QStringLiteral("nowhere.csv"));
        const QList<AddResult> first = archive.importPaths({folder, missing});
        QStringList outcomes;
        for (const AddResult& result : first) {
            outcomes << QFileInfo(result.path).fileName() + ' ' + QString::number(int(result.outcome)) + ' ' +
                            result.reason.section(QLatin1Char(' '), 0, 2);
        }
        QCOMPARE(outcomes,
                 QStringList({"a-november.csv 0 ", "b-december.csv 0 ", "c-notes.txt 3 only 1 header",
                              "d-table.csv 3 only 0 header", "e-huge.bin 3 no \"Date,\" line",
                              "f-large.csv 3 629145600 bytes: larger", "nowhere.csv 4 No such file"}));
        QCOMPARE(first.at(1).recordsAdded, 20);
        QCOMPARE(tally(archive), QStringLiteral("70 records in 2 downloads"));
        // The same files again, the folder and one of its files by name: nothing more.
        for (const AddResult& result : archive.importPaths({folder + "/a-november.csv", folder})) {
            QVERIFY(result.outcome != AddOutcome::Added);
        }
        QCOMPARE(tally(archive), QStringLiteral("70 records in 2 downloads"));
        const auto downloads = archive.downloads(first.first().controllerId).value;
        QCOMPARE(downloads.first().end, DownloadEnd::Imported);
        QCOMPARE(downloads.first().device, QFileInfo(folder + "/a-november.csv").absoluteFilePath());
    }

    void pastDownloadsComeBackByteForByte_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("records");
        const QByteArray whole = sampleDownload(0, 3);
        QTest::newRow("complete") << whole << records({0, 1, 2});
        QTest::newRow("cut short") << whole.left(whole.indexOf(sampleRecord(2)) + 10) << records({0, 1});
        QByteArray junk = whole;
        junk.insert(junk.indexOf(sampleRecord(1)), QByteArray("\x00\xff\x13 noise\n\r\n", 12));
        junk.prepend("\x11\x13");
        QTest::newRow("stray bytes") << junk
                                     << (QList<QByteArray>{QByteArray("\x00\xff\x13 noise", 9)} +
                                         records({0, 1, 2}));
    }
    void pastDownloadsComeBackByteForByte() {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, records);
        if (!freshArchive()) {
            return;
        }
        Archive archive;
        const AddResult added = archive.add(bytes, facts());
        QCOMPARE(added.outcome, AddOutcome::Added);
        QCOMPARE(archive.downloadBytes(added.downloadId).value, bytes);
        QList<QByteArray> stored = historyRecords(archive, added.controllerId);
        std::sort(stored.begin(), stored.end());
        std::sort(records.begin(), records.end());
        QCOMPARE(stored, records);
    }

    void comparesDownloads() {
        if (!freshArchive()) {
            return;
        }
        Archive archive;
        const qint64 before = archive.add(sampleDownload(records({0, 1, 1, 2})), facts()).downloadId;
        // The log was cleared and started again: what went, and what is new.
        const qint64 after = archive.add(sampleDownload(records({1, 2, 3})), facts()).downloadId;
        const auto comparison = archive.compare(before, after);
        QVERIFY2(comparison.ok(), qPrintable(comparison.error));
        QCOMPARE(comparison.value.onlyInFirst, records({0, 1}));
        QCOMPARE(comparison.value.onlyInSecond, records({3}));
        QVERIFY(!archive.compare(before, 999).ok());
    }

    void exports_data() {
        QTest::addColumn<bool>("plain");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray head =
            "RM7 CONTROLLER LOG DOWNLOAD\r\nKorvane Instruments\r\nSite: North Pump Station\r\n"
            "Unit: RM7-0042\r\nLog Entries: %\r\nFirmware: R7305 V1.7\r\n";
        const QByteArray titles = "Date,Time,Channel,Event,Value,Unit,Battery,Status,Sequence\r\n";
        const auto lines = [](const QList<int>& numbers) { return records(numbers).join("\r\n") + "\r\n"; };
        QTest::newRow("layout, all") << false << QDateTime() << QDateTime()
                                     << QByteArray(head).replace('%', "4") + titles + lines({0, 1, 2, 3}) +
                                            "END OF DOWNLOAD\r\n";
        QTest::newRow("layout, range")
            << false << QDateTime(QDate(2026, 11, 1), QTime(0, 1))
            << QDateTime(QDate(2026, 11, 1), QTime(0, 2))
            << QByteArray(head).replace('%', "2") + titles + lines({1, 2}) + "END OF DOWNLOAD\r\n";
        QTest::newRow("plain, from") << true << QDateTime(QDate(2026, 11, 1), QTime(0, 3)) << QDateTime()
                                     << titles + lines({3});
        QTest::newRow("nothing in range")
            << false << QDateTime(QDate(2027, 1, 1), QTime(0, 0)) << QDateTime()
            << QByteArray(head).replace('%', "0") + titles + "END OF DOWNLOAD\r\n";
    }
    void exports() {
        QFETCH(bool, plain);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(QByteArray, expected);
        if (!freshArchive()) {
            return;
        }
        Archive archive;
        archive.add(sampleDownload(records({2, 3})), facts());
        const qint64 controller = archive.add(sampleDownload(records({0, 1, 2})), facts()).controllerId;
        const auto exported = archive.exportRecords({controller, DateOrder::Unknown, from, to, plain});
        QVERIFY2(exported.ok(), qPrintable(exported.error));
        QCOMPARE(exported.value, expected);
    }

    void namesAndJoinsControllers() {
        if (!freshArchive()) {
            return;
        }
        Archive archive;
        const qint64 old =
            archive.add(sampleDownload(records({0, 0, 1}), "RM7-0042", "R7305 V1.7"), facts()).controllerId;
        const qint64 updated =
            archive.add(sampleDownload(records({0, 1, 2}), "RM7-0042", "R7305 V1.8"), facts()).controllerId;
        QVERIFY(old != updated);
        QVERIFY(archive.renameController(old, QStringLiteral("Pump 2")).ok());
        QVERIFY(!archive.renameController(12345, QStringLiteral("Nobody")).ok());
        QVERIFY(archive.joinControllers(old, updated).ok());
        const auto list = archive.controllers(DateOrder::DayFirst).value;
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().name, QStringLiteral("Pump 2"));
        QCOMPARE(list.first().downloads, 2);
        QCOMPARE(historyRecords(archive, old), records({0, 0, 1, 2}));
        // Either firmware's downloads now go to the joined controller.
        QCOMPARE(archive.add(sampleDownload(records({3}), "RM7-0042", "R7305 V1.8"), facts()).controllerId,
                 old);
        QVERIFY(!archive.joinControllers(old, updated).ok());
    }

    // The window's side: answers come as signals, in the order asked, from the service's own thread.
    void serviceAnswersInOrder() {
        if (!freshArchive()) {
            return;
        }
        ArchiveService service;
        QSignalSpy added(&service, &ArchiveService::added);
        QSignalSpy listed(&service, &ArchiveService::controllersListed);
        QSignalSpy states(&service, &ArchiveService::stateChanged);
        const quint64 add = service.add(sampleDownload(0, 20), facts());
        const quint64 list = service.listControllers(DateOrder::DayFirst);
        QVERIFY(listed.wait(60000));
        QCOMPARE(added.size(), 1);
        QCOMPARE(added.first().at(0).toULongLong(), add);
        QCOMPARE(added.first().at(1).value<AddResult>().recordsAdded, 20);
        QCOMPARE(listed.first().at(0).toULongLong(), list);
        QCOMPARE(listed.first().at(1).value<ArchiveResult<QList<ControllerSummary>>>().value.first().records,
                 20);
        QCOMPARE(states.first().at(0).value<ArchiveState>().mode, ArchiveState::Mode::Ready);
    }

    void twoProgramsAtOnce() {
        if (!freshArchive()) {
            return;
        }
        QProcess first;
        QProcess second;
        startChild(first, 0, 20000);
        startChild(second, 10000, 20000);
        for (QProcess* child : {&first, &second}) {
            QVERIFY(child->waitForFinished(120000));
            QVERIFY2(child->exitCode() == 0, child->readAll().constData());
        }
        Archive archive;
        QCOMPARE(tally(archive), QStringLiteral("30000 records in 2 downloads"));
    }

    void killedWhileArchiving() {
        if (!freshArchive()) {
            return;
        }
        Archive archive;
        archive.add(sampleDownload(0, 10), facts());
        const QString before = tally(archive);
        QProcess child;
        startChild(child, 5, 300000, true);
        QByteArray said;
        child.setReadChannel(QProcess::StandardError);
        while (!said.contains("stored") && child.state() == QProcess::Running) {
            child.waitForReadyRead(1000);
            said += child.readAllStandardError();
        }
        child.kill(); // SIGKILL, as a power cut or the task manager would
        QVERIFY(child.waitForFinished());
        QVERIFY2(said.contains("stored"), said.constData());
        QCOMPARE(tally(archive), before);
        QCOMPARE(archive.add(sampleDownload(5, 10), facts()).recordsAdded, 5);
    }

    void damagedFileIsPutAside_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("putAside");
        QTest::newRow("not a database") << QByteArray(5000, 'x') << true;
        QTest::newRow("another program's") << QByteArray() << true;
        QTest::newRow("empty file") << QByteArray("") << false;
    }
    void damagedFileIsPutAside() {
        QFETCH(QByteArray, content);
        QFETCH(bool, putAside);
        QFETCH_GLOBAL(bool, postgres);
        if (postgres) {
            QSKIP("a server's database is no file on this PC");
        }
        QVERIFY(freshArchive());
        const QString path = ArchiveLocation::localFile();
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        if (content.isNull()) {
            setVersion(path, 0);
        }
        const QByteArray original = readFileBytes(path);
        Archive archive;
        QCOMPARE(archive.open().mode, ArchiveState::Mode::Ready);
        const QStringList notices = archive.takeNotices();
        const QStringList aside = QDir(QFileInfo(path).path()).entryList({"archive.sqlite.damaged-*"});
        QCOMPARE(aside.size(), putAside ? 1 : 0);
        QCOMPARE(notices.size(), putAside ? 1 : 0);
        if (putAside) {
            QVERIFY(notices.first().contains(aside.first()));
            QCOMPARE(readFileBytes(QFileInfo(path).path() + '/' + aside.first()), original);
        }
        QCOMPARE(archive.add(sampleDownload(0, 3), facts()).outcome, AddOutcome::Added);
    }

    void newerArchiveIsLeftAlone() {
        if (!freshArchive()) {
            return;
        }
        QFETCH_GLOBAL(bool, postgres);
        {
            Archive archive;
            archive.add(sampleDownload(0, 3), facts());
        }
        if (postgres) {
            // The server's rows: the same change through the archive's own connection settings.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("poke"));
            db.setConnectOptions(StoredSettings::archiveDatabase());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE rm7_schema SET version = 99")));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("poke"));
        } else {
            setVersion(ArchiveLocation::localFile(), 99);
        }
        Archive archive;
        QCOMPARE(archive.open().mode, ArchiveState::Mode::Off);
        const QStringList notices = archive.takeNotices();
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.first().contains("newer version"), qPrintable(notices.first()));
        const AddResult result = archive.add(sampleDownload(3, 3), facts());
        QCOMPARE(result.outcome, AddOutcome::Failed);
        QVERIFY(!archive.controllers(DateOrder::DayFirst).ok());
    }

    void diskFullRollsBackAndRetries() {
        QFETCH_GLOBAL(bool, postgres);
        if (postgres) {
            QSKIP("the server's disk is the server's; an unreachable server is the next case");
        }
        QVERIFY(freshArchive());
        {
            Archive archive;
            archive.add(sampleDownload(0, 10), facts());
        }
        const QByteArray report = reportFromChild([] {
            std::signal(SIGXFSZ, SIG_IGN);
            Archive archive;
            const QString before = tally(archive);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            const rlim_t unlimited = limit.rlim_cur;
            limit.rlim_cur = rlim_t(QFileInfo(ArchiveLocation::localFile()).size() + 4096);
            setrlimit(RLIMIT_FSIZE, &limit);
            const AddResult full = archive.add(sampleDownload(5, 50000), facts());
            const QString during = tally(archive);
            limit.rlim_cur = unlimited;
            setrlimit(RLIMIT_FSIZE, &limit);
            const int delivered = archive.deliverQueued();
            return QStringLiteral("%1|%2|%3|%4|%5")
                .arg(int(full.outcome))
                .arg(before == during)
                .arg(delivered)
                .arg(tally(archive), archive.takeNotices().join(' '))
                .toUtf8();
        });
        const QList<QByteArray> parts = report.split('|');
        QCOMPARE(parts.size(), 5);
        QCOMPARE(parts.at(0).toInt(), int(AddOutcome::Queued));
        QCOMPARE(parts.at(1), "1");
        QCOMPARE(parts.at(2), "1");
        QCOMPARE(parts.at(3), "50005 records in 2 downloads");
        QVERIFY2(parts.at(4).contains("kept while the program runs"), parts.at(4).constData());
    }

    void unreachableServerQueuesAndDelivers() {
        QFETCH_GLOBAL(bool, postgres);
        if (!postgres) {
            QSKIP("the archive file is always there; a full disk is the case before");
        }
        if (!freshArchive()) {
            return;
        }
        // A server of its own, made and then stopped: its socket folder holds no server.
        QTemporaryDir folder;
        PostgresServer team(folder.path());
        QVERIFY2(team.start() && team.createDatabase(QStringLiteral("team")) && team.stop(),
                 qPrintable(team.error()));
        StoredSettings::writeArchiveDatabase(team.address(QStringLiteral("team")));
        Archive archive;
        QCOMPARE(archive.open().mode, ArchiveState::Mode::Waiting);
        QCOMPARE(archive.add(sampleDownload(0, 5), facts()).outcome, AddOutcome::Queued);
        QCOMPARE(archive.add(sampleDownload(3, 5), facts()).outcome, AddOutcome::Queued);
        QCOMPARE(archive.takeNotices().size(), 1); // told once
        QCOMPARE(archive.state().queued, 2);
        QVERIFY2(team.start(), qPrintable(team.error()));
        // Another PC delivered the first already, as a delivery cut off before it was crossed off would.
        {
            const QByteArray here = qgetenv("XDG_DATA_HOME");
            qputenv("XDG_DATA_HOME", m_env->path(QStringLiteral("other-pc")).toLocal8Bit());
            Archive other;
            QCOMPARE(other.add(sampleDownload(0, 5), facts()).outcome, AddOutcome::Added);
            qputenv("XDG_DATA_HOME", here);
        }
        QCOMPARE(archive.deliverQueued(), 2);
        QCOMPARE(archive.state().mode, ArchiveState::Mode::Ready);
        QCOMPARE(archive.state().queued, 0);
        QCOMPARE(tally(archive), QStringLiteral("8 records in 2 downloads"));
        QVERIFY(team.stop());
    }
};

int main(int argc, char** argv) {
    const QByteArray childTask = qgetenv("RM7_ARCHIVE_CHILD");
    QCoreApplication app(argc, argv);
    if (!childTask.isEmpty()) {
        return childMain(childTask);
    }
    TestArchive test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_archive.moc"
