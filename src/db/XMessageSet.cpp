#include "XMessageSet.h"

#include "KVDatabase.h"
#include "RecordXml.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/Interfaces.h"
#include "app/Utils.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <optional>
#include <utility>
#include <vector>

using RecordXml::Field;

namespace {

const QString kBroadcast = QStringLiteral("broadcast");
const QString kOrder = QStringLiteral("order");

// Sender of the welcome messages.
const QString kWelcomeSenderId = QStringLiteral("00000001");
const QString kWelcomeSenderName = QStringLiteral("Korvant");

const Field kMessageRead[] = {
    {"message_id", "ID"},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"subject", "MESSAGE_SUBJ"},
    {"body", "MESSAGE_BODY"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"contact_info/name", "OWNER_NAME"},
};

const Field kMessageWrite[] = {
    {"context_id", "CONTEXT_ID"},
    {"context_type", "CONTEXT_TYPE"},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"subject", "MESSAGE_SUBJ"},
    {"body", "MESSAGE_BODY"},
};

KVDatabase &Db(KVDatabase *database)
{
    return database ? *database : theDatabase();
}

// The context types, their tables and the statements about them, written
// once: a poll runs them per stored message, deal and order, and finds them
// by comparing a few short names rather than hashing one.
struct ContextSql
{
    QString type;
    QString table;
    QByteArray market;
    QByteArray counters;
    QByteArray replied;
};

const ContextSql *ContextSqlOf(const QString &contextType)
{
    static const std::vector<ContextSql> sql = [] {
        std::vector<ContextSql> out;
        for (const auto &[type, table] : {std::pair{"query", "Queries"}, {"quote", "Quotes"},
                                          {"query_cars", "Queries_Cars"}, {"quote_cars", "Quotes_Cars"},
                                          {"deal", "HotDeals"}, {"order", "Orders"}}) {
            const QByteArray name(table);
            out.push_back({QLatin1String(type), QLatin1String(table),
                           "SELECT MARKET_ID, MARKET_NAME, C_NAME FROM [" + name + "] WHERE ID = ?",
                           "UPDATE [" + name + "] SET MESS_NEW_COUNT = ?1, MESS_TOTAL_COUNT = ?2 WHERE ID = ?3 AND "
                           "(MESS_NEW_COUNT IS NOT ?1 OR MESS_TOTAL_COUNT IS NOT ?2)",
                           "UPDATE [" + name + "] SET STATUS = 'Replied', STATUS_CODE = 2 WHERE ID = ? AND "
                           "(STATUS IS NOT 'Replied' COLLATE BINARY OR STATUS_CODE IS NOT 2)"});
        }
        return out;
    }();
    for (const ContextSql &c : sql) {
        if (c.type == contextType)
            return &c;
    }
    return nullptr;
}

// The thread counts of a context record: (all threads, new threads).
std::pair<int, int> ThreadCounts(SqlConnection &c, const QString &contextId, const QString &contextType)
{
    const StatementRun counts(c.Prepare(
        QByteArrayLiteral("SELECT COUNT(*), COUNT(CASE WHEN STATUS_CODE = 0 THEN 1 END) FROM [Messages] WHERE "
                          "IS_PARENT = TRUE AND CONTEXT_ID = ? AND CONTEXT_TYPE = ?")));
    counts->Bind(1, contextId);
    counts->Bind(2, contextType);
    std::pair<int, int> out{0, 0};
    if (counts->Step())
        out = {counts->Int(0), counts->Int(1)};
    return out;
}

// Writes the record's thread counts (counted when not given), and its
// "Replied" state when asked. Each statement writes only when its values
// differ: STATUS and STATUS_CODE are indexed, and every further message about
// a replied record would otherwise rewrite their index entries with the same
// values.
void UpdateContextRecord(const QString &contextId, const QString &contextType, KVDatabase *database,
                         bool markReplied, std::optional<std::pair<int, int>> counts = std::nullopt)
{
    const ContextSql *sql = ContextSqlOf(contextType);
    if (!sql)
        return;
    SqlConnection &c = Db(database).Connection();
    const auto [total, fresh] = counts ? *counts : ThreadCounts(c, contextId, contextType);
    // Two statements, all or nothing; a caller's transaction (the stored
    // message's own) already makes them so.
    std::optional<SqlTransaction> scope;
    if (!c.InTransaction())
        scope.emplace(c);
    SqlStatement &counters = c.Prepare(sql->counters);
    counters.Bind(1, fresh);
    counters.Bind(2, total);
    counters.Bind(3, contextId);
    counters.Exec();
    // An order's state belongs to the order and its update, never to its messages.
    if (markReplied && contextType != kOrder) {
        SqlStatement &replied = c.Prepare(sql->replied);
        replied.Bind(1, contextId);
        replied.Exec();
    }
    if (scope)
        scope->Commit();
}

int MarketMode()
{
    const AppCore *app = theAppIfAny();
    const IMainFrame *frame = app ? app->Frame() : nullptr;
    return frame ? frame->GetMarketMode() : Korvant::MarketNone;
}

} // namespace

XMessageSet::XMessageSet(KVDatabase *database) : XBaseSet(database, "Messages")
{
}

QString XMessageSet::GetIdText() const
{
    return GetText("ID");
}

void XMessageSet::AddFieldSearch(SqlExpr &, const QString &) const
{
}

SqlExpr XMessageSet::GetFolderFilter(int)
{
    // Each market mode hides the other mode's query and quote threads;
    // broadcasts, deals and orders show in both.
    const bool cars = MarketMode() == Korvant::MarketCars;
    m_baseFilter = SqlExpr(QStringLiteral("IS_PARENT = TRUE AND CONTEXT_TYPE <> ? AND CONTEXT_TYPE <> ?"),
                           cars ? QVariantList{QStringLiteral("query"), QStringLiteral("quote")}
                                : QVariantList{QStringLiteral("query_cars"), QStringLiteral("quote_cars")});
    ResetFilter();
    return m_baseFilter;
}

SqlExpr XMessageSet::FormatParentFilter(const QString &contextId, const QString &contextType, const QString &ownerId)
{
    return SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND OWNER_ID = ? AND IS_PARENT = TRUE"),
                   {contextId, contextType, ownerId});
}

int XMessageSet::CountByContext(const QString &contextId, const QString &contextType, KVDatabase *database)
{
    XMessageSet set(database);
    return set.CountRecords(
        SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND IS_PARENT = TRUE"), {contextId, contextType}));
}

bool XMessageSet::IsCarsContext() const
{
    return GetText("CONTEXT_TYPE").toUpper().contains(QLatin1String("CARS"));
}

QString XMessageSet::ContextTable(const QString &contextType)
{
    const ContextSql *sql = ContextSqlOf(contextType);
    return sql ? sql->table : QString();
}

XMessageSet::Threads XMessageSet::CountThreads(const PendingThread &thread)
{
    // One pass over the context's threads (its index finds them) gives the
    // record's counts and tells whether the sender's thread is there.
    const StatementRun st(m_pDatabase->Connection().Prepare(QByteArrayLiteral(
        "SELECT COUNT(*), COUNT(CASE WHEN STATUS_CODE = 0 THEN 1 END), COUNT(CASE WHEN OWNER_ID = ?3 THEN 1 END), "
        "COUNT(CASE WHEN OWNER_ID = ?3 AND STATUS_CODE IS NOT 0 THEN 1 END) FROM [Messages] WHERE "
        "IS_PARENT = TRUE AND CONTEXT_ID = ?1 AND CONTEXT_TYPE = ?2")));
    st->Bind(1, thread.contextId);
    st->Bind(2, thread.contextType);
    st->Bind(3, thread.ownerId);
    Threads out;
    if (st->Step())
        out = {st->Int(0), st->Int(1), st->Int(2), st->Int(3)};
    return out;
}

void XMessageSet::SetMarketFromContext()
{
    const QString type = GetText("CONTEXT_TYPE");
    // Only queries and quotes belong to a market.
    if (type != QLatin1String("query") && type != QLatin1String("quote") && type != QLatin1String("query_cars") &&
        type != QLatin1String("quote_cars"))
        return;
    SqlStatement &st = m_pDatabase->Connection().Prepare(ContextSqlOf(type)->market);
    st.Bind(1, GetText("CONTEXT_ID"));
    if (!st.Step()) {
        st.Reset();
        return;
    }
    const QString market = st.Text(0);
    const QString name = market == QLatin1String("PERSONAL") ? st.Text(2) : st.Text(1);
    st.Reset();
    SetText("MARKET_ID", market);
    SetText("MARKET_NAME", name);
}

void XMessageSet::MarkContextReplied(const QString &contextId, const QString &contextType, KVDatabase *database)
{
    UpdateContextRecord(contextId, contextType, database, true);
}

void XMessageSet::RefreshContextCounters(const QString &contextId, const QString &contextType, KVDatabase *database)
{
    UpdateContextRecord(contextId, contextType, database, false);
}

// --- a received message ---------------------------------------------------------------------------

void XMessageSet::AddNew()
{
    m_pending = {};
    XBaseSet::AddNew();
}

void XMessageSet::ReadMessageXml(const XRequest *, const XmlNode &messageNode)
{
    const QString contextType = RecordXml::ChildText(messageNode, "context_type");
    const QString contextId = RecordXml::ChildText(messageNode, "context_id");
    const QString ownerId = RecordXml::ChildText(messageNode, "owner_id");

    RecordXml::Read(*this, messageNode, kMessageRead);
    SetText("CONTEXT_ID", contextId);
    SetText("CONTEXT_TYPE", contextType);
    SetText("OWNER_ID", ownerId);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    SetBool("IS_INCOMING", true);
    SetMarketFromContext();
    // Read as the first message of its thread; Update, which looks for the
    // thread once, makes it a further one.
    SetBool("IS_PARENT", true);
    SetInt("INCOMING_COUNT", 1);
    SetInt("OUTCOMING_COUNT", 0);
    SetFieldValue("LATEST_POST_DATE", GetFieldValue("POST_DATE"));
    // The thread and the context record change when the row is stored, so a
    // row that fails to store leaves no count behind.
    m_pending = {true, contextId, contextType, ownerId};
}

bool XMessageSet::Update()
{
    if (!IsAdding() || !m_pending.active)
        return XBaseSet::Update();
    const PendingThread thread = m_pending;
    m_pending = {};

    SqlTransaction scope(m_pDatabase->Connection());
    const Threads before = CountThreads(thread);
    // The record's counts once this message is in, as a count afterwards would
    // find them: a further message makes its thread's parent new again, a
    // first one adds a thread.
    int total = before.total;
    int fresh = before.fresh;
    if (before.senders > 0) {
        fresh += before.sendersNotNew;
        // A further message of the thread: the parent counts it and is new again.
        const SqlExpr parent = FormatParentFilter(thread.contextId, thread.contextType, thread.ownerId);
        SetBool("IS_PARENT", false);
        SetFieldNull(FieldIndex("INCOMING_COUNT"));
        SetFieldNull(FieldIndex("OUTCOMING_COUNT"));
        SetFieldNull(FieldIndex("LATEST_POST_DATE"));
        const QVariant postDate = GetFieldValue("POST_DATE");
        m_pDatabase->Execute(QStringLiteral("UPDATE [Messages] SET INCOMING_COUNT = COALESCE(INCOMING_COUNT, 0) + 1, "
                                            "LATEST_POST_DATE = COALESCE(?, LATEST_POST_DATE), STATUS_CODE = 0, "
                                            "STATUS = 'New' WHERE ") +
                                 parent.text,
                             QVariantList{postDate} + parent.args);
    } else {
        if (!GetBool("IS_PARENT")) {
            // Made a further message by its caller, but no thread is there: this message opens it.
            SetBool("IS_PARENT", true);
            SetInt("INCOMING_COUNT", 1);
            SetInt("OUTCOMING_COUNT", 0);
            SetFieldValue("LATEST_POST_DATE", GetFieldValue("POST_DATE"));
        }
        ++total;
        if (!IsFieldNull(FieldIndex("STATUS_CODE")) && GetInt("STATUS_CODE") == 0)
            ++fresh;
    }
    const bool stored = XBaseSet::Update();
    // Written after the row is in, so a failure there takes the row back too.
    if (thread.contextType != kBroadcast)
        UpdateContextRecord(thread.contextId, thread.contextType, m_pDatabase, true, std::pair{total, fresh});
    scope.Commit();
    return stored;
}

// --- XML --------------------------------------------------------------------------------------------

void XMessageSet::BuildMessageXml(XRequest &request) const
{
    XmlNode message = request.AddParam(QStringLiteral("message"));
    XmlNode recipients = message.AddChild(QStringLiteral("recipients"));
    RecordXml::Write(*this, message, kMessageWrite);
    recipients.AddChild(QStringLiteral("passport_id"), GetText("OWNER_ID"));
}

void XMessageSet::BuildThreadXml(XmlNode root)
{
    const QString ownerId = GetText("OWNER_ID");
    root.SetAttr(QStringLiteral("context-type"), GetText("CONTEXT_TYPE"));
    RecordXml::SetFlag(root, "reply", ownerId != theApp().GetSession().PassportId());
    AppendMessagesXml(root,
                      SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND OWNER_ID = ?"),
                              {GetText("CONTEXT_ID"), GetText("CONTEXT_TYPE"), ownerId}),
                      m_pDatabase);
}

void XMessageSet::AppendMessagesXml(XmlNode parent, const SqlExpr &filter, KVDatabase *database)
{
    XMessageSet set(database);
    set.Select(filter, QStringLiteral("POST_DATE DESC"));
    if (set.IsEOF())
        return;
    const QString myName = theProfile().Get().name;
    for (; !set.IsEOF(); set.MoveNext()) {
        const bool incoming = set.GetBool("IS_INCOMING");
        XmlNode message = parent.AddChild(QStringLiteral("message"));
        RecordXml::SetFlag(message, "incoming", incoming);
        message.AddChild(QStringLiteral("sender-name"), incoming ? set.GetText("OWNER_NAME") : myName);
        message.AddChild(QStringLiteral("post-date"), RecordXml::FormatDate(set.GetDate("POST_DATE"), "%Y-%m-%d %H:%M"));
        message.AddChild(QStringLiteral("message-body"), set.GetText("MESSAGE_BODY"));
    }
}

// --- welcome messages ---------------------------------------------------------------------------------

namespace {

QString WelcomeBody(const QString &name)
{
    return QStringLiteral(
               "%1,\n\n"
               "Welcome to Korvant, the network of automotive buyers and sellers.\n\n"
               "Buying parts and cars takes a few steps:\n"
               "1. Create a query for the part or car you need and send it to the marketplace.\n"
               "2. Sellers answer with quotes; they arrive in your Quotes folder.\n"
               "3. Compare the quotes, write to a seller with any question, and place a purchase order "
               "for the quote you choose.\n"
               "4. Follow your order until the seller's order update completes it.\n\n"
               "Thank you for joining us.")
        .arg(name);
}

QString SellingBody(const QString &name)
{
    return QStringLiteral(
               "%1,\n\n"
               "Selling on Korvant is free for personal and limited commercial use.\n\n"
               "Access to buyers' information needs a seller's permit or Tradewick Passes; some passes "
               "are supplied with your account.\n\n"
               "How to sell:\n"
               "- Set up your selling filters so that the leads you want come to you.\n"
               "- View the incoming leads (buyers' queries) in your Sell folders.\n"
               "- Quote the buyers and communicate with them by messages.\n"
               "- List your items in the inventory services, so that quotes can be made from them.\n"
               "- Use the \"Hot Deal\" feature for unique items or bulk offers.\n\n"
               "Reply to this message with any question you have.")
        .arg(name);
}

} // namespace

void XMessageSet::AddWelcomeMessages()
{
    if (!IsOpen())
        Open();
    const QString name = theProfile().Get().name;
    const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    struct Welcome
    {
        QDateTime time;
        QString subject;
        QString body;
    };
    const Welcome messages[] = {
        {now, QStringLiteral("Welcome to Korvant"), WelcomeBody(name)},
        {now.addSecs(-1), QStringLiteral("Selling on Korvant is FREE for you"), SellingBody(name)},
    };
    auto freshId = [this] {
        // Eight random digits may meet a stored id; draw again rather than fail.
        QString id;
        do {
            id = Utils::GenerateRandomDigits(true);
        } while (m_pDatabase->ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM [Messages] WHERE ID = ?"), {id}) > 0);
        return id;
    };
    for (const Welcome &w : messages) {
        AddNew();
        SetText("ID", freshId());
        SetText("CONTEXT_ID", Utils::GenerateRandomDigits());
        SetText("CONTEXT_TYPE", kBroadcast);
        SetText("OWNER_ID", kWelcomeSenderId);
        SetText("OWNER_NAME", kWelcomeSenderName);
        SetText("STATUS", QStringLiteral("New"));
        SetInt("STATUS_CODE", 0);
        SetBool("IS_PARENT", true);
        SetBool("IS_INCOMING", true);
        SetInt("INCOMING_COUNT", 1);
        SetInt("OUTCOMING_COUNT", 0);
        SetDate("POST_DATE", w.time);
        SetDate("LATEST_POST_DATE", w.time);
        SetText("MESSAGE_SUBJ", w.subject);
        SetText("MESSAGE_BODY", w.body);
        Update();
    }
}
