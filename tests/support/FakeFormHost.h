#pragma once

// A recording main window for the trading forms (header only: the forms
// library is above the support library).

#include "Fakes.h"

#include "forms/IFormHost.h"
#include "forms/SellerQueries.h"

#include <functional>

class FakeFormHost : public IFormHost
{
public:
    QWidget *DialogParent() const override { return nullptr; }
    void RefreshOpenQueries(bool select) override { log.Add(QStringLiteral("RefreshOpenQueries|%1").arg(select)); }
    void ShowMarketSubscription(const SubscribeRequest &r) override
    {
        log.Add(QStringLiteral("ShowMarketSubscription|%1|%2|%3").arg(r.market).arg(r.kind).arg(r.flag));
    }
    int GetActiveListType() const override { return activeList; }
    bool ShowsIncomingQueries() const override { return incoming; }
    void MarkReadIncoming() override { log.Add("MarkReadIncoming"); }
    void MarkReadPendingQuotes() override { log.Add("MarkReadPendingQuotes"); }
    void MarkReadHotDeals() override { log.Add("MarkReadHotDeals"); }
    void MarkReadPendingSales() override { log.Add("MarkReadPendingSales"); }
    QString GetSelectedComments() const override { return comments; }
    void SetSelectedComments(const QString &text) override
    {
        comments = text;
        log.Add("SetSelectedComments|" + text);
    }
    QList<NewInfoItem> NewInfoItems() const override { return items; }
    void SwitchToParts() override { log.Add("SwitchToParts"); }
    void SwitchToCars() override { log.Add("SwitchToCars"); }
    void SelectNavigatorItem(int nodeId) override { log.Add(QStringLiteral("SelectNavigatorItem|%1").arg(nodeId)); }
    int OptionsPropSheet(int page) override
    {
        log.Add(QStringLiteral("OptionsPropSheet|%1").arg(page));
        if (onOptions)
            onOptions();
        return 1;
    }

    void RebuildNavigator() override { log.Add("RebuildNavigator"); }
    void ApplyProfileMarketMode() override { log.Add("ApplyProfileMarketMode"); }
    void ReloadNavigator() override { log.Add("ReloadNavigator"); }
    void UpdateRoleMenus() override { log.Add("UpdateRoleMenus"); }
    void RefreshCarOpenRequests(bool select) override
    {
        log.Add(QStringLiteral("RefreshCarOpenRequests|%1").arg(select));
    }

    std::unique_ptr<ISellerQueries> SellerQueries(int marketMode) override
    {
        log.Add(QStringLiteral("SellerQueries|%1").arg(marketMode));
        return sellerQueries ? sellerQueries() : nullptr;
    }
    qint64 SelectFromInventory(const XBaseSet &, int marketMode) override
    {
        log.Add(QStringLiteral("SelectFromInventory|%1").arg(marketMode));
        return pickedInventory;
    }
    void OpenInventoryList(int marketMode) override { log.Add(QStringLiteral("OpenInventoryList|%1").arg(marketMode)); }
    void QuoteSent(int marketMode, int nodeId) override
    {
        log.Add(QStringLiteral("QuoteSent|%1|%2").arg(marketMode).arg(nodeId));
    }
    void ComposeMessageForSelection() override { log.Add("ComposeMessageForSelection"); }

    std::function<std::unique_ptr<ISellerQueries>()> sellerQueries;
    qint64 pickedInventory = -1;

    QString SelectedOrderId() const override { return selectedOrder; }
    void RefreshOrders() override { log.Add("RefreshOrders"); }
    void RefreshMyHotDeals(bool select) override { log.Add(QStringLiteral("RefreshMyHotDeals|%1").arg(select)); }
    void RefreshAfterMessage() override { log.Add("RefreshAfterMessage"); }

    int activeList = 0;
    bool incoming = false;
    QString comments;
    QList<NewInfoItem> items;
    QString selectedOrder;
    std::function<void()> onOptions;
    CallLog log;
};
