#pragma once

// The rules of the car sheet's two uses: the car quote answering a car query
// (the one at the seller list's current place) sent by "newCarQuote", and the
// car inventory record saved with its six pictures. The sheet's pages move
// values between their controls and the record.

#include "InventoryFormBase.h"
#include "QuoteFormBase.h"

#include "db/XInventoryCarsSet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuoteCarsSet.h"

#include <memory>

class IFormHost;

namespace CarForms {
// The missing-field lines of both General pages ("- Year\n" ...).
QString MissingFields(const XBaseSet &car);
// "Salvage/Damaged" and "Repairable" cars get the damage page.
bool NeedsDamagePage(const QString &category);
} // namespace CarForms

class CarQuoteForm : public QuoteFormBase
{
public:
    static const char ObsoleteText[];

    CarQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list);

    XQuoteCarsSet &Quote() { return m_quote; }
    const XQueryCarsSet &Query() const { return m_query; }
    // The quote filled from a car of the inventory; false when it is gone.
    bool FillFromInventory(qint64 id) override;
    XmlDoc QueryDetails() const override;

    // --- SubmitForm ---
    QString MissingFields() override { return CarForms::MissingFields(m_quote); }
    void BuildRequest(XRequest &request) override;
    void AfterStore() override;
    bool HandleResultCode(const XRequest &request) override;

protected:
    XBaseSet &QuoteRow() override { return m_quote; }
    XBaseSet &QueryRow() override { return m_query; }
    const XBaseSet &QueryRow() const override { return m_query; }
    void TakeQuery() override;
    void PrepareImages(const QString &quoteId) override;
    qint64 StoreInventoryCopy() override;

private:
    XQueryCarsSet m_query;
    XQuoteCarsSet m_quote;
};

class CarInventoryForm : public InventoryFormBase
{
public:
    static inline const QString ModelPlaceholder = QStringLiteral("-- Please Select Model --");

    CarInventoryForm();
    XInventoryCarsSet &Record() { return m_set; }

protected:
    XBaseSet &Row() override { return m_set; }
    // A new car is preset from the member's profile.
    void SetDefaults() override;
    qint64 Write(const QList<InvPicture> &pictures) override;

private:
    XInventoryCarsSet m_set;
};
