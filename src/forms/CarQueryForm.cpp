#include "CarQueryForm.h"

#include "IFormHost.h"

#include "app/Constants.h"
#include "app/FilterExpr.h"
#include "db/TradeXml.h"
#include "net/XRequest.h"

const char CarQueryForm::SuccessText[] =
    "Your query was submitted successfully.  You can find it under the \"Open Queries\" folder. Once you  receive "
    "quotes from sellers, the query and related quotes will be displayed under the \"Pending Quotes\" folder.";

namespace {

const QueryFormBase::Kind kCarQuery = {
    Korvant::MarketCars, "newCarQuery", "car_query_id", "MAKE", "MODEL", false, 30, CarQueryForm::SuccessText,
};

} // namespace

CarQueryForm::CarQueryForm(IFormHost *host) : QueryFormBase(host, kCarQuery)
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
    TakeMakeAndModel(params);
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
    return SpecOf(kCarQuery);
}

QString CarQueryForm::MissingFields()
{
    QString lines = MissingMakeAndModel();
    if (m_tradeIn == TradeIn::Unanswered)
        lines += QStringLiteral("- Trade In\n");
    return lines;
}

bool CarQueryForm::Prepare()
{
    // A summary left by an earlier, refused submit is no trade-in once the member said "No".
    if (m_tradeIn != TradeIn::Yes)
        m_query.SetText("TRADE_IN", QString());
    return QueryFormBase::Prepare();
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

void CarQueryForm::AfterStore()
{
    // Private or not, the list opens: the member looks for the query there.
    if (m_host)
        m_host->RefreshCarOpenRequests(true);
}
