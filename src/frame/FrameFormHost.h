#pragma once

// The trading forms' view of the main window, over the frame's public
// operations and its lists.

#include "forms/IFormHost.h"

class CMainFrame;

class FrameFormHost : public IFormHost
{
public:
    void Attach(CMainFrame *frame) { m_frame = frame; }

    QWidget *DialogParent() const override;
    void RefreshOpenQueries(bool select) override;
    void ShowMarketSubscription(const SubscribeRequest &request) override;
    int GetActiveListType() const override;
    bool ShowsIncomingQueries() const override;
    void MarkReadIncoming() override { MarkSelectionRead(); }
    void MarkReadPendingQuotes() override { MarkSelectionRead(); }
    void MarkReadHotDeals() override { MarkSelectionRead(); }
    void MarkReadPendingSales() override { MarkSelectionRead(); }
    QString GetSelectedComments() const override;
    void SetSelectedComments(const QString &text) override;
    // The frame keeps no new-information list yet.
    QList<NewInfoItem> NewInfoItems() const override;
    void SwitchToParts() override;
    void SwitchToCars() override;
    void SelectNavigatorItem(int nodeId) override;
    int OptionsPropSheet(int page) override;
    void RebuildNavigator() override;
    void ApplyProfileMarketMode() override;
    void ReloadNavigator() override;
    void UpdateRoleMenus() override;
    void RefreshCarOpenRequests(bool select) override;

    std::unique_ptr<ISellerQueries> SellerQueries(int marketMode) override;
    qint64 SelectFromInventory(const XBaseSet &query, int marketMode) override;
    void OpenInventoryList(int marketMode) override;
    void QuoteSent(int marketMode, int nodeId) override;
    void ComposeMessageForSelection() override;

    QString SelectedOrderId() const override;
    void RefreshOrders() override;
    void RefreshAfterMessage() override;
    void RefreshMyHotDeals(bool select) override;

private:
    void RefreshOpenList(int node, int listType, bool select);
    void MarkSelectionRead();

    CMainFrame *m_frame = nullptr;
};
