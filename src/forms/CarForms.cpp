#include "CarForms.h"

#include "IFormHost.h"
#include "InventoryRecords.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/TradeXml.h"
#include "dialogs/NodeIds.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QDateTime>

const char CarQuoteForm::ObsoleteText[] = "Sorry, this query is obsolete.";

namespace {

bool IsUnchosen(const QString &text)
{
    return text.isEmpty() || text.startsWith(u'-');
}

} // namespace

namespace CarForms {

QString MissingFields(const XBaseSet &car)
{
    QString lines;
    if (car.GetText("YEAR").trimmed().isEmpty())
        lines += QStringLiteral("- Year\n");
    for (const auto &[column, line] : {std::pair{"MAKE", "- Make\n"}, std::pair{"MODEL", "- Model\n"},
                                       std::pair{"BODY_STYLE", "- Body Style\n"}}) {
        if (IsUnchosen(car.GetText(column).trimmed()))
            lines += QLatin1String(line);
    }
    const QString price = car.GetText("ASKING_PRICE").trimmed();
    if (price.isEmpty() || price == u"0")
        lines += QStringLiteral("- Price (must be greater than zero)\n");
    const QString mileage = car.GetText("MILEAGE").trimmed();
    if (mileage.isEmpty() || mileage == u"0")
        lines += QStringLiteral("- Mileage (must be greater than zero)\n");
    for (const auto &[column, line] :
         {std::pair{"CONDITION", "- Condition\n"}, std::pair{"EXT_COLOR", "- Exterior Color\n"},
          std::pair{"TRANSMISSION", "- Transmission\n"}, std::pair{"CATEGORY", "- Category\n"},
          std::pair{"LOCATION_ADDRESS", "- Street Address\n"}, std::pair{"LOCATION_CITY", "- City\n"}}) {
        if (IsUnchosen(car.GetText(column).trimmed()))
            lines += QLatin1String(line);
    }
    return lines;
}

bool NeedsDamagePage(const QString &category)
{
    return category == u"Salvage/Damaged" || category == u"Repairable";
}

} // namespace CarForms

// --- car quote ---------------------------------------------------------------------------------

CarQuoteForm::CarQuoteForm(IFormHost *host, std::unique_ptr<ISellerQueries> list)
    : m_host(host), m_walk(std::move(list), NodeCarsIncomingLeads)
{
    LoadCurrentQuery();
}

bool CarQuoteForm::LoadCurrentQuery()
{
    m_loaded = false;
    if (m_quote.IsAdding() || m_quote.IsEditing())
        m_quote.CancelUpdate();
    // Every load starts a row of its own: each sent quote is stored as its own record.
    m_quote.AddNew();
    const QString id = m_walk.CurrentId();
    if (id.isEmpty() || !m_query.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) || m_query.IsEOF())
        return false;
    m_quote.SetText("QUERY_ID", id);
    for (const char *c : {"MARKET_ID", "MARKET_NAME", "MAKE", "MODEL", "SUBMODEL", "CATEGORY", "DOORS", "BODY_STYLE",
                          "TRANSMISSION", "EXT_COLOR", "INT_COLOR", "ENGINE_SIZE"})
        m_quote.SetText(c, m_query.GetText(c));
    m_quote.SetText("ENGINE_CYL", m_query.GetText("ENGINE_TYPE"));
    m_quote.SetText("ENGINE_SIZE_UNIT", m_query.GetText("ENGINE_SIZE_UNITS"));
    m_quote.SetText("DRIVE_TRAIN", m_query.GetText("AXLE"));
    for (const char *c : {"MAKE", "MODEL"}) {
        if (m_quote.GetText(c).compare(u"Any", Qt::CaseInsensitive) == 0)
            m_quote.SetText(c, QString());
    }
    const ProfileData p = TradeXml::Profile();
    m_quote.SetText("LOCATION_ADDRESS", p.street);
    m_quote.SetText("LOCATION_CITY", p.city);
    m_quote.SetText("LOCATION_STATE", p.state);
    m_quote.SetText("LOCATION_ZIP", p.zip);
    m_quote.SetText("LOCATION_COUNTRY", p.country);
    m_quote.SetText("YEAR", QStringLiteral("2000"));
    m_quote.SetBool("ACTUAL_MILEAGE", false);
    m_loaded = true;
    return true;
}

bool CarQuoteForm::MoveTo(int index)
{
    return m_walk.Select(index) && LoadCurrentQuery();
}

bool CarQuoteForm::FillFromInventory(qint64 id)
{
    XInventoryCarsSet inventory;
    if (!inventory.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) || inventory.IsEOF())
        return false;
    inventory.FillCarQuote(m_quote);
    return true;
}

FormOutcome CarQuoteForm::Submit(SubmitPipeline &pipeline)
{
    if (!m_loaded)
        return FormOutcome::Invalid;
    SubmitSpec spec;
    spec.operation = QStringLiteral("newCarQuote");
    spec.failureCaption = QStringLiteral("Cannot send the quote");
    spec.recordWord = QStringLiteral("quote");
    spec.sender = RefusalSender::Quote;
    spec.marketMode = Korvant::MarketCars;
    return pipeline.Run(*this, spec);
}

bool CarQuoteForm::Prepare()
{
    m_photos = XPhotoSet();
    for (int i = 0; i < XPhotoSet::SlotCount; ++i) {
        const InvPicture p = m_pictures.value(i);
        m_collected.SetPicture(i, p.file, p.text);
    }
    m_collected.CollectPictures();
    XPoller::PrepareCarQuoteImages(m_photos, QString(), true, m_collected, m_quote);
    m_quote.SetBool("IS_INCOMING", false);
    m_quote.SetText("STATUS", QStringLiteral("New"));
    m_quote.SetInt("STATUS_CODE", 0);
    m_quote.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch()));
    m_quote.SetInt("LIVE_TIME", 30);
    return true;
}

void CarQuoteForm::BuildRequest(XRequest &request)
{
    const ProfileData p = TradeXml::Profile();
    m_quote.SetText("C_ID", TradeXml::PassportId());
    const std::pair<const char *, QString> contact[] = {
        {"C_NAME", p.name},     {"C_PHONE", p.phone}, {"C_MOBILE", p.mobile},   {"C_FAX", p.fax},
        {"C_WEBSITE", p.website}, {"C_STREET", p.street}, {"C_CITY", p.city},   {"C_STATE", p.state},
        {"C_ZIP", p.zip},       {"C_COUNTRY", p.country}, {"C_COMPANY", p.company}, {"C_SIGNATURE", QString()},
    };
    for (const auto &[column, value] : contact)
        m_quote.SetText(column, value);
    m_quote.BuildCarQuoteXml(request, &m_photos);
}

void CarQuoteForm::Store(const XRequest &answer)
{
    const QString id = answer.GetResponseText(QStringLiteral("car_quote_id"));
    m_quote.SetText("ID", id);
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    if (created > 0)
        m_quote.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(created));
    XPoller::PrepareCarQuoteImages(m_photos, id, true, m_collected, m_quote);
    m_inventoryCopy = -1;
    if (m_storeToInventory)
        m_inventoryCopy = InventoryRecords::StoreCarQuote(m_quote);
    m_quote.Update();
    theDatabase().Execute(QStringLiteral("UPDATE [Queries_Cars] SET STATUS = 'Replied', STATUS_CODE = 2 "
                                         "WHERE ID = ? AND STATUS_CODE IN (0, 1)"),
                          {m_query.GetText("ID")});
}

void CarQuoteForm::AfterStore()
{
    theSettings().SetInt(Setting::SaveToInventoryCars, m_storeToInventory ? 1 : 0);
    theSettings().Save();
    if (List())
        List()->Reload();
    if (m_host)
        m_host->QuoteSent(Korvant::MarketCars, List() ? List()->NodeId() : 0);
}

XMarketPlace CarQuoteForm::RefusingMarket() const
{
    XMarketPlace market;
    market.name = m_quote.GetText("MARKET_NAME");
    return market;
}

bool CarQuoteForm::HandleResultCode(const XRequest &request)
{
    if (request.GetResultCode() != 102)
        return false;
    theApp().ShowMessageBox(QString::fromLatin1(ObsoleteText), QStringLiteral("Cannot send the quote"),
                            MsgBox::IconError);
    return true;
}

// --- car inventory -----------------------------------------------------------------------------

CarInventoryForm::CarInventoryForm()
{
    StartNew();
}

void CarInventoryForm::StartNew()
{
    if (m_set.IsAdding() || m_set.IsEditing())
        m_set.CancelUpdate();
    m_set.AddNew();
    const ProfileData p = TradeXml::Profile();
    m_set.SetText("MODEL", ModelPlaceholder);
    m_set.SetText("YEAR", QStringLiteral("2000"));
    m_set.SetBool("ACTUAL_MILEAGE", false);
    m_set.SetText("LOCATION_STATE", p.state);
    m_set.SetText("LOCATION_COUNTRY", p.country);
    m_set.SetText("LOCATION_CITY", p.city);
    m_set.SetText("LOCATION_ADDRESS", p.street);
    m_set.SetText("LOCATION_ZIP", p.zip);
    m_new = true;
    m_id = -1;
}

bool CarInventoryForm::Open(qint64 id)
{
    if (id > 0 && m_set.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) && !m_set.IsEOF()) {
        m_set.Edit();
        m_new = false;
        m_id = id;
        return true;
    }
    StartNew();
    return false;
}

qint64 CarInventoryForm::Save(const QList<InvPicture> &pictures)
{
    const qint64 before = m_id;
    const qint64 id = InventoryRecords::SaveKeepingValues(
        m_set, m_new, [&] { return InventoryRecords::SaveCar(m_set, pictures); }, [&] { Open(before); });
    // The stored record stays open for more edits under its ID.
    if (id > 0)
        Open(id);
    return id;
}
