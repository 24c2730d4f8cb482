#include "DbFixture.h"
#include "TestEnv.h"

#include "app/ZipArchiveHelper.h"

#include <unzip.h>

#include <atomic>
#include <thread>

// Backup archives hold a consistent snapshot; a restore replaces the data only
// with a sound database.
class TestBackup : public QObject
{
    Q_OBJECT

    static QString EntryName(const QString &archive)
    {
        unzFile z = unzOpen(archive.toLocal8Bit().constData());
        if (!z)
            return {};
        char name[260] = {};
        unz_file_info info;
        if (unzGoToFirstFile(z) != UNZ_OK || unzGetCurrentFileInfo(z, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            name[0] = 0;
        unzClose(z);
        return QString::fromLatin1(name);
    }

private slots:
    void backupWhileWritingThenRestore()
    {
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        db.SetPassportId("P1");

        // Another connection adds rows ten at a time while the backup runs.
        std::atomic<bool> stop{false};
        std::atomic<int> batches{0};
        std::thread writer([&] {
            SqlConnection &c = theDatabase().Connection();
            int n = 0;
            while (!stop.load()) {
                SqlTransaction tr(c);
                for (int i = 0; i < 10; ++i, ++n)
                    c.Exec("INSERT INTO Messages (ID, MESSAGE_BODY) VALUES (?, ?)", {QString("m%1").arg(n), QString(300, 'b')});
                tr.Commit();
                ++batches;
            }
            theDatabase().ReleaseThreadConnection();
        });
        while (batches.load() < 20)
            QThread::msleep(1);
        const QString archive = TestEnv::NewFolder() + "/kvc_backup.kvz";
        const bool backedUp = db.BackupDatabase(archive);
        const int atBackup = batches.load();
        while (batches.load() < atBackup + 5)
            QThread::msleep(1);
        stop = true;
        writer.join();
        QVERIFY(backedUp);
        QVERIFY(IsPrivate(archive));
        QCOMPARE(EntryName(archive), QString("kvc.mdb"));
        const int total = db.ExecuteScalar("SELECT COUNT(*) FROM Messages");

        QVERIFY(db.RestoreDatabase(archive));
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 0);
        QVERIFY(!QFile::exists(db.DatabasePath() + ".~tmp"));
        QVERIFY(IsPrivate(db.DatabasePath()));
        const int restored = db.ExecuteScalar("SELECT COUNT(*) FROM Messages");
        QVERIFY(restored >= 200);
        QVERIFY(restored < total);
        QCOMPARE(restored % 10, 0);  // whole transactions only
        QCOMPARE(db.Connection().Scalar("PRAGMA quick_check").toString(), QString("ok"));
        QCOMPARE(db.Connection().Scalar("SELECT PASSPORT_ID FROM UserInfo").toString(), QString("P1"));
    }

    void restoreRefusesWhatIsNoSoundDatabase_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("zipped");
        QTest::newRow("text file") << QByteArray("hello, this is not a database\n") << false;
        QTest::newRow("zipped text") << QByteArray(5000, 'q') << true;
        const QString noUser = TestEnv::NewFolder() + "/kvc.mdb";
        WriteDatabase(noUser, "PRAGMA journal_mode=DELETE; CREATE TABLE UserInfo (PASSPORT_ID TEXT, DB_VER TEXT);");
        QTest::newRow("database without user row") << ReadAll(noUser) << true;
        QByteArray truncated = ReadAll(noUser);
        truncated.truncate(100);
        QTest::newRow("truncated database") << truncated << false;
        // Its user row reads well; only the integrity check sees the broken pages.
        const QString damaged = TestEnv::NewFolder() + "/kvc.mdb";
        WriteDatabase(damaged, "PRAGMA page_size=4096; PRAGMA journal_mode=DELETE;"
                               "CREATE TABLE UserInfo (PASSPORT_ID TEXT, DB_VER TEXT);"
                               "INSERT INTO UserInfo VALUES ('P1', '98');"
                               "CREATE TABLE Big (X TEXT);"
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                               "INSERT INTO Big SELECT printf('%.500c', 'x') FROM n;");
        QByteArray broken = ReadAll(damaged);
        QVERIFY(broken.size() > 8 * 4096);
        broken.replace(5 * 4096, 64, QByteArray(64, '\xff'));
        QTest::newRow("damaged pages, readable user row") << broken << true;
    }

    void restoreRefusesWhatIsNoSoundDatabase()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, zipped);
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        db.Execute("INSERT INTO Queries (ID) VALUES ('keep')");

        const QString folder = TestEnv::NewFolder();
        QString source = folder + "/kvc.mdb";
        {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        if (zipped) {
            ZipArchiveHelper zip;
            QVERIFY(zip.ZipFile(source, folder + "/b.kvz"));
            source = folder + "/b.kvz";
        }
        QVERIFY(!db.RestoreDatabase(source));
        QCOMPARE(t.dialogs.log.Count("MessageBox|Can not restore database file.|Error"), 1);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Queries WHERE ID = 'keep'"), 1);
        QVERIFY(!QFile::exists(db.DatabasePath() + ".~tmp"));
    }

    void restoreTakesAPlainDatabaseFile()
    {
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        const QString copy = TestEnv::NewFolder() + "/copy.mdb";
        db.Execute("INSERT INTO Queries (ID) VALUES ('old')");
        db.Execute("VACUUM INTO ?", {copy});
        db.Execute("DELETE FROM Queries");
        QVERIFY(db.RestoreDatabase(copy));
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Queries WHERE ID = 'old'"), 1);
    }
};

KORVANT_TEST_MAIN(TestBackup)
#include "tst_backup.moc"
