#include "XQuoteSet.h"

#include "QuotePictures.h"
#include "RecordXml.h"
#include "TradeXml.h"
#include "XInventorySet.h"
#include "XMessageSet.h"
#include "XOrderSet.h"

#include "net/XRequest.h"

using RecordXml::Field;

namespace {

const QStringList kColumns = {
    "QUERY_ID",    "ID",          "INVENTORY_ID", "POST_DATE",    "RECIVE_DATE",    "LIVE_TIME",     "STATUS",
    "STATUS_CODE", "IS_INCOMING", "IS_ARCHIVE",   "C_ID",         "C_NAME",         "C_EMAIL",       "C_PHONE",
    "C_MOBILE",    "C_FAX",       "C_WEBSITE",    "C_STREET",     "C_CITY",         "C_ZIP",         "C_STATE",
    "C_COUNTRY",   "C_COMPANY",   "C_SIGNATURE",  "V_MAKE",       "V_MODEL",        "V_YEAR",        "V_VIN",
    "V_TRANSMISSION", "V_AXLE",   "V_ENGINE",     "V_ENGINE_SIZE", "V_ENGINE_SIZE_UNIT", "V_DELIVERY", "V_FUEL",
    "V_ASPIRATION", "V_BODY_STYLE", "P_NUMBER",   "P_CATEGORY",   "P_TYPE",         "P_NAME",        "P_BRAND",
    "P_QUANTITY",  "P_BOX_QUANTITY", "P_PRICE",   "P_CORE_DEPOSIT", "P_SHIPPING",   "P_COLOR",       "P_SIDE",
    "P_BUY_URL",   "P_PICTURE_URL", "WHEEL_WIDTH", "WHEEL_HEIGHT", "P_NOTES",       "COMMENTS",      "QFY_LEVEL",
    "MARKET_ID",   "MARKET_NAME", "MESS_TOTAL_COUNT",
};

const Field kHead[] = {
    {"quote_id", "ID"},
    {"query_id", "QUERY_ID"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"owner_id", "C_ID"},
    {"market_id", "MARKET_ID"},
    {"market_info/name", "MARKET_NAME"},
    {"business_info/qualification", "QFY_LEVEL"},
};

const Field kPartRead[] = {
    {"category", "P_CATEGORY"},
    {"type", "P_TYPE"},
    {"name", "P_NAME"},
    {"quantity", "P_QUANTITY", RecordXml::Int},
    {"box_quantity", "P_BOX_QUANTITY", RecordXml::Int},
    {"price", "P_PRICE", RecordXml::Real},
    {"core_deposit", "P_CORE_DEPOSIT", RecordXml::Real},
    {"shipping_handling", "P_SHIPPING", RecordXml::Real},
    {"brand", "P_BRAND"},
    {"stock_number", "P_NUMBER"},
    {"color", "P_COLOR"},
    {"side", "P_SIDE"},
    {"wheel_height", "WHEEL_HEIGHT"},
    {"wheel_width", "WHEEL_WIDTH"},
    {"other", "P_NOTES", RecordXml::Text, 1024},
    {"buy_url", "P_BUY_URL", RecordXml::Url},
    {"picture_url", "P_PICTURE_URL", RecordXml::Url},
};

const Field kTail[] = {
    {"query_id", "QUERY_ID"},
    {"status", "STATUS"},
    {"status_code", "STATUS_CODE", RecordXml::Int},
    {"post_date", "POST_DATE", RecordXml::Date},
};

const Field kPartWrite[] = {
    {"stock_number", "P_NUMBER"},
    {"type", "P_TYPE"},
    {"category", "P_CATEGORY"},
    {"name", "P_NAME"},
    {"box_quantity", "P_BOX_QUANTITY", RecordXml::Int},
    {"quantity", "P_QUANTITY", RecordXml::Int},
    {"price", "P_PRICE", RecordXml::Real},
    {"core_deposit", "P_CORE_DEPOSIT", RecordXml::Real},
    {"shipping_handling", "P_SHIPPING", RecordXml::Real},
    {"brand", "P_BRAND"},
    {"side", "P_SIDE"},
    {"color", "P_COLOR"},
    {"other", "P_NOTES"},
    {"buy_url", "P_BUY_URL"},
    {"picture_url", "P_PICTURE_URL"},
    {"wheel_height", "WHEEL_HEIGHT"},
    {"wheel_width", "WHEEL_WIDTH"},
};

const Field kPartDetail[] = {
    {"type", "P_TYPE"},
    {"name", "P_NAME"},
    {"quantity", "P_QUANTITY", RecordXml::Int},
    {"box_quantity", "P_BOX_QUANTITY", RecordXml::Int},
    {"price", "P_PRICE", RecordXml::Money},
    {"core_deposit", "P_CORE_DEPOSIT", RecordXml::Money},
    {"shipping_handling", "P_SHIPPING", RecordXml::Money},
    {"brand", "P_BRAND"},
    {"side", "P_SIDE"},
    {"stock_number", "P_NUMBER"},
    {"color", "P_COLOR"},
    {"other", "P_NOTES"},
    {"wheel_width", "WHEEL_WIDTH"},
    {"wheel_height", "WHEEL_HEIGHT"},
    {"buy_url", "P_BUY_URL", RecordXml::Url},
    {"picture_url", "P_PICTURE_URL", RecordXml::Url},
};

} // namespace

XQuoteSet::XQuoteSet(KVDatabase *database) : XBaseSet(database, "Quotes", kColumns)
{
    FillOwnContact();
}

void XQuoteSet::FillOwnContact()
{
    const ProfileData p = TradeXml::Profile();
    const std::pair<const char *, QString> contact[] = {
        {"C_EMAIL", p.email},     {"C_PHONE", p.phone},   {"C_MOBILE", p.mobile},   {"C_FAX", p.fax},
        {"C_WEBSITE", p.website}, {"C_STREET", p.street}, {"C_CITY", p.city},       {"C_STATE", p.state},
        {"C_ZIP", p.zip},         {"C_COUNTRY", p.country}, {"C_COMPANY", p.company}, {"C_SIGNATURE", p.signature},
    };
    for (const auto &[column, value] : contact)
        SetText(column, value);
}

SqlExpr XQuoteSet::GetFolderFilter(int)
{
    ResetFilter();
    return GetFilter();
}

void XQuoteSet::ReadQuoteXml(const XmlNode &quote)
{
    SetBool("IS_INCOMING", true);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    RecordXml::Read(*this, quote, kHead);
    SetNow("RECIVE_DATE");
    TradeXml::ReadContact(*this, RecordXml::Child(quote, "contact_info"), true);
    RecordXml::Read(*this, RecordXml::Child(quote, "vehicle_info"), TradeXml::VehicleRead());
    const XmlNode part = RecordXml::Child(quote, "part_info");
    RecordXml::Read(*this, part, kPartRead);
    m_pictureTitle = QuotePictures::Parts().SaveIncoming(part, GetText("ID"), 1);
}

void XQuoteSet::BuildQuoteXml(XRequest &request, const XPhotoSet *photos)
{
    BuildQuoteXml(request.AddParam(QStringLiteral("quote")), photos);
}

XmlNode XQuoteSet::BuildQuoteXml(XmlNode quote, const XPhotoSet *photos)
{
    XmlNode contact = quote.AddChild(QStringLiteral("contact_info"));
    XmlNode vehicle = quote.AddChild(QStringLiteral("vehicle_info"));
    XmlNode part = quote.AddChild(QStringLiteral("part_info"));
    RecordXml::Write(*this, quote, kTail);
    // A quote lives 14 days, whatever the row held.
    SetInt("LIVE_TIME", 14);
    quote.AddChildInt(QStringLiteral("live_time"), 14);
    TradeXml::WriteContact(*this, contact, false);
    RecordXml::Write(*this, vehicle, TradeXml::VehicleWrite());
    RecordXml::Write(*this, part, kPartWrite);
    if (photos)
        QuotePictures::AddPhotoElements(part, *photos, 0, 1, m_pictureTitle);
    return quote;
}

void XQuoteSet::AddPictureXml(XmlNode parent, int number, const QString &title) const
{
    QuotePictures::Parts().AddPictureXml(parent, GetBool("IS_INCOMING"), GetText("ID"), number, title);
}

void XQuoteSet::BuildDetailXml(XmlNode root, bool search) const
{
    const QString id = GetText("ID");
    const bool incoming = GetBool("IS_INCOMING");
    TradeXml::WriteDetailHead(*this, root, "%m-%d %H:%M");
    RecordXml::SetFlag(root, "search", search);
    RecordXml::SetFlag(root, "orders", XOrderSet::CountByContext(id, QStringLiteral("quote"), m_pDatabase) > 0);
    RecordXml::SetFlag(root, "messages", XMessageSet::CountByContext(id, QStringLiteral("quote"), m_pDatabase) > 0);
    RecordXml::SetFlag(root, "sendmessage", TradeXml::SendMessageEnabled(IRecordViews::ListKind::Queries));
    RecordXml::SetFlag(root, "contact", TradeXml::ContactFlag());
    RecordXml::SetFlag(root, "profile", true);
    RecordXml::SetFlag(root, "incoming", incoming);

    XmlNode vehicle = RecordXml::AddSection(root, QStringLiteral("vehicle_info"), QStringLiteral("Vehicle Information"),
                                            QStringLiteral("vehicle-fields"));
    RecordXml::Write(*this, vehicle, TradeXml::VehicleDetail());
    XmlNode part = RecordXml::AddSection(root, QStringLiteral("part_info"), QStringLiteral("Part Information"),
                                         QStringLiteral("part-fields"));
    RecordXml::Write(*this, part, kPartDetail);
    AddPictureXml(part.AddChild(QStringLiteral("pictures")), 1, m_pictureTitle);
    XmlNode contact = RecordXml::AddSection(root, QStringLiteral("contact_info"),
                                            QStringLiteral("Contact Information"), QStringLiteral("contact-fields"));
    TradeXml::WriteContactDetail(*this, contact, incoming, {.ratingLast = false, .businessType = false});
}

void XQuoteSet::CopyToInventoryPart(XInventorySet &inv) const
{
    for (const char *c : {"V_MAKE", "V_MODEL", "V_YEAR", "V_VIN", "V_BODY_STYLE", "V_AXLE", "V_ASPIRATION",
                          "V_DELIVERY", "V_ENGINE", "V_ENGINE_SIZE", "V_ENGINE_SIZE_UNIT", "V_FUEL", "V_TRANSMISSION",
                          "P_CATEGORY", "P_NAME", "P_TYPE", "P_SIDE", "P_COLOR", "P_BUY_URL", "P_PICTURE_URL",
                          "P_NOTES", "WHEEL_WIDTH", "WHEEL_HEIGHT"})
        inv.SetText(c, GetText(c));
    inv.SetText("V_END_YEAR", GetText("V_YEAR"));
    inv.SetDouble("P_PRICE", GetDouble("P_PRICE"));
    inv.SetDouble("P_CORE_DEPOSIT", GetDouble("P_CORE_DEPOSIT"));
    inv.SetText("P_STOCK_NUMBER", GetText("P_NUMBER"));
    inv.SetInt("P_QUANTITY", GetInt("P_BOX_QUANTITY"));
    inv.SetDouble("P_HANDLING", 0);
    inv.SetDouble("P_WEIGHT", 0);
    inv.SetPictureTitle(m_pictureTitle);
}
