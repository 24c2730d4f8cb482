// bench/query_list [Q] [K]: Pending Quotes (20003, every query opened) over Q
// own replied queries (default 2,000) with K quotes (default 10,000): Reload
// to the first screen of texts (median of five, warm) and the statements it
// ran; beside it the same statements replayed bare through the SQLite C API,
// and a hand-written bare pair (the folder's query ids, then a join for the
// quotes of those queries) reading the same rows, with the ratios.

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
    const double bareMs = Median(bare);

    // Written by hand: the folder's queries newest first, then the quotes of
    // those queries through a join, in the order the list shows them.
    const char *const hand[] = {
        "SELECT q.rowid, q.ID, q.STATUS_CODE, q.IS_INCOMING FROM Queries AS q WHERE q.IS_INCOMING = 0 AND "
        "q.IS_ARCHIVE = 0 AND q.STATUS_CODE IN (2, 3) ORDER BY q.POST_DATE DESC",
        "SELECT t.ID, t.QUERY_ID, t.STATUS_CODE, t.IS_INCOMING, t.C_ID, t.C_NAME, t.MARKET_ID, t.MESS_TOTAL_COUNT, "
        "t.COMMENTS, t.POST_DATE, t.QFY_LEVEL, t.V_YEAR, t.V_MAKE, t.V_MODEL, t.P_NAME, t.C_STATE, t.C_ZIP, "
        "t.P_PRICE, t.STATUS FROM Queries AS q JOIN Quotes AS t ON t.QUERY_ID = q.ID WHERE q.IS_INCOMING = 0 AND "
        "q.IS_ARCHIVE = 0 AND q.STATUS_CODE IN (2, 3) AND t.IS_ARCHIVE = 0 ORDER BY t.QUERY_ID, t.POST_DATE DESC"};
    std::vector<double> handRuns;
    long long handRows = 0;
    for (int i = 0; i < 6; ++i) {
        QElapsedTimer bt;
        bt.start();
        handRows = 0;
        for (const char *sql : hand) {
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(st); ++c)
                    sqlite3_column_text(st, c);
                ++handRows;
            }
            sqlite3_finalize(st);
        }
        if (i > 0)
            handRuns.push_back(bt.nsecsElapsed() / 1e6);
    }
    sqlite3_close(db);
    const double handMs = Median(handRuns);
    if (handRows != list.RowCount())
        std::printf("warning: the hand-written queries read %lld rows, the list shows %d\n", handRows,
                    list.RowCount());

    std::printf("Reload of Pending Quotes to the first screen (median of 5): %.1f ms\n", reloadMs);
    std::printf("its statements replayed bare (median of 5): %.1f ms; ratio %.2f\n", bareMs, reloadMs / bareMs);
    std::printf("hand-written bare queries of the same rows (median of 5): %.1f ms; ratio %.2f\n", handMs,
                reloadMs / handMs);
    std::printf("goal Pending Quotes reload over %d queries and %d quotes: %.1f ms (target 300 ms): %s\n", queries,
                quotes, reloadMs, reloadMs < 300 ? "met" : "missed");
    return 0;
}
