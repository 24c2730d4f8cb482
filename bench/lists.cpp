// bench/lists [N]: the part inventory list ("P_STOCK_NUMBER ASC") over N
// inventory rows (default 1,000,000): Refill up to the first screen of texts
// (median of five, warm), beside the bare work the first screen needs at the
// least, through the SQLite C API in the same run: the COUNT(*) and the first
// page of the same columns in the same order. Then the jump to the end (time
// and rows read) and the heap the list holds after it, which must not grow
// with the rows.

#include "TestApp.h"
#include "TestEnv.h"
#include "list_bench.h"

#include "db/KVDatabase.h"
#include "db/RecordCursor.h"
#include "views/ListState.h"
#include "views/XInventoryListCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Heap in use, the large blocks malloc maps on their own included, less
// SQLite's own (its page caches are bounded by their size, not by the rows).
qint64 HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd) - qint64(sqlite3_memory_used());
}

// COUNT(*) and the first page with its values, as the first screen needs them.
double BareFirstScreen(sqlite3 *db)
{
    QElapsedTimer bt;
    bt.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Inventory", -1, &st, nullptr);
    sqlite3_int64 count = 0;
    if (sqlite3_step(st) == SQLITE_ROW)
        count = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db,
                       "SELECT rowid, ID, P_STOCK_NUMBER, P_NAME, P_QUANTITY, P_PRICE, V_YEAR, V_END_YEAR, V_MAKE, "
                       "V_MODEL FROM Inventory ORDER BY P_STOCK_NUMBER ASC LIMIT 64",
                       -1, &st, nullptr);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 10; ++c)
            sqlite3_column_text(st, c);
        ++rows;
    }
    sqlite3_finalize(st);
    if (count == 0 || rows == 0)
        std::printf("warning: the bare first screen is empty\n");
    return bt.nsecsElapsed() / 1e6;
}

} // namespace

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

    sqlite3 *db = nullptr;
    sqlite3_open_v2(theDatabase().DatabasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    BareFirstScreen(db);  // warms the cache

    // The heap the cursor holds after a refill, the last page and a look-up of
    // the last row by its key (a snapshot of every id alone holds 8 bytes a row).
    double cursorKb = 0;
    {
        const qint64 before = HeapInUse();
        RecordCursor cursor("Inventory", {"ID", "P_STOCK_NUMBER", "P_NAME", "P_QUANTITY", "P_PRICE", "V_YEAR",
                                          "V_END_YEAR", "V_MAKE", "V_MODEL"});
        cursor.SetSort(QStringLiteral("P_STOCK_NUMBER ASC"));
        cursor.Refill();
        cursor.Read(0);
        const QString lastKey = cursor.Key(cursor.Count() - 1);
        if (cursor.FindKey(lastKey) != cursor.Count() - 1)
            std::printf("warning: the last row was not found by its key\n");
        cursorKb = double(std::max<qint64>(0, HeapInUse() - before)) / 1024;
    }

    BenchHost host(20105);
    const qint64 heapBefore = HeapInUse();
    XInventoryListCtrl list(&host, nullptr);
    list.resize(1000, 700);
    list.show();
    list.SetFolder(20105);
    list.Refill();
    ReadScreen(list);

    // The list and the bare work by turns, so both see the same machine.
    std::vector<double> refills, bare;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        list.Refill();
        const int cells = ReadScreen(list);
        refills.push_back(timer.nsecsElapsed() / 1e6);
        if (cells == 0)
            std::printf("warning: the first screen showed no text\n");
        bare.push_back(BareFirstScreen(db));
    }
    sqlite3_close(db);
    const double refillMs = Median(refills), bareMs = Median(bare);

    const qint64 before = list.Cursor().RowsRead();
    QElapsedTimer timer;
    timer.start();
    list.SelectItem(list.RowCount() - 1, true);
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
    ReadScreen(list);
    const double endMs = timer.nsecsElapsed() / 1e6;
    const qint64 endRows = list.Cursor().RowsRead() - before;
    // A refill with the last row selected finds it again.
    QElapsedTimer lastTimer;
    lastTimer.start();
    list.Refill();
    ReadScreen(list);
    const double lastMs = lastTimer.nsecsElapsed() / 1e6;
    const bool lastKept = list.GetSelectedItem() == list.RowCount() - 1;
    const double heldKb = double(std::max<qint64>(0, HeapInUse() - heapBefore)) / 1024;

    std::printf("Refill to the first screen (median of 5): %.2f ms; bare COUNT(*) and first page: %.2f ms\n",
                refillMs, bareMs);
    std::printf("jump to the end: %.1f ms, %lld rows read; a refill with the last row selected: %.1f ms, "
                "the row kept: %s\n",
                endMs, static_cast<long long>(endRows), lastMs, lastKept ? "yes" : "no");
    const double ratio = refillMs / bareMs;
    std::printf("goal first screen over %d rows: %.2f x bare COUNT(*) + first page (target 1.5): %s\n", n, ratio,
                ratio <= 1.5 ? "met" : "missed");
    std::printf("heap the whole list holds: %.0f KB (the table view's header keeps an entry a row)\n", heldKb);
    const double limitKb = 256;
    std::printf("goal heap the cursor holds over %d rows: %.0f KB (target under %.0f KB): %s\n", n, cursorKb,
                limitKb, cursorKb < limitKb ? "met" : "missed");
    return 0;
}
