#pragma once

#include "app/Interfaces.h"
#include "sync/NewInfoAlert.h"

#include <QList>
#include <QString>

// One thing the main window does to catch up with news.
struct RefreshAction
{
    enum Kind {
        Reload,            // reload the list shown on `node` (with the list's counter where it has one)
        Count,             // the counter operation of `node`
        FilterBar,         // refill the filter bar of market `node` (0 parts, 1 cars)
        ReloadPartQueries, // reload the part query list on its own node
        Select,            // select `node` in the navigator (its page is shown)
    };
    Kind kind = Count;
    int node = 0;

    bool operator==(const RefreshAction &) const = default;
    // "Reload 20102", "Count 137", "FilterBar 1", ... (logs and tests).
    QString ToString() const;
};

struct RefreshPlan
{
    QList<RefreshAction> actions;
    // Some news the member wants to hear about: "BlinkNewInfo" goes on and the
    // notice is updated.
    bool alert = false;

    QStringList ToStrings() const;
};

// What the window does after news: which lists reload, which counters are
// counted again, which filter bars refill, and whether the member is alerted.
// Pure: the window runs the plan on the main thread.
namespace RefreshPlanner {

// The shown page's context.
struct Context
{
    int node = -1;            // the current tree's current node
    int activeList = 0;       // ActiveListType of the list shown
};

// After a poll with news (the counts the poller copied into the window).
RefreshPlan AfterPoll(const NewCounts &counts, const Context &context, const AlertSettings &alerts);
// After an automatic reply to incoming queries (parts) or car queries.
RefreshPlan AfterSellerReply(int node);
RefreshPlan AfterSellerCarReply(int node);
// After an import: My Catalog reloads when shown, else only its counter.
RefreshPlan AfterCatalogChange(int node);
// After a form sent a query (20002), a car query (158) or a hot deal (131):
// the node reloads when shown; else it is selected (`select`) or only counted.
RefreshPlan AfterSent(int sentNode, int node, bool select);

// A click on the pop-up of the poller's news: the page of the first kind of
// news the member is alerted to.
struct PollNotifyPlan
{
    int switchToMode = -1;  // the market mode to switch to first, -1 none
    int node = -1;          // the page to show, -1 none
    // The page's list is reloaded rather than selected (already current, no switch).
    bool reloadOnly = false;
};
PollNotifyPlan AfterPollNotify(const NewCounts &counts, int marketMode, int node, const AlertSettings &alerts);

} // namespace RefreshPlanner
