#include "PartQueryForm.h"

#include "FormRules.h"
#include "IFormHost.h"

#include "app/Constants.h"
#include "db/TradeXml.h"
#include "net/XRequest.h"

const char PartQueryForm::SuccessText[] =
    "Your query was submitted successfully.  You can find it under the \"Open Request\" folder. Once you  receive "
    "quotes from sellers, the query and related quotes will be displayed under the \"Pending Quotes\" folder.";

namespace {

const QueryFormBase::Kind kPartQuery = {
    Korvant::MarketParts, "newQuery", "query_id", "V_MAKE", "V_MODEL", true, 14, PartQueryForm::SuccessText,
};

// What Submit And New carries over to the next query.
const char *const kKeptColumns[] = {"MARKET_NAME", "V_MAKE", "V_MODEL", "V_YEAR", "V_TRANSMISSION",
                                     "V_AXLE", "V_BODY_STYLE", "V_ENGINE", "V_ENGINE_SIZE",
                                     "V_ENGINE_SIZE_UNIT", "V_VIN", "V_DELIVERY", "V_FUEL", "V_ASPIRATION"};

} // namespace

PartQueryForm::PartQueryForm(IFormHost *host) : QueryFormBase(host, kPartQuery)
{
    StartNew();
}

void PartQueryForm::SetDefaults()
{
    m_query.SetText("V_MODEL", ModelPlaceholder);
    m_query.SetText("V_YEAR", QStringLiteral("2000"));
    m_query.SetText("P_NAME", PartNamePlaceholder);
    m_query.SetInt("P_QUANTITY", 1);
    m_query.SetDouble("P_MAX_PRICE", 0.0);
}

void PartQueryForm::StartNew()
{
    m_query.AddNew();
    SetDefaults();
}

void PartQueryForm::StartNewKeepingVehicle()
{
    StartNew();
    for (auto it = m_kept.cbegin(); it != m_kept.cend(); ++it)
        m_query.SetText(it.key().constData(), it.value());
    m_keepValues = true;
}

void PartQueryForm::InitFromParams(const QMap<QString, QString> &params)
{
    m_query.SetText("V_YEAR", params.value(QStringLiteral("year")));
    const QString type = params.value(QStringLiteral("part_type"));
    m_query.SetText("P_TYPE", type == u"2"   ? QStringLiteral("Remanufactured")
                              : type == u"3" ? QStringLiteral("New")
                                             : QStringLiteral("Used"));
    TakeMakeAndModel(params);
}

SubmitSpec PartQueryForm::Spec()
{
    return SpecOf(kPartQuery);
}

QString PartQueryForm::MissingFields()
{
    using FormRules::IsUnchosen;
    QString lines = MissingMakeAndModel();
    if (m_query.GetText("V_YEAR").isEmpty())
        lines += QStringLiteral("- Year\n");
    // The category's placeholder is no category either.
    if (IsUnchosen(m_query.GetText("P_CATEGORY")))
        lines += QStringLiteral("- Part category\n");
    if (IsUnchosen(m_query.GetText("P_TYPE")))
        lines += QStringLiteral("- Part type\n");
    if (IsUnchosen(m_query.GetText("P_NAME")))
        lines += QStringLiteral("- Part name\n");
    return lines;
}

void PartQueryForm::BuildRequest(XRequest &request)
{
    const ProfileData profile = TradeXml::Profile();
    m_query.FillOwnContact();
    m_query.SetText("C_SIGNATURE", QString());
    m_query.SetText("BUSINESS_TYPE", profile.businessType);
    m_query.SetText("QFY_LEVEL", profile.qualification);
    m_query.BuildQueryXml(request);
}

void PartQueryForm::Store(const XRequest &answer)
{
    // The stored row no longer stands in the set once it is written.
    m_kept.clear();
    for (const char *column : kKeptColumns)
        m_kept.insert(column, m_query.GetText(column));
    QueryFormBase::Store(answer);
}

void PartQueryForm::AfterStore()
{
    if (m_host)
        m_host->RefreshOpenQueries(!IsPrivate());
}
