// bench/picker [N]: the parts inventory picker over N (default 20,000) rated
// rows, from construction to the first screen of texts (aim: under 1 s),
// beside a bare "SELECT ID" of the same rows through the SQLite C API.

#include "list_bench.h"

#include "sync/CRateSystem.h"
#include "views/InventoryPickers.h"
#include "views/XInventoryListCtrl.h"

#include <QApplication>

#include <sqlite3.h>

int main(int argc, char **argv)
{
    PrepareBenchProcess();
    QApplication qapp(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 20000;
    TestApp t(BenchOptions());
    if (!theDatabase().init())
        return 1;
    theDatabase().Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < ?) "
                          "INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_QUANTITY, P_PRICE, V_YEAR, V_MAKE, V_MODEL) "
                          "SELECT printf('S%08d', i), 'Starter ' || i, 1, 10, '2004', 'Ford', 'Focus' FROM k",
                          {n});

    std::vector<double> runs;
    for (int run = 0; run < 4; ++run) {
        auto rating = std::make_unique<CRateSystem>();
        for (int id = 1; id <= n; ++id)
            rating->Params().addContextInventory(QString::number(id), 100 - id % 100);
        QElapsedTimer timer;
        timer.start();
        CSelectPartFromInv picker(std::move(rating));
        picker.show();
        ReadScreen(*picker.List());
        if (run > 0)  // the first one warms the cache
            runs.push_back(timer.nsecsElapsed() / 1e6);
        picker.hide();
    }

    sqlite3 *db = nullptr;
    sqlite3_open_v2(theDatabase().DatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<double> bare;
    for (int i = 0; i < 4; ++i) {
        QElapsedTimer bt;
        bt.start();
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT ID FROM Inventory", -1, &st, nullptr);
        std::vector<sqlite3_int64> ids;
        while (sqlite3_step(st) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        if (i > 0)
            bare.push_back(bt.nsecsElapsed() / 1e6);
    }
    sqlite3_close(db);
    const double ours = Median(runs), base = Median(bare);
    std::printf("rows: %d rated\n", n);
    std::printf("picker open to the first screen (median of 3): %.1f ms (aim: under 1000 ms)\n", ours);
    std::printf("bare SELECT ID: %.2f ms; ratio %.0f\n", base, ours / base);
    return 0;
}
