#include "FrameFormHost.h"

#include "NewInfoModel.h"

#include "CMainFrame.h"
#include "IFrameDialogs.h"

#include "dialogs/NodeIds.h"
#include "forms/RecordComments.h"
#include "net/XMarketPlaces.h"
#include "views/XBaseListCtrl.h"

#include "app/Constants.h"

QWidget *FrameFormHost::DialogParent() const
{
    return m_frame;
}

void FrameFormHost::RefreshOpenQueries(bool select)
{
    if (!m_frame)
        return;
    if (m_frame->CurrentNode() == NodeOpenRequests) {
        if (IRecordList *list = m_frame->CurrentList())
            list->Reload();
    } else if (select) {
        m_frame->SelectNavigatorItem(NodeOpenRequests);
    } else {
        m_frame->RefreshCounters(ListPartQueries, NodeOpenRequests);
    }
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

QString FrameFormHost::SelectedId() const
{
    XBaseListCtrl *list = m_frame ? XBaseListCtrl::FromPane(m_frame->CurrentList()) : nullptr;
    return list ? list->SelectedKeys().value(0) : QString();
}

QString FrameFormHost::GetSelectedComments() const
{
    return RecordComments::Read(GetActiveListType(), SelectedId());
}

void FrameFormHost::SetSelectedComments(const QString &text)
{
    if (!RecordComments::Write(GetActiveListType(), SelectedId(), text))
        return;
    if (XBaseListCtrl *list = XBaseListCtrl::FromPane(m_frame->CurrentList()))
        list->Refill();
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

QString FrameFormHost::SelectedOrderId() const
{
    return GetActiveListType() == ListOrders ? SelectedId() : QString();
}

void FrameFormHost::RefreshOrders()
{
    if (!m_frame)
        return;
    if (GetActiveListType() == ListOrders) {
        if (IRecordList *list = m_frame->CurrentList())
            list->Reload();
    }
    m_frame->RefreshCounters(ListOrders, m_frame->CurrentNode());
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
    } else {
        m_frame->RefreshCounters(ListHotDeals, NodeMyHotDeals);
    }
}
