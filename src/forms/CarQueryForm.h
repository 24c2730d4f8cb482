#pragma once

// The rules of the car query sheet: the record being composed, its defaults,
// the continue parameters of a page, the private query, the amounts as the
// lists show them turned into what is sent, the missing-field list, the
// "newCarQuery" request and the store of the sent query. The pages only move
// values between their controls and the record.

#include "QueryFormBase.h"

#include "db/XQueryCarsSet.h"

#include <QMap>
#include <QString>

class IFormHost;

class CarQueryForm : public QueryFormBase
{
public:
    static inline const QString ModelPlaceholder = QStringLiteral("-- Select Or Type Model --");
    static const char SuccessText[];

    enum class TradeIn { Unanswered, Yes, No };
    enum class Amount { Within, Mileage, Price };

    explicit CarQueryForm(IFormHost *host = nullptr);

    XQueryCarsSet &Query() { return m_query; }
    const XQueryCarsSet &Query() const { return m_query; }

    // A new record with the defaults.
    void StartNew();
    // The page's "continue_query" parameters (categ, year_fr, year_to, price_fr, price_to, make, model).
    void InitFromParams(const QMap<QString, QString> &params);

    void SetTradeIn(TradeIn answer) { m_tradeIn = answer; }

    // A list's text as sent: "All" within, a mileage of "0", "No Maximum" or
    // "100,000+", a price of "$0", "No Maximum" or "100,000+" are none; the
    // rest loses every "$" and ",".
    static QString Normalize(Amount kind, const QString &text);

    static SubmitSpec Spec();

    // --- SubmitForm ---
    QString MissingFields() override;
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void AfterStore() override;

protected:
    XBaseSet &Row() override { return m_query; }
    const XBaseSet &Row() const override { return m_query; }

private:
    XQueryCarsSet m_query;
    TradeIn m_tradeIn = TradeIn::Unanswered;
};
