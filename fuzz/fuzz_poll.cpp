// A whole "poll" answer through the real poll (fake server on loopback) into
// an empty database: the rows stored equal the counters, no stored quote
// leaves its query unmarked, every thread counts its messages and every
// context record its threads, and the file passes its integrity check.

#include "FuzzCheck.h"

#include "../tests/sync/SyncFixture.h"
#include "TestEnv.h"

#include "db/XMessageSet.h"

#include <QCoreApplication>

namespace {

SyncFixture *g_fixture = nullptr;

int Rows(const QString &table)
{
    return theDatabase().ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(table));
}

void Empty()
{
    for (const TableDef &table : Schema::Tables()) {
        if (QLatin1String(table.name) != QLatin1String("UserInfo"))
            theDatabase().Execute(QStringLiteral("DELETE FROM [%1]").arg(QLatin1String(table.name)));
    }
}

void CheckCounter(const char *table, int rows, int counted, const QByteArray &answer)
{
    if (rows != counted)
        FuzzFail(table, QStringLiteral("%1 rows, %2 counted\n").arg(rows).arg(counted) + QString::fromUtf8(answer));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    TestEnv::PrepareProcess();
    g_fixture = new SyncFixture;
    theSettings().SetInt(Setting::AutoReply, 0);
    theSettings().SetInt(Setting::AutoReplyCars, 0);
    theSettings().SetInt(Setting::DispAlertsOnInc, 0);
    // The poll runs on this thread and its connection: no disk flush per commit.
    theDatabase().Execute(QStringLiteral("PRAGMA synchronous = OFF"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray answer = FuzzBytes(data, size);
    Empty();
    FakeServer::Answer a;
    a.body = answer;
    g_fixture->server.Script(QStringLiteral("poll"), a);
    thePoller().Poll();
    thePoller().WaitForAutoReply(10000);

    CheckCounter("Queries", Rows("Queries"), thePoller().GetNewQueries(), answer);
    CheckCounter("Queries_Cars", Rows("Queries_Cars"), thePoller().GetNewCarQueries(), answer);
    CheckCounter("Quotes", Rows("Quotes"), thePoller().GetNewQuotes(), answer);
    CheckCounter("Quotes_Cars", Rows("Quotes_Cars"), thePoller().GetNewCarQuotes(), answer);
    CheckCounter("Messages", Rows("Messages"), thePoller().GetNewMessages() + thePoller().GetNewCarMessages(), answer);
    CheckCounter("HotDeals", Rows("HotDeals"), thePoller().GetNewHotDeals(), answer);
    CheckCounter("Orders", Rows("Orders"), thePoller().GetNewOrders(), answer);

    CheckCounter("unmarked parts query",
                 theDatabase().ExecuteScalar(
                     "SELECT COUNT(*) FROM Queries q WHERE q.STATUS_CODE <> 2 AND EXISTS "
                     "(SELECT 1 FROM Quotes t WHERE t.QUERY_ID = q.ID)"),
                 0, answer);
    CheckCounter("unmarked car query",
                 theDatabase().ExecuteScalar(
                     "SELECT COUNT(*) FROM Queries_Cars q WHERE q.STATUS_CODE <> 2 AND EXISTS "
                     "(SELECT 1 FROM Quotes_Cars t WHERE t.QUERY_ID = q.ID)"),
                 0, answer);
    CheckCounter("thread counts",
                 theDatabase().ExecuteScalar(
                     "SELECT COUNT(*) FROM Messages p WHERE p.IS_PARENT = 1 AND COALESCE(p.INCOMING_COUNT, 0) <> "
                     "(SELECT COUNT(*) FROM Messages m WHERE m.CONTEXT_ID = p.CONTEXT_ID AND "
                     "m.CONTEXT_TYPE = p.CONTEXT_TYPE AND m.OWNER_ID IS p.OWNER_ID)"),
                 0, answer);
    CheckCounter("threads with one head",
                 theDatabase().ExecuteScalar(
                     "SELECT COUNT(*) FROM (SELECT CONTEXT_ID, CONTEXT_TYPE, OWNER_ID FROM Messages "
                     "GROUP BY CONTEXT_ID, CONTEXT_TYPE, OWNER_ID HAVING SUM(IS_PARENT = 1) <> 1)"),
                 0, answer);
    for (const char *type : {"query", "quote", "query_cars", "quote_cars", "deal", "order"}) {
        const QString table = XMessageSet::ContextTable(QLatin1String(type));
        if (table.isEmpty())
            continue;
        // Context records that a message of exactly this type names.
        const QString sql = QStringLiteral(
            "SELECT COUNT(*) FROM [%1] c WHERE EXISTS (SELECT 1 FROM Messages m WHERE m.CONTEXT_ID = c.ID AND "
            "m.CONTEXT_TYPE = '%2' COLLATE BINARY) AND (COALESCE(c.MESS_TOTAL_COUNT, 0) <> (SELECT COUNT(*) FROM "
            "Messages p WHERE p.IS_PARENT = 1 AND p.CONTEXT_ID = c.ID AND p.CONTEXT_TYPE = '%2') OR "
            "COALESCE(c.MESS_NEW_COUNT, 0) <> (SELECT COUNT(*) FROM Messages p WHERE p.IS_PARENT = 1 AND "
            "p.CONTEXT_ID = c.ID AND p.CONTEXT_TYPE = '%2' AND p.STATUS_CODE = 0))")
                                .arg(table, QLatin1String(type));
        CheckCounter(type, theDatabase().ExecuteScalar(sql), 0, answer);
    }
    const QString integrity = theDatabase().Connection().Scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != QLatin1String("ok"))
        FuzzFail("integrity_check", integrity);
    return 0;
}
