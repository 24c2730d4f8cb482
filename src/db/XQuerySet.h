#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

class XRequest;

// The parts queries (table Queries): posted by the member or received as a
// seller. Folder filters, word search, the server's "query" element, the
// "query" item of "newQuery" and the query detail page.
class XQuerySet : public XBaseSet
{
public:
    explicit XQuerySet(KVDatabase *database = nullptr);

    SqlExpr GetFolderFilter(int folderId) override;
    void AddFieldSearch(SqlExpr &list, const QString &value) const override;
    QString GetIdText() const override { return GetText("ID"); }

    // The member's own contact into the current row (a new outgoing query).
    void FillOwnContact();
    // A server "query" element into the current row (the caller adds and updates).
    void ReadQueryXml(const XmlNode &query);
    // The buyer's full contact from a "getQuery" answer.
    void ReadContactInfoXml(const XmlNode &answer);
    void BuildQueryXml(XRequest &request) const;
    XmlNode BuildQueryXml(XmlNode parent) const;
    static QString MapBusinessType(const QString &businessType);
    void BuildDetailXml(XmlNode root, bool search) const;
};
