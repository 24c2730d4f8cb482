#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

class XInventoryCarsSet;
class XPhotoSet;
class XRequest;

// The car quotes (table Quotes_Cars): the cars twin of XQuoteSet, with up to
// six pictures.
class XQuoteCarsSet : public XBaseSet
{
public:
    static constexpr int PictureCount = 6;

    explicit XQuoteCarsSet(KVDatabase *database = nullptr);

    SqlExpr GetFolderFilter(int folderId) override;
    QString GetIdText() const override { return GetText("ID"); }

    void ReadCarQuoteXml(const XmlNode &carQuote);
    void BuildCarQuoteXml(XRequest &request, const XPhotoSet *photos) const;
    XmlNode BuildCarQuoteXml(XmlNode carQuote, const XPhotoSet *photos) const;
    void BuildDetailXml(XmlNode root, bool search) const;
    void AddPictureXml(XmlNode parent, int number, const QString &title) const;
    void CopyToInventoryCar(XInventoryCarsSet &inventory) const;
};
