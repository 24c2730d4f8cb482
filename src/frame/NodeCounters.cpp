#include "NodeCounters.h"

#include "app/AppCore.h"
#include "db/KVDatabase.h"
#include "db/XHotDealSet.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XMessageSet.h"
#include "db/XOrderSet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "dialogs/NodeIds.h"
#include "net/XMarketPlaces.h"

namespace {

constexpr int PartsMarkets = 124, CarsMarkets = 168;

bool IsPartQueryNode(int node)
{
    switch (node) {
    case 20002: case 20003: case 20004: case 20101: case 20102: case 20104:
    case 104: case 105: case 32836: case 32837: case 137:
        return true;
    default:
        return false;
    }
}

bool IsCarQueryNode(int node)
{
    return node >= 158 && node <= 163;
}

// Pages whose counters are the quotes of their queries.
bool IsQuotePage(int node)
{
    return node == 20003 || node == 20101 || node == 159 || node == 162;
}

} // namespace

QString NodeCounter::ToString() const
{
    static const char *const kTrees[] = {"current", "parts", "cars"};
    return QStringLiteral("%1 %2/%3%4 %5")
        .arg(node)
        .arg(total)
        .arg(fresh)
        .arg(bold ? QStringLiteral(" bold") : QString())
        .arg(QLatin1String(kTrees[tree + 1]));
}

struct NodeCounters::Sets
{
    explicit Sets(KVDatabase *db)
        : queries(db), carQueries(db), orders(db), messages(db), deals(db), inventory(db), carInventory(db)
    {
    }
    XQuerySet queries;
    XQueryCarsSet carQueries;
    XOrderSet orders;
    XMessageSet messages;
    XHotDealSet deals;
    XInventorySet inventory;
    XInventoryCarsSet carInventory;
};

NodeCounters::NodeCounters(KVDatabase *database, MarketSource markets)
    : m_database(database ? database : &theDatabase()), m_markets(std::move(markets))
{
    if (!m_markets) {
        m_markets = [](int mode) {
            Markets m;
            if (auto *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces)) {
                m.total = places->GetMarketCount(mode);
                m.subscribed = places->GetSubscribedCount(mode);
                m.isNew = places->HasNewMarkets(mode);
            }
            return m;
        };
    }
}

NodeCounters::~NodeCounters() = default;

std::pair<int, int> NodeCounters::CountQuotes(XBaseSet &querySet, int node)
{
    const SqlExpr filter = querySet.GetFolderFilter(node);
    const bool cars = node == 159 || node == 162;
    // One statement for the page: the quotes whose query is in the page's
    // folder. The folder's values stay bound; no id becomes SQL text. Each of
    // the page's queries is looked up in the quotes' (QUERY_ID, STATUS_CODE)
    // index, which answers both counts without reading a quote row.
    QString sql = QStringLiteral("SELECT COUNT(*), COALESCE(SUM(STATUS_CODE = 0), 0) FROM %1 WHERE QUERY_ID IN (SELECT ID FROM %2")
                      .arg(cars ? QStringLiteral("[Quotes_Cars]") : QStringLiteral("[Quotes]"), querySet.GetDefaultSQL());
    if (!filter.isEmpty())
        sql += QStringLiteral(" WHERE (") + filter.text + QStringLiteral(")");
    sql += QStringLiteral(")");
    SqlStatement &st = querySet.Database()->Connection().Prepare(sql);
    st.BindAll(filter.args);
    if (!st.Step())
        return {0, 0};
    const std::pair<int, int> result{st.Int(0), st.Int(1)};
    st.Reset();
    return result;
}

int NodeCounters::CountNodeRecords(XBaseSet &set, int node, bool fresh)
{
    if (IsQuotePage(node)) {
        const auto [total, fresher] = CountQuotes(set, node);
        return fresh ? fresher : total;
    }
    set.SetFilter(set.GetFolderFilter(node));
    if (!fresh || node == NodeCarsCatalog || node == NodePartsCatalog)
        return set.CountRecords();
    if (node == NodeConfirmedOrders)
        return set.CountRecords(SqlExpr(QStringLiteral("IS_U_NEW = 1")));
    return set.CountRecords(SqlExpr(QStringLiteral("STATUS_CODE = ?"), {0}));
}

NodeCounter NodeCounters::Count(int node)
{
    if (!m_sets)
        m_sets = std::make_unique<Sets>(m_database);
    Sets &s = *m_sets;
    NodeCounter c;
    c.node = node;
    const auto both = [&c](XBaseSet &set, bool withNew) {
        if (IsQuotePage(c.node)) {
            const auto [total, fresh] = CountQuotes(set, c.node);
            c.total = total;
            c.fresh = withNew ? fresh : 0;
        } else {
            c.total = CountNodeRecords(set, c.node, false);
            c.fresh = withNew ? CountNodeRecords(set, c.node, true) : 0;
        }
    };
    if (IsPartQueryNode(node)) {
        both(s.queries, node == 137 || node == 20003 || node == 20102);
    } else if (IsCarQueryNode(node)) {
        c.tree = NodeCounter::CarsTree;
        both(s.carQueries, node == 159 || node == 161);
    } else if (node == NodePendingSales || node == NodePurchaseOrders || node == NodeCompletedSales ||
               node == NodeConfirmedOrders) {
        both(s.orders, node == NodePendingSales || node == NodeConfirmedOrders);
    } else if (node == NodeMessages) {
        c.tree = NodeCounter::CurrentTree;
        both(s.messages, true);
    } else if (node == NodeHotDeals || node == NodeMyHotDeals) {
        both(s.deals, node == NodeHotDeals);
    } else if (node == NodePartsCatalog || node == NodeCarsCatalog) {
        c.tree = NodeCounter::CurrentTree;
        both(node == NodePartsCatalog ? static_cast<XBaseSet &>(s.inventory) : s.carInventory, false);
    } else if (node == PartsMarkets || node == CarsMarkets) {
        c.tree = NodeCounter::CurrentTree;
        const Markets m = m_markets(node == CarsMarkets ? 1 : 0);
        c.total = m.total;
        c.fresh = m.subscribed;
        c.bold = m.isNew;
    } else {
        c.tree = NodeCounter::CurrentTree;
    }
    return c;
}

QList<NodeCounter> NodeCounters::Count(const QList<int> &nodes)
{
    QList<NodeCounter> out;
    out.reserve(nodes.size());
    for (int node : nodes) {
        // A counter that cannot be read keeps its old value; the others still update.
        try {
            out.append(Count(node));
        } catch (const DbException &e) {
            if (AppCore *app = theAppIfAny())
                app->WriteLog(QStringLiteral("Counter %1: %2").arg(node).arg(QString::fromUtf8(e.what())),
                              QStringLiteral("DB Error"), 3);
        }
    }
    return out;
}

const QList<int> &NodeCounters::BuyerNodes()
{
    static const QList<int> nodes{20002, 20003, 32836, 32837, 20004};
    return nodes;
}

const QList<int> &NodeCounters::SellerNodes()
{
    static const QList<int> nodes{20102, 20101, 104, 105, 20104};
    return nodes;
}

const QList<int> &NodeCounters::CarBuyerNodes()
{
    static const QList<int> nodes{158, 159, 160};
    return nodes;
}

const QList<int> &NodeCounters::CarSellerNodes()
{
    static const QList<int> nodes{161, 162, 163};
    return nodes;
}

QList<int> NodeCounters::PartsCounterNodes()
{
    return BuyerNodes() + SellerNodes() +
           QList<int>{137,           NodePartsCatalog,   NodeMessages,       NodeHotDeals,        NodeMyHotDeals,
                      NodePendingSales, NodePurchaseOrders, NodeCompletedSales, NodeConfirmedOrders, PartsMarkets};
}

QList<int> NodeCounters::CarsCounterNodes()
{
    // The cars Home shows the hot deals' counters too, though only the parts
    // navigator holds their pages.
    return CarBuyerNodes() + CarSellerNodes() +
           QList<int>{NodeCarsCatalog, NodeMessages, NodeHotDeals, NodeMyHotDeals, CarsMarkets};
}

QList<NodeCounter> NodeCounters::UpdatePartsCounters()
{
    return Count(PartsCounterNodes());
}

QList<NodeCounter> NodeCounters::UpdateCarsCounters()
{
    return Count(CarsCounterNodes());
}

QList<NodeCounter> NodeCounters::ReloadNavigatorCounters(int marketMode, const QString &role)
{
    const bool cars = marketMode == 1;
    if (role == QLatin1String("Seller"))
        return Count(cars ? CarSellerNodes() : SellerNodes() + QList<int>{137});
    QList<int> nodes = cars ? CarsCounterNodes() : PartsCounterNodes();
    if (role == QLatin1String("Buyer")) {
        // The buyer's own pages first; each node is still counted once.
        const QList<int> &buyer = cars ? CarBuyerNodes() : BuyerNodes();
        for (int node : buyer)
            nodes.removeOne(node);
        nodes = buyer + nodes;
    }
    return Count(nodes);
}
