#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class KVDatabase;
class XBaseSet;

// One navigator counter as the window sets it (SetItemCounter on a tree).
struct NodeCounter
{
    enum Tree : int { CurrentTree = -1, PartsTree = 0, CarsTree = 1 };
    int node = 0;
    int total = 0;
    int fresh = 0;     // the new records, 0 where the node has no new count
    bool bold = true;  // drawn bold while it has new records
    int tree = PartsTree;

    bool operator==(const NodeCounter &) const = default;
    QString ToString() const;  // "20003 12/3 bold parts"
};

// The navigator's counters, counted on the calling thread's connection
// through the record sets' folder filters. Used on the main thread; the
// window applies what comes back. Quote totals of a query page are one
// statement per page whatever the number of queries.
class NodeCounters
{
public:
    // What the marketplace counters show for a market (0 parts, 1 cars).
    struct Markets
    {
        int total = 0;
        int subscribed = 0;
        bool isNew = false;
    };
    using MarketSource = std::function<Markets(int marketMode)>;

    // Without a source the marketplaces come from theMarketPlaces().
    explicit NodeCounters(KVDatabase *database = nullptr, MarketSource markets = {});
    ~NodeCounters();
    NodeCounters(const NodeCounters &) = delete;
    NodeCounters &operator=(const NodeCounters &) = delete;

    // Records of a node through the set's folder filter; with `fresh`, the
    // new ones (STATUS_CODE 0, IS_U_NEW for 199). The quote pages 20003,
    // 20101 (part query set) and 159, 162 (car query set) count the quotes
    // of their queries; 155 and 20105 have no new count.
    static int CountNodeRecords(XBaseSet &set, int node, bool fresh);
    // Total and new quotes of the queries of a quote page, in one statement.
    static std::pair<int, int> CountQuotes(XBaseSet &querySet, int node);

    // The counter operation of one node (the tree it is set in comes with it).
    NodeCounter Count(int node);
    // Several; a node whose count fails is logged and left out.
    QList<NodeCounter> Count(const QList<int> &nodes);

    QList<NodeCounter> UpdatePartsCounters();
    QList<NodeCounter> UpdateCarsCounters();
    // After a profile change: the seller counters only for role "Seller",
    // the buyer counters first for "Buyer", every counter of the mode else.
    QList<NodeCounter> ReloadNavigatorCounters(int marketMode, const QString &role);

    static const QList<int> &BuyerNodes();
    static const QList<int> &SellerNodes();
    static const QList<int> &CarBuyerNodes();
    static const QList<int> &CarSellerNodes();
    static QList<int> PartsCounterNodes();
    static QList<int> CarsCounterNodes();

private:
    struct Sets;
    KVDatabase *m_database;
    MarketSource m_markets;
    std::unique_ptr<Sets> m_sets;
};
