#include "CarQueryForm.h"

#include "IFormHost.h"

#include "app/Constants.h"
#include "app/FilterExpr.h"
#include "app/XSettings.h"
#include "db/TradeXml.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QDateTime>

const char CarQueryForm::SuccessText[] =
    "Your query was submitted successfully.  You can find it under the \"Open Queries\" folder. Once you  receive "
    "quotes from sellers, the query and related quotes will be displayed under the \"Pending Quotes\" folder.";

namespace {

bool IsUnchosen(const QString &text)
{
    return text.isEmpty() || text.startsWith(u'-');
}

} // namespace

CarQueryForm::CarQueryForm(IFormHost *host) : m_host(host)
{
    StartNew();
}

void CarQueryForm::StartNew()
{
    m_query.AddNew();
    m_query.SetText("MODEL", ModelPlaceholder);
    m_query.SetText("MIN_YEAR", QStringLiteral("1980"));
    m_query.SetText("MAX_YEAR", QStringLiteral("2005"));
    m_query.SetText("ZIP", TradeXml::Profile().zip);
}

void CarQueryForm::InitFromParams(const QMap<QString, QString> &params)
{
    const std::pair<const char *, const char *> plain[] = {
        {"categ", "CATEGORY"}, {"year_fr", "MIN_YEAR"}, {"year_to", "MAX_YEAR"},
        {"price_fr", "MIN_PRICE"}, {"price_to", "MAX_PRICE"},
    };
    for (const auto &[param, column] : plain) {
        QString value = params.value(QLatin1String(param));
        // Category names hold blanks, which the page sends as "%20" like makes and models.
        if (qstrcmp(param, "categ") == 0)
            value.replace(QLatin1String("%20"), QLatin1String(" "));
        m_query.SetText(column, value);
    }
    for (const char *key : {"make", "model"}) {
        QString value = params.value(QLatin1String(key));
        if (value.isEmpty() || value.startsWith(QLatin1String("--")))
            continue;
        value.replace(QLatin1String("%20"), QLatin1String(" "));
        m_query.SetText(qstrcmp(key, "make") == 0 ? "MAKE" : "MODEL", value);
    }
    m_keepValues = true;
    m_continue = true;
}

void CarQueryForm::SetPrivate(const QString &displayName, const QString &passportId)
{
    m_private = true;
    m_privateName = displayName;
    m_privateId = passportId;
}

QString CarQueryForm::Normalize(Amount kind, const QString &text)
{
    const QString value = text.trimmed();
    switch (kind) {
    case Amount::Within:
        return value == u"All" ? QString() : value;
    case Amount::Mileage:
        if (value == u"0" || value == u"No Maximum" || value == u"100,000+")
            return QString();
        return QString(value).remove(u',');
    case Amount::Price:
        break;
    }
    // The car filter sends its prices the same way.
    return CarFilter::NormalizePrice(value);
}

SubmitSpec CarQueryForm::Spec()
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newCarQuery");
    spec.failureCaption = QStringLiteral("Cannot send the query");
    spec.recordWord = QStringLiteral("query");
    spec.sender = RefusalSender::Query;
    spec.marketMode = Korvant::MarketCars;
    spec.confirmSetting = Setting::SendQueryConfirm;
    spec.successText = QString::fromLatin1(SuccessText);
    return spec;
}

QString CarQueryForm::MissingFields()
{
    QString lines;
    if (IsUnchosen(m_query.GetText("MAKE")))
        lines += QStringLiteral("- Make\n");
    if (IsUnchosen(m_query.GetText("MODEL")))
        lines += QStringLiteral("- Model\n");
    if (m_tradeIn == TradeIn::Unanswered)
        lines += QStringLiteral("- Trade In\n");
    return lines;
}

bool CarQueryForm::Prepare()
{
    // A summary left by an earlier, refused submit is no trade-in once the member said "No".
    if (m_tradeIn != TradeIn::Yes)
        m_query.SetText("TRADE_IN", QString());
    m_query.SetBool("IS_INCOMING", false);
    m_query.SetText("STATUS", QStringLiteral("New"));
    m_query.SetInt("STATUS_CODE", 0);
    m_query.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch()));
    m_query.SetInt("LIVE_TIME", 30);
    if (m_private) {
        m_query.SetText("MARKET_ID", QStringLiteral("PERSONAL_") + m_privateId);
        m_query.SetText("MARKET_NAME", m_privateName);
    } else {
        XMarketPlace market;
        market.name = m_query.GetText("MARKET_NAME");
        const XMarketPlaces *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
        if (!places || places->FindMarketPlace(market, Korvant::MarketCars) != 1)
            market.marketId.clear();
        m_query.SetText("MARKET_ID", market.marketId);
    }
    return true;
}

void CarQueryForm::BuildRequest(XRequest &request)
{
    const ProfileData p = TradeXml::Profile();
    // The car query keeps no e-mail.
    const std::pair<const char *, QString> contact[] = {
        {"C_ID", TradeXml::PassportId()}, {"C_NAME", p.name},       {"C_PHONE", p.phone},
        {"C_MOBILE", p.mobile},           {"C_FAX", p.fax},         {"C_WEBSITE", p.website},
        {"C_STREET", p.street},           {"C_CITY", p.city},       {"C_STATE", p.state},
        {"C_ZIP", p.zip},                 {"C_COUNTRY", p.country}, {"C_COMPANY", p.company},
        {"C_SIGNATURE", QString()},       {"BUSINESS_TYPE", p.businessType},
    };
    for (const auto &[column, value] : contact)
        m_query.SetText(column, value);
    m_query.BuildCarQueryXml(request);
}

void CarQueryForm::Store(const XRequest &answer)
{
    m_query.SetText("ID", answer.GetResponseText(QStringLiteral("car_query_id")));
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    if (created > 0)
        m_query.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(created));
    if (m_private)
        m_query.SetText("MARKET_ID", QStringLiteral("PERSONAL"));
    m_query.Update();
}

void CarQueryForm::AfterStore()
{
    // Private or not, the list opens: the member looks for the query there.
    if (m_host)
        m_host->RefreshCarOpenRequests(true);
}

XMarketPlace CarQueryForm::RefusingMarket() const
{
    XMarketPlace market;
    market.name = m_query.GetText("MARKET_NAME");
    return market;
}
