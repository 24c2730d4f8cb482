#pragma once

#include "XBaseSet.h"

class XQuoteSet;

// The seller's parts stock (table Inventory): word search, the stock-number
// test, and a new parts quote filled from a part.
class XInventorySet : public XBaseSet
{
public:
    explicit XInventorySet(KVDatabase *database = nullptr);

    void AddFieldSearch(SqlExpr &list, const QString &value) const override;
    QString GetIdText() const override { return QString::number(GetInt64(FieldIndex("ID"))); }

    // A row with the current row's stock number exists. False when the database cannot tell.
    bool StockNumberExists();
    void FillPartQuote(XQuoteSet &quote) const;

    // The title of the part's picture (not stored in the table).
    QString PictureTitle() const { return m_pictureTitle; }
    void SetPictureTitle(const QString &title) { m_pictureTitle = title; }

private:
    QString m_pictureTitle;
};
