// The auto-reply over 100 incoming queries against an inventory of N parts,
// rated by a script that restricts by make and part name and reads fields;
// beside it, in the same run, the bare selections the script asks for through
// the SQLite C API: each query's restricted ids, then the rating fields of
// every id, one prepared look-up each.
//
//   autoreply [N...]   (default: 10000 100000)

#include "poll_env.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sqlite3.h>
#include <sys/resource.h>

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

// Processor time of the whole process (the server's threads included).
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The same selections bare: for each query its ids by make and part name,
// then the fields the rating reads of every id.
double BareSelections()
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(theDatabase().DatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt *ids = nullptr, *fields = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID FROM Inventory WHERE V_MAKE = ? AND P_NAME = ?", -1, &ids, nullptr);
    sqlite3_prepare_v2(db,
                       "SELECT V_MAKE, V_MODEL, P_CATEGORY, P_TYPE, P_NAME, V_YEAR, V_END_YEAR, P_COLOR, P_NOTES, "
                       "V_TRANSMISSION, V_AXLE, V_BODY_STYLE, V_ENGINE, V_ENGINE_SIZE, V_ENGINE_SIZE_UNIT, V_DELIVERY, "
                       "V_FUEL, V_ASPIRATION, P_SIDE, WHEEL_WIDTH, WHEEL_HEIGHT, P_BRAND, P_PRICE, P_HANDLING, "
                       "P_WEIGHT, P_QUANTITY FROM Inventory WHERE ID = ?",
                       -1, &fields, nullptr);
    long long read = 0;
    for (int i = 0; i < 100; ++i) {
        const QByteArray make = Makes[i % 10];
        const QByteArray name = QByteArray("Part ") + QByteArray::number(i % 100);
        sqlite3_bind_text(ids, 1, make.constData(), int(make.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(ids, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(ids) == SQLITE_ROW) {
            sqlite3_bind_int64(fields, 1, sqlite3_column_int64(ids, 0));
            if (sqlite3_step(fields) == SQLITE_ROW) {
                for (int c = 0; c < 26; ++c)
                    sqlite3_column_text(fields, c);
                ++read;
            }
            sqlite3_reset(fields);
        }
        sqlite3_reset(ids);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_finalize(ids);
    sqlite3_finalize(fields);
    sqlite3_close(db);
    if (read == 0)
        std::printf("warning: the bare selections read nothing\n");
    return seconds;
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

    std::printf("%10s %10s %10s %12s %10s %10s %10s\n", "inventory", "queries", "quotes", "queries/s", "seconds",
                "cpu s", "bare s");
    int round = 0;
    QList<double> seconds, bare, cpu;
    for (int n : sizes) {
        FillInventory(n);
        AddQueries(++round);
        for (int q = 0; q < 200; ++q)
            env.server.Enqueue(QStringLiteral("newQuote"),
                               FakeServer::Answer{FakeServer::Response(
                                   0, "<quote_id>A" + QByteArray::number(round) + "x" + QByteArray::number(q) +
                                          "</quote_id>")});
        BareSelections();  // warms the cache
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = CpuSeconds();
        thePoller().StartAutoReply();
        thePoller().WaitForAutoReply(-1);
        seconds << timer.nsecsElapsed() / 1e9;
        cpu << CpuSeconds() - cpuBefore;
        bare << BareSelections();
        std::printf("%10d %10d %10d %12.1f %10.3f %10.3f %10.3f\n", n, 100, thePoller().GetAutoReplied(),
                    100 / seconds.last(), seconds.last(), cpu.last(), bare.last());
    }
    for (int i = 0; i < sizes.size(); ++i) {
        if (sizes[i] != 100000)
            continue;
        std::printf("auto-reply / bare selections over %d parts: %.1f\n", sizes[i], seconds[i] / bare[i]);
        std::printf("goal auto-reply of 100 queries over %d parts: %.3f s (target 0.5 s): %s\n", sizes[i],
                    seconds[i], seconds[i] < 0.5 ? "met" : "missed");
    }
    return 0;
}
