#include "DbFixture.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "db/Schema.h"

#include <sys/stat.h>

// The database manager: creation, conversion, purge, compaction, scalar queries.
class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void freshFileHasSchemaAndUserInfo()
    {
        TestApp t(WithDatabase());
        t.App().SetLogLevel(5);
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        QVERIFY(IsPrivate(db.DatabasePath()));
        QCOMPARE(db.GetDbVersion(), QString("98"));
        QCOMPARE(db.GetPassportId(), QString());
        SqlConnection &c = db.Connection();
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'").toInt(), 12);
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL").toInt(), 85);
        QCOMPARE(c.Scalar("SELECT COUNT(*) || '|' || PASSPORT_ID || '|' || DB_VER FROM UserInfo").toString(),
                 QString("1||98"));
        QCOMPARE(c.Scalar("PRAGMA journal_mode").toString(), QString("wal"));
        QVERIFY(t.LogText().contains("Init database: [OK]"));

        db.SetPassportId("P123");
        KVDatabase other;  // a second start reads what the first wrote
        QVERIFY(other.init());
        QCOMPARE(other.GetPassportId(), QString("P123"));
        QCOMPARE(other.GetDbVersion(), QString("98"));
    }

    // A database or backup that was there with 0644 (an older copy, a umask
    // that lets it through) is the member's alone once the program writes it.
    void existingFilesMadePrivate()
    {
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        db.CloseAll();
        const QString archive = TestEnv::NewFolder() + "/backup.kvz";
        {
            QFile f(archive);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QFile::Permissions open644 = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(db.DatabasePath(), open644));
        QVERIFY(QFile::setPermissions(archive, open644));
        const mode_t oldMask = ::umask(022);
        const bool opened = db.init();
        db.SetPassportId("P1");
        const bool backedUp = db.BackupDatabase(archive);
        ::umask(oldMask);
        QVERIFY(opened);
        QVERIFY(backedUp);
        QVERIFY(IsPrivate(db.DatabasePath()));
        QVERIFY(IsPrivate(db.DatabasePath() + "-wal"));
        QVERIFY(IsPrivate(archive));
    }

    void fileWithoutUserInfoHasNoVersion()
    {
        TestApp t(WithDatabase());
        WriteDatabase(theDatabase().DatabasePath(), "CREATE TABLE Queries (ID TEXT)");
        QVERIFY(theDatabase().init());
        QCOMPARE(theDatabase().GetDbVersion(), QString());
    }

    void executeScalar()
    {
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        QCOMPARE(db.ExecuteScalar("SELECT NULL"), 0);
        QCOMPARE(db.ExecuteScalar("SELECT 1 WHERE 0"), -1);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM UserInfo WHERE DB_VER = ?", {"98"}), 1);
        QVERIFY(!db.ExecuteSQL("DELETE FROM Nowhere"));
        QCOMPARE(t.dialogs.log.Count("MessageBox|Can not execute the sql."), 1);
        QVERIFY_THROWS_EXCEPTION(DbException, db.Execute("DELETE FROM Nowhere"));
    }

    void conversion_data()
    {
        QTest::addColumn<QByteArray>("oldScript");
        QTest::addColumn<QString>("settingsPassport");
        QTest::addColumn<QStringList>("checks");  // "SQL => expected"

        const QByteArray userInfo = "CREATE TABLE UserInfo (PASSPORT_ID TEXT, DB_VER TEXT);"
                                    "INSERT INTO UserInfo VALUES ('P77', '90');";
        QTest::newRow("extra table") << (userInfo + "CREATE TABLE Legacy (A TEXT); INSERT INTO Legacy VALUES ('x');"
                                                    "CREATE TABLE MSysObjects (A TEXT);"
                                                    "CREATE TABLE Queries (ID TEXT, P_NAME TEXT);"
                                                    "INSERT INTO Queries VALUES ('q1', 'door');")
                                     << QString()
                                     << QStringList{"SELECT COUNT(*) FROM sqlite_master WHERE name IN ('Legacy', 'MSysObjects') => 0",
                                                    "SELECT P_NAME FROM Queries WHERE ID = 'q1' => door",
                                                    "SELECT PASSPORT_ID || DB_VER FROM UserInfo => P7798"};
        QTest::newRow("extra column") << (userInfo + "CREATE TABLE Inventory (ID INTEGER PRIMARY KEY, P_NAME TEXT, OLD_COL TEXT);"
                                                     "INSERT INTO Inventory VALUES (7, 'hood', 'gone');")
                                      << QString()
                                      << QStringList{"SELECT ID || P_NAME FROM Inventory => 7hood",
                                                     "SELECT COUNT(*) FROM pragma_table_info('Inventory') WHERE name = 'OLD_COL' => 0"};
        QTest::newRow("C_EMAIL") << (userInfo + "CREATE TABLE Queries (ID TEXT, C_NAME TEXT, C_EMAIL TEXT, POST_DATE TEXT);"
                                                "INSERT INTO Queries VALUES ('q1', 'Ann', 'a@b.c', '2024-01-02 10:00:00');")
                                 << QString()
                                 << QStringList{"SELECT C_NAME || '|' || IFNULL(C_EMAIL, 'null') FROM Queries => Ann|null",
                                                "SELECT RECIVE_DATE FROM Queries => 2024-01-02 10:00:00",
                                                "SELECT IS_CONTACT_FULL FROM Queries => 1"};
        QTest::newRow("old Messages layout")
            << (userInfo + "CREATE TABLE Messages (ID TEXT, QUERY_ID TEXT, QUOTE_ID TEXT, BROADCAST_ID TEXT, MESSAGE_SUBJ TEXT);"
                           "INSERT INTO Messages VALUES ('m1', 'Q1', '', '', 'a'), ('m2', '', 'T2', 'B2', 'b'),"
                           "('m3', NULL, NULL, 'B3', 'c'), ('m4', '', '', '', 'it''s');")
            << QString()
            << QStringList{"SELECT group_concat(ID || ':' || IFNULL(CONTEXT_TYPE, '-') || ':' || IFNULL(CONTEXT_ID, '-'), ' ') "
                           "FROM (SELECT * FROM Messages ORDER BY ID) => m1:query:Q1 m2:quote:T2 m3:broadcast:B3 m4:-:-",
                           "SELECT MESSAGE_SUBJ FROM Messages WHERE ID = 'm4' => it's"};
        QTest::newRow("new Messages layout")
            << (userInfo + "CREATE TABLE Messages (ID TEXT, CONTEXT_ID TEXT, CONTEXT_TYPE TEXT, QUERY_ID TEXT);"
                           "INSERT INTO Messages VALUES ('m1', 'D1', 'deal', 'Q1');")
            << QString() << QStringList{"SELECT CONTEXT_TYPE || CONTEXT_ID FROM Messages => dealD1"};
        QTest::newRow("empty passport id")
            << QByteArray("CREATE TABLE UserInfo (PASSPORT_ID TEXT, DB_VER TEXT); INSERT INTO UserInfo VALUES ('', '97');")
            << QString("S55") << QStringList{"SELECT COUNT(*) || PASSPORT_ID || DB_VER FROM UserInfo => 1S5598"};
        // Values are bound, never pasted into the SQL.
        QTest::newRow("quotes in passport id and context")
            << QByteArray("CREATE TABLE Messages (ID TEXT, QUERY_ID TEXT, QUOTE_ID TEXT, BROADCAST_ID TEXT, MESSAGE_SUBJ TEXT);"
                          "INSERT INTO Messages VALUES ('m1', 'Q''1', '', '', 's');")
            << QString("O'Brien")
            << QStringList{"SELECT PASSPORT_ID FROM UserInfo => O'Brien",
                           "SELECT CONTEXT_TYPE || CONTEXT_ID FROM Messages => queryQ'1"};
        QTest::newRow("no user info")
            << QByteArray("CREATE TABLE HotDeals (ID TEXT, TITLE TEXT); INSERT INTO HotDeals VALUES ('h', 'x''y');")
            << QString("S56") << QStringList{"SELECT PASSPORT_ID FROM UserInfo => S56", "SELECT TITLE FROM HotDeals => x'y"};
    }

    void conversion()
    {
        QFETCH(QByteArray, oldScript);
        QFETCH(QString, settingsPassport);
        QFETCH(QStringList, checks);
        TestApp t(WithDatabase());
        t.App().SetLogLevel(5);
        theSettings().SetString(Setting::PassportId, settingsPassport);
        KVDatabase &db = theDatabase();
        WriteDatabase(db.DatabasePath(), oldScript);
        QVERIFY(db.init());
        QVERIFY(db.GetDbVersion() != "98");
        QVERIFY(db.ConvertDatabase());
        QCOMPARE(t.dialogs.log.Calls(), QStringList());
        QCOMPARE(db.GetDbVersion(), QString("98"));
        QVERIFY(!QFile::exists(t.DataFolder() + "kvc-temp.mdb"));
        QVERIFY(IsPrivate(db.DatabasePath()));
        QVERIFY(t.LogText().contains("Convert database: [OK]"));
        SqlConnection &c = db.Connection();
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL").toInt(), 85);
        for (const QString &check : checks) {
            const QString sql = check.section(" => ", 0, 0);
            const QString expected = check.section(" => ", 1);
            QCOMPARE(c.Scalar(sql).toString(), expected);
        }
    }

    void conversionFailureKeepsOldFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        // Fails midway: Queries copied, then an inventory id that is no number.
        const QString path = TestEnv::NewFolder() + "/old.db";
        WriteDatabase(path, "PRAGMA journal_mode=DELETE;"
                            "CREATE TABLE Queries (ID TEXT, P_NAME TEXT); INSERT INTO Queries VALUES ('q1', 'door');"
                            "CREATE TABLE Inventory (ID TEXT, P_NAME TEXT); INSERT INTO Inventory VALUES ('x1', 'hood');");
        QTest::newRow("failing copy") << ReadAll(path);
        QTest::newRow("not a database") << QByteArray(8192, 'z');
    }

    void conversionFailureKeepsOldFile()
    {
        QFETCH(QByteArray, content);
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        {
            QFile f(db.DatabasePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        QVERIFY(!db.ConvertDatabase());
        QVERIFY(t.dialogs.log.Count("MessageBox|Can not") >= 1);
        db.CloseAll();
        QCOMPARE(ReadAll(db.DatabasePath()), content);
        QVERIFY(!QFile::exists(t.DataFolder() + "kvc-temp.mdb"));
    }

    // The good file goes aside first; when its successor cannot be renamed in,
    // it comes back.
    void failedSecondRenamePutsGoodFileBack_data()
    {
        QTest::addColumn<QString>("swap");
        QTest::newRow("restore") << "restore";
        QTest::newRow("compaction") << "compaction";
        QTest::newRow("conversion") << "conversion";
    }

    void failedSecondRenamePutsGoodFileBack()
    {
        QFETCH(QString, swap);
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        const QString path = db.DatabasePath();
        QString backup;
        if (swap == "conversion") {
            WriteDatabase(path, "CREATE TABLE UserInfo (PASSPORT_ID TEXT, DB_VER TEXT);"
                                "INSERT INTO UserInfo VALUES ('P1', '97');"
                                "CREATE TABLE Queries (ID TEXT); INSERT INTO Queries VALUES ('keep');");
            QVERIFY(db.init());
        } else {
            QVERIFY(db.init());
            db.SetPassportId("P1");
            backup = TestEnv::NewFolder() + "/copy.mdb";
            db.Execute("VACUUM INTO ?", {backup});
            db.Execute("INSERT INTO Queries (ID) VALUES ('keep')");
        }
        // Only the rename of the new file onto the database fails; the old
        // one's rename aside and back work.
        int renamesOnto = 0;
        KVDatabase::SetRenameFault([&](const QString &from, const QString &to) {
            return to == path && !from.endsWith(".old~") && ++renamesOnto == 1;
        });
        bool swapped = true;
        if (swap == "restore")
            swapped = db.RestoreDatabase(backup);
        else if (swap == "compaction")
            swapped = db.CompactDatabase();
        else
            swapped = db.ConvertDatabase();
        KVDatabase::SetRenameFault({});
        QVERIFY(!swapped);
        QCOMPARE(renamesOnto, 1);
        QVERIFY(QFile::exists(path));
        QVERIFY(!QFile::exists(path + ".old~"));
        db.CloseAll();
        SqlConnection::Options o;
        o.create = false;
        SqlConnection c(path, o);
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM Queries WHERE ID = 'keep'").toInt(), 1);
        QCOMPARE(c.Scalar("SELECT PASSPORT_ID FROM UserInfo").toString(), QString("P1"));
        QCOMPARE(c.Scalar("PRAGMA quick_check").toString(), QString("ok"));
    }

    // The schema is built under another name: a creation that fails partway
    // (here the disk refuses more bytes) leaves nothing a later start takes
    // for a database.
    void failedCreationLeavesNoHalfMadeFile()
    {
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        {
            TestEnv::FileSizeLimit limit(24 * 1024);
            QVERIFY(!db.init());
        }
        QVERIFY(t.dialogs.log.Count("MessageBox|Can not create database") >= 1);
        db.CloseAll();
        QVERIFY(!QFile::exists(db.DatabasePath()));
        QVERIFY(db.init());
        QCOMPARE(db.Connection()
                     .Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'")
                     .toInt(),
                 12);
        QCOMPARE(db.GetDbVersion(), QString("98"));
    }

    void purge_data()
    {
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<bool>("archived");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("nextDay");
        QTest::addColumn<bool>("deleted");
        for (bool incoming : {true, false})
            for (bool archived : {false, true})
                for (int code : {0, 1, 2})
                    for (bool nextDay : {false, true}) {
                        const bool deleted = incoming && !archived && code != 2 && nextDay;
                        QTest::addRow("%s %s code %d %s", incoming ? "in" : "out", archived ? "archived" : "live", code,
                                      nextDay ? "next day" : "same day")
                            << incoming << archived << code << nextDay << deleted;
                    }
    }

    void purge()
    {
        QFETCH(bool, incoming);
        QFETCH(bool, archived);
        QFETCH(int, code);
        QFETCH(bool, nextDay);
        QFETCH(bool, deleted);
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        // Posted at 10:00 for five days: it expires on the 6th at 10:00, and the
        // purge counts whole days, so it goes only from the 7th.
        for (const char *table : {"Queries", "Queries_Cars"})
            db.Execute(QString("INSERT INTO %1 (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE, LIVE_TIME) "
                               "VALUES ('q', ?, ?, ?, '2024-03-01 10:00:00', 5)").arg(table),
                       {incoming, archived, code});
        db.Execute("INSERT INTO Quotes (ID, QUERY_ID) VALUES ('t', 'q')");
        const QDateTime now = nextDay ? QDateTime(QDate(2024, 3, 7), QTime(0, 30)) : QDateTime(QDate(2024, 3, 6), QTime(23, 59));
        QVERIFY(db.DeleteExpiredQueries(now));
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Queries"), deleted ? 0 : 1);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Queries_Cars"), deleted ? 0 : 1);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Quotes"), 1);
    }

    void compactionKeepsEveryRow()
    {
        TestApp t(WithDatabase());
        KVDatabase &db = theDatabase();
        QVERIFY(db.init());
        {
            SqlConnection &c = db.Connection();
            SqlTransaction tr(c);
            for (int i = 0; i < 2000; ++i)
                c.Exec("INSERT INTO Inventory (P_NAME, P_NOTES) VALUES (?, ?)", {QString("part %1").arg(i), QString(500, 'n')});
            tr.Commit();
        }
        db.Execute("DELETE FROM Inventory WHERE ID % 2 = 0");
        const int before = db.ExecuteScalar("SELECT COUNT(*) FROM Inventory");
        db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        const qint64 sizeBefore = db.GetDatabaseSize();
        QVERIFY(db.CompactDatabase());
        QCOMPARE(db.OpenConnectionCount(), 0);
        QVERIFY(!QFile::exists(t.DataFolder() + "kvc-temp.mdb"));
        QVERIFY(IsPrivate(db.DatabasePath()));
        QVERIFY(db.GetDatabaseSize() < sizeBefore);
        QCOMPARE(db.ExecuteScalar("SELECT COUNT(*) FROM Inventory"), before);
        QCOMPARE(db.ExecuteScalar("PRAGMA quick_check"), 0);  // "ok" reads as 0
        QCOMPARE(db.Connection().Scalar("PRAGMA quick_check").toString(), QString("ok"));
        // Counters go on after the highest id ever given (2000 was deleted).
        db.Execute("INSERT INTO Inventory (P_NAME) VALUES ('new')");
        QCOMPARE(db.ExecuteScalar("SELECT MAX(ID) FROM Inventory"), 2001);
    }
};

KORVANT_TEST_MAIN(TestDatabase)
#include "tst_database.moc"
