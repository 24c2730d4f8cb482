// Backup, restore and compaction as the member runs them, with the poller running.

#include "ClientEnv.h"
#include "FakeServer.h"
#include "SampleAnswers.h"

#include "db/SqlDb.h"

namespace {
QString StoredPassport(const QString &dbPath)
{
    SqlConnection::Options o;
    o.create = false;
    SqlConnection c(dbPath, o);
    return c.Scalar("SELECT [PASSPORT_ID] FROM [UserInfo]").toString();
}
} // namespace

class TestDataFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { CClientApp::SetProcessLauncher({}); }
    void backupAndCancelledBackup();
    void restoreSwapsOnlyAVerifiedFile();
    void restoreOfDamagedArchiveKeepsEverythingRunning();
    void restoreFailingAfterStopResumesPolling();
    void compactionRestarts();
    void failedBackupStopsCompaction();
    void failedCompactionResumesPolling();
    void sizeCheck();

private:
    void Running(ClientEnv &env);
    FakeServer m_server;
    QList<QPair<QString, QStringList>> m_launched;
};

void TestDataFile::init()
{
    m_server.Start();
    SampleAnswers::ScriptAll(m_server);
    m_launched.clear();
    CClientApp::SetProcessLauncher([this](const QString &p, const QStringList &a) {
        m_launched.append({p, a});
        return true;
    });
}

// A logged-in member with the poll loop running.
void TestDataFile::Running(ClientEnv &env)
{
    env.StoreSettings([](XSettings &s) { s.SetInt(Setting::AutoPool, 1); });
    theSettings().init();
    QVERIFY(theDatabase().init());
    theDatabase().SetPassportId("P-1");
    env.app().SetMainFrame(&env.frame);
    env.app().SetMainWindowFlag(true);
    env.app().GetSession().SetPassportId("P-1");
    env.app().GetSession().LoggedIn("S-1");
    thePoller().StartPolling();
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
}

void TestDataFile::backupAndCancelledBackup()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    QVERIFY(!env.app().BackupData());
    QVERIFY(env.dialogs.log.Calls().contains(QString("MessageBox|Cannot backup database file...|Error|16")));

    const QString archive = env.folder + "/mine.kvz";
    env.dialogs.QueueFileName(archive);
    QVERIFY(env.app().BackupData());
    QVERIFY(QFile::exists(archive));
    QCOMPARE(theSettings().GetString(Setting::LastBackupFile), archive);
    QVERIFY(env.frame.log.Calls().contains("SetStatusText|Data successfully backed up to " + archive));
    const QString proposed = env.dialogs.log.Calls().filter("GetSaveFileName|").first();
    QVERIFY(proposed.contains(QString("kvc_%1.kvz").arg(QDate::currentDate().toString(Qt::ISODate))));
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
}

void TestDataFile::restoreSwapsOnlyAVerifiedFile()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url() + " -features payment"});
    Running(env);
    const QString archive = env.folder + "/before.kvz";
    env.dialogs.QueueFileName(archive);
    QVERIFY(env.app().BackupData());
    theDatabase().SetPassportId("P-2");
    QCOMPARE(StoredPassport(theDatabase().DatabasePath()), QString("P-2"));

    env.dialogs.QueueFileName(archive);
    env.app().RestoreData();
    QCOMPARE(StoredPassport(theDatabase().DatabasePath()), QString("P-1"));
    QVERIFY(env.import.log.Calls().contains("CancelAndWait"));
    QVERIFY(thePoller().IsExiting());
    QVERIFY(!thePoller().IsThreadRunning(XPoller::LoopSlot));
    QVERIFY(env.frame.log.Calls().contains("SelectNavigatorItem|20100"));
    QVERIFY(env.frame.log.Calls().contains("SetStatusText|Data restored successfully from " + archive));
    QVERIFY(env.frame.log.Calls().contains("PostExit"));
    // The new run starts only when this one has ended.
    QVERIFY(m_launched.isEmpty());
    const CClientApp::RestartCommand restart = env.app().TakePendingRestart();
    QVERIFY(restart.pending);
    QCOMPARE(restart.program, env.app().GetModuleFolder() + "korvant");
    QCOMPARE(restart.arguments, env.app().RawArguments());
    QVERIFY(CClientApp::StartDetached(restart.program, restart.arguments));
    QCOMPARE(m_launched.size(), 1);
}

void TestDataFile::restoreOfDamagedArchiveKeepsEverythingRunning()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    const QString junk = env.folder + "/junk.kvz";
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 this is not a whole archive");
    f.close();
    env.dialogs.QueueFileName(junk);
    env.app().RestoreData();
    QCOMPARE(StoredPassport(theDatabase().DatabasePath()), QString("P-1"));
    QVERIFY(env.frame.log.Calls().contains("SetStatusText|No data restored."));
    QVERIFY(!env.import.log.Calls().contains("CancelAndWait"));
    QVERIFY(!thePoller().IsExiting());
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
    QVERIFY(!env.app().RestartPending());
    // A database file without a member row is not a backup either.
    const QString empty = env.folder + "/empty.mdb";
    {
        SqlConnection c(empty);
        c.Exec("CREATE TABLE [UserInfo] ([PASSPORT_ID] TEXT)");
    }
    env.dialogs.QueueFileName(empty);
    env.app().RestoreData();
    QCOMPARE(StoredPassport(theDatabase().DatabasePath()), QString("P-1"));
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
}

// The archive is sound but the file swap fails, after the workers stopped:
// the old data stay and polling goes on.
void TestDataFile::restoreFailingAfterStopResumesPolling()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    const QString archive = env.folder + "/before.kvz";
    env.dialogs.QueueFileName(archive);
    QVERIFY(env.app().BackupData());
    theDatabase().SetPassportId("P-2");
    const QString path = theDatabase().DatabasePath();
    KVDatabase::SetRenameFault([&](const QString &from, const QString &to) {
        return to == path && !from.endsWith(".old~");
    });
    env.dialogs.QueueFileName(archive);
    env.app().RestoreData();
    KVDatabase::SetRenameFault({});
    QVERIFY(env.import.log.Calls().contains("CancelAndWait"));
    QCOMPARE(StoredPassport(path), QString("P-2"));
    QVERIFY(env.frame.log.Calls().contains("SetStatusText|No data restored."));
    QVERIFY(!env.app().RestartPending());
    QVERIFY(!thePoller().IsExiting());
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
}

void TestDataFile::compactionRestarts()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    env.dialogs.QueueAnswer(MsgBox::IdNo);  // no backup first
    env.app().CompactDatabase(false);
    const QStringList boxes = env.dialogs.log.Calls().filter("MessageBox|");
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].startsWith("MessageBox|Do you want to make a backup copy of your data before compacting?"));
    QVERIFY(thePoller().IsExiting());
    QVERIFY(env.import.log.Calls().contains("CancelAndWait"));
    QVERIFY(env.app().RestartPending());
    QCOMPARE(StoredPassport(theDatabase().DatabasePath()), QString("P-1"));
}

void TestDataFile::failedBackupStopsCompaction()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    env.dialogs.QueueAnswer(MsgBox::IdYes);  // backup first; its file dialog is cancelled
    env.app().CompactDatabase(false);
    QVERIFY(!thePoller().IsExiting());
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
    QVERIFY(!env.app().RestartPending());
}

void TestDataFile::failedCompactionResumesPolling()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    // The work file cannot be created: a folder stands in its place.
    QVERIFY(QDir().mkpath(env.app().GetDataFolder() + "kvc-temp.mdb/x"));
    env.dialogs.QueueAnswer(MsgBox::IdNo);
    env.app().CompactDatabase(false);
    QVERIFY(!env.app().RestartPending());
    QVERIFY(!thePoller().IsExiting());
    QVERIFY(thePoller().IsThreadRunning(XPoller::LoopSlot));
    QCOMPARE(StoredPassport(theDatabase().DatabasePath()), QString("P-1"));
}

void TestDataFile::sizeCheck()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    Running(env);
    env.app().CompactDatabase(true);  // a small database is left alone
    QVERIFY(env.dialogs.log.Calls().isEmpty());
    QVERIFY(!thePoller().IsExiting());
}

KORVANT_TEST_MAIN(TestDataFile)
#include "tst_datafile.moc"
