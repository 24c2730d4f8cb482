// Rating of the inventory by the metadata's scripts: what "MyObject" gives a
// script, the selection of the best, the rank table, and hostile input.

#include "SyncFixture.h"
#include "TestEnv.h"

#include "db/Schema.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "sync/CRateSystem.h"

#include <thread>

class TestRating : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void selectBest_data();
    void selectBest();
    void selectionFilterBindsIds();
    void restrictionText();
    void scriptUsesEveryMember();
    void carsMembers();
    void injectionGetsNothing();
    void rankTable();
    void scriptErrorKeepsEarlierRatings();
    void startFailsCleanly();
    void interruptStopsRunningScript();

private:
    std::unique_ptr<SyncFixture> f;
};

namespace {

qint64 AddPart(const QString &make, const QString &name, const QString &side = QStringLiteral("Left"))
{
    XInventorySet inv;
    inv.AddNew();
    inv.SetText("V_MAKE", make);
    inv.SetText("P_NAME", name);
    inv.SetText("P_SIDE", side);
    inv.SetDouble("P_PRICE", 12.5);
    inv.SetInt("P_QUANTITY", 3);
    inv.Update();
    return inv.GetLastInsertId();
}

qint64 AddCar(const QString &make, const QString &model)
{
    XInventoryCarsSet inv;
    inv.AddNew();
    inv.SetText("MAKE", make);
    inv.SetText("MODEL", model);
    inv.Update();
    return inv.GetLastInsertId();
}

// A query the set stands on.
void MakeQuery(XQuerySet &q, const QString &make, const QString &name)
{
    q.AddNew();
    q.SetText("ID", "Q-" + make);
    q.SetText("V_MAKE", make);
    q.SetText("P_NAME", name);
    q.SetDouble("P_MAX_PRICE", 150);
    q.SetInt("P_QUANTITY", 2);
    q.Update();
    QVERIFY(q.Select(SqlExpr("ID = ?", {"Q-" + make})));
    QVERIFY(!q.IsEOF());
}

QList<CParamCmd::Rating> Ratings(CRateSystem &rs)
{
    return rs.Params().Ratings();
}

} // namespace

void TestRating::init()
{
    f = std::make_unique<SyncFixture>();
}

void TestRating::cleanup()
{
    f.reset();
}

void TestRating::selectBest_data()
{
    QTest::addColumn<QList<int>>("ratings");  // ids "1".. in this order
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("most");
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("three above 65") << QList<int>{90, 70, 70, 40} << 65 << 5 << QStringList{"1", "2", "3"};
    QTest::newRow("at most one") << QList<int>{90, 70, 70, 40} << 65 << 1 << QStringList{"1"};
    QTest::newRow("ties in the order given") << QList<int>{70, 90, 70, 70} << 65 << 3 << QStringList{"2", "1", "3"};
    QTest::newRow("threshold itself is kept") << QList<int>{65, 64} << 65 << 5 << QStringList{"1"};
    QTest::newRow("none wanted") << QList<int>{90} << 65 << 0 << QStringList{};
    QTest::newRow("nothing rated") << QList<int>{} << 35 << 5 << QStringList{};
}

void TestRating::selectBest()
{
    QFETCH(QList<int>, ratings);
    QFETCH(int, threshold);
    QFETCH(int, most);
    QFETCH(QStringList, selected);
    CRateSystem rs;
    for (int i = 0; i < ratings.size(); ++i)
        rs.Params().addContextInventory(QString::number(i + 1), ratings[i]);
    rs.SelectBest(threshold, most);
    QCOMPARE(rs.SelectedIds(), selected);
    QCOMPARE(rs.GetSelectionFilter().isEmpty(), selected.isEmpty());
}

void TestRating::selectionFilterBindsIds()
{
    CRateSystem rs;
    rs.Params().addContextInventory("7", 80);
    rs.Params().addContextInventory("7", 90);  // the second rating counts
    rs.Params().addContextInventory("3) OR (1=1", 99);
    rs.Params().addContextInventory("12", 70);
    QCOMPARE(Ratings(rs).size(), 3);
    QCOMPARE(Ratings(rs).first().second, 90);
    rs.SelectBest(65, 5);
    const SqlExpr all = rs.GetSelectionFilter();
    QCOMPARE(all.text, QStringLiteral("ID IN (?, ?)"));  // an id that is no number names no record
    QCOMPARE(all.args, (QVariantList{qint64(7), qint64(12)}));
    QCOMPARE(rs.GetSelectionFilter(true).args, (QVariantList{qint64(7)}));
}

void TestRating::restrictionText()
{
    CParamCmd p;
    QVERIFY(p.BuildRestrictionSql(Schema::Require("Inventory"))->isEmpty());
    p.addContextRestriction("P_SIDE", "Left");
    p.addContextRestriction("P_NAME", "Driver's door");
    p.addContextRestriction("P_SIDE", "Right");
    const std::optional<SqlExpr> sql = p.BuildRestrictionSql(Schema::Require("Inventory"));
    QVERIFY(sql);
    QCOMPARE(sql->text, QStringLiteral("(\"P_SIDE\"=? OR \"P_SIDE\"=?) AND \"P_NAME\"=?"));
    QCOMPARE(sql->args, (QVariantList{"Left", "Right", "Driver's door"}));
    p.delContextRestriction("P_SIDE");
    QCOMPARE(p.BuildRestrictionSql(Schema::Require("Inventory"))->text, QStringLiteral("\"P_NAME\"=?"));
    p.addContextRestriction("P_NAME=P_NAME OR 1", "x");
    QVERIFY(!p.BuildRestrictionSql(Schema::Require("Inventory")));
}

void TestRating::scriptUsesEveryMember()
{
    const qint64 a = AddPart("Ford", "Door");
    const qint64 b = AddPart("Ford", "Hood");
    AddPart("Opel", "Door");
    WriteScript(R"JS(
var keys = [];
for (var k in MyObject) keys.push(k);
MyObject.ShowMessage("members " + keys.sort().join(","));
MyObject.getInventoryValues("V_MAKE");
var makes = new VBArray(MyObject.ContextArray).toArray();
MyObject.addContextRestriction("V_MAKE", MyObject.getQueryField("V_MAKE"));
MyObject.getInventoryList();
var ids = new VBArray(MyObject.ContextArray).toArray();
for (var i = 0; i < ids.length; i++) {
    var same = MyObject.getInventoryField(ids[i], "P_NAME") == MyObject.getQueryField("P_NAME");
    MyObject.addContextInventory(ids[i], same ? 90 : 50);
}
MyObject.delContextRestriction("V_MAKE");
MyObject.addContextRestriction("V_MAKE", "Nobody");
MyObject.getInventoryList();
MyObject.ShowMessage("makes " + makes.length + ", price " + MyObject.getQueryField("P_MAX_PRICE") +
    ", quantity " + MyObject.getQueryField("P_QUANTITY") + ", unknown [" + MyObject.getQueryField("NOPE") +
    "], list after no match " + typeof MyObject.ContextArray +
    ", part price " + MyObject.getInventoryField(ids[0], "P_PRICE") + ", no record [" +
    MyObject.getInventoryField("999999", "P_NAME") + "]");
)JS");
    XQuerySet q;
    MakeQuery(q, "Ford", "Door");
    CRateSystem rs;
    QVERIFY(rs.Start(CRateSystem::Parts));
    QVERIFY(rs.RateQuery(q));
    QCOMPARE(Ratings(rs), (QList<CParamCmd::Rating>{{QString::number(a), 90}, {QString::number(b), 50}}));
    const QStringList calls = f->t.dialogs.log.Calls();
    QVERIFY2(calls.contains("MessageBox|members ContextArray,ShowMessage,addContextInventory,addContextRestriction,"
                            "delContextRestriction,getCarsInventoryField,getCarsInventoryList,"
                            "getCarsInventoryValues,getInventoryField,getInventoryList,getInventoryValues,"
                            "getQueryField||0"),
             qPrintable(calls.join('\n')));
    QVERIFY2(calls.contains("MessageBox|makes 2, price 150, quantity 2, unknown [], list after no match undefined, "
                            "part price 12.5, no record []||0"),
             qPrintable(calls.join('\n')));
    // A second query on the same engine starts from empty ratings and restrictions.
    XQuerySet q2;
    MakeQuery(q2, "Opel", "Door");
    QVERIFY(rs.RateQuery(q2));
    QCOMPARE(Ratings(rs).size(), 1);
    QCOMPARE(Ratings(rs).first().second, 90);
}

void TestRating::carsMembers()
{
    const qint64 a = AddCar("Volvo", "V70");
    AddCar("Saab", "900");
    WriteScript(R"JS(
MyObject.getCarsInventoryValues("MAKE");
var makes = new VBArray(MyObject.ContextArray).toArray().sort();
MyObject.addContextRestriction("MAKE", MyObject.getQueryField("MAKE"));
MyObject.getCarsInventoryList();
var ids = new VBArray(MyObject.ContextArray).toArray();
MyObject.addContextInventory(ids[0], MyObject.getCarsInventoryField(ids[0], "MODEL") == MyObject.getQueryField("MODEL") ? 80 : 10);
MyObject.ShowMessage(makes.join("+") + " " + ids.length);
)JS",
                true);
    XQueryCarsSet q;
    q.AddNew();
    q.SetText("ID", "CQ1");
    q.SetText("MAKE", "Volvo");
    q.SetText("MODEL", "V70");
    q.Update();
    QVERIFY(q.Select(SqlExpr("ID = ?", {"CQ1"})));
    CRateSystem rs;
    QVERIFY(rs.RateQueryCars(q));
    QCOMPARE(Ratings(rs), (QList<CParamCmd::Rating>{{QString::number(a), 80}}));
    QCOMPARE(f->t.dialogs.log.Count("MessageBox|Saab+Volvo 1|"), 1);
    QVERIFY(!rs.IsStarted());
}

void TestRating::injectionGetsNothing()
{
    AddPart("Ford", "Door");
    AddPart("Opel", "Hood");
    WriteScript(R"JS(
var out = [];
MyObject.addContextRestriction("V_MAKE", "x' OR '1'='1");
MyObject.getInventoryList();
out.push(typeof MyObject.ContextArray);
MyObject.delContextRestriction("V_MAKE");
MyObject.addContextRestriction("V_MAKE = V_MAKE OR 1=1 --", "x");
MyObject.getInventoryList();
out.push(typeof MyObject.ContextArray);
MyObject.delContextRestriction("V_MAKE = V_MAKE OR 1=1 --");
MyObject.getInventoryValues("V_MAKE FROM Inventory; DROP TABLE Inventory; --");
out.push(new VBArray(MyObject.ContextArray).toArray().length);
out.push("[" + MyObject.getInventoryField("1 OR 1=1", "P_NAME") + "]");
MyObject.ShowMessage(out.join(","));
)JS");
    XQuerySet q;
    MakeQuery(q, "Ford", "Door");
    CRateSystem rs;
    QVERIFY(rs.RateQueryParts(q));
    QCOMPARE(f->t.dialogs.log.Count("MessageBox|undefined,undefined,0,[]|"), 1);
    QCOMPARE(f->Count("SELECT COUNT(*) FROM Inventory"), 2);
}

void TestRating::rankTable()
{
    {
        SqlConnection &c = theDatabase().Connection();
        SqlTransaction tx(c);
        for (int i = 1; i <= 10000; ++i)
            c.Exec("INSERT INTO Inventory (ID, P_NAME) VALUES (?, 'p')", {i});
        tx.Commit();
    }
    CRateSystem rs;
    // Twenty rated ids 101..120, ratings 50 + (i % 7): ties among them.
    QList<QPair<int, int>> rated;
    for (int i = 0; i < 20; ++i) {
        rated.append({101 + i, 50 + i % 7});
        rs.Params().addContextInventory(QString::number(101 + i), 50 + i % 7);
    }
    rs.Params().addContextInventory("20000", 99);  // no such row
    QCOMPARE(rs.BuildRankTable(false), 10001);
    const std::vector<int> &rank = rs.RankTable();
    QVERIFY(rank.size() > 4096);
    QCOMPARE(rank[0], -1);  // the best rated id has no row
    std::stable_sort(rated.begin(), rated.end(), [](auto a, auto b) { return a.second > b.second; });
    for (int k = 0; k < 20; ++k)
        QCOMPARE(rank[size_t(k + 1)], 10000 - rated[k].first);  // row of id x in "ID DESC" order
    // Then the unrated rows by descending id: 10000, 9999, ...
    QCOMPARE(rank[21], 0);
    QCOMPARE(rank[22], 1);
    QCOMPARE(rank.back(), 9999);
}

void TestRating::scriptErrorKeepsEarlierRatings()
{
    WriteScript("MyObject.addContextInventory('5', 70);\nnoSuchFunction();\nMyObject.addContextInventory('6', 80);\n");
    XQuerySet q;
    MakeQuery(q, "Ford", "Door");
    CRateSystem rs;
    QVERIFY(rs.Start(CRateSystem::Parts));
    QVERIFY(!rs.RateQuery(q));
    QCOMPARE(Ratings(rs), (QList<CParamCmd::Rating>{{"5", 70}}));
    QVERIFY2(f->t.dialogs.log.Count("MessageBox|IActiveScriptSite::OnScriptError()\nLine: noSuchFunction();|") == 1, qPrintable(f->t.dialogs.log.Calls().join("~")));
}

void TestRating::startFailsCleanly()
{
    CRateSystem rs;
    QVERIFY(!rs.Start(CRateSystem::Parts));  // no metadata cache at all
    WriteScript("function broken( {");
    QVERIFY(!rs.Start(CRateSystem::Parts));
    QVERIFY(!rs.IsStarted());
    XQuerySet q;
    MakeQuery(q, "Ford", "Door");
    QVERIFY(!rs.RateQuery(q));
    WriteFile(theApp().GetDataFolder() + "meta.xml", "<kv_response><meta_info><scr");
    QVERIFY(!rs.Start(CRateSystem::Parts));
}

void TestRating::interruptStopsRunningScript()
{
    WriteScript("MyObject.addContextInventory('1', 70);\nwhile (true) {}\n");
    XQuerySet q;
    MakeQuery(q, "Ford", "Door");
    CRateSystem rs;
    QVERIFY(rs.Start(CRateSystem::Parts));
    std::thread stopper([&] {
        QThread::msleep(100);
        rs.Interrupt();
    });
    QVERIFY(!rs.RateQuery(q));
    stopper.join();
    QVERIFY(rs.IsInterrupted());
    QCOMPARE(f->t.dialogs.log.Count("MessageBox"), 0);  // an interruption is no script error
    QVERIFY(!rs.RateQuery(q));  // later runs end at once
}

KORVANT_TEST_MAIN(TestRating)
#include "tst_rating.moc"
