// bench/query_list [Q] [K]: Pending Quotes (20003, every query opened) over Q
// own replied queries (default 2,000) with K quotes (default 10,000): Reload
// to the first screen of texts (median of five, warm) and the statements it
// ran; beside it the bare statements reading the same query ids and quote rows
// through the SQLite C API, and the ratio.

#include "TestApp.h"
#include "TestEnv.h"
#include "list_bench.h"

#include "db/KVDatabase.h"
#include "views/ListState.h"
#include "views/XQueryListCtrl.h"

#include <QApplication>
#include <QElapsedTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>


int main(int argc, char **argv)
{
    PrepareBenchProcess();
    QApplication qapp(argc, argv);
    const int queries = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int quotes = argc > 2 ? std::max(0, atoi(argv[2])) : 10000;

    TestApp t(BenchOptions());
    if (!theDatabase().init())
        return 1;
    theDatabase().Execute(
        "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
        "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, V_MAKE, V_MODEL, V_YEAR, "
        "P_NAME, C_NAME, P_MAX_PRICE) SELECT printf('Q%06d', i), 0, 0, 2 + i % 2, 'Replied', "
        "datetime('2024-01-01', '+' || ((i * 7919) % 100000) || ' minutes'), 'Ford', 'Focus', '2005', "
        "'Starter ' || i, 'Buyer', i % 300 FROM k",
        {queries});
    theDatabase().Execute(
        "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
        "INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, V_MAKE, V_MODEL, "
        "V_YEAR, P_NAME, C_NAME, P_PRICE) SELECT printf('T%07d', i), printf('Q%06d', 1 + (i * 31) % ?), 1, 0, i % 2, "
        "'New', datetime('2024-03-01', '+' || i || ' minutes'), 'Ford', 'Focus', '2005', 'Starter', 'Seller', "
        "i % 90 FROM k",
        {quotes, queries});
    std::printf("queries: %d, quotes: %d\n", queries, quotes);

    BenchHost host(20003);
    XQueryListCtrl list(&host, nullptr);
    list.resize(1000, 700);
    list.show();
    list.SetFolder(20003);
    const double reloadMs = MedianRefillMs(list);
    std::printf("rows shown: %d\nstatements of a reload (besides a 64-row page per screen of queries):\n",
                list.RowCount());
    for (const QString &sql : list.LastStatements())
        std::printf("  %s\n", qPrintable(sql));

    // The same query ids and quote rows through the bare C API.
    sqlite3 *db = nullptr;
    sqlite3_open_v2(theDatabase().DatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<double> bare;
    for (int i = 0; i < 6; ++i) {
        QElapsedTimer bt;
        bt.start();
        for (const QString &sql : list.LastStatements()) {
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
            std::vector<sqlite3_int64> values;
            while (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(st); ++c)
                    sqlite3_column_text(st, c);
            sqlite3_finalize(st);
        }
        if (i > 0)
            bare.push_back(bt.nsecsElapsed() / 1e6);
    }
    sqlite3_close(db);
    const double bareMs = Median(bare);

    std::printf("Reload of Pending Quotes to the first screen (median of 5): %.1f ms (aim: under 300 ms)\n", reloadMs);
    std::printf("bare statements (median of 5): %.1f ms; ratio %.2f\n", bareMs, reloadMs / bareMs);
    return 0;
}
