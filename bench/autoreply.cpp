// The auto-reply over 100 incoming queries against an inventory of N parts,
// rated by a script that restricts by make and part name and reads fields.
//
//   autoreply [N...]   (default: 10000 100000)

#include "poll_env.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

const char *const Script = R"JS(
MyObject.addContextRestriction("V_MAKE", MyObject.getQueryField("V_MAKE"));
MyObject.addContextRestriction("P_NAME", MyObject.getQueryField("P_NAME"));
MyObject.getInventoryList();
if (MyObject.ContextArray !== undefined) {
    var ids = new VBArray(MyObject.ContextArray).toArray();
    var max = Number(MyObject.getQueryField("P_MAX_PRICE"));
    var year = MyObject.getQueryField("V_YEAR");
    for (var i = 0; i < ids.length; i++) {
        var rating = 60;
        if (Number(MyObject.getInventoryField(ids[i], "P_PRICE")) <= max) rating += 20;
        if (MyObject.getInventoryField(ids[i], "V_YEAR") == year) rating += 15;
        MyObject.addContextInventory(ids[i], rating);
    }
}
)JS";

const char *const Makes[] = {"Ford", "Opel", "Volvo", "Saab", "Fiat", "Audi", "Seat", "Mazda", "Honda", "Kia"};

void FillInventory(int n)
{
    SqlConnection &c = theDatabase().Connection();
    c.Exec(QStringLiteral("DELETE FROM Inventory"));
    SqlTransaction tx(c);
    SqlStatement &st = c.Prepare(QByteArray(
        "INSERT INTO Inventory (P_STOCK_NUMBER, V_MAKE, P_NAME, V_YEAR, P_PRICE, P_QUANTITY) VALUES (?, ?, ?, ?, ?, 1)"));
    for (int i = 0; i < n; ++i) {
        st.Reset();
        st.Bind(1, QStringLiteral("S%1").arg(i));
        st.Bind(2, QString::fromLatin1(Makes[i % 10]));
        st.Bind(3, QStringLiteral("Part %1").arg((i / 10) % 100));
        st.Bind(4, QString::number(1995 + i % 20));
        st.Bind(5, double(20 + i % 200));
        st.Exec();
    }
    tx.Commit();
}

void AddQueries(int round)
{
    SqlConnection &c = theDatabase().Connection();
    SqlTransaction tx(c);
    for (int i = 0; i < 100; ++i)
        c.Exec(QStringLiteral("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, AUTOREPL_CHECKED, "
                              "MARKET_NAME, POST_DATE, V_MAKE, P_NAME, V_YEAR, P_MAX_PRICE) "
                              "VALUES (?, 1, 0, 'New', 0, 0, 'Sell Here', '2024-03-01 10:00:00', ?, ?, ?, 120)"),
               {QStringLiteral("R%1-%2").arg(round).arg(i), QString::fromLatin1(Makes[i % 10]),
                QStringLiteral("Part %1").arg(i % 100), QString::number(1995 + i % 20)});
    tx.Commit();
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv::PrepareProcess();
    QCoreApplication qapp(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << qMax(1, atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {10000, 100000};

    BenchEnv env;
    if (!env.ok)
        return 1;
    BenchEnv::Write(QStringLiteral("meta.xml"), "<kv_response><meta_info version=\"1\"><script><![CDATA[" +
                                                    QByteArray(Script) + "]]></script></meta_info></kv_response>");
    BenchEnv::Write(QStringLiteral("mplaces.xml"),
                    "<market_place_list version=\"1\"><market_place as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\">"
                    "<market_id>M1</market_id><name>Sell Here</name><type>parts</type></market_place>"
                    "</market_place_list>");
    theMarketPlaces().init();
    theSettings().SetInt(Setting::AutoReply, 1);
    theSettings().SetInt(Setting::MaxRepliesOnQuery, 2);

    std::printf("%10s %10s %10s %12s %10s\n", "inventory", "queries", "quotes", "queries/s", "seconds");
    int round = 0;
    for (int n : sizes) {
        FillInventory(n);
        AddQueries(++round);
        for (int q = 0; q < 200; ++q)
            env.server.Enqueue(QStringLiteral("newQuote"),
                               FakeServer::Answer{FakeServer::Response(
                                   0, "<quote_id>A" + QByteArray::number(round) + "x" + QByteArray::number(q) +
                                          "</quote_id>")});
        QElapsedTimer timer;
        timer.start();
        thePoller().StartAutoReply();
        thePoller().WaitForAutoReply(-1);
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("%10d %10d %10d %12.1f %10.3f\n", n, 100, thePoller().GetAutoReplied(), 100 / seconds, seconds);
    }
    std::printf("goal: the 100 queries over 100,000 parts in under 1 s\n");
    return 0;
}
