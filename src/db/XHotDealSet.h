#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

#include <QString>

class XRequest;

// Hot deals: offers with a limited live time published to the whole market,
// received from the server (incoming) or the member's own (outgoing). A
// deal's price and quantity are free texts.
class XHotDealSet : public XBaseSet
{
public:
    enum Folder : int { Received = 130, Own = 131 };
    static constexpr int DefaultLiveTime = 90;

    explicit XHotDealSet(KVDatabase *database = nullptr);

    SqlExpr GetFolderFilter(int folderId) override;
    QString GetIdText() const override;
    // A new deal starts with the default live time.
    void AddNew() override;

    // Moves to the deal with this id (bound, never pasted); false when none.
    bool SelectById(const QString &id);

    // Fills the current row from a "deal" element (AddNew before, Update after).
    void ReadDealXml(const XRequest *request, const XmlNode &dealNode);
    // Appends the "deal" element of "newDeal"; a deal always goes to the whole market.
    void BuildDealXml(XRequest &request) const;
    // The detail XML of the deal views, into a root the caller created.
    void BuildDetailXml(XmlNode root, bool withMhtUrl = false, const QString &mhtUrl = QString());
};
