#include "DbFixture.h"
#include "TestEnv.h"

#include "db/RecordActions.h"
#include "db/RecordCursor.h"

// The cursor under every record list and the actions on selected records,
// against a real database file.
class TestRecordCursor : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithDatabase());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void snapshotFollowsFilterAndSort()
    {
        AddDeals({{"D1", "b", 1}, {"D2", "a", 0}, {"D3", "c", 1}, {"D4", "d", 1}});
        RecordCursor cur("HotDeals", {"ID", "TITLE"});
        cur.SetFilter(SqlExpr("IS_INCOMING = ?", {1}));
        cur.SetSort("TITLE DESC");
        cur.Refill();
        QCOMPARE(cur.Count(), 3);
        QCOMPARE(cur.Keys({0, 1, 2}), (QStringList{"D4", "D3", "D1"}));
        QCOMPARE(cur.Text(1, cur.Column("TITLE")), QString("c"));
        QCOMPARE(cur.FindKey("D1"), 2);
        QCOMPARE(cur.FindKey("d1"), 2);  // keys compare without case, as the table does
        QCOMPARE(cur.FindKey("D2"), -1);  // outside the filter
        QCOMPARE(cur.FindKey("x' OR '1'='1"), -1);
        QCOMPARE(cur.FindRowId(cur.RowId(1)), 1);
        QVERIFY(cur.Read(3).deleted);
        QVERIFY(cur.Read(-1).deleted);
    }

    // Another connection deletes a row after the snapshot: it reads as
    // empty, the others stay where they were.
    void rowDeletedElsewhereReadsEmpty()
    {
        AddDeals({{"D1", "a", 1}, {"D2", "b", 1}, {"D3", "c", 1}});
        RecordCursor cur("HotDeals", {"ID", "TITLE"});
        cur.SetSort("TITLE ASC");
        cur.Refill();
        SqlConnection other(theDatabase().DatabasePath());
        other.Exec("DELETE FROM HotDeals WHERE ID = 'D2'");
        QCOMPARE(cur.Count(), 3);
        QVERIFY(!cur.Read(0).deleted);
        QVERIFY(cur.Read(1).deleted);
        QCOMPARE(cur.Key(1), QString());
        QCOMPARE(cur.Key(2), QString("D3"));
        cur.Refill();
        QCOMPARE(cur.Keys({0, 1}), (QStringList{"D1", "D3"}));
    }

    // Cached rows stay as read until a mark drops the cache; a refill takes a new snapshot.
    void cacheAndSnapshotLifetimes()
    {
        AddDeals({{"D1", "a", 1}});
        RecordCursor cur("HotDeals", {"ID", "TITLE"});
        cur.Refill();
        QCOMPARE(cur.Text(0, 1), QString("a"));
        theDatabase().Execute("UPDATE HotDeals SET TITLE = 'z'");
        AddDeals({{"D2", "b", 1}});
        QCOMPARE(cur.Text(0, 1), QString("a"));
        cur.DropCache();
        QCOMPARE(cur.Text(0, 1), QString("z"));
        QCOMPARE(cur.Count(), 1);
        cur.Refill();
        QCOMPARE(cur.Count(), 2);
        QCOMPARE(cur.SnapshotsTaken(), 2);
    }

    // The end of a long list reads only the pages asked for.
    void readsPagesNotTheTable()
    {
        FillInventory(100000);
        RecordCursor cur("Inventory", {"ID", "P_STOCK_NUMBER"});
        cur.SetSort("P_STOCK_NUMBER DESC");
        cur.Refill();
        QCOMPARE(cur.Count(), 100000);
        for (int row = cur.Count() - 30; row < cur.Count(); ++row)
            QVERIFY(!cur.Read(row).deleted);
        QCOMPARE(cur.Text(cur.Count() - 1, 1), QString("S000001"));
        QVERIFY2(cur.RowsRead() <= 2 * RecordCursor::PageSize, qPrintable(QString::number(cur.RowsRead())));
        QCOMPARE(cur.FindKey("99999"), 1);
        QVERIFY(cur.Paged());
    }

    // Paged along the sort index, every row comes where one ordered query puts
    // it, across page borders, from either end, with ties and a filter; keys
    // far from the first page are found.
    void pagesAlongTheIndexKeepTheOrder_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("filter");
        QTest::newRow("ascending") << "P_STOCK_NUMBER ASC" << "";
        QTest::newRow("descending") << "P_STOCK_NUMBER DESC" << "";
        QTest::newRow("filtered") << "P_STOCK_NUMBER DESC" << "P_QUANTITY <> 2";
        QTest::newRow("no sort") << "" << "P_QUANTITY = 1";
    }
    void pagesAlongTheIndexKeepTheOrder()
    {
        QFETCH(QString, sort);
        QFETCH(QString, filter);
        // 1,000 rows, 250 stock numbers (ties), some without one.
        theDatabase().Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 1000) "
                              "INSERT INTO Inventory (P_STOCK_NUMBER, P_QUANTITY) "
                              "SELECT CASE WHEN i % 97 = 0 THEN NULL ELSE printf('S%03d', (i * 37) % 250) END, i % 3 "
                              "FROM k");
        RecordCursor cur("Inventory", {"ID"});
        cur.SetSort(sort);
        if (!filter.isEmpty())
            cur.SetFilter(SqlExpr(filter));
        cur.Refill();
        QVERIFY(cur.Paged());
        const QString tie = sort.endsWith("DESC") ? "rowid DESC" : "rowid ASC";
        const QString order = sort.isEmpty() ? tie : sort + ", " + tie;
        QStringList expected;
        SqlStatement &st = theDatabase().Connection().Prepare(
            QStringLiteral("SELECT ID FROM Inventory%1 ORDER BY %2")
                .arg(filter.isEmpty() ? QString() : " WHERE " + filter, order));
        while (st.Step())
            expected << st.Text(0);
        st.Reset();
        QCOMPARE(cur.Count(), int(expected.size()));
        QList<int> rows;
        // The last rows first, then the rest: both ends give the same places.
        for (int row = cur.Count() - 1; row >= cur.Count() - 100; --row)
            rows << row;
        for (int row = 0; row < cur.Count() - 100; ++row)
            rows << row;
        const QStringList keys = cur.Keys(rows);
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(keys[i], expected[rows[i]]);
        RecordCursor fresh("Inventory", {"ID"});
        fresh.SetSort(sort);
        fresh.SetFilter(cur.Filter());
        fresh.Refill();
        QCOMPARE(fresh.FindKey(expected.last()), cur.Count() - 1);
        QCOMPARE(fresh.FindKey(expected[expected.size() / 2]), int(expected.size() / 2));
        QCOMPARE(fresh.FindKey("100000"), -1);
    }

    // A sort no index gives keeps one snapshot of the ids, as before.
    void sortWithoutIndexTakesSnapshot()
    {
        FillInventory(10);
        RecordCursor cur("Inventory", {"ID", "P_NAME"});
        cur.SetSort("P_NAME DESC");
        cur.Refill();
        QVERIFY(!cur.Paged());
        QCOMPARE(cur.Count(), 10);
    }

    void actionsWorkByBoundKeysInOneTransaction()
    {
        AddDeals({{"D1", "a", 1}, {"D2", "b", 1}, {"D3", "c", 1}, {"D4", "d", 1}});
        QCOMPARE(RecordActions::UpdateStatusByIds("HotDeals", {"D1", "D3", "x' OR '1'='1"}, 1, "Read"), 2);
        QCOMPARE(Column("SELECT GROUP_CONCAT(ID) FROM (SELECT ID FROM HotDeals WHERE STATUS = 'Read' ORDER BY ID)"),
                 QString("D1,D3"));
        QCOMPARE(RecordActions::UpdateColumnByIds("HotDeals", {"D2"}, "MESS_NEW_COUNT", 7), 1);
        QCOMPARE(Column("SELECT MESS_NEW_COUNT FROM HotDeals WHERE ID = 'D2'"), QString("7"));
        QCOMPARE(RecordActions::DeleteByIds("HotDeals", {"D4", "D1"}), 2);
        QCOMPARE(Column("SELECT GROUP_CONCAT(ID) FROM (SELECT ID FROM HotDeals ORDER BY ID)"), QString("D2,D3"));
        QCOMPARE(RecordActions::DeleteByIds("HotDeals", {}), 0);
    }

    void failureMidwayChangesNothing()
    {
        AddDeals({{"D1", "a", 1}, {"D2", "b", 1}, {"D3", "c", 1}});
        theDatabase().Execute("CREATE TRIGGER keep BEFORE DELETE ON HotDeals WHEN old.ID = 'D2' "
                              "BEGIN SELECT RAISE(ABORT, 'kept'); END");
        QVERIFY_THROWS_EXCEPTION(DbException, RecordActions::DeleteByIds("HotDeals", {"D1", "D2", "D3"}));
        QCOMPARE(Column("SELECT COUNT(*) FROM HotDeals"), QString("3"));
        QVERIFY(!theDatabase().Connection().InTransaction());
    }

    void missingIndexIsAddedOnOpen()
    {
        theDatabase().Execute("DROP INDEX index_Inventory_P_STOCK_NUMBER");
        theDatabase().CloseAll();
        QVERIFY(theDatabase().init());
        QCOMPARE(Column("SELECT COUNT(*) FROM sqlite_master WHERE name = 'index_Inventory_P_STOCK_NUMBER'"),
                 QString("1"));
        QCOMPARE(m_app->dialogs.log.Calls(), QStringList());
    }

private:
    struct Deal
    {
        const char *id;
        const char *title;
        int incoming;
    };
    static void AddDeals(std::initializer_list<Deal> deals)
    {
        for (const Deal &d : deals)
            theDatabase().Execute("INSERT INTO HotDeals (ID, TITLE, IS_INCOMING) VALUES (?, ?, ?)",
                                  {QString(d.id), QString(d.title), d.incoming});
    }
    static void FillInventory(int n)
    {
        theDatabase().Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
                              "INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME) SELECT printf('S%06d', i), 'part' FROM k",
                              {n});
    }
    static QString Column(const char *sql) { return theDatabase().Connection().Scalar(sql).toString(); }

    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestRecordCursor)
#include "tst_recordcursor.moc"
