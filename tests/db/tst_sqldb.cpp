#include "TestEnv.h"

#include "db/SqlDb.h"

// The wrapper: transactions and savepoints, values, the UCASE function.
class TestSqlDb : public QObject
{
    Q_OBJECT
private slots:
    void nestedScopeIsSavepoint()
    {
        SqlConnection c(TestEnv::NewFolder() + "/t.db");
        c.ExecScript("CREATE TABLE t (v INTEGER)");
        {
            SqlTransaction outer(c);
            c.Exec("INSERT INTO t VALUES (1)");
            {
                SqlTransaction inner(c);
                QCOMPARE(c.TransactionDepth(), 2);
                c.Exec("INSERT INTO t VALUES (2)");
            }  // rolled back alone
            {
                SqlTransaction inner(c);
                c.Exec("INSERT INTO t VALUES (3)");
                inner.Commit();
            }
            outer.Commit();
        }
        QCOMPARE(c.Scalar("SELECT group_concat(v) FROM t").toString(), QString("1,3"));
        {
            SqlTransaction dropped(c);
            c.Exec("INSERT INTO t VALUES (4)");
        }
        QCOMPARE(c.Scalar("SELECT COUNT(*) FROM t").toInt(), 2);
        QVERIFY(!c.InTransaction());
    }

    void immediateTransactionWaitsForWriter()
    {
        const QString path = TestEnv::NewFolder() + "/t.db";
        SqlConnection a(path);
        a.ExecScript("CREATE TABLE t (v INTEGER)");
        SqlConnection::Options o;
        o.busyTimeoutMs = 50;
        SqlConnection b(path, o);
        SqlTransaction ta(a);
        a.Exec("INSERT INTO t VALUES (1)");
        // The second writer is refused at BEGIN, before it read anything.
        QVERIFY_THROWS_EXCEPTION(DbException, SqlTransaction tb(b));
        ta.Commit();
        SqlTransaction tb(b);
        b.Exec("INSERT INTO t VALUES (2)");
        tb.Commit();
        QCOMPARE(a.Scalar("SELECT COUNT(*) FROM t").toInt(), 2);
    }

    void valuesAndUcase()
    {
        SqlConnection c(TestEnv::NewFolder() + "/t.db");
        QCOMPARE(c.Scalar("SELECT UCASE(?)", {QString::fromUtf8("straße ёлка abc")}).toString(),
                 QString::fromUtf8("STRASSE ЁЛКА ABC"));
        QVERIFY(c.Scalar("SELECT UCASE(NULL)").isNull());
        const QString feff = QString(QChar(0xFEFF)) + "abc";  // not a byte-order mark
        QCOMPARE(c.Scalar("SELECT ?", {feff}).toString(), feff);
        QVERIFY(!c.Scalar("SELECT 1 WHERE 0").isValid());
        QCOMPARE(c.Scalar("SELECT ?", {QDateTime(QDate(2024, 2, 29), QTime(23, 5, 1))}).toString(),
                 QString("2024-02-29 23:05:01"));
        QCOMPARE(SqlValue::RoundCurrency(12.345678), 12.3457);
        QVERIFY_THROWS_EXCEPTION(DbException, c.Exec("SELECT * FROM nowhere"));
    }

    // Seconds written as the local date and time QDateTime writes, from the
    // year 1 to the year 9999 and beyond it.
    void secondsAsLocalText_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::newRow("leap day") << QDateTime(QDate(2024, 2, 29), QTime(23, 5, 1));
        QTest::newRow("new year") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59));
        QTest::newRow("epoch") << QDateTime::fromSecsSinceEpoch(0);
        QTest::newRow("year 812") << QDateTime(QDate(812, 3, 4), QTime(5, 6, 7));
        QTest::newRow("year 9999") << QDateTime(QDate(9999, 12, 31), QTime(12, 0, 0));
    }
    void secondsAsLocalText()
    {
        QFETCH(QDateTime, when);
        QCOMPARE(SqlValue::FormatSeconds(when.toSecsSinceEpoch()), when.toString("yyyy-MM-dd HH:mm:ss"));
        QCOMPARE(SqlValue::FormatSeconds(when.toSecsSinceEpoch()), SqlValue::FormatDateTime(when));
    }

    void notADatabaseIsRefused()
    {
        const QString path = TestEnv::NewFolder() + "/junk.db";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY(!SqlValue::HasSqliteHeader(path));
        QVERIFY_THROWS_EXCEPTION(DbException, SqlConnection c(path));
    }
};

KORVANT_TEST_MAIN(TestSqlDb)
#include "tst_sqldb.moc"
