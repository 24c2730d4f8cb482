#pragma once

// What the part and car quote forms share: the walk through the seller's
// query list (the query at its current place is the one answered), the
// pictures, the copy into the inventory, the stamps of a quote going out and
// the store of the sent one with the query's status. Each form keeps its
// query and quote records and says how its kind differs (Kind).

#include "SellerQueries.h"
#include "SubmitPipeline.h"

#include "app/Interfaces.h"
#include "app/XPhotoSet.h"
#include "net/XmlUtil.h"

#include <memory>

class IFormHost;

class QuoteFormBase : public SubmitForm
{
public:
    // What one kind of quote differs in.
    struct Kind
    {
        int marketMode;
        int walkNode;            // the list walked query by query
        int pictureSlots;
        const char *operation;   // "newQuote"
        const char *idKey;       // the answer's new id ("quote_id")
        const char *queryTable;  // where the answered query turns "Replied"
        bool stampsReceived;     // the table keeps RECIVE_DATE too
        int liveDays;            // 0: the column is left alone
    };

    // The query at the list's current place into a new quote; false when there is none.
    bool LoadCurrentQuery();
    // Selects the query at `index` in the list and loads it.
    bool MoveTo(int index);
    ISellerQueries *List() const { return m_walk.List(); }
    int Index() const { return m_walk.Index(); }
    // The list is walked query by query (pending queries).
    bool Walks() const { return m_walk.Walks(); }
    // Where a walk goes on once the query at its place left the list (quoted
    // or deleted): the one now there, else the last; -1 when none is left or
    // the list is not walked.
    int NextPlace() const;
    bool HasQuery() const { return m_loaded; }

    void SetStoreToInventory(bool on) { m_storeToInventory = on; }
    void SetPictures(const QList<InvPicture> &pictures) { m_pictures = pictures; }
    qint64 InventoryCopyId() const { return m_inventoryCopy; }

    // The quote filled from an inventory record; false when it is gone.
    virtual bool FillFromInventory(qint64 id) = 0;
    // The record the seller picks in the inventory (the host's picker, for
    // the answered query) fills the quote: its ID, or -1 when none did.
    qint64 FillFromPicked();
    // The answered query as its details pane shows it.
    virtual XmlDoc QueryDetails() const = 0;

    FormOutcome Submit(SubmitPipeline &pipeline);

    // --- SubmitForm ---
    bool Prepare() override;
    void Store(const XRequest &answer) override;
    void AfterStore() override;
    XMarketPlace RefusingMarket() const override;

protected:
    QuoteFormBase(IFormHost *host, std::unique_ptr<ISellerQueries> list, const Kind &kind);

    virtual SubmitSpec Spec() const;
    virtual XBaseSet &QuoteRow() = 0;
    virtual XBaseSet &QueryRow() = 0;
    virtual const XBaseSet &QueryRow() const = 0;
    // The new quote's columns from the loaded query.
    virtual void TakeQuery() = 0;
    // The pictures as photos (no id yet) or as the sent quote's files.
    virtual void PrepareImages(const QString &quoteId) = 0;
    // The sent quote copied into the inventory; the copy's ID.
    virtual qint64 StoreInventoryCopy() = 0;

    IFormHost *m_host;
    XPhotoSet m_photos;
    PictureCollection m_collected;
    bool m_storeToInventory = false;

private:
    const Kind &m_kind;
    QueryWalk m_walk;
    bool m_loaded = false;
    QList<InvPicture> m_pictures;
    qint64 m_inventoryCopy = -1;
};
