#pragma once

#include "XBaseSet.h"

#include "net/XmlUtil.h"

class XInventorySet;
class XPhotoSet;
class XRequest;

// The parts quotes (table Quotes): received for the member's queries or sent
// by him. The server's "quote" element with its picture, the "quote" item of
// "newQuote" with the member's photo, the quote detail page, and the copy of
// an offered part into the inventory.
class XQuoteSet : public XBaseSet
{
public:
    explicit XQuoteSet(KVDatabase *database = nullptr);

    // Quotes are listed under their queries: the lists set the base filter.
    SqlExpr GetFolderFilter(int folderId) override;
    QString GetIdText() const override { return GetText("ID"); }

    // The member's contact (all but id and name) into the current row.
    void FillOwnContact();
    // A server "quote" into the current row; its first picture goes to disk.
    void ReadQuoteXml(const XmlNode &quote);
    void BuildQuoteXml(XRequest &request, const XPhotoSet *photos);
    XmlNode BuildQuoteXml(XmlNode quote, const XPhotoSet *photos);
    void BuildDetailXml(XmlNode root, bool search) const;
    void AddPictureXml(XmlNode parent, int number, const QString &title) const;
    void CopyToInventoryPart(XInventorySet &inventory) const;

    // The title of the quote's first picture (not stored in the table).
    QString PictureTitle() const { return m_pictureTitle; }
    void SetPictureTitle(const QString &title) { m_pictureTitle = title; }

private:
    QString m_pictureTitle;
};
