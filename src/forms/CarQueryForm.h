#pragma once

// The rules of the car query sheet: the record being composed, its defaults,
// the continue parameters of a page, the private query, the amounts as the
// lists show them turned into what is sent, the missing-field list, the
// "newCarQuery" request and the store of the sent query. The pages only move
// values between their controls and the record.

#include "SubmitPipeline.h"

#include "db/XQueryCarsSet.h"

#include <QMap>
#include <QString>

class IFormHost;

class CarQueryForm : public SubmitForm
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
    bool KeepValues() const { return m_keepValues; }
    bool ContinueMode() const { return m_continue; }
    void EndOpening() { m_continue = false; m_keepValues = false; }

    void SetPrivate(const QString &displayName, const QString &passportId);
    bool IsPrivate() const { return m_private; }
    QString PrivateName() const { return m_privateName; }

    void SetTradeIn(TradeIn answer) { m_tradeIn = answer; }

    // A list's text as sent: "All" within, a mileage of "0", "No Maximum" or
    // "100,000+", a price of "$0", "No Maximum" or "100,000+" are none; the
    // rest loses every "$" and ",".
    static QString Normalize(Amount kind, const QString &text);

    static SubmitSpec Spec();
    FormOutcome Submit(SubmitPipeline &pipeline) { return pipeline.Run(*this, Spec()); }

    // --- SubmitForm ---
    QString MissingFields() override;
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    void AfterStore() override;
    XMarketPlace RefusingMarket() const override;

private:
    IFormHost *m_host;
    XQueryCarsSet m_query;
    bool m_private = false;
    QString m_privateName;
    QString m_privateId;
    bool m_keepValues = false;
    bool m_continue = false;
    TradeIn m_tradeIn = TradeIn::Unanswered;
};
