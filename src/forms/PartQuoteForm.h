#pragma once

// The rules of the part quote form: the query answered (the one at the
// seller list's current place), the quote composed from it, the missing-field
// list, the "newQuote" request with the part's picture, and the store of the
// sent quote: the quote, the query's status and the optional inventory copy
// in one transaction. NewQuoteDlg moves values between its controls and the
// quote; the quick quote of a query page uses the form without a window.

#include "SellerQueries.h"
#include "SubmitPipeline.h"

#include "app/Interfaces.h"
#include "app/XPhotoSet.h"
#include "db/XQuerySet.h"
#include "db/XQuoteSet.h"

#include <QMap>

#include <memory>

class IFormHost;

class PartQuoteForm : public SubmitForm
{
public:
    static inline const QString ChooseOne = QStringLiteral("-- Choose One --");
    static const char SuccessFormat[];

    // `list` null: no query to answer.
    PartQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list);

    // The query at the list's current place into a new quote; false when there is none.
    bool LoadCurrentQuery();
    // Selects the query at `index` in the list and loads it.
    bool MoveTo(int index);
    ISellerQueries *List() const { return m_walk.List(); }
    int Index() const { return m_walk.Index(); }
    // The list is walked query by query (pending queries).
    bool Walks() const { return m_walk.Walks(); }

    XQuoteSet &Quote() { return m_quote; }
    const XQuerySet &Query() const { return m_query; }
    bool HasQuery() const { return m_loaded; }
    // The buyer left the condition open ("any"): the seller must choose one.
    bool QueryConditionIsAny() const;
    QString Caption(const QString &marketModeName) const;

    void SetStoreToInventory(bool on) { m_storeToInventory = on; }
    void SetPictures(const QList<InvPicture> &pictures) { m_pictures = pictures; }
    qint64 InventoryCopyId() const { return m_inventoryCopy; }

    // The quote filled from an inventory record; false when it is gone.
    bool FillFromInventory(qint64 id);

    FormOutcome Submit(SubmitPipeline &pipeline);
    // The page's quick quote: "price", "shipping", "part_type" (empty: "Used"),
    // "notes"; sent without the form's validation.
    FormOutcome SubmitQuick(SubmitPipeline &pipeline, const QMap<QString, QString> &params);

    // --- SubmitForm ---
    QString MissingFields() override;
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    void AfterStore() override;
    XMarketPlace RefusingMarket() const override;

private:
    SubmitSpec Spec() const;

    IFormHost *m_host;
    QueryWalk m_walk;
    bool m_loaded = false;
    XQuerySet m_query;
    XQuoteSet m_quote;
    XPhotoSet m_photos;
    PictureCollection m_collected{1};
    QList<InvPicture> m_pictures;
    bool m_storeToInventory = false;
    bool m_quick = false;
    qint64 m_inventoryCopy = -1;
};
