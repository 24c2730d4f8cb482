// A kill at any moment leaves a consistent database. A child process (this
// executable, started with KORVANT_CRASH_CHILD) stores a large poll answer,
// or compacts or restores the database; the parent kills it with SIGKILL at a
// random moment and then checks the file and that a new poll works.

#include "SyncFixture.h"
#include "TestEnv.h"

#include "db/XMessageSet.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <unistd.h>

namespace {

constexpr int Kills = 20;
constexpr int Queries = 2000;
constexpr int Messages = 600;

QByteArray LargePoll()
{
    QByteArray queries, quotes, messages;
    for (int i = 0; i < Queries; ++i) {
        const QByteArray id = "Q" + QByteArray::number(i);
        queries += "<query><query_id>" + id + "</query_id><owner_id>B" + QByteArray::number(i % 50) +
                   "</owner_id><create_time>2024-03-01 10:00:00</create_time><live_time>30</live_time>"
                   "<part_info><name>Door</name><quantity>1</quantity></part_info></query>";
        quotes += "<quote><quote_id>T" + QByteArray::number(i) + "</quote_id><query_id>" + id +
                  "</query_id><owner_id>S1</owner_id><create_time>2024-03-02 10:00:00</create_time>"
                  "<part_info><name>Door</name><price>10</price></part_info></quote>";
    }
    for (int i = 0; i < Messages; ++i) {
        messages += "<message><message_id>M" + QByteArray::number(i) + "</message_id><context_type>query"
                    "</context_type><context_id>Q" + QByteArray::number(i % 200) + "</context_id><owner_id>B" +
                    QByteArray::number(i % 7) + "</owner_id><subject>s</subject><body>b</body><create_time>"
                    "2024-03-05 10:00:00</create_time></message>";
    }
    return "<query_list>" + queries + "</query_list><quote_list>" + quotes + "</quote_list><message_list>" +
           messages + "</message_list>";
}

TestApp::Options OptionsFor(const QString &folder)
{
    TestApp::Options o = SyncOptions();
    o.commandLine = QStringLiteral("-dbpath ") + folder + u'/';
    return o;
}

int Scalar(const QString &sql)
{
    return theDatabase().ExecuteScalar(sql);
}

// The child's work; never returns.
[[noreturn]] void RunChild(const QString &mode, const QString &folder)
{
    int code = 0;
    {
        SyncFixture f(OptionsFor(folder));
        theSettings().SetInt(Setting::AutoReply, 0);
        theSettings().SetInt(Setting::DispAlertsOnInc, 0);
        f.server.Script("poll", Ok(LargePoll()));
        std::printf("go\n");
        std::fflush(stdout);
        if (mode == u"poll") {
            thePoller().Poll();
            code = thePoller().GetNewQueries() == Queries ? 0 : 3;
        } else if (mode == u"compact") {
            code = theDatabase().CompactDatabase() ? 0 : 3;
        } else if (mode == u"restore") {
            code = theDatabase().RestoreDatabase(folder + QStringLiteral("/backup.kvz")) ? 0 : 3;
        } else if (mode == u"backup") {
            code = theDatabase().BackupDatabase(folder + QStringLiteral("/new.kvz")) ? 0 : 3;
        }
    }
    std::fflush(stdout);
    ::_exit(code);
}

constexpr int RunToTheEnd = -1;
constexpr int KillWhileStarting = -2;

// Starts the child and kills it `killAfterMs` after its "go" (or as said above);
// returns how long it ran after "go".
qint64 RunAndKill(const QString &mode, const QString &folder, int killAfterMs)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVANT_CRASH_CHILD"), mode + u'|' + folder);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
    if (!child.waitForStarted(10000))
        qFatal("child did not start");
    if (killAfterMs == KillWhileStarting) {
        QThread::msleep(QRandomGenerator::global()->bounded(20, 400));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(120000);
        return 0;
    }
    // Qt Test prints its header first; the child's own sign is "go".
    for (;;) {
        while (!child.canReadLine()) {
            if (!child.waitForReadyRead(60000))
                qFatal("child gave no sign");
        }
        if (child.readLine().trimmed() == "go")
            break;
    }
    QElapsedTimer timer;
    timer.start();
    if (killAfterMs != RunToTheEnd) {
        QThread::msleep(killAfterMs);
        ::kill(pid_t(child.processId()), SIGKILL);
    }
    child.waitForFinished(120000);
    if (killAfterMs == RunToTheEnd && (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0))
        qFatal("child failed: %d", child.exitCode());
    return timer.elapsed();
}

// What must hold after any kill.
void CheckInvariants(int queriesAtMost)
{
    QCOMPARE(theDatabase().Connection().Scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QString("ok"));
    QCOMPARE(Scalar("SELECT COUNT(*) FROM UserInfo"), 1);
    QVERIFY(Scalar("SELECT COUNT(*) FROM Queries") <= queriesAtMost);
    QCOMPARE(Scalar("SELECT COUNT(*) FROM Queries q WHERE q.STATUS_CODE <> 2 AND EXISTS "
                    "(SELECT 1 FROM Quotes t WHERE t.QUERY_ID = q.ID)"),
             0);
    QCOMPARE(Scalar("SELECT COUNT(*) FROM Messages p WHERE p.IS_PARENT = 1 AND COALESCE(p.INCOMING_COUNT, 0) <> "
                    "(SELECT COUNT(*) FROM Messages m WHERE m.CONTEXT_ID = p.CONTEXT_ID AND "
                    "m.CONTEXT_TYPE = p.CONTEXT_TYPE AND m.OWNER_ID IS p.OWNER_ID)"),
             0);
    QCOMPARE(Scalar("SELECT COUNT(*) FROM Queries c WHERE COALESCE(c.MESS_TOTAL_COUNT, 0) <> (SELECT COUNT(*) "
                    "FROM Messages p WHERE p.IS_PARENT = 1 AND p.CONTEXT_ID = c.ID AND p.CONTEXT_TYPE = 'query')"),
             0);
}

// Opens the folder's database as the next start does, checks it, and polls once more.
void CheckAfterKill(const QString &folder, int queriesAtMost, const std::function<void()> &more = {})
try {
    SyncFixture f(OptionsFor(folder));
    theSettings().SetInt(Setting::AutoReply, 0);
    CheckInvariants(queriesAtMost);
    if (QTest::currentTestFailed())
        return;
    if (more)
        more();
    f.server.Script("poll", Ok("<query_list><query><query_id>NEXT</query_id><owner_id>B1</owner_id>"
                               "<part_info><name>Door</name></part_info></query></query_list>"));
    thePoller().Poll();
    QCOMPARE(Scalar("SELECT COUNT(*) FROM Queries WHERE ID = 'NEXT'"), 1);
    QCOMPARE(theDatabase().Connection().Scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QString("ok"));
} catch (const DbException &e) {
    QFAIL(qPrintable(e.Message() + u' ' + e.Description()));
}

// A database of `queries` stored queries in a new folder.
QString PreparedFolder(int queries)
{
    const QString folder = TestEnv::NewFolder(QStringLiteral("crash"));
    SyncFixture f(OptionsFor(folder));
    for (int i = 0; i < queries; ++i)
        theDatabase().Execute("INSERT INTO Queries (ID, STATUS_CODE) VALUES (?, 0)", {QString("P%1").arg(i)});
    return folder;
}

} // namespace

class TestCrashConsistency : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        const QString child = qEnvironmentVariable("KORVANT_CRASH_CHILD");
        if (!child.isEmpty())
            RunChild(child.section(u'|', 0, 0), child.section(u'|', 1));
    }

    void killDuringPoll()
    {
        const QString first = TestEnv::NewFolder(QStringLiteral("crash"));
        const qint64 whole = RunAndKill(QStringLiteral("poll"), first, RunToTheEnd);
        CheckAfterKill(first, Queries + 1);
        // A kill while the very first database is built.
        const QString creating = TestEnv::NewFolder(QStringLiteral("crash"));
        RunAndKill(QStringLiteral("poll"), creating, KillWhileStarting);
        CheckAfterKill(creating, Queries + 1);
        for (int i = 0; i < Kills && !QTest::currentTestFailed(); ++i) {
            const QString folder = TestEnv::NewFolder(QStringLiteral("crash"));
            RunAndKill(QStringLiteral("poll"), folder, int(QRandomGenerator::global()->bounded(whole + 1)));
            CheckAfterKill(folder, Queries + 1);
        }
    }

    void killDuringFileSwaps_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("compaction") << "compact";
        QTest::newRow("restore") << "restore";
        QTest::newRow("backup") << "backup";
    }
    void killDuringFileSwaps()
    {
        QFETCH(QString, mode);
        // The archive holds 300 queries, the live file 200: after a kill the
        // live file is the one or the other, whole.
        const int before = 200, restored = 300;
        const auto prepare = [&] {
            const QString folder = PreparedFolder(restored);
            SyncFixture f(OptionsFor(folder));
            if (!theDatabase().BackupDatabase(folder + "/backup.kvz"))
                qFatal("backup failed");
            theDatabase().Execute(QStringLiteral("DELETE FROM Queries WHERE rowid > %1").arg(before));
            return folder;
        };
        QString folder = prepare();
        const qint64 whole = RunAndKill(mode, folder, RunToTheEnd);
        for (int i = 0; i < Kills && !QTest::currentTestFailed(); ++i) {
            folder = prepare();
            RunAndKill(mode, folder, int(QRandomGenerator::global()->bounded(whole + 1)));
            CheckAfterKill(folder, restored + 1, [&] {
                const int n = Scalar("SELECT COUNT(*) FROM Queries");
                QVERIFY2(n == before || (mode == "restore" && n == restored), qPrintable(QString::number(n)));
                QVERIFY(!QFileInfo::exists(folder + "/kvc.mdb.old~"));
            });
        }
    }
};

KORVANT_TEST_MAIN(TestCrashConsistency)
#include "tst_crashconsistency.moc"
