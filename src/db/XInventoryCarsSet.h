#pragma once

#include "XBaseSet.h"

class XQuoteCarsSet;

// The seller's stock of whole cars (table Inventory_Cars).
class XInventoryCarsSet : public XBaseSet
{
public:
    explicit XInventoryCarsSet(KVDatabase *database = nullptr);

    void AddFieldSearch(SqlExpr &list, const QString &value) const override;
    QString GetIdText() const override { return QString::number(GetInt64(FieldIndex("ID"))); }

    void FillCarQuote(XQuoteCarsSet &quote) const;
};
