// bench/lists [N]: the part inventory list ("P_STOCK_NUMBER ASC") over N
// inventory rows (default 1,000,000): Refill up to the first screen of texts
// (median of five, warm), then a jump to the end (time and rows read); beside
// it the bare "SELECT rowid ... ORDER BY" through the SQLite C API, and the ratio.

#include "TestApp.h"
#include "TestEnv.h"
#include "list_bench.h"

#include "db/KVDatabase.h"
#include "views/ListState.h"
#include "views/XInventoryListCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>


int main(int argc, char **argv)
{
    PrepareBenchProcess();
    QApplication qapp(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 1000000;

    TestApp t(BenchOptions());
    if (!theDatabase().init())
        return 1;
    QElapsedTimer clock;
    clock.start();
    // Stock numbers in another order than the rows.
    theDatabase().Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
                          "INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_QUANTITY, P_PRICE, V_YEAR, V_MAKE, V_MODEL) "
                          "SELECT printf('S%08d', (i * 7919) % ?), 'Door panel ' || i, i % 7, (i % 500) * 1.25, "
                          "'2004', 'Ford', 'Focus' FROM k",
                          {n, n});
    std::printf("rows: %d (filled in %lld ms)\n", n, static_cast<long long>(clock.elapsed()));

    BenchHost host(20105);
    XInventoryListCtrl list(&host, nullptr);
    list.resize(1000, 700);
    list.show();
    list.SetFolder(20105);
    const double refillMs = MedianRefillMs(list);

    const qint64 before = list.Cursor().RowsRead();
    QElapsedTimer timer;
    timer.start();
    list.SelectItem(list.RowCount() - 1, true);
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
    ReadScreen(list);
    const double endMs = timer.nsecsElapsed() / 1e6;
    const qint64 endRows = list.Cursor().RowsRead() - before;

    // The bare snapshot through the C API.
    sqlite3 *db = nullptr;
    sqlite3_open_v2(theDatabase().DatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<double> bare;
    for (int i = 0; i < 6; ++i) {
        QElapsedTimer bt;
        bt.start();
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid FROM Inventory ORDER BY P_STOCK_NUMBER ASC", -1, &st, nullptr);
        std::vector<sqlite3_int64> ids;
        while (sqlite3_step(st) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        if (i > 0)  // the first one warms the cache
            bare.push_back(bt.nsecsElapsed() / 1e6);
    }
    sqlite3_close(db);
    const double bareMs = Median(bare);

    std::printf("Refill to the first screen (median of 5): %.1f ms (aim: under 150 ms)\n", refillMs);
    std::printf("jump to the end: %.1f ms, %lld rows read\n", endMs, static_cast<long long>(endRows));
    std::printf("bare SELECT rowid ... ORDER BY (median of 5): %.1f ms; ratio %.2f\n", bareMs, refillMs / bareMs);
    return 0;
}
