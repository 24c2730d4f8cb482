#pragma once

// Purchase orders: the seller's Pending and Completed Sales, the buyer's
// Purchase Orders and Confirmed Orders. Column 2 names the other party.

#include "XBaseListCtrl.h"

#include "db/XOrderSet.h"

#include <functional>

class XOrderListCtrl : public XBaseListCtrl
{
    Q_OBJECT

public:
    explicit XOrderListCtrl(IListHost *host, QWidget *parent = nullptr);
    ActiveListType ListType() const override { return ListOrders; }

    // The folder's filter, then column 2 is the seller on the buyer's nodes (196,
    // 199: RCP_NAME) and the buyer elsewhere (C_NAME), shown and sorted so.
    void SetFolder(int nodeId) override;
    bool CanDo(int operation) const override;
    int GetSelectedStatus() const override;
    // New/Read by node: status on Pending Sales, the member's new flag on Confirmed Orders.
    void MarkNew() override;
    void MarkRead() override;
    void MarkCompleted();
    // Only "is_incoming" is known ("1" or "0"); anything else is empty.
    QString GetSelectedProperty(const QString &name) const;
    // "getOrder" for the selected order; its billing is stored for the detail
    // view. False (the reason shown) when the server refused.
    bool FetchPaymentInfo(bool refresh);
    // The selected order's detail XML: 0 "order-details", 1 "details-print", 2 "details-print-rcp".
    QByteArray GetOrderXml(int mode) const;
    QString GetOrderHtml(int mode) const;
    // Stores the note, then the list has the focus back.
    bool SetComments(const QString &text) override;
    // The quote the selected order was placed from, on its page; "Quote not found" otherwise.
    void GoToOrderQuote();
    // The order's message thread on the Messages page (the latest when there are several).
    void ShowMessages();
    // The other party of the order (from its quote when the order does not name it).
    bool GetMessageAddress(int kind, MessageAddress *address) const override;

protected:
    IRecordViews::ListKind RegistryKind() const override { return IRecordViews::ListKind::Orders; }
    QString CellText(int row, int column) const override;
    bool IsRowBold(int row) const override;
    void ShowDetails(int row) override;
    void OpenSelected() override;
    bool ToggleMark() override;
    void AfterToggle(bool changed) override;

private:
    bool BuyerSide() const;
    bool SetStatus(int code, const QString &text);
    bool SetUserNew(bool on);
    bool MarkByNode(bool asNew);
    // A mark, then the refill and counters when it changed something.
    void RunMark(const std::function<bool()> &mark);

    mutable XOrderSet m_set;
};
