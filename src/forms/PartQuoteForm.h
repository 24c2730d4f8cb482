#pragma once

// The rules of the part quote form: the query answered (the one at the
// seller list's current place), the quote composed from it, the missing-field
// list, the "newQuote" request with the part's picture, and the store of the
// sent quote: the quote, the query's status and the optional inventory copy
// in one transaction. NewQuoteDlg moves values between its controls and the
// quote; the quick quote of a query page uses the form without a window.

#include "QuoteFormBase.h"

#include "db/XQuerySet.h"
#include "db/XQuoteSet.h"

#include <QMap>

#include <memory>

class IFormHost;

class PartQuoteForm : public QuoteFormBase
{
public:
    static inline const QString ChooseOne = QStringLiteral("-- Choose One --");
    static const char SuccessFormat[];

    // `list` null: no query to answer.
    PartQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list);

    XQuoteSet &Quote() { return m_quote; }
    const XQuerySet &Query() const { return m_query; }
    // The buyer left the condition open ("any"): the seller must choose one.
    bool QueryConditionIsAny() const;
    QString Caption(const QString &marketModeName) const;

    bool FillFromInventory(qint64 id) override;
    XmlDoc QueryDetails() const override;

    // The page's quick quote: "price", "shipping", "part_type" (empty: "Used"),
    // "notes"; sent without the form's validation.
    FormOutcome SubmitQuick(SubmitPipeline &pipeline, const QMap<QString, QString> &params);

    // --- SubmitForm ---
    QString MissingFields() override;
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void AfterStore() override;

protected:
    SubmitSpec Spec() const override;
    XBaseSet &QuoteRow() override { return m_quote; }
    XBaseSet &QueryRow() override { return m_query; }
    const XBaseSet &QueryRow() const override { return m_query; }
    void TakeQuery() override;
    void PrepareImages(const QString &quoteId) override;
    qint64 StoreInventoryCopy() override;

private:
    XQuerySet m_query;
    XQuoteSet m_quote;
    bool m_quick = false;
};
