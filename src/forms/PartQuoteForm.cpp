#include "PartQuoteForm.h"

#include "FormRules.h"
#include "IFormHost.h"
#include "InventoryRecords.h"

#include "app/Constants.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "db/TradeXml.h"
#include "db/XInventorySet.h"
#include "dialogs/NodeIds.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QScopeGuard>

const char PartQuoteForm::SuccessFormat[] =
    "Your quote of %1 was sent to %2. You can find the quote with its corresponding query under the \"Replied "
    "Quotes\" folder.";

namespace {

const QuoteFormBase::Kind kPartQuote = {
    Korvant::MarketParts, NodeIncomingLeads, 1, "newQuote", "quote_id", "Queries", true, 0,
};

const char *const kFromQuery[] = {"P_TYPE",         "P_CATEGORY",   "P_NAME",       "P_COLOR",      "P_SIDE",
                                  "WHEEL_WIDTH",    "WHEEL_HEIGHT", "V_MAKE",       "V_MODEL",      "V_YEAR",
                                  "V_TRANSMISSION", "V_AXLE",       "V_BODY_STYLE", "V_ENGINE",     "V_ENGINE_SIZE",
                                  "V_ENGINE_SIZE_UNIT", "V_DELIVERY", "V_FUEL",     "V_ASPIRATION", "V_VIN"};

} // namespace

PartQuoteForm::PartQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list)
    : QuoteFormBase(host, std::move(list), kPartQuote)
{
    LoadCurrentQuery();
}

void PartQuoteForm::TakeQuery()
{
    for (const char *c : kFromQuery)
        m_quote.SetText(c, m_query.GetText(c));
    m_quote.SetInt("P_QUANTITY", m_query.GetInt("P_QUANTITY"));
    m_quote.SetDouble("P_PRICE", 0);
    m_quote.SetDouble("P_SHIPPING", 0);
    m_quote.SetDouble("P_CORE_DEPOSIT", 0);
    m_quote.SetInt("P_BOX_QUANTITY", 1);
}

bool PartQuoteForm::QueryConditionIsAny() const
{
    return HasQuery() && m_query.GetText("P_TYPE").toLower() == u"any";
}

QString PartQuoteForm::Caption(const QString &marketModeName) const
{
    // The place of the query in the list, counted from 1.
    return QStringLiteral("%1 - New Quote - QueryID [%2] <%3 %4 %5 %6 %7>")
        .arg(marketModeName, m_quote.GetText("QUERY_ID"), m_quote.GetText("V_YEAR"), m_quote.GetText("V_MAKE"),
             m_quote.GetText("V_MODEL"), m_quote.GetText("P_NAME"))
        .arg(Index() + 1);
}

bool PartQuoteForm::FillFromInventory(qint64 id)
{
    XInventorySet inventory;
    if (!inventory.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) || inventory.IsEOF())
        return false;
    inventory.FillPartQuote(m_quote);
    return true;
}

XmlDoc PartQuoteForm::QueryDetails() const
{
    XmlDoc doc = XmlDoc::Create(QStringLiteral("form-details"));
    m_query.BuildDetailXml(doc.Root(), false);
    return doc;
}

SubmitSpec PartQuoteForm::Spec() const
{
    SubmitSpec spec = QuoteFormBase::Spec();
    spec.confirmSetting = Setting::SendQuoteConfirm;
    spec.successText = QString::fromLatin1(SuccessFormat)
                           .arg(Utils::FormatMoney(m_quote.GetDouble("P_PRICE"), 2), m_query.GetText("C_NAME"));
    return spec;
}

FormOutcome PartQuoteForm::SubmitQuick(SubmitPipeline &pipeline, const QMap<QString, QString> &params)
{
    if (!HasQuery())
        return FormOutcome::Invalid;
    m_quote.SetDouble("P_PRICE", params.value(QStringLiteral("price")).trimmed().toDouble());
    m_quote.SetDouble("P_SHIPPING", params.value(QStringLiteral("shipping")).trimmed().toDouble());
    const QString type = params.value(QStringLiteral("part_type")).trimmed();
    m_quote.SetText("P_TYPE", type.isEmpty() ? QStringLiteral("Used") : type);
    m_quote.SetText("P_NOTES", params.value(QStringLiteral("notes")).left(1023));
    m_quick = true;
    const auto validateAgain = qScopeGuard([this] { m_quick = false; });
    return Submit(pipeline);
}

QString PartQuoteForm::MissingFields()
{
    if (m_quick)
        return {};
    using FormRules::IsUnchosen;
    QString lines;
    if (IsUnchosen(m_quote.GetText("P_NAME")))
        lines += QStringLiteral("- Part name\n");
    if (IsUnchosen(m_quote.GetText("P_TYPE")))
        lines += QStringLiteral("- Part Condition\n");
    if (m_storeToInventory && m_quote.GetText("P_NUMBER").trimmed().isEmpty())
        lines += QStringLiteral("-Stock nubmer (to save quote to inventory)");
    return lines;
}

bool PartQuoteForm::Prepare()
{
    QuoteFormBase::Prepare();
    m_quote.SetText("MARKET_ID", m_query.GetText("MARKET_ID"));
    m_quote.SetText("MARKET_NAME", m_query.GetText("MARKET_NAME"));
    return true;
}

void PartQuoteForm::PrepareImages(const QString &quoteId)
{
    XPoller::PrepareQuoteImages(m_photos, quoteId, true, m_collected, m_quote);
}

void PartQuoteForm::BuildRequest(XRequest &request)
{
    const ProfileData profile = TradeXml::Profile();
    m_quote.SetText("C_ID", TradeXml::PassportId());
    m_quote.SetText("C_NAME", profile.name);
    m_quote.FillOwnContact();
    m_quote.SetText("C_SIGNATURE", QString());
    m_quote.SetText("QFY_LEVEL", profile.qualification);
    m_quote.BuildQuoteXml(request, &m_photos);
}

qint64 PartQuoteForm::StoreInventoryCopy()
{
    return InventoryRecords::StorePartQuote(m_quote);
}

void PartQuoteForm::AfterStore()
{
    // A buyer quoted without the full contact: the seller gets it now.
    if (List() && !m_query.GetBool("IS_CONTACT_FULL"))
        List()->RequestContactInfo();
    QuoteFormBase::AfterStore();
}
