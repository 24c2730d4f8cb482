#pragma once

// The rules of the car sheet's two uses: the car quote answering a car query
// (the one at the seller list's current place) sent by "newCarQuote", and the
// car inventory record saved with its six pictures. The sheet's pages move
// values between their controls and the record.

#include "SellerQueries.h"
#include "SubmitPipeline.h"

#include "app/Interfaces.h"
#include "app/XPhotoSet.h"
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

class CarQuoteForm : public SubmitForm
{
public:
    static const char ObsoleteText[];

    CarQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list);

    bool LoadCurrentQuery();
    bool MoveTo(int index);
    ISellerQueries *List() const { return m_walk.List(); }
    int Index() const { return m_walk.Index(); }
    bool Walks() const { return m_walk.Walks(); }
    bool HasQuery() const { return m_loaded; }

    XQuoteCarsSet &Quote() { return m_quote; }
    const XQueryCarsSet &Query() const { return m_query; }
    void SetStoreToInventory(bool on) { m_storeToInventory = on; }
    void SetPictures(const QList<InvPicture> &pictures) { m_pictures = pictures; }
    qint64 InventoryCopyId() const { return m_inventoryCopy; }
    // The quote filled from a car of the inventory; false when it is gone.
    bool FillFromInventory(qint64 id);

    FormOutcome Submit(SubmitPipeline &pipeline);

    // --- SubmitForm ---
    QString MissingFields() override { return CarForms::MissingFields(m_quote); }
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    void AfterStore() override;
    XMarketPlace RefusingMarket() const override;
    bool HandleResultCode(const XRequest &request) override;

private:
    IFormHost *m_host;
    QueryWalk m_walk;
    bool m_loaded = false;
    XQueryCarsSet m_query;
    XQuoteCarsSet m_quote;
    XPhotoSet m_photos;
    PictureCollection m_collected{XPhotoSet::SlotCount};
    QList<InvPicture> m_pictures;
    bool m_storeToInventory = false;
    qint64 m_inventoryCopy = -1;
};

class CarInventoryForm
{
public:
    static inline const QString ModelPlaceholder = QStringLiteral("-- Please Select Model --");

    CarInventoryForm();
    XInventoryCarsSet &Record() { return m_set; }
    bool IsNew() const { return m_new; }
    qint64 RecordId() const { return m_id; }
    // A new car preset from the member's profile.
    void StartNew();
    // The car with this ID in edit mode; false (and a new car) when it is gone.
    bool Open(qint64 id);
    // Stores the car and its pictures; its ID, or -1 after an error box.
    qint64 Save(const QList<InvPicture> &pictures);

private:
    XInventoryCarsSet m_set;
    bool m_new = true;
    qint64 m_id = -1;
};
