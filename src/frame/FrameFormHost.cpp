#include "FrameFormHost.h"

#include "NewInfoModel.h"

#include "CMainFrame.h"
#include "IFrameDialogs.h"

#include "dialogs/NodeIds.h"
#include "net/XMarketPlaces.h"
#include "forms/SellerQueries.h"
#include "views/InventoryPickers.h"
#include "views/XBaseListCtrl.h"
#include "views/XQueryListCtrl.h"

#include "app/Constants.h"

QWidget *FrameFormHost::DialogParent() const
{
    return m_frame;
}

void FrameFormHost::RefreshOpenQueries(bool select)
{
    RefreshOpenList(NodeOpenRequests, ListPartQueries, select);
}

void FrameFormHost::RefreshCarOpenRequests(bool select)
{
    RefreshOpenList(NodeCarsOpenRequests, ListCarQueries, select);
}

void FrameFormHost::RefreshOpenList(int node, int listType, bool select)
{
    if (!m_frame)
        return;
    if (m_frame->CurrentNode() == node) {
        if (IRecordList *list = m_frame->CurrentList())
            list->Reload();
    } else if (select) {
        m_frame->SelectNavigatorItem(node);
    }
    // Whatever is shown, the new record counts in its node and its neighbours.
    m_frame->RefreshCounters(listType, node);
}

void FrameFormHost::ShowMarketSubscription(const SubscribeRequest &request)
{
    if (!m_frame)
        return;
    // The Marketplaces page reads the request while it opens; it lasts that long only.
    m_frame->SetSubscribeRequest(request.market, request.kind, request.flag != 0);
    m_frame->SelectNavigatorItem(m_frame->GetMarketMode() == Korvant::MarketCars ? XMarketPlaces::CarsNodeId
                                                                                   : XMarketPlaces::PartsNodeId);
    m_frame->SetSubscribeRequest(QString(), 0, false);
}

int FrameFormHost::GetActiveListType() const
{
    return m_frame ? m_frame->GetActiveListType() : ListNone;
}

bool FrameFormHost::ShowsIncomingQueries() const
{
    const int node = m_frame ? m_frame->CurrentNode() : 0;
    return node == NodeIncomingLeads || node == NodeCarsIncomingLeads;
}

void FrameFormHost::MarkSelectionRead()
{
    if (XBaseListCtrl *list = m_frame ? XBaseListCtrl::FromPane(m_frame->CurrentList()) : nullptr)
        list->MarkRead();
}

QString FrameFormHost::GetSelectedComments() const
{
    XBaseListCtrl *list = m_frame ? XBaseListCtrl::FromPane(m_frame->CurrentList()) : nullptr;
    return list ? list->GetComments() : QString();
}

void FrameFormHost::SetSelectedComments(const QString &text)
{
    if (XBaseListCtrl *list = m_frame ? XBaseListCtrl::FromPane(m_frame->CurrentList()) : nullptr)
        list->SetComments(text);
}

void FrameFormHost::SwitchToParts()
{
    if (m_frame)
        m_frame->SwitchToParts();
}

void FrameFormHost::SwitchToCars()
{
    if (m_frame)
        m_frame->SwitchToCars();
}

void FrameFormHost::SelectNavigatorItem(int nodeId)
{
    if (m_frame)
        m_frame->SelectNavigatorItem(nodeId);
}

int FrameFormHost::OptionsPropSheet(int page)
{
    return m_frame ? m_frame->Dialogs().OptionsPropSheet(page) : 0;
}

QList<NewInfoItem> FrameFormHost::NewInfoItems() const
{
    if (!m_frame || !m_frame->NewInfo())
        return {};
    m_frame->NewInfo()->RebuildNewInfoList(AlertSettings::FromSettings());
    return m_frame->NewInfo()->Items();
}

void FrameFormHost::RebuildNavigator()
{
    if (m_frame)
        m_frame->RebuildNavigator();
}

void FrameFormHost::ApplyProfileMarketMode()
{
    if (m_frame)
        m_frame->ApplyProfileMarketMode();
}

void FrameFormHost::ReloadNavigator()
{
    if (m_frame)
        m_frame->ReloadNavigator();
}

void FrameFormHost::UpdateRoleMenus()
{
    if (m_frame)
        m_frame->UpdateRoleMenus();
}

namespace {

// The frame's shown query list as the quote forms walk it: its queries (top
// rows) in the list's order.
class ShownQueryList : public ISellerQueries
{
public:
    ShownQueryList(CMainFrame &frame, XTreeListCtrl &list, int node) : m_frame(frame), m_list(list), m_node(node) {}
    int NodeId() const override { return m_node; }
    int Count() const override { return int(Ids().size()); }
    int CurrentIndex() const override
    {
        int row = m_list.SelectedRows().value(0, -1);
        if (row >= 0 && !m_list.IsTopLevelRow(row))
            row = m_list.GetParentItem(row);
        return row < 0 ? 0 : int(Ids().indexOf(m_list.QueryIdOf(row)));
    }
    QString IdAt(int index) const override { return Ids().value(index); }
    void Select(int index) override
    {
        const QString id = IdAt(index);
        if (!id.isEmpty())
            m_list.LocateQuery(XTreeListCtrl::MakeKey(true, id), true, false);
    }
    void Reload() override { m_list.Refill(); }
    bool DeleteSelected() override
    {
        const int before = Count();
        m_frame.OnDelete();
        return Count() < before;
    }
    bool RequestContactInfo() override
    {
        auto *queries = dynamic_cast<XQueryListCtrl *>(&m_list);
        return queries && queries->RequestContactInfo(true);
    }

private:
    QStringList Ids() const
    {
        QStringList ids;
        for (int row = 0; row < m_list.RowCount(); ++row) {
            if (m_list.IsTopLevelRow(row))
                ids.append(m_list.QueryIdOf(row));
        }
        return ids;
    }
    CMainFrame &m_frame;
    XTreeListCtrl &m_list;
    int m_node;
};

} // namespace

std::unique_ptr<ISellerQueries> FrameFormHost::SellerQueries(int marketMode)
{
    if (!m_frame)
        return nullptr;
    const int wanted = marketMode == Korvant::MarketCars ? ListCarQueries : ListPartQueries;
    auto *list = dynamic_cast<XTreeListCtrl *>(XBaseListCtrl::FromPane(m_frame->CurrentList()));
    if (!list || m_frame->GetActiveListType() != wanted)
        return nullptr;
    return std::make_unique<ShownQueryList>(*m_frame, *list, m_frame->CurrentNode());
}

qint64 FrameFormHost::SelectFromInventory(const XBaseSet &query, int marketMode)
{
    if (marketMode == Korvant::MarketCars) {
        InventorySelDlg picker(query, m_frame);
        picker.DoModal();
        return picker.SelectedId();
    }
    CSelectPartFromInv picker(query, m_frame);
    picker.DoModal();
    return picker.SelectedId();
}

void FrameFormHost::OpenInventoryList(int marketMode)
{
    if (!m_frame)
        return;
    const int node = marketMode == Korvant::MarketCars ? NodeCarsCatalog : NodePartsCatalog;
    if (m_frame->CurrentNode() == node) {
        if (IRecordList *list = m_frame->CurrentList())
            list->Reload();
        m_frame->RefreshCounters(marketMode == Korvant::MarketCars ? ListCarInventory : ListPartInventory, node);
    } else {
        m_frame->SelectNavigatorItem(node);
    }
}

void FrameFormHost::QuoteSent(int marketMode, int nodeId)
{
    if (!m_frame)
        return;
    const bool cars = marketMode == Korvant::MarketCars;
    if (m_frame->CurrentNode() == nodeId) {
        if (IRecordList *list = m_frame->CurrentList())
            list->Reload();
    }
    m_frame->RefreshCounters(cars ? ListCarQueries : ListPartQueries, nodeId);
    m_frame->RefreshCounters(cars ? ListCarInventory : ListPartInventory, cars ? NodeCarsCatalog : NodePartsCatalog);
}

void FrameFormHost::ComposeMessageForSelection()
{
    if (m_frame)
        m_frame->ComposeMessageForSelection();
}

QString FrameFormHost::SelectedOrderId() const
{
    if (GetActiveListType() != ListOrders)
        return QString();
    XBaseListCtrl *list = m_frame ? XBaseListCtrl::FromPane(m_frame->CurrentList()) : nullptr;
    return list ? list->SelectedKeys().value(0) : QString();
}

void FrameFormHost::RefreshOrders()
{
    if (!m_frame)
        return;
    // The quote list an order was placed from changes too: its quote is ordered.
    if (IRecordList *list = m_frame->CurrentList())
        list->Reload();
    m_frame->RefreshCounters(ListOrders, m_frame->CurrentNode());
}

void FrameFormHost::RefreshAfterMessage()
{
    if (m_frame)
        m_frame->RefreshAfterMessage();
}

void FrameFormHost::RefreshMyHotDeals(bool select)
{
    if (!m_frame)
        return;
    if (m_frame->CurrentNode() == NodeMyHotDeals) {
        if (IRecordList *list = m_frame->CurrentList())
            list->Reload();
    } else if (select) {
        m_frame->SelectNavigatorItem(NodeMyHotDeals);
    }
    m_frame->RefreshCounters(ListHotDeals, NodeMyHotDeals);
}
