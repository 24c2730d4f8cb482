#pragma once

// What a record list asks of the window that shows it. The main frame
// implements it (dialogs that host a list may give their own or none); a
// dialog that does not exist yet answers with a "not yet available" box.

#include <QIcon>
#include <QPoint>

class IListHost
{
public:
    virtual ~IListHost() = default;

    // The navigator node the main window shows. While a node's page is being
    // shown this is still the node shown before: a list refilled for another
    // node than the last one takes that node's remembered sort.
    virtual int CurrentNode() const = 0;
    // The main menu's "&Action" menu at a screen position (never for lists in dialog mode).
    virtual void ShowActionMenu(const QPoint &globalPos) = 0;
    // The icon in front of each row of a list (ActiveListType); null for none.
    virtual QIcon RowIcon(int listType) const = 0;
    // Records of a node were marked or deleted: its navigator and dashboard counters.
    virtual void RefreshCounters(int listType, int nodeId) = 0;
    // The Details command on the shown list: the selected record's form.
    virtual void OpenDetails() = 0;
    // The hot deal preview of the selected deal.
    virtual void ShowHotDealPreview() = 0;
    // The order update form of the selected (incoming) order.
    virtual void UpdateSelectedOrder() = 0;
};
