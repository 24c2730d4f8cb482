#pragma once

// Hot deals: other members' (Hot Deals, incoming) and the member's own (My
// Hot Deals). Marks New/Read on incoming deals; deleting an own deal
// withdraws it from the server first.

#include "XBaseListCtrl.h"

#include "db/XHotDealSet.h"

class XHotDealListCtrl : public XBaseListCtrl
{
    Q_OBJECT

public:
    explicit XHotDealListCtrl(IListHost *host, QWidget *parent = nullptr);
    ActiveListType ListType() const override { return ListHotDeals; }

    bool CanDo(int operation) const override;
    int GetSelectedStatus() const override;
    // Incoming deals go at once; an own deal only when the server withdrew it
    // ("removeDeal" answered 0), else it stays and the server's reason shows.
    bool DeleteSelected() override;
    void MarkNew() override { SetStatus(0, QStringLiteral("New")); }
    void MarkRead() override { SetStatus(1, QStringLiteral("Read")); }
    // Marks an unread incoming deal read, then opens the deal preview.
    void ShowDealDetail();
    // The deal viewer over this list, on the selected deal.
    void OpenDealViewer();
    // The selected deal's detail XML ("details") and its page.
    QByteArray GetDetailsXml() const;
    QString GetDetailsHtml() const;
    // The deal owner's extended profile in the browser dialog.
    void ShowOwnerProfile();
    // The deal's message thread on the Messages page (the latest when there are several).
    void ShowMessages();
    // Selects the deal alone; else row 0 and false. With `show` its details show at once.
    bool LocateById(const QString &id, bool show);
    bool GetMessageAddress(int kind, MessageAddress *address) const override;

protected:
    IRecordViews::ListKind RegistryKind() const override { return IRecordViews::ListKind::HotDeals; }
    QString CellText(int row, int column) const override;
    bool IsRowBold(int row) const override;
    void ShowDetails(int row) override;
    void OpenSelected() override { ShowDealDetail(); }
    bool ToggleMark() override;

private:
    void SetStatus(int code, const QString &text);
    bool Incoming(int row) const;

    mutable XHotDealSet m_set;
};
