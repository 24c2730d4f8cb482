// bench/counters [N] [M]: N part queries with M quotes and as many car queries
// with car quotes (default 10,000 and 50,000), plus orders, messages, deals and
// inventory: UpdatePartsCounters and UpdateCarsCounters (median of five, warm),
// beside the very statements they ran, replayed bare through the SQLite C API,
// and beside hand-written bare queries that count the same folders by groups.

#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "frame/NodeCounters.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The statements a connection runs, with their values in place.
std::vector<std::string> *g_captured = nullptr;

int Capture(unsigned, void *, void *stmt, void *)
{
    if (g_captured) {
        char *sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt *>(stmt));
        if (sql)
            g_captured->push_back(sql);
        sqlite3_free(sql);
    }
    return 0;
}

double Bare(sqlite3 *db, const std::vector<std::string> &statements)
{
    QElapsedTimer t;
    t.start();
    for (const std::string &sql : statements) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
        }
        sqlite3_finalize(st);
    }
    return t.nsecsElapsed() / 1e6;
}

void Fill(int queries, int quotes)
{
    const auto run = [](const char *sql, const QVariantList &args) { theDatabase().Execute(QLatin1String(sql), args); };
    const char *queryFill = "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
                            "INSERT INTO %1 (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) "
                            "SELECT '%2' || i, i % 2, CASE WHEN i % 10 = 0 THEN 1 ELSE 0 END, i % 6, "
                            "'2024-01-01 10:00:00' FROM k";
    const char *quoteFill = "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
                            "INSERT INTO %1 (ID, QUERY_ID, STATUS_CODE, IS_INCOMING) "
                            "SELECT 'A' || i, '%2' || (1 + (i * 7919) % ?), i % 3, 1 FROM k";
    for (const auto &[queryTable, quoteTable, prefix] :
         {std::tuple{"Queries", "Quotes", "Q"}, std::tuple{"Queries_Cars", "Quotes_Cars", "C"}}) {
        run(QString::fromLatin1(queryFill).arg(queryTable, prefix).toLatin1().constData(), {queries});
        run(QString::fromLatin1(quoteFill).arg(quoteTable, prefix).toLatin1().constData(), {quotes, queries});
    }
    run("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 2000) "
        "INSERT INTO Messages (ID, CONTEXT_ID, CONTEXT_TYPE, IS_PARENT, IS_INCOMING, STATUS_CODE) "
        "SELECT 'M' || i, 'Q' || i, CASE WHEN i % 2 THEN 'query' ELSE 'query_cars' END, i % 3 = 0, 1, i % 2 FROM k",
        {});
    run("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 1000) "
        "INSERT INTO Orders (ID, IS_INCOMING, STATUS_CODE, IS_U_NEW) SELECT 'O' || i, i % 2, i % 6, i % 4 = 0 FROM k",
        {});
    run("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 500) "
        "INSERT INTO HotDeals (ID, IS_INCOMING, STATUS_CODE) SELECT 'D' || i, i % 2, i % 2 FROM k",
        {});
    run("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 5000) "
        "INSERT INTO Inventory (P_STOCK_NUMBER) SELECT 'S' || i FROM k",
        {});
    run("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 1000) "
        "INSERT INTO Inventory_Cars (STOCK_NUMBER) SELECT 'S' || i FROM k",
        {});
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv::PrepareProcess();
    QCoreApplication qapp(argc, argv);
    const int queries = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int quotes = argc > 2 ? std::max(1, atoi(argv[2])) : 50000;

    TestApp::Options options;
    options.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    TestApp t(options);
    if (!theDatabase().init())
        return 1;
    Fill(queries, quotes);
    std::printf("%d part and %d car queries, %d quotes each\n", queries, queries, quotes);

    NodeCounters counters(nullptr, [](int) { return NodeCounters::Markets{40, 3, false}; });
    sqlite3 *handle = theDatabase().Connection().Handle();
    struct Run
    {
        const char *name;
        QList<NodeCounter> (NodeCounters::*update)();
        std::vector<std::string> statements;
        double ms = 0;
        double bareMs = 0;
    };
    Run runs[] = {{"UpdatePartsCounters", &NodeCounters::UpdatePartsCounters, {}},
                  {"UpdateCarsCounters", &NodeCounters::UpdateCarsCounters, {}}};
    for (Run &r : runs) {
        (counters.*r.update)();  // warm: statements prepared, pages cached
        g_captured = &r.statements;
        sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, &Capture, nullptr);
        (counters.*r.update)();
        sqlite3_trace_v2(handle, 0, nullptr, nullptr);
        g_captured = nullptr;
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            const QList<NodeCounter> got = (counters.*r.update)();
            times.push_back(timer.nsecsElapsed() / 1e6);
            if (got.isEmpty())
                std::printf("warning: no counters\n");
        }
        r.ms = Median(times);
    }

    sqlite3 *db = nullptr;
    sqlite3_open_v2(theDatabase().DatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (Run &r : runs) {
        Bare(db, r.statements);  // warm
        std::vector<double> bare;
        for (int i = 0; i < 5; ++i)
            bare.push_back(Bare(db, r.statements));
        r.bareMs = Median(bare);
    }
    // Where the time goes: the slowest statement of each run.
    for (const Run &r : runs) {
        double worst = 0;
        std::string which;
        for (const std::string &sql : r.statements) {
            const double ms = Bare(db, {sql});
            if (ms > worst) {
                worst = ms;
                which = sql;
            }
        }
        std::printf("%s, slowest statement: %.2f ms: %.900s\n", r.name, worst, which.c_str());
        if (qEnvironmentVariableIsSet("COUNTERS_EACH")) {
            for (const std::string &sql : r.statements)
                std::printf("  %6.2f ms  %.300s\n", Bare(db, {sql}), sql.c_str());
        }
        if (qEnvironmentVariableIsSet("COUNTERS_PLAN")) {
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + which).c_str(), -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW)
                std::printf("  plan: %s\n", reinterpret_cast<const char *>(sqlite3_column_text(st, 3)));
            sqlite3_finalize(st);
        }
    }
    // What one would write by hand for the same counts: every folder of a
    // table from one grouped pass, the quote pages from one grouped join.
    const std::vector<std::string> handParts = {
        "SELECT IS_INCOMING, IS_ARCHIVE, STATUS_CODE, REFERER_ID = '', COUNT(*) FROM Queries GROUP BY 1, 2, 3, 4",
        "SELECT q.IS_INCOMING, q.IS_ARCHIVE, q.STATUS_CODE, COUNT(*), SUM(t.STATUS_CODE = 0) FROM Queries AS q "
        "JOIN Quotes AS t ON t.QUERY_ID = q.ID GROUP BY 1, 2, 3",
        "SELECT IS_INCOMING, STATUS_CODE, IS_U_NEW, COUNT(*) FROM Orders GROUP BY 1, 2, 3",
        "SELECT CONTEXT_TYPE, STATUS_CODE, COUNT(*) FROM Messages WHERE IS_PARENT = 1 GROUP BY 1, 2",
        "SELECT IS_INCOMING, STATUS_CODE, COUNT(*) FROM HotDeals GROUP BY 1, 2",
        "SELECT COUNT(*) FROM Inventory"};
    const std::vector<std::string> handCars = {
        "SELECT IS_INCOMING, IS_ARCHIVE, STATUS_CODE, COUNT(*) FROM Queries_Cars GROUP BY 1, 2, 3",
        "SELECT q.IS_INCOMING, q.IS_ARCHIVE, q.STATUS_CODE, COUNT(*), SUM(t.STATUS_CODE = 0) FROM Queries_Cars AS q "
        "JOIN Quotes_Cars AS t ON t.QUERY_ID = q.ID GROUP BY 1, 2, 3",
        "SELECT CONTEXT_TYPE, STATUS_CODE, COUNT(*) FROM Messages WHERE IS_PARENT = 1 GROUP BY 1, 2",
        "SELECT COUNT(*) FROM Inventory_Cars"};
    double hand[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        const std::vector<std::string> &statements = k == 0 ? handParts : handCars;
        Bare(db, statements);  // warm
        std::vector<double> times;
        for (int i = 0; i < 5; ++i)
            times.push_back(Bare(db, statements));
        hand[k] = Median(times);
    }
    sqlite3_close(db);

    for (int k = 0; k < 2; ++k) {
        const Run &r = runs[k];
        std::printf("%s (median of 5): %.2f ms over %zu statements; the same statements bare: %.2f ms (ratio %.2f); "
                    "hand-written grouped counts bare: %.2f ms (ratio %.2f)\n",
                    r.name, r.ms, r.statements.size(), r.bareMs, r.ms / r.bareMs, hand[k], r.ms / hand[k]);
    }
    for (int k = 0; k < 2; ++k)
        std::printf("goal %s counters over %d queries and %d quotes: %.1f ms (target 50 ms): %s\n",
                    k == 0 ? "parts" : "cars", queries, quotes, runs[k].ms, runs[k].ms < 50 ? "met" : "missed");
    return 0;
}
