#include "CarForms.h"

#include "FormRules.h"
#include "IFormHost.h"
#include "InventoryRecords.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"
#include "db/TradeXml.h"
#include "dialogs/NodeIds.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

const char CarQuoteForm::ObsoleteText[] = "Sorry, this query is obsolete.";

namespace {

const QuoteFormBase::Kind kCarQuote = {
    Korvant::MarketCars, NodeCarsIncomingLeads, XPhotoSet::SlotCount, "newCarQuote", "car_quote_id", "Queries_Cars",
    false, 30,
};

} // namespace

namespace CarForms {

QString MissingFields(const XBaseSet &car)
{
    using FormRules::IsUnchosen;
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
    : QuoteFormBase(host, std::move(list), kCarQuote)
{
    LoadCurrentQuery();
}

void CarQuoteForm::TakeQuery()
{
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
}

bool CarQuoteForm::FillFromInventory(qint64 id)
{
    XInventoryCarsSet inventory;
    if (!inventory.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) || inventory.IsEOF())
        return false;
    inventory.FillCarQuote(m_quote);
    return true;
}

XmlDoc CarQuoteForm::QueryDetails() const
{
    XmlDoc doc = XmlDoc::Create(QStringLiteral("form-details-cars"));
    m_query.BuildDetailXml(doc.Root(), false);
    return doc;
}

void CarQuoteForm::PrepareImages(const QString &quoteId)
{
    XPoller::PrepareCarQuoteImages(m_photos, quoteId, true, m_collected, m_quote);
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

qint64 CarQuoteForm::StoreInventoryCopy()
{
    return InventoryRecords::StoreCarQuote(m_quote);
}

void CarQuoteForm::AfterStore()
{
    theSettings().SetInt(Setting::SaveToInventoryCars, m_storeToInventory ? 1 : 0);
    theSettings().Save();
    QuoteFormBase::AfterStore();
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

void CarInventoryForm::SetDefaults()
{
    const ProfileData p = TradeXml::Profile();
    m_set.SetText("MODEL", ModelPlaceholder);
    m_set.SetText("YEAR", QStringLiteral("2000"));
    m_set.SetBool("ACTUAL_MILEAGE", false);
    m_set.SetText("LOCATION_STATE", p.state);
    m_set.SetText("LOCATION_COUNTRY", p.country);
    m_set.SetText("LOCATION_CITY", p.city);
    m_set.SetText("LOCATION_ADDRESS", p.street);
    m_set.SetText("LOCATION_ZIP", p.zip);
}

qint64 CarInventoryForm::Write(const QList<InvPicture> &pictures)
{
    return InventoryRecords::SaveCar(m_set, pictures);
}
