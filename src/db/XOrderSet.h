#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

#include <QString>

class XRequest;

// Purchase orders the member sent (outgoing) or received as a seller
// (incoming), with the seller's order update folded into the same row.
// Card and billing columns hold what the protocol delivers (the seller
// needs them); the database file's owner-only mode is their protection.
class XOrderSet : public XBaseSet
{
public:
    // Navigator folders of the order lists.
    enum Folder : int { SalesInProgress = 195, PurchasesInProgress = 196, SalesCompleted = 198, PurchasesCompleted = 199 };
    // What BuildDetailXml builds: the view, the print copy, the copy for the recipient.
    enum DetailMode : int { DetailView = 0, DetailPrint = 1, DetailPrintRecipient = 2 };

    explicit XOrderSet(KVDatabase *database = nullptr);

    SqlExpr GetFolderFilter(int folderId) override;
    QString GetIdText() const override;

    // Orders placed from one record (a quote).
    static int CountByContext(const QString &contextId, const QString &contextType, KVDatabase *database = nullptr);

    // Fill the current row; the caller calls AddNew (or Edit) before and Update after.
    void ReadOrderXml(const XRequest *request, const XmlNode &orderNode);
    void ReadOrderUpdateXml(const XRequest *request, const XmlNode &updateNode);
    void ReadBillingInfoXml(const XmlNode &orderNode);
    // Moves to the order an "order_update" names and stores the update; false
    // (nothing changed) when no such order is stored.
    bool StoreOrderUpdateXml(const XRequest *request, const XmlNode &updateNode);

    // Moves to the order with this id (bound, never pasted); false when none.
    bool SelectById(const QString &id);

    // Append the request elements of "newOrder" / "newOrderUpdate" built from the row.
    // Building an order sets the row's live time to the one an order travels with.
    void BuildOrderXml(XRequest &request);
    void BuildOrderUpdateXml(XRequest &request) const;

    // The detail XML the order views render, into a root the caller created.
    void BuildDetailXml(XmlNode root, int mode, bool searchView = false);
    // One "message" element per message about the record (owner empty: every thread).
    static void AddContextMessagesXml(const QString &contextType, const QString &contextId, const QString &ownerId,
                                      XmlNode parent, KVDatabase *database = nullptr);

    static constexpr int OrderLiveTime = 14;
};
