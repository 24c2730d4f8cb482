// One poll: the "poll" request and the answer's lists stored in the local database.

#include "XPoller.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/XHotDealSet.h"
#include "db/XMessageSet.h"
#include "db/XOrderSet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"
#include "net/XRequest.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Another writer (the auto-reply) never waits longer than this for a list.
constexpr int CommitIntervalMs = 250;

void Status(const QString &text)
{
    theApp().SetStatusText(text);
}

void Log(const QString &text, const char *source)
{
    theApp().WriteLog(text, QLatin1String(source), 3);
}

QString ErrorText(const DbException &e)
{
    return e.Description().isEmpty() ? e.Message() : e.Description();
}

// Marks the query a stored quote answers: one statement, so a failure undoes
// only itself. Bound: the id comes from the server. A query replied before
// (many quotes answer one query) is not written again: its state is indexed.
void MarkQueryReplied(const QByteArray &sql, const QString &queryId)
{
    SqlStatement &st = theDatabase().Connection().Prepare(sql);
    st.Bind(1, queryId);
    st.Exec();
}

} // namespace

// Publishes the poll request while it is in flight.
class PollRequestScope
{
public:
    PollRequestScope(XPoller &poller, XRequest &request) : m_poller(poller)
    {
        QMutexLocker lock(&poller.m_requestMutex);
        poller.m_pollRequest = &request;
        // StopPolling may have come before the request existed.
        if (poller.m_stop && poller.m_threads[XPoller::LoopSlot].get() == QThread::currentThread())
            request.Cancel();
    }
    ~PollRequestScope()
    {
        QMutexLocker lock(&m_poller.m_requestMutex);
        m_poller.m_pollRequest = nullptr;
    }
    PollRequestScope(const PollRequestScope &) = delete;
    PollRequestScope &operator=(const PollRequestScope &) = delete;

private:
    XPoller &m_poller;
};

namespace {

using ItemFunction = std::function<void(const XmlNode &)>;

// The writes of one poll: its lists share one transaction, committed at
// bounded intervals and when the poll asks (after the queries, at the end).
// A commit writes every page changed since the last one, and the lists touch
// the same pages (a quote or message marks its query): one commit per list
// was a tenth of a small poll.
class PollWrites
{
public:
    PollWrites() : m_outer(t_current) { t_current = this; }
    ~PollWrites() { t_current = m_outer; }
    PollWrites(const PollWrites &) = delete;
    PollWrites &operator=(const PollWrites &) = delete;

    static PollWrites *Current() { return t_current; }

    // Before each item.
    void Begin()
    {
        if (!m_transaction) {
            m_transaction.emplace(theDatabase().Connection());
            m_sinceCommit.start();
        }
    }
    // After each item: so no other writer waits past the busy time-out.
    void Pace()
    {
        if (m_transaction && m_sinceCommit.elapsed() >= CommitIntervalMs) {
            m_transaction->CommitAndContinue();
            m_sinceCommit.restart();
        }
    }
    void Commit()
    {
        if (!m_transaction)
            return;
        // Whatever the commit does, the next item starts a new transaction.
        struct Reset
        {
            std::optional<SqlTransaction> &t;
            ~Reset() { t.reset(); }
        } reset{m_transaction};
        m_transaction->Commit();
    }

private:
    static thread_local PollWrites *t_current;
    PollWrites *m_outer;
    std::optional<SqlTransaction> m_transaction;
    QElapsedTimer m_sinceCommit;
};

thread_local PollWrites *PollWrites::t_current = nullptr;

// Stores the items `forEach` hands over, in its order, in the poll's
// transaction (a list read outside a poll commits its own); a database error
// skips the item, any other error ends the list (what was stored stays).
void StoreItems(const std::function<void(const ItemFunction &)> &forEach, const char *logSource,
                const ItemFunction &store)
{
    std::optional<PollWrites> own;
    if (!PollWrites::Current())
        own.emplace();
    PollWrites &writes = *PollWrites::Current();
    try {
        forEach([&](const XmlNode &node) {
            writes.Begin();
            // No savepoint per item: each store is one statement or its own
            // scope, so a failure undoes only itself, and a savepoint would
            // copy every page the item touches (a row and each of its indexes).
            try {
                store(node);
            } catch (const DbException &e) {
                Log(ErrorText(e), logSource);
            }
            writes.Pace();
        });
    } catch (const std::exception &e) {
        // The rest of the list is skipped; what was stored stays.
        Log(QString::fromUtf8(e.what()), logSource);
    }
    if (own)
        own->Commit();
}

} // namespace

void XPoller::ReadList(const XRequest &request, const char *list, const char *item, const char *logSource,
                       const std::function<void(const XmlNode &)> &store)
{
    // A large list comes one item at a time: its whole tree is never held.
    StoreItems([&](const ItemFunction &each) { request.ForEachResponseItem(QLatin1String(list), QLatin1String(item), each); },
               logSource, store);
}

void XPoller::ReadQueries(const XRequest &request)
{
    XQuerySet set;
    ReadList(request, "query_list", "query", "Polling Queries DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadQueryXml(node);
        set.Update();
        AddCount(NewCounts::Queries);
    });
}

void XPoller::ReadCarQueries(const XRequest &request)
{
    XQueryCarsSet set;
    ReadList(request, "car_query_list", "car_query", "Polling Car Queries DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadCarQueryXml(node);
        set.Update();
        AddCount(NewCounts::CarQueries);
    });
}

// A quote is stored first and counted; marking its query is a separate step,
// so a failure there never loses the quote (the server sends it only once).
void XPoller::ReadQuotes(const XRequest &request)
{
    XQuoteSet set;
    ReadList(request, "quote_list", "quote", "Polling Quotes DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadQuoteXml(node);
        const QString queryId = set.GetText("QUERY_ID");
        set.Update();
        AddCount(NewCounts::Quotes);
        try {
            MarkQueryReplied(QByteArrayLiteral("UPDATE [Queries] SET STATUS = 'Replied', STATUS_CODE = 2 WHERE ID = ? "
                                               "AND (STATUS IS NOT 'Replied' COLLATE BINARY OR STATUS_CODE IS NOT 2)"),
                             queryId);
        } catch (const DbException &e) {
            Log(ErrorText(e), "Polling Quotes DB Error");
        }
    });
}

void XPoller::ReadCarQuotes(const XRequest &request)
{
    XQuoteCarsSet set;
    ReadList(request, "car_quote_list", "car_quote", "Polling Car Quotes DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadCarQuoteXml(node);
        const QString queryId = set.GetText("QUERY_ID");
        set.Update();
        AddCount(NewCounts::CarQuotes);
        try {
            MarkQueryReplied(QByteArrayLiteral("UPDATE [Queries_Cars] SET STATUS = 'Replied', STATUS_CODE = 2 WHERE "
                                               "ID = ? AND (STATUS IS NOT 'Replied' COLLATE BINARY OR STATUS_CODE IS NOT 2)"),
                             queryId);
        } catch (const DbException &e) {
            Log(ErrorText(e), "Polling Car Quotes DB Error");
        }
    });
}

void XPoller::ReadMessages(const XRequest &request)
{
    // A thread's first stored message becomes its parent and the later ones
    // are counted on it, so messages go in oldest first (ties in document
    // order). Only the dates are held while sorting: each item's tree lives
    // until it is stored.
    auto oldestFirst = [&](const ItemFunction &each) {
        request.ForEachResponseItemBy(
            QStringLiteral("message_list"), QStringLiteral("message"),
            [](const XmlNode &node) { return GetChildDate(node, QStringLiteral("create_time")); }, each);
    };
    XMessageSet set;
    StoreItems(oldestFirst, "Polling Messages DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadMessageXml(&request, node);
        // Read before storing: a stored new row leaves the set's fields empty.
        const bool cars = set.IsCarsContext();
        set.Update();
        AddCount(cars ? NewCounts::CarMessages : NewCounts::Messages);
    });
}

void XPoller::ReadHotDeals(const XRequest &request)
{
    XHotDealSet set;
    ReadList(request, "deal_list", "deal", "Polling HotDeals DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadDealXml(&request, node);
        const QString id = set.GetText("ID");
        set.Update();
        AddCount(NewCounts::HotDeals);
        // Messages are read first: threads about this deal may already be here.
        XMessageSet::RefreshContextCounters(id, QStringLiteral("deal"));
    });
}

void XPoller::ReadOrders(const XRequest &request)
{
    XOrderSet set;
    ReadList(request, "order_list", "order", "Polling Orders DB Error", [&](const XmlNode &node) {
        set.AddNew();
        set.ReadOrderXml(&request, node);
        const QString id = set.GetText("ID");
        set.Update();
        AddCount(NewCounts::Orders);
        XMessageSet::RefreshContextCounters(id, QStringLiteral("order"));
    });
}

void XPoller::ReadOrderUpdates(const XRequest &request)
{
    XOrderSet set;
    ReadList(request, "order_update_list", "order_update", "Polling Order Update DB Error",
             [&](const XmlNode &node) {
                 // An update of an order not stored here changes nothing.
                 if (set.StoreOrderUpdateXml(&request, node))
                     AddCount(NewCounts::OrderUpdates);
             });
}

void XPoller::RunPoll()
{
    AppCore &app = theApp();
    if (!app.EnsureLoggedIn())
        return;
    if (m_exit)
        return;

    XRequest request(QStringLiteral("poll"));
    request.SetListsParsedOnDemand(true);
    {
        PollRequestScope inFlight(*this, request);
        request.SendWithRelogin();
    }
    if (!request.IsSuccess()) {
        Status(QStringLiteral("Polling request error: %1").arg(request.GetStatusText()));
        return;
    }

    // Room in the page cache for the lists' index pages while they are stored:
    // as much as the answer's text, at most the bulk default, so a small poll
    // does not fill a cache many times its size. (Twice the text was no
    // faster at 10,000 items and held a third of the answer more.) The
    // connection is held so the scope never outlives it.
    const std::shared_ptr<SqlConnection> connection = theDatabase().ConnectionPtr();
    std::optional<SqlBulkWriteScope> bulk;
    try {
        const qsizetype answerKiB = request.GetResponseBody().size() / 1024;
        bulk.emplace(*connection, int(qMin<qsizetype>(answerKiB, SqlBulkWriteScope::DefaultCacheKiB)));
    } catch (const DbException &e) {
        Log(ErrorText(e), "Poll");
    }

    // Each list under its own guard: a failure ends that list only.
    PollWrites writes;
    auto step = [&](const char *status, void (XPoller::*read)(const XRequest &), bool startAutoReply = false) {
        if (status)
            Status(QLatin1String(status));
        try {
            (this->*read)(request);
            // The queries committed first, so the auto-reply sees them.
            if (startAutoReply) {
                writes.Commit();
                StartAutoReply();
            }
        } catch (const std::exception &e) {
            app.WriteLog(QString::fromUtf8(e.what()), QStringLiteral("Poll"), 3);
        }
    };
    step("Processing queries ...", &XPoller::ReadQueries, true);
    step("Processing car queries ...", &XPoller::ReadCarQueries);
    step("Processing quotes ...", &XPoller::ReadQuotes);
    step("Processing car quotes ...", &XPoller::ReadCarQuotes);
    step("Processing messages ...", &XPoller::ReadMessages);
    step("Processing hot deals ...", &XPoller::ReadHotDeals);
    step(nullptr, &XPoller::ReadOrders);
    step("Processing order updates ...", &XPoller::ReadOrderUpdates);
    try {
        writes.Commit();
    } catch (const std::exception &e) {
        app.WriteLog(QString::fromUtf8(e.what()), QStringLiteral("Poll"), 3);
    }

    const NewCounts counts = Counts();
    const auto &c = counts.value;
    const QString summary =
        QStringLiteral("Queries: %1, Car Queries: %2, Quotes: %3, Car Quotes: %4, Messages: %5, Car Messages: %6, "
                       "Hot deals: %7, Purchase Orders: %8")
            .arg(c[NewCounts::Queries])
            .arg(c[NewCounts::CarQueries])
            .arg(c[NewCounts::Quotes])
            .arg(c[NewCounts::CarQuotes])
            .arg(c[NewCounts::Messages])
            .arg(c[NewCounts::CarMessages])
            .arg(c[NewCounts::HotDeals])
            .arg(c[NewCounts::Orders]);
    Status(summary);
    app.WriteLog(summary, QStringLiteral("Poll"), 4);

    IMainFrame *frame = app.Frame();
    if (frame)
        frame->SetNewCounts(counts);

    const AlertSettings alertSettings = AlertSettings::FromSettings();
    const std::optional<QString> alert = ChooseAlertText(counts, frame ? frame->GetMarketMode() : -1, alertSettings);
    if (alert)
        SetAlertText(*alert);
    if (m_exit)
        return;
    if (alert)
        RaiseAlert(*alert, alertSettings.playSound);
    if (m_exit)
        return;

    const bool news = c[NewCounts::Queries] > 0 || c[NewCounts::CarQueries] > 0 || c[NewCounts::Quotes] > 0 ||
                      c[NewCounts::CarQuotes] > 0 || c[NewCounts::Messages] > 0 || c[NewCounts::HotDeals] > 0 ||
                      c[NewCounts::Orders] > 0;
    if (news && frame) {
        // The window applies the refresh queued on its own thread.
        try {
            frame->RefreshListAfterRequest();
        } catch (...) {
            ShowFailure(QStringLiteral("RefreshListAfterRequest Error!!!"));
        }
    }
}
