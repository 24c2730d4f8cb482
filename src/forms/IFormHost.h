#pragma once

// What the trading forms need of the main window and its lists. The frame
// implements it; main() installs it; tests use a recording fake. Every call
// comes on the main thread.

#include <QList>
#include <QString>

#include <memory>

class ISellerQueries;
class QWidget;
class XBaseSet;

// The page a refused submit asks the main window to open: the marketplace
// (market_id), the page kind (1 subscription, 2 passes) and whether the
// passes are for a buyer (1 from the query forms).
struct SubscribeRequest
{
    SubscribeRequest() = default;
    SubscribeRequest(const QString &marketText, int pageKind, int buyerFlag)
        : market(marketText), kind(pageKind), flag(buyerFlag)
    {
    }
    QString market;
    int kind = 0;
    int flag = 0;
    bool operator==(const SubscribeRequest &) const = default;
};

// One line of the new-information list: a navigator page with new items.
struct NewInfoItem
{
    QString caption;
    int nodeId = 0;
    int marketMode = -1;  // 0 parts, 1 cars, -1 none
    int count = 0;
    bool operator==(const NewInfoItem &) const = default;
};

class IFormHost
{
public:
    virtual ~IFormHost() = default;

    // The window the forms' dialogs belong to (may be null).
    virtual QWidget *DialogParent() const = 0;
    // After a query was sent: a shown Open Queries list reloads; otherwise
    // it opens (select) or only its counter is refreshed.
    virtual void RefreshOpenQueries(bool select) = 0;
    virtual void ShowMarketSubscription(const SubscribeRequest &request) = 0;

    // The list shown and its selected record (comments).
    virtual int GetActiveListType() const = 0;
    virtual bool ShowsIncomingQueries() const = 0;
    virtual void MarkReadIncoming() = 0;
    virtual void MarkReadPendingQuotes() = 0;
    virtual void MarkReadHotDeals() = 0;
    virtual void MarkReadPendingSales() = 0;
    virtual QString GetSelectedComments() const = 0;
    // Stores the text in the selected record's COMMENTS and redraws the list.
    virtual void SetSelectedComments(const QString &text) = 0;

    // New information and the market switch.
    virtual QList<NewInfoItem> NewInfoItems() const = 0;
    virtual void SwitchToParts() = 0;
    virtual void SwitchToCars() = 0;
    virtual void SelectNavigatorItem(int nodeId) = 0;
    virtual int OptionsPropSheet(int page) = 0;

    // After the profile was saved: the navigator and the role menus follow it.
    virtual void RebuildNavigator() = 0;
    virtual void ApplyProfileMarketMode() = 0;
    virtual void ReloadNavigator() = 0;
    virtual void UpdateRoleMenus() = 0;

    // Car queries: after one was sent, the cars Open Requests list as RefreshOpenQueries does it.
    virtual void RefreshCarOpenRequests(bool select) = 0;

    // --- seller forms: quotes and inventory records ---
    // The shown seller query list of the market (0 parts, 1 cars), for a quote form to walk; null without one.
    virtual std::unique_ptr<ISellerQueries> SellerQueries(int marketMode) = 0;
    // The inventory picker for the query the set stands on: the chosen record's ID, -1 for none.
    virtual qint64 SelectFromInventory(const XBaseSet &query, int marketMode) = 0;
    // After an inventory record was saved: the inventory list shown and counted.
    virtual void OpenInventoryList(int marketMode) = 0;
    // After a quote was sent: query counters, the list of the node, the inventory counter.
    virtual void QuoteSent(int marketMode, int nodeId) = 0;
    // Send Message for the selected query.
    virtual void ComposeMessageForSelection() = 0;

    // Orders and hot deals.
    // The key of the selected order when the shown list is the order list, else empty.
    virtual QString SelectedOrderId() const = 0;
    // After an order was stored or updated: the shown order list reloads, else its counter.
    virtual void RefreshOrders() = 0;
    // After a deal was kept: a shown My Hot Deals list reloads; otherwise it opens (select).
    virtual void RefreshMyHotDeals(bool select) = 0;
    // After a message written outside the lists: the shown list and the messages reload.
    virtual void RefreshAfterMessage() = 0;
};
