#include "PartQuoteForm.h"

#include "IFormHost.h"
#include "InventoryRecords.h"

#include "app/Constants.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/TradeXml.h"
#include "db/XInventorySet.h"
#include "dialogs/NodeIds.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QDateTime>

const char PartQuoteForm::SuccessFormat[] =
    "Your quote of %1 was sent to %2. You can find the quote with its corresponding query under the \"Replied "
    "Quotes\" folder.";

namespace {

bool IsUnchosen(const QString &text)
{
    return text.isEmpty() || text.startsWith(u'-');
}

const char *const kFromQuery[] = {"P_TYPE",         "P_CATEGORY",   "P_NAME",       "P_COLOR",      "P_SIDE",
                                  "WHEEL_WIDTH",    "WHEEL_HEIGHT", "V_MAKE",       "V_MODEL",      "V_YEAR",
                                  "V_TRANSMISSION", "V_AXLE",       "V_BODY_STYLE", "V_ENGINE",     "V_ENGINE_SIZE",
                                  "V_ENGINE_SIZE_UNIT", "V_DELIVERY", "V_FUEL",     "V_ASPIRATION", "V_VIN"};

} // namespace

PartQuoteForm::PartQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list)
    : m_host(host), m_walk(std::move(list), NodeIncomingLeads)
{
    LoadCurrentQuery();
}

bool PartQuoteForm::LoadCurrentQuery()
{
    m_loaded = false;
    if (m_quote.IsAdding() || m_quote.IsEditing())
        m_quote.CancelUpdate();
    m_quote.AddNew();
    const QString id = m_walk.CurrentId();
    if (id.isEmpty() || !m_query.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) || m_query.IsEOF())
        return false;
    m_quote.SetText("QUERY_ID", id);
    for (const char *c : kFromQuery)
        m_quote.SetText(c, m_query.GetText(c));
    m_quote.SetInt("P_QUANTITY", m_query.GetInt("P_QUANTITY"));
    m_quote.SetDouble("P_PRICE", 0);
    m_quote.SetDouble("P_SHIPPING", 0);
    m_quote.SetDouble("P_CORE_DEPOSIT", 0);
    m_quote.SetInt("P_BOX_QUANTITY", 1);
    m_loaded = true;
    return true;
}

bool PartQuoteForm::MoveTo(int index)
{
    return m_walk.Select(index) && LoadCurrentQuery();
}

bool PartQuoteForm::QueryConditionIsAny() const
{
    return m_loaded && m_query.GetText("P_TYPE").toLower() == u"any";
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

SubmitSpec PartQuoteForm::Spec() const
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newQuote");
    spec.failureCaption = QStringLiteral("Cannot send the quote");
    spec.recordWord = QStringLiteral("quote");
    spec.sender = RefusalSender::Quote;
    spec.marketMode = Korvant::MarketParts;
    spec.confirmSetting = Setting::SendQuoteConfirm;
    spec.successText = QString::fromLatin1(SuccessFormat)
                           .arg(Utils::FormatMoney(m_quote.GetDouble("P_PRICE"), 2), m_query.GetText("C_NAME"));
    return spec;
}

FormOutcome PartQuoteForm::Submit(SubmitPipeline &pipeline)
{
    if (!m_loaded)
        return FormOutcome::Invalid;
    m_quick = false;
    return pipeline.Run(*this, Spec());
}

FormOutcome PartQuoteForm::SubmitQuick(SubmitPipeline &pipeline, const QMap<QString, QString> &params)
{
    if (!m_loaded)
        return FormOutcome::Invalid;
    m_quote.SetDouble("P_PRICE", params.value(QStringLiteral("price")).trimmed().toDouble());
    m_quote.SetDouble("P_SHIPPING", params.value(QStringLiteral("shipping")).trimmed().toDouble());
    const QString type = params.value(QStringLiteral("part_type")).trimmed();
    m_quote.SetText("P_TYPE", type.isEmpty() ? QStringLiteral("Used") : type);
    m_quote.SetText("P_NOTES", params.value(QStringLiteral("notes")).left(1023));
    m_quick = true;
    const FormOutcome outcome = pipeline.Run(*this, Spec());
    m_quick = false;
    return outcome;
}

QString PartQuoteForm::MissingFields()
{
    if (m_quick)
        return {};
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
    m_photos = XPhotoSet();
    m_collected.SetPicture(0, m_pictures.value(0).file, m_pictures.value(0).text);
    m_collected.CollectPictures();
    XPoller::PrepareQuoteImages(m_photos, QString(), true, m_collected, m_quote);
    const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    m_quote.SetBool("IS_INCOMING", false);
    m_quote.SetText("STATUS", QStringLiteral("New"));
    m_quote.SetInt("STATUS_CODE", 0);
    m_quote.SetDate("POST_DATE", now);
    m_quote.SetDate("RECIVE_DATE", now);
    m_quote.SetText("MARKET_ID", m_query.GetText("MARKET_ID"));
    m_quote.SetText("MARKET_NAME", m_query.GetText("MARKET_NAME"));
    return true;
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

void PartQuoteForm::Store(const XRequest &answer)
{
    const QString id = answer.GetResponseText(QStringLiteral("quote_id"));
    m_quote.SetText("ID", id);
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    if (created > 0)
        m_quote.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(created));
    // Files are named by the server's id only when it is safe (PrepareQuoteImages checks).
    XPoller::PrepareQuoteImages(m_photos, id, true, m_collected, m_quote);
    m_inventoryCopy = -1;
    if (m_storeToInventory)
        m_inventoryCopy = InventoryRecords::StorePartQuote(m_quote);
    m_quote.Update();
    // Only a new or read query becomes replied; a later status stays.
    theDatabase().Execute(QStringLiteral("UPDATE [Queries] SET STATUS = 'Replied', STATUS_CODE = 2 "
                                         "WHERE ID = ? AND STATUS_CODE IN (0, 1)"),
                          {m_query.GetText("ID")});
}

void PartQuoteForm::AfterStore()
{
    // A buyer quoted without the full contact: the seller gets it now.
    if (List() && !m_query.GetBool("IS_CONTACT_FULL"))
        List()->RequestContactInfo();
    if (List())
        List()->Reload();
    if (m_host)
        m_host->QuoteSent(Korvant::MarketParts, List() ? List()->NodeId() : 0);
}

XMarketPlace PartQuoteForm::RefusingMarket() const
{
    XMarketPlace market;
    market.name = m_query.GetText("MARKET_NAME");
    return market;
}
