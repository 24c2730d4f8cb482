#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "db/XInventorySet.h"
#include "db/XOrderSet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "frame/NodeCounters.h"

#include <QTest>

#include <sqlite3.h>

namespace {

TestApp::Options WithDatabase()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

void AddQuery(const char *table, const QString &id, int incoming, int status, int archive = 0)
{
    theDatabase().Execute(QStringLiteral("INSERT INTO %1 (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE) VALUES (?, ?, ?, ?)")
                              .arg(QLatin1String(table)),
                          {id, incoming, archive, status});
}

void AddQuote(const char *table, const QString &id, const QString &queryId, int status)
{
    theDatabase().Execute(QStringLiteral("INSERT INTO %1 (ID, QUERY_ID, STATUS_CODE, IS_INCOMING) VALUES (?, ?, ?, 1)")
                              .arg(QLatin1String(table)),
                          {id, queryId, status});
}

// Statements the connection runs while it is installed.
class StatementCounter
{
public:
    explicit StatementCounter(sqlite3 *db) : m_db(db)
    {
        sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &StatementCounter::OnTrace, this);
    }
    ~StatementCounter() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }
    int count = 0;

private:
    static int OnTrace(unsigned, void *self, void *, void *)
    {
        ++static_cast<StatementCounter *>(self)->count;
        return 0;
    }
    sqlite3 *m_db;
};

} // namespace

class TestNodeCounters : public QObject
{
    Q_OBJECT
private slots:
    void quoteTotalsOfQueryPages();
    void carQuoteTotals();
    void confirmedOrdersCountByUnreadUpdate();
    void catalogHasNoNewCount();
    void quoteTotalsAreOneStatementWhateverTheQueries();
    void countersOfEachMode();
    void reloadByRole_data();
    void reloadByRole();
};

void TestNodeCounters::quoteTotalsOfQueryPages()
{
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    // Buyer's pending quotes (outgoing, status 2 or 3); a quote in ' keeps out of SQL text.
    AddQuery("Queries", "Q'1", 0, 2);
    AddQuery("Queries", "Q2", 0, 3);
    AddQuery("Queries", "Q3", 0, 0);        // open request: its quotes are not pending
    AddQuery("Queries", "Q4", 1, 2);        // replied quote of the seller
    AddQuery("Queries", "Q5", 0, 2, 1);     // archived
    AddQuote("Quotes", "A1", "Q'1", 0);
    AddQuote("Quotes", "A2", "Q'1", 0);
    AddQuote("Quotes", "A3", "Q'1", 1);
    AddQuote("Quotes", "A4", "q2", 0);      // ids compare without case, like the column
    AddQuote("Quotes", "A5", "Q3", 0);
    AddQuote("Quotes", "A6", "Q4", 0);
    AddQuote("Quotes", "A7", "Q4", 2);
    AddQuote("Quotes", "A8", "Q5", 0);

    XQuerySet queries;
    QCOMPARE(NodeCounters::CountNodeRecords(queries, 20003, false), 4);
    QCOMPARE(NodeCounters::CountNodeRecords(queries, 20003, true), 3);
    QCOMPARE(NodeCounters::CountNodeRecords(queries, 20101, false), 2);
    QCOMPARE(NodeCounters::CountNodeRecords(queries, 20101, true), 1);
    // Plain pages count their queries.
    QCOMPARE(NodeCounters::CountNodeRecords(queries, 20002, false), 1);
    QCOMPARE(NodeCounters::CountNodeRecords(queries, 20002, true), 1);

    NodeCounters counters;
    QCOMPARE(counters.Count(20003).ToString(), QStringLiteral("20003 4/3 bold parts"));
    // 20101 has a total only.
    QCOMPARE(counters.Count(20101).ToString(), QStringLiteral("20101 2/0 bold parts"));
}

void TestNodeCounters::carQuoteTotals()
{
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    AddQuery("Queries_Cars", "C1", 0, 2);
    AddQuery("Queries_Cars", "C2", 1, 3);
    AddQuery("Queries_Cars", "C3", 1, 0);
    AddQuote("Quotes_Cars", "K1", "C1", 0);
    AddQuote("Quotes_Cars", "K2", "C1", 1);
    AddQuote("Quotes_Cars", "K3", "C2", 0);
    // A parts quote of the same id is not a car quote.
    AddQuote("Quotes", "K4", "C1", 0);

    NodeCounters counters;
    QCOMPARE(counters.Count(159).ToString(), QStringLiteral("159 2/1 bold cars"));
    QCOMPARE(counters.Count(162).ToString(), QStringLiteral("162 1/0 bold cars"));
    QCOMPARE(counters.Count(161).ToString(), QStringLiteral("161 1/1 bold cars"));
}

void TestNodeCounters::confirmedOrdersCountByUnreadUpdate()
{
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    const auto order = [](const QString &id, int incoming, int status, int unread) {
        theDatabase().Execute("INSERT INTO Orders (ID, IS_INCOMING, STATUS_CODE, IS_U_NEW) VALUES (?, ?, ?, ?)",
                              {id, incoming, status, unread});
    };
    order("O1", 0, 5, 1);
    order("O2", 0, 5, 0);
    order("O3", 1, 0, 1);
    order("O4", 1, 1, 0);
    XOrderSet orders;
    QCOMPARE(NodeCounters::CountNodeRecords(orders, 199, false), 2);
    QCOMPARE(NodeCounters::CountNodeRecords(orders, 199, true), 1);
    NodeCounters counters;
    QCOMPARE(counters.Count(199).ToString(), QStringLiteral("199 2/1 bold parts"));
    QCOMPARE(counters.Count(195).ToString(), QStringLiteral("195 2/1 bold parts"));
    QCOMPARE(counters.Count(198).ToString(), QStringLiteral("198 0/0 bold parts"));
}

void TestNodeCounters::catalogHasNoNewCount()
{
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    for (int i = 0; i < 3; ++i)
        theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER) VALUES (?)", {QStringLiteral("S%1").arg(i)});
    XInventorySet inventory;
    QCOMPARE(NodeCounters::CountNodeRecords(inventory, 20105, false), 3);
    QCOMPARE(NodeCounters::CountNodeRecords(inventory, 20105, true), 3);
    NodeCounters counters;
    QCOMPARE(counters.Count(20105).ToString(), QStringLiteral("20105 3/0 bold current"));
}

void TestNodeCounters::quoteTotalsAreOneStatementWhateverTheQueries()
{
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    const auto statementsFor = [](int queries) {
        theDatabase().Execute("DELETE FROM Queries");
        theDatabase().Execute("DELETE FROM Quotes");
        theDatabase().Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
                              "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE) "
                              "SELECT 'Q' || i, 0, 0, 2 FROM k",
                              {queries});
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, STATUS_CODE) SELECT 'A' || ID, ID, 0 FROM Queries");
        NodeCounters counters;
        counters.Count(20003);  // statements prepared once
        StatementCounter trace(theDatabase().Connection().Handle());
        const NodeCounter c = counters.Count(20003);
        if (c.total != queries || c.fresh != queries)
            return -1;
        return trace.count;
    };
    const int ten = statementsFor(10);
    QVERIFY(ten > 0);
    QCOMPARE(ten, 1);
    QCOMPARE(statementsFor(1000), ten);
}

void TestNodeCounters::countersOfEachMode()
{
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    AddQuery("Queries", "Q1", 1, 0);
    // The member's own deal, sent from either market.
    theDatabase().Execute(QStringLiteral("INSERT INTO HotDeals (ID, IS_INCOMING, STATUS_CODE) VALUES ('HD1', 0, 0)"));
    NodeCounters counters(nullptr, [](int mode) {
        return mode == 0 ? NodeCounters::Markets{12, 3, false} : NodeCounters::Markets{5, 1, true};
    });
    QStringList parts;
    for (const NodeCounter &c : counters.UpdatePartsCounters())
        parts << c.ToString();
    QCOMPARE(parts, (QStringList{
                        "20002 0/0 bold parts",   "20003 0/0 bold parts",  "32836 0/0 bold parts",
                        "32837 0/0 bold parts",   "20004 0/0 bold parts",  "20102 1/1 bold parts",
                        "20101 0/0 bold parts",   "104 0/0 bold parts",    "105 0/0 bold parts",
                        "20104 0/0 bold parts",   "137 0/0 bold parts",    "20105 0/0 bold current",
                        "118 0/0 bold current",   "130 0/0 bold parts",    "131 1/0 bold parts",
                        "195 0/0 bold parts",     "196 0/0 bold parts",    "198 0/0 bold parts",
                        "199 0/0 bold parts",     "124 12/3 current",
                    }));
    QStringList cars;
    for (const NodeCounter &c : counters.UpdateCarsCounters())
        cars << c.ToString();
    QCOMPARE(cars, (QStringList{"158 0/0 bold cars", "159 0/0 bold cars", "160 0/0 bold cars", "161 0/0 bold cars",
                                "162 0/0 bold cars", "163 0/0 bold cars", "155 0/0 bold current",
                                "118 0/0 bold current", "130 0/0 bold parts", "131 1/0 bold parts",
                                "168 5/1 bold current"}));
}

void TestNodeCounters::reloadByRole_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QList<int>>("nodes");
    QTest::newRow("parts seller") << 0 << "Seller" << QList<int>{20102, 20101, 104, 105, 20104, 137};
    QTest::newRow("cars seller") << 1 << "Seller" << QList<int>{161, 162, 163};
    QTest::newRow("cars buyer") << 1 << "Buyer"
                                << QList<int>{158, 159, 160, 161, 162, 163, 155, 118, 130, 131, 168};
    QTest::newRow("cars both") << 1 << "Both" << QList<int>{158, 159, 160, 161, 162, 163, 155, 118, 130, 131, 168};
    QTest::newRow("parts buyer first")
        << 0 << "Buyer"
        << QList<int>{20002, 20003, 32836, 32837, 20004, 20102, 20101, 104, 105, 20104,
                      137,   20105, 118,   130,   131,   195,   196,   198, 199, 124};
}

void TestNodeCounters::reloadByRole()
{
    QFETCH(int, mode);
    QFETCH(QString, role);
    QFETCH(QList<int>, nodes);
    TestApp t(WithDatabase());
    QVERIFY(theDatabase().init());
    NodeCounters counters(nullptr, [](int) { return NodeCounters::Markets{}; });
    QList<int> got;
    for (const NodeCounter &c : counters.ReloadNavigatorCounters(mode, role))
        got << c.node;
    QCOMPARE(got, nodes);
}

KORVANT_TEST_MAIN(TestNodeCounters)
#include "tst_nodecounters.moc"
