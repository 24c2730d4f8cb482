// One "poll" answer of N items of mixed kinds, from the request to the
// committed rows, beside the bare parse-and-insert of the same items.
//
//   poll [N...]   (default: 1000 10000)

#include "poll_env.h"

#include "db/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

// Queries 40 %, quotes 20 % (half for the answer's own queries), messages 20 %,
// hot deals 10 %, orders 10 %.
QByteArray Answer(int n, const QByteArray &prefix, int &items)
{
    QByteArray queries, quotes, messages, deals, orders;
    items = 0;
    for (int i = 0; i < n; ++i, ++items) {
        const QByteArray id = prefix + QByteArray::number(i);
        switch (i % 10) {
        case 0: case 1: case 2: case 3:
            queries += "<query><query_id>Q" + id + "</query_id><owner_id>B1</owner_id>"
                       "<create_time>2024-03-01 10:00:00</create_time><live_time>30</live_time>"
                       "<market_info><name>Sell Here</name></market_info><vehicle_info><make>Ford</make>"
                       "<model>Focus</model><year>2004</year></vehicle_info><part_info><name>Door</name>"
                       "<quantity>1</quantity><max_price>120</max_price></part_info></query>";
            break;
        case 4: case 5:
            quotes += "<quote><quote_id>T" + id + "</quote_id><query_id>Q" + prefix + QByteArray::number(i - 4) +
                      "</query_id><owner_id>S1</owner_id><create_time>2024-03-02 10:00:00</create_time>"
                      "<part_info><name>Door</name><price>99.5</price></part_info></quote>";
            break;
        case 6: case 7:
            messages += "<message><message_id>M" + id + "</message_id><context_type>query</context_type>"
                        "<context_id>Q" + prefix + QByteArray::number(i - 6) + "</context_id><owner_id>B1</owner_id>"
                        "<subject>s</subject><body>Is it still there?</body>"
                        "<create_time>2024-03-05 10:00:00</create_time></message>";
            break;
        case 8:
            deals += "<deal><deal_id>D" + id + "</deal_id><price>50</price><quantity>2</quantity></deal>";
            break;
        default:
            orders += "<order><order_id>O" + id + "</order_id></order>";
        }
    }
    return "<query_list>" + queries + "</query_list><quote_list>" + quotes + "</quote_list><message_list>" + messages +
           "</message_list><deal_list>" + deals + "</deal_list><order_list>" + orders + "</order_list>";
}

// The same items parsed and inserted by plain prepared statements (id and a
// few columns each), in one transaction, into a file of the same schema.
double BareRate(const QByteArray &body, int items, const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    SqlConnection c(path);
    for (const TableDef &t : Schema::Tables())
        c.ExecScript(t.CreateTableSql());
    const XmlDoc doc = XmlDoc::Parse(body);
    SqlTransaction tx(c);
    struct Kind { const char *list, *item, *idPath, *sql; };
    const Kind kinds[] = {
        {"query_list", "query", "query_id", "INSERT INTO Queries (ID, C_ID, P_NAME, STATUS_CODE) VALUES (?, ?, ?, 0)"},
        {"quote_list", "quote", "quote_id", "INSERT INTO Quotes (ID, C_ID, P_NAME, STATUS_CODE) VALUES (?, ?, ?, 0)"},
        {"message_list", "message", "message_id", "INSERT INTO Messages (ID, OWNER_ID, MESSAGE_SUBJ, STATUS_CODE) VALUES (?, ?, ?, 0)"},
        {"deal_list", "deal", "deal_id", "INSERT INTO HotDeals (ID, C_ID, TITLE, IS_INCOMING) VALUES (?, ?, ?, 1)"},
        {"order_list", "order", "order_id", "INSERT INTO Orders (ID, C_ID, C_NAME, IS_INCOMING) VALUES (?, ?, ?, 1)"},
    };
    for (const Kind &k : kinds) {
        SqlStatement &st = c.Prepare(QByteArray(k.sql));
        for (const XmlNode &n : doc.Root().Select(QLatin1String(k.list)).SelectAll(QLatin1String(k.item))) {
            st.Reset();
            st.Bind(1, n.ChildText(QLatin1String(k.idPath)));
            st.Bind(2, n.ChildText(QStringLiteral("owner_id")));
            st.Bind(3, n.ChildText(QStringLiteral("part_info/name")));
            st.Exec();
        }
    }
    tx.Commit();
    return items / (timer.nsecsElapsed() / 1e9);
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
        sizes = {1000, 10000};

    BenchEnv env;
    if (!env.ok)
        return 1;
    std::printf("%10s %14s %14s %8s\n", "items", "poll items/s", "bare items/s", "ratio");
    int round = 0;
    for (int n : sizes) {
        int items = 0;
        const QByteArray prefix = "r" + QByteArray::number(++round) + "-";
        const QByteArray body = Answer(n, prefix, items);
        env.server.Script(QStringLiteral("poll"), FakeServer::Answer{FakeServer::Response(0, body)});
        QElapsedTimer timer;
        timer.start();
        thePoller().Poll();
        const double seconds = timer.nsecsElapsed() / 1e9;
        const NewCounts c = thePoller().Counts();
        int stored = 0;
        for (int v : c.value)
            stored += v;
        const double bare = BareRate(FakeServer::Response(0, body), items,
                                     theApp().GetDataFolder() + "bare" + QString::number(round) + ".db");
        const double rate = items / seconds;
        std::printf("%10d %14.0f %14.0f %8.2f%s\n", items, rate, bare, bare / rate,
                    stored == items ? "" : "  (some items not stored!)");
    }
    return 0;
}
