#pragma once

// What a record list asks of the window that shows it. The main frame
// implements it (dialogs that host a list may give their own or none); a
// dialog that does not exist yet answers with a "not yet available" box.

#include "app/AppCore.h"
#include "app/Interfaces.h"

#include <QIcon>
#include <QPoint>
#include <QString>

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

    // --- the query lists and the message list ----------------------------------------------
    // Whether a node shows every query with its quotes opened (the quote folders).
    virtual bool ExpandsAllQuotes(int nodeId) const
    {
        return nodeId == 20003 || nodeId == 20101 || nodeId == 159 || nodeId == 162;
    }
    // Shows a navigator node; its list is then the shown one of its kind.
    virtual void SelectNode(int nodeId)
    {
        if (AppCore *app = theAppIfAny())
            if (IMainFrame *frame = app->Frame())
                frame->SelectNavigatorItem(nodeId);
    }
    // The part quote form for the selected incoming part query.
    virtual void NewQuoteForSelection() {}
    // The Send Quote command (car quote sheet) for the selected incoming car query.
    virtual void SendCarQuote() {}
    // The new purchase order form for an incoming quote.
    virtual void NewOrderForQuote(const QString &queryId, const QString &quoteId) { (void)queryId, (void)quoteId; }
    // The car quote detail of the selected car quote.
    virtual void ShowCarQuoteDetail(const QString &caption, const QString &quoteId) { (void)caption, (void)quoteId; }
    // The Write Comment command on the selected record.
    virtual void WriteComment() {}
    // A reply to the selected message thread (Send Message).
    virtual void ComposeMessageForSelection() {}
    // A new message about the selected record; `kind` as XBaseListCtrl::GetMessageAddress takes it.
    virtual void ComposeMessage(int kind) { (void)kind; }
    // A refused marketplace: 1 its subscribe page, 2 its pay-trial page.
    virtual void ShowMarketSubscription(const QString &marketId, int kind) { (void)marketId, (void)kind; }
    // Messages were marked or deleted: the navigator's message counter.
    virtual void UpdateMessagesCounter() {}
};
