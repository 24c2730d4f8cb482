#include "PartQueryForm.h"

#include "IFormHost.h"

#include "app/Constants.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/TradeXml.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QDateTime>

const char PartQueryForm::SuccessText[] =
    "Your query was submitted successfully.  You can find it under the \"Open Request\" folder. Once you  receive "
    "quotes from sellers, the query and related quotes will be displayed under the \"Pending Quotes\" folder.";

namespace {

// Placeholders and empty texts count as not chosen.
bool IsUnchosen(const QString &text)
{
    return text.isEmpty() || text.startsWith(u'-');
}

QDateTime Now()
{
    return QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
}

} // namespace

PartQueryForm::PartQueryForm(IFormHost *host) : m_host(host)
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

namespace {
// What Submit And New carries over to the next query.
const char *const kKeptColumns[] = {"MARKET_NAME", "V_MAKE", "V_MODEL", "V_YEAR", "V_TRANSMISSION",
                                     "V_AXLE", "V_BODY_STYLE", "V_ENGINE", "V_ENGINE_SIZE",
                                     "V_ENGINE_SIZE_UNIT", "V_VIN", "V_DELIVERY", "V_FUEL", "V_ASPIRATION"};
} // namespace

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
    for (const char *key : {"make", "model"}) {
        QString value = params.value(QLatin1String(key));
        if (value.isEmpty() || value.startsWith(QLatin1String("--")))
            continue;
        value.replace(QLatin1String("%20"), QLatin1String(" "));
        m_query.SetText(qstrcmp(key, "make") == 0 ? "V_MAKE" : "V_MODEL", value);
    }
    const QString type = params.value(QStringLiteral("part_type"));
    m_query.SetText("P_TYPE", type == u"2"   ? QStringLiteral("Remanufactured")
                              : type == u"3" ? QStringLiteral("New")
                                             : QStringLiteral("Used"));
    m_keepValues = true;
    m_continue = true;
}

void PartQueryForm::SetPrivate(const QString &displayName, const QString &passportId)
{
    m_private = true;
    m_privateName = displayName;
    m_privateId = passportId;
}

SubmitSpec PartQueryForm::Spec()
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newQuery");
    spec.failureCaption = QStringLiteral("Cannot send the query");
    spec.recordWord = QStringLiteral("query");
    spec.sender = RefusalSender::Query;
    spec.marketMode = Korvant::MarketParts;
    spec.confirmSetting = Setting::SendQueryConfirm;
    spec.successText = QString::fromLatin1(SuccessText);
    return spec;
}

QString PartQueryForm::MissingFields()
{
    QString lines;
    if (IsUnchosen(m_query.GetText("V_MAKE")))
        lines += QStringLiteral("- Make\n");
    if (IsUnchosen(m_query.GetText("V_MODEL")))
        lines += QStringLiteral("- Model\n");
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

bool PartQueryForm::Prepare()
{
    const QDateTime now = Now();
    m_query.SetBool("IS_INCOMING", false);
    m_query.SetText("STATUS", QStringLiteral("New"));
    m_query.SetInt("STATUS_CODE", 0);
    m_query.SetDate("POST_DATE", now);
    m_query.SetDate("RECIVE_DATE", now);
    m_query.SetInt("LIVE_TIME", 14);
    if (m_private) {
        m_query.SetText("MARKET_ID", QStringLiteral("PERSONAL_") + m_privateId);
        m_query.SetText("MARKET_NAME", m_privateName);
    } else {
        XMarketPlace market;
        market.name = m_query.GetText("MARKET_NAME");
        const XMarketPlaces *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
        if (!places || places->FindMarketPlace(market, Korvant::MarketParts) != 1)
            market.marketId.clear();
        m_query.SetText("MARKET_ID", market.marketId);
    }
    return true;
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
    m_query.SetText("ID", answer.GetResponseText(QStringLiteral("query_id")));
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    if (created > 0)
        m_query.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(created));
    if (m_private)
        m_query.SetText("MARKET_ID", QStringLiteral("PERSONAL"));
    // The stored row no longer stands in the set once it is written.
    m_kept.clear();
    for (const char *column : kKeptColumns)
        m_kept.insert(column, m_query.GetText(column));
    m_query.Update();
}

void PartQueryForm::AfterStore()
{
    if (m_host)
        m_host->RefreshOpenQueries(!m_private);
}

XMarketPlace PartQueryForm::RefusingMarket() const
{
    XMarketPlace market;
    market.name = m_query.GetText("MARKET_NAME");
    return market;
}
