#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

class XRequest;

// "%s - %s" of both texts, "From %s" with only `from`, "To %s" with only `to`, else "Any".
QString FormatRangeText(const QString &from, const QString &to);

// The car queries (table Queries_Cars): the cars twin of XQuerySet, with the
// short captions the car query list shows.
class XQueryCarsSet : public XBaseSet
{
public:
    explicit XQueryCarsSet(KVDatabase *database = nullptr);

    SqlExpr GetFolderFilter(int folderId) override;
    void AddFieldSearch(SqlExpr &list, const QString &value) const override;
    QString GetIdText() const override { return GetText("ID"); }

    void ReadCarQueryXml(const XmlNode &carQuery);
    void ReadContactInfoXml(const XmlNode &answer);
    void BuildCarQueryXml(XRequest &request) const;
    XmlNode BuildCarQueryXml(XmlNode carQuery) const;
    void BuildDetailXml(XmlNode root, bool search) const;

    // The list's short range texts from the column values.
    static QString PriceRangeText(const QString &min, const QString &max);
    static QString MileageRangeText(const QString &min, const QString &max);
    static QString ColorText(const QString &exteriorColor);

    QString GetPriceRangeText() const;
    QString GetMileageRangeText() const;
    QString GetPriceSpanText() const;
    QString GetColorText() const;
};
