#include "NewInfoModel.h"

#include "app/XSettings.h"
#include "dialogs/NodeIds.h"

NewInfoModel::NewInfoModel(NodeSource source) : m_source(std::move(source)) {}

int NewInfoModel::RebuildNewInfoList(const AlertSettings &alerts)
{
    m_items.clear();
    constexpr int Current = -1, Parts = 0, Cars = 1;
    if (alerts.messages)
        AddNewInfoItem(NodeMessages, Current);
    if (alerts.quotes) {
        AddNewInfoItem(20003, Parts);
        AddNewInfoItem(159, Cars);
    }
    if (alerts.orders) {
        AddNewInfoItem(NodePendingSales, Parts);
        AddNewInfoItem(NodeConfirmedOrders, Parts);
    }
    if (alerts.deals)
        AddNewInfoItem(NodeHotDeals, Current);
    if (alerts.queries) {
        AddNewInfoItem(20102, Parts);
        AddNewInfoItem(161, Cars);
    }
    return int(m_items.size());
}

void NewInfoModel::AddNewInfoItem(int node, int mode)
{
    if (!m_source)
        return;
    const NodeInfo info = m_source(node, mode);
    if (info.newCount > 0)
        m_items.append({info.caption, node, mode, info.newCount});
}

NewInfoModel::Notice NewInfoModel::UpdateNewInfoNotice(XSettings &settings)
{
    const qsizetype before = m_items.size();
    AlertSettings alerts;
    alerts.queries = settings.IsOn(Setting::DispAlertForQrs);
    alerts.quotes = settings.IsOn(Setting::DispAlertForQts);
    alerts.messages = settings.IsOn(Setting::DispAlertForMsgs);
    alerts.deals = settings.IsOn(Setting::DispAlertForDeals);
    alerts.orders = settings.IsOn(Setting::DispAlertForOrders);
    RebuildNewInfoList(alerts);

    Notice notice;
    if (!m_items.isEmpty() && settings.IsOn(Setting::DispAlertsOnInc)) {
        notice.shown = true;
        notice.blink = settings.IsOn(Setting::BlinkNewInfo) && settings.IsOn(Setting::BlinkSetNewInfo);
    } else if (before > 0) {
        settings.SetInt(Setting::BlinkNewInfo, 0);
        settings.Save();
    }
    return notice;
}

NewInfoModel::Notice NewInfoModel::RaiseAlert(XSettings &settings)
{
    settings.SetInt(Setting::BlinkNewInfo, 1);
    settings.Save();
    return UpdateNewInfoNotice(settings);
}
