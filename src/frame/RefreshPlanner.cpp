#include "RefreshPlanner.h"

#include "dialogs/NodeIds.h"
#include "dialogs/PaneInterfaces.h"

namespace {

// Query pages of the two trees whose counters follow the news.
constexpr int OpenRequests = 20002, PendingQuotes = 20003, IncomingLeads = 20102, RepliedQuotes = 20101;
constexpr int MySiteQueries = 137;
constexpr int CarOpenRequests = 158, CarPendingQuotes = 159, CarIncomingLeads = 161, CarRepliedQuotes = 162;
constexpr int Parts = 0, Cars = 1;

class Builder
{
public:
    void Reload(int node) { m_plan.actions.append({RefreshAction::Reload, node}); }
    void Count(int node) { m_plan.actions.append({RefreshAction::Count, node}); }
    void Bar(int mode) { m_plan.actions.append({RefreshAction::FilterBar, mode}); }
    void Select(int node) { m_plan.actions.append({RefreshAction::Select, node}); }
    void ReloadPartQueries() { m_plan.actions.append({RefreshAction::ReloadPartQueries, 0}); }
    void Alert(bool on) { m_plan.alert = m_plan.alert || on; }
    // Of two twin pages: the shown one reloads and the other is counted; with
    // neither shown both are counted.
    void Twins(int node, int first, int second)
    {
        if (node == first) {
            Reload(first);
            Count(second);
        } else if (node == second) {
            Reload(second);
            Count(first);
        } else {
            Count(first);
            Count(second);
        }
    }
    RefreshPlan Take() { return std::move(m_plan); }

private:
    RefreshPlan m_plan;
};

} // namespace

QString RefreshAction::ToString() const
{
    static const char *const kNames[] = {"Reload", "Count", "FilterBar", "ReloadPartQueries", "Select"};
    if (kind == ReloadPartQueries)
        return QLatin1String(kNames[kind]);
    return QStringLiteral("%1 %2").arg(QLatin1String(kNames[kind])).arg(node);
}

QStringList RefreshPlan::ToStrings() const
{
    QStringList out;
    for (const RefreshAction &a : actions)
        out << a.ToString();
    return out;
}

namespace RefreshPlanner {

RefreshPlan AfterPoll(const NewCounts &counts, const Context &context, const AlertSettings &alerts)
{
    const auto &c = counts.value;
    const int node = context.node;
    Builder b;

    if (c[NewCounts::Queries] > 0) {
        const bool replied = c[NewCounts::AutoReplied] > 0;
        if (node == IncomingLeads) {
            b.Reload(IncomingLeads);
            b.Count(MySiteQueries);
        } else if (node == RepliedQuotes) {
            if (replied)
                b.Reload(RepliedQuotes);
            else
                b.Count(IncomingLeads);
            b.Count(MySiteQueries);
        } else if (node == MySiteQueries) {
            b.Reload(MySiteQueries);
        } else {
            b.Count(IncomingLeads);
            b.Count(MySiteQueries);
        }
        if (replied && node != RepliedQuotes)
            b.Count(RepliedQuotes);
        b.Bar(Parts);
        b.Alert(alerts.queries);
    }
    if (c[NewCounts::CarQueries] > 0) {
        b.Bar(Cars);
        if (node == CarIncomingLeads) {
            b.Reload(CarIncomingLeads);
            b.Count(MySiteQueries);
        } else {
            b.Count(CarIncomingLeads);
        }
        b.Alert(alerts.queries);
    }
    if (c[NewCounts::Quotes] > 0) {
        b.Twins(node, OpenRequests, PendingQuotes);
        b.Alert(alerts.quotes);
    }
    if (c[NewCounts::CarQuotes] > 0) {
        b.Twins(node, CarOpenRequests, CarPendingQuotes);
        b.Alert(alerts.quotes);
    }
    // Car messages live in the same table and list as the others.
    if (c[NewCounts::Messages] > 0 || c[NewCounts::CarMessages] > 0) {
        if (node == NodeMessages) {
            b.Reload(NodeMessages);
            b.Count(NodeMessages);
        } else {
            b.Count(NodeMessages);
            // The query rows carry the message counts of their threads.
            if (context.activeList == ListPartQueries)
                b.ReloadPartQueries();
        }
        b.Alert(alerts.messages);
    }
    if (c[NewCounts::HotDeals] > 0) {
        if (node == NodeHotDeals) {
            b.Reload(NodeHotDeals);
        } else {
            b.Count(NodeHotDeals);
            b.Count(NodeMyHotDeals);
        }
        b.Alert(alerts.deals);
    }
    if (c[NewCounts::Orders] > 0) {
        if (node == NodePendingSales)
            b.Reload(NodePendingSales);
        else
            b.Count(NodePendingSales);
        b.Alert(alerts.orders);
    }
    if (c[NewCounts::OrderUpdates] > 0) {
        if (node == NodeConfirmedOrders)
            b.Reload(NodeConfirmedOrders);
        else
            b.Count(NodeConfirmedOrders);
        b.Alert(alerts.orders);
    }
    return b.Take();
}

RefreshPlan AfterSellerReply(int node)
{
    Builder b;
    if (node == RepliedQuotes || node == IncomingLeads || node == MySiteQueries) {
        b.Reload(node);
        for (int other : {RepliedQuotes, IncomingLeads, MySiteQueries})
            if (other != node)
                b.Count(other);
    } else {
        b.Count(IncomingLeads);
        b.Count(RepliedQuotes);
        b.Count(MySiteQueries);
    }
    return b.Take();
}

RefreshPlan AfterSellerCarReply(int node)
{
    Builder b;
    b.Twins(node, CarIncomingLeads, CarRepliedQuotes);
    return b.Take();
}

RefreshPlan AfterCatalogChange(int node)
{
    Builder b;
    if (node == NodePartsCatalog)
        b.Reload(NodePartsCatalog);
    else
        b.Count(NodePartsCatalog);
    return b.Take();
}

RefreshPlan AfterSent(int sentNode, int node, bool select)
{
    Builder b;
    if (node == sentNode)
        b.Reload(sentNode);
    else if (select)
        b.Select(sentNode);
    else
        b.Count(sentNode);
    return b.Take();
}

PollNotifyPlan AfterPollNotify(const NewCounts &counts, int mode, int node, const AlertSettings &alerts)
{
    const auto &c = counts.value;
    PollNotifyPlan plan;
    const auto show = [&plan, mode, node](int switchTo, int page) {
        plan.switchToMode = switchTo == mode ? -1 : switchTo;
        plan.node = page;
        plan.reloadOnly = plan.switchToMode < 0 && page == node;
    };
    // A kind with a page in each market: stay in the shown market when it has
    // news of the kind, else go to the other.
    const auto twoSided = [&show, mode](int parts, int cars, int partsPage, int carsPage) {
        if (mode == Cars)
            cars > 0 ? show(Cars, carsPage) : show(Parts, partsPage);
        else
            parts > 0 ? show(Parts, partsPage) : show(Cars, carsPage);
    };

    const int queries = c[NewCounts::Queries], carQueries = c[NewCounts::CarQueries];
    const int quotes = c[NewCounts::Quotes], carQuotes = c[NewCounts::CarQuotes];
    const int messages = c[NewCounts::Messages], carMessages = c[NewCounts::CarMessages];
    if ((queries > 0 || carQueries > 0) && alerts.queries) {
        twoSided(queries, carQueries, IncomingLeads, CarIncomingLeads);
    } else if ((quotes > 0 || carQuotes > 0) && alerts.quotes) {
        twoSided(quotes, carQuotes, PendingQuotes, CarPendingQuotes);
    } else if ((messages > 0 || carMessages > 0) && alerts.messages) {
        int target = mode;
        if (messages == 0 && mode == Parts)
            target = Cars;
        else if (carMessages == 0 && mode == Cars)
            target = Parts;
        show(target, NodeMessages);
    } else if (c[NewCounts::HotDeals] > 0 && alerts.deals) {
        // Hot deals and orders have pages in the parts market only: from the
        // cars market the click would select a page its navigator lacks.
        show(Parts, NodeHotDeals);
    } else if (c[NewCounts::Orders] > 0 && alerts.orders) {
        show(Parts, NodePendingSales);
    } else if (c[NewCounts::OrderUpdates] > 0) {
        show(Parts, NodeConfirmedOrders);
    }
    return plan;
}

} // namespace RefreshPlanner
