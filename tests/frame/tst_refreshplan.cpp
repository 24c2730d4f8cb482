#include "TestEnv.h"

#include "dialogs/PaneInterfaces.h"
#include "frame/RefreshPlanner.h"

#include <QTest>

namespace {

// "Queries=2 AutoReplied=1" -> counts.
NewCounts Counts(const QString &text)
{
    static const QStringList names{"Queries", "CarQueries", "Quotes", "CarQuotes", "AutoReplied",
                                   "Messages", "CarMessages", "HotDeals", "Orders", "OrderUpdates"};
    NewCounts c;
    for (const QString &pair : text.split(' ', Qt::SkipEmptyParts)) {
        const QStringList kv = pair.split('=');
        const int index = names.indexOf(kv[0]);
        Q_ASSERT(index >= 0);
        c.value[size_t(index)] = kv[1].toInt();
    }
    return c;
}

AlertSettings AllOff()
{
    AlertSettings s;
    s.queries = s.quotes = s.messages = s.deals = s.orders = false;
    return s;
}

AlertSettings AllOn()
{
    AlertSettings s;
    s.queries = s.quotes = s.messages = s.deals = s.orders = true;
    return s;
}

} // namespace

class TestRefreshPlan : public QObject
{
    Q_OBJECT
private slots:
    void afterPoll_data();
    void afterPoll();
    void alertFollowsTheKindsSettings_data();
    void alertFollowsTheKindsSettings();
    void sellerReplies_data();
    void sellerReplies();
    void sentAndCatalog();
    void pollNotify_data();
    void pollNotify();
};

void TestRefreshPlan::afterPoll_data()
{
    QTest::addColumn<QString>("counts");
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("activeList");
    QTest::addColumn<QStringList>("actions");

    QTest::newRow("nothing new") << "" << 20102 << 1 << QStringList{};
    QTest::newRow("only car queries while parts shown")
        << "CarQueries=3" << 20102 << int(ListPartQueries) << QStringList{"FilterBar 1", "Count 161"};
    QTest::newRow("car queries on 161") << "CarQueries=1" << 161 << int(ListCarQueries)
                                        << QStringList{"FilterBar 1", "Reload 161", "Count 137"};
    QTest::newRow("queries on incoming leads")
        << "Queries=2" << 20102 << 1 << QStringList{"Reload 20102", "Count 137", "FilterBar 0"};
    QTest::newRow("queries on replied, none replied")
        << "Queries=2" << 20101 << 1 << QStringList{"Count 20102", "Count 137", "FilterBar 0"};
    QTest::newRow("queries on replied, some replied")
        << "Queries=2 AutoReplied=1" << 20101 << 1 << QStringList{"Reload 20101", "Count 137", "FilterBar 0"};
    QTest::newRow("queries on my site queries") << "Queries=1" << 137 << 1 << QStringList{"Reload 137", "FilterBar 0"};
    QTest::newRow("queries elsewhere, some replied")
        << "Queries=1 AutoReplied=2" << 185 << 0
        << QStringList{"Count 20102", "Count 137", "Count 20101", "FilterBar 0"};
    QTest::newRow("quotes on open requests")
        << "Quotes=4" << 20002 << 1 << QStringList{"Reload 20002", "Count 20003"};
    QTest::newRow("quotes on pending quotes")
        << "Quotes=4" << 20003 << 1 << QStringList{"Reload 20003", "Count 20002"};
    QTest::newRow("quotes elsewhere") << "Quotes=4" << 118 << 6 << QStringList{"Count 20002", "Count 20003"};
    QTest::newRow("car quotes on 159") << "CarQuotes=1" << 159 << 2 << QStringList{"Reload 159", "Count 158"};
    QTest::newRow("car quotes elsewhere") << "CarQuotes=1" << 20002 << 1 << QStringList{"Count 158", "Count 159"};
    QTest::newRow("messages on 118") << "Messages=1" << 118 << 6 << QStringList{"Reload 118", "Count 118"};
    QTest::newRow("messages with the part query list shown")
        << "Messages=1" << 20002 << int(ListPartQueries) << QStringList{"Count 118", "ReloadPartQueries"};
    QTest::newRow("car messages with the hot deals shown")
        << "CarMessages=1" << 130 << int(ListHotDeals) << QStringList{"Count 118"};
    QTest::newRow("hot deals on 130") << "HotDeals=2" << 130 << 7 << QStringList{"Reload 130"};
    QTest::newRow("hot deals elsewhere") << "HotDeals=2" << 185 << 0 << QStringList{"Count 130", "Count 131"};
    QTest::newRow("orders and updates on 195")
        << "Orders=1 OrderUpdates=1" << 195 << 8 << QStringList{"Reload 195", "Count 199"};
    QTest::newRow("order updates on 199") << "OrderUpdates=1" << 199 << 8 << QStringList{"Reload 199"};
    QTest::newRow("everything, in order")
        << "Queries=1 CarQueries=1 Quotes=1 CarQuotes=1 Messages=1 HotDeals=1 Orders=1 OrderUpdates=1" << 185 << 0
        << QStringList{"Count 20102", "Count 137", "FilterBar 0", "FilterBar 1", "Count 161",
                       "Count 20002", "Count 20003", "Count 158", "Count 159", "Count 118",
                       "Count 130",   "Count 131", "Count 195",   "Count 199"};
}

void TestRefreshPlan::afterPoll()
{
    QFETCH(QString, counts);
    QFETCH(int, node);
    QFETCH(int, activeList);
    QFETCH(QStringList, actions);
    const RefreshPlan plan = RefreshPlanner::AfterPoll(Counts(counts), {node, activeList}, AllOn());
    QCOMPARE(plan.ToStrings(), actions);
    QCOMPARE(plan.alert, !actions.isEmpty());
}

void TestRefreshPlan::alertFollowsTheKindsSettings_data()
{
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("onlySetting");
    QTest::addColumn<bool>("alert");

    QTest::newRow("all off, everything new")
        << "Queries=1 CarQueries=1 Quotes=1 CarQuotes=1 Messages=1 HotDeals=1 Orders=1 OrderUpdates=1" << ""
        << false;
    QTest::newRow("car queries, queries on") << "CarQueries=1" << "queries" << true;
    QTest::newRow("car queries, quotes on") << "CarQueries=1" << "quotes" << false;
    QTest::newRow("car quotes, quotes on") << "CarQuotes=1" << "quotes" << true;
    QTest::newRow("car messages, messages on") << "CarMessages=1" << "messages" << true;
    QTest::newRow("deals, deals on") << "HotDeals=1" << "deals" << true;
    QTest::newRow("deals, orders on") << "HotDeals=1" << "orders" << false;
    QTest::newRow("order updates, orders on") << "OrderUpdates=1" << "orders" << true;
}

void TestRefreshPlan::alertFollowsTheKindsSettings()
{
    QFETCH(QString, counts);
    QFETCH(QString, onlySetting);
    QFETCH(bool, alert);
    AlertSettings s = AllOff();
    s.queries = onlySetting == "queries";
    s.quotes = onlySetting == "quotes";
    s.messages = onlySetting == "messages";
    s.deals = onlySetting == "deals";
    s.orders = onlySetting == "orders";
    const RefreshPlan plan = RefreshPlanner::AfterPoll(Counts(counts), {185, 0}, s);
    QCOMPARE(plan.alert, alert);
    // The counters follow the news whatever the member wants to hear of.
    QVERIFY(!plan.actions.isEmpty());
    QCOMPARE(plan.ToStrings(), RefreshPlanner::AfterPoll(Counts(counts), {185, 0}, AllOn()).ToStrings());
}

void TestRefreshPlan::sellerReplies_data()
{
    QTest::addColumn<bool>("cars");
    QTest::addColumn<int>("node");
    QTest::addColumn<QStringList>("actions");
    QTest::newRow("parts on 20101") << false << 20101 << QStringList{"Reload 20101", "Count 20102", "Count 137"};
    QTest::newRow("parts on 20102") << false << 20102 << QStringList{"Reload 20102", "Count 20101", "Count 137"};
    QTest::newRow("parts on 137") << false << 137 << QStringList{"Reload 137", "Count 20101", "Count 20102"};
    QTest::newRow("parts elsewhere") << false << 185 << QStringList{"Count 20102", "Count 20101", "Count 137"};
    QTest::newRow("cars on 161") << true << 161 << QStringList{"Reload 161", "Count 162"};
    QTest::newRow("cars on 162") << true << 162 << QStringList{"Reload 162", "Count 161"};
    QTest::newRow("cars elsewhere") << true << 188 << QStringList{"Count 161", "Count 162"};
}

void TestRefreshPlan::sellerReplies()
{
    QFETCH(bool, cars);
    QFETCH(int, node);
    QFETCH(QStringList, actions);
    const RefreshPlan plan = cars ? RefreshPlanner::AfterSellerCarReply(node) : RefreshPlanner::AfterSellerReply(node);
    QCOMPARE(plan.ToStrings(), actions);
    QVERIFY(!plan.alert);
}

void TestRefreshPlan::sentAndCatalog()
{
    QCOMPARE(RefreshPlanner::AfterCatalogChange(20105).ToStrings(), QStringList{"Reload 20105"});
    QCOMPARE(RefreshPlanner::AfterCatalogChange(185).ToStrings(), QStringList{"Count 20105"});
    QCOMPARE(RefreshPlanner::AfterSent(20002, 20002, true).ToStrings(), QStringList{"Reload 20002"});
    QCOMPARE(RefreshPlanner::AfterSent(158, 185, true).ToStrings(), QStringList{"Select 158"});
    QCOMPARE(RefreshPlanner::AfterSent(131, 185, false).ToStrings(), QStringList{"Count 131"});
}

void TestRefreshPlan::pollNotify_data()
{
    QTest::addColumn<QString>("counts");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("node");
    QTest::addColumn<QString>("settingOff");
    QTest::addColumn<int>("switchTo");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("reloadOnly");

    QTest::newRow("queries in parts") << "Queries=1 CarQueries=1" << 0 << 185 << "" << -1 << 20102 << false;
    QTest::newRow("only car queries in parts") << "CarQueries=1" << 0 << 185 << "" << 1 << 161 << false;
    QTest::newRow("car queries in cars, shown") << "CarQueries=1" << 1 << 161 << "" << -1 << 161 << true;
    QTest::newRow("only queries in cars") << "Queries=2" << 1 << 161 << "" << 0 << 20102 << false;
    QTest::newRow("queries off: quotes") << "Queries=1 Quotes=1" << 0 << 185 << "queries" << -1 << 20003 << false;
    QTest::newRow("only car quotes in parts") << "CarQuotes=1" << 0 << 185 << "" << 1 << 159 << false;
    QTest::newRow("only car messages in parts") << "CarMessages=1" << 0 << 118 << "" << 1 << 118 << false;
    QTest::newRow("only messages in cars") << "Messages=1" << 1 << 118 << "" << 0 << 118 << false;
    QTest::newRow("both messages, 118 shown") << "Messages=1 CarMessages=1" << 1 << 118 << "" << -1 << 118 << true;
    QTest::newRow("deals, deals off") << "HotDeals=1" << 0 << 185 << "deals" << -1 << -1 << false;
    QTest::newRow("deals") << "HotDeals=1" << 0 << 185 << "" << -1 << 130 << false;
    QTest::newRow("orders") << "Orders=1 OrderUpdates=1" << 0 << 195 << "" << -1 << 195 << true;
    QTest::newRow("order updates, orders off") << "OrderUpdates=1" << 0 << 185 << "orders" << -1 << 199 << false;
    QTest::newRow("deals in cars") << "HotDeals=1" << 1 << 188 << "" << 0 << 130 << false;
    QTest::newRow("orders in cars") << "Orders=1" << 1 << 188 << "" << 0 << 195 << false;
    QTest::newRow("order updates in cars") << "OrderUpdates=1" << 1 << 161 << "" << 0 << 199 << false;
    QTest::newRow("nothing") << "" << 0 << 185 << "" << -1 << -1 << false;
}

void TestRefreshPlan::pollNotify()
{
    QFETCH(QString, counts);
    QFETCH(int, mode);
    QFETCH(int, node);
    QFETCH(QString, settingOff);
    QFETCH(int, switchTo);
    QFETCH(int, page);
    QFETCH(bool, reloadOnly);
    AlertSettings s = AllOn();
    if (settingOff == "queries")
        s.queries = false;
    if (settingOff == "deals")
        s.deals = false;
    if (settingOff == "orders")
        s.orders = false;
    const auto plan = RefreshPlanner::AfterPollNotify(Counts(counts), mode, node, s);
    QCOMPARE(plan.switchToMode, switchTo);
    QCOMPARE(plan.node, page);
    QCOMPARE(plan.reloadOnly, reloadOnly);
}

KORVANT_TEST_MAIN(TestRefreshPlan)
#include "tst_refreshplan.moc"
