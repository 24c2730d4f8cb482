#pragma once

// The rules of the purchase order form: the "new-order" page of a received
// quote, the secure address the order travels to, and the order row stored
// with the quote marked ordered ("Po", 4) in one transaction.

#include "SubmitPipeline.h"

#include "browser/AppUrl.h"
#include "db/XOrderSet.h"
#include "db/XQuoteSet.h"

#include <QString>

class OrderForm : public SubmitForm
{
public:
    OrderForm(const QString &contextType, const QString &quoteId);

    bool IsLoaded() const { return m_loaded; }
    // The payment method chosen on the page; empty shows "Credit Card".
    QString payMethod;

    static double TotalPrice(double quantity, double price, double shipping, double coreDeposit);
    // "<title> - New Purchase Order - QuoteID [<query>] <<year> <make> <model> <part>>".
    QString Caption(const QString &mainTitle) const;
    // The "new-order" document of the quote, the seller and the member.
    XmlDoc BuildNewOrderXml() const;

    // Where "newOrder" goes: the server's secure host (a bare host name gets
    // https and the configured server's path); without one the configured
    // server only when it is https itself, else empty (card data never travel
    // unencrypted).
    static QString SecureAddress(const QString &sslHost, const QString &serverUrl);

    // The page's form fields by name.
    void SetFields(const AppParams &fields) { m_fields = fields; }
    static SubmitSpec Spec();
    FormOutcome Submit(SubmitPipeline &pipeline);

    // --- SubmitForm ---
    QString MissingFields() override { return QString(); }
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    XMarketPlace RefusingMarket() const override;
    QString RequestUrl() const override { return m_url; }

    XOrderSet &Row() { return m_row; }

private:
    QString Field(const char *name) const { return m_fields.value(QLatin1String(name)); }
    void FillRow();

    QString m_contextType;
    QString m_quoteId;
    bool m_loaded = false;
    AppParams m_fields;
    QString m_url;
    mutable XQuoteSet m_quote;
    XOrderSet m_row;
};
