#include "XQuoteCarsSet.h"

#include "QuotePictures.h"
#include "RecordXml.h"
#include "TradeXml.h"
#include "XInventoryCarsSet.h"
#include "XMessageSet.h"

#include "net/XRequest.h"

using RecordXml::Field;

namespace {

// STYLE is bound so that the style read from the server survives storing.
const QStringList kColumns = {
    "QUERY_ID",   "ID",          "INVENTORY_ID", "POST_DATE",     "LIVE_TIME",     "STATUS",        "STATUS_CODE",
    "IS_INCOMING", "IS_ARCHIVE", "C_ID",         "C_NAME",        "C_PHONE",       "C_MOBILE",      "C_FAX",
    "C_WEBSITE",  "C_STREET",    "C_CITY",       "C_STATE",       "C_ZIP",         "C_COUNTRY",     "C_COMPANY",
    "C_SIGNATURE", "CATEGORY",   "MAKE",         "MODEL",         "SUBMODEL",      "YEAR",          "ASKING_PRICE",
    "BODY_STYLE", "MILEAGE",     "ACTUAL_MILEAGE", "CONDITION",   "EXT_COLOR",     "INT_COLOR",     "TRANSMISSION",
    "DOORS",      "DAMAGE1",     "DAMAGE2",      "DAMAGE_TITLE",  "DAMAGE_OPTIONS", "ACV",          "VIN",
    "ENGINE_CYL", "ENGINE_SIZE", "ENGINE_SIZE_UNIT", "DRIVE_TRAIN", "CAR_OPTIONS",  "CAR_ADDOPTIONS", "WARRANTY",
    "NOTES",      "COMMENTS",    "LOCATION_ADDRESS", "LOCATION_CITY", "LOCATION_STATE", "LOCATION_ZIP",
    "LOCATION_COUNTRY", "MARKET_ID", "MARKET_NAME", "STOCK_NUMBER", "QFY_LEVEL",  "IMG1_TITLE",    "IMG2_TITLE",
    "IMG3_TITLE", "IMG4_TITLE",  "IMG5_TITLE",   "IMG6_TITLE",    "STYLE",
};

const Field kHead[] = {
    {"car_quote_id", "ID"},
    {"car_query_id", "QUERY_ID"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"owner_id", "C_ID"},
    {"business_info/qualification", "QFY_LEVEL"},
};

// "car_info" as the server sends it and as requests carry it, in the request's order.
const Field kCarInfo[] = {
    {"category", "CATEGORY"},
    {"make", "MAKE"},
    {"model", "MODEL"},
    {"submodel", "SUBMODEL"},
    {"year", "YEAR"},
    {"asking_price", "ASKING_PRICE"},
    {"style", "STYLE"},
    {"body_style", "BODY_STYLE"},
    {"engine_size", "ENGINE_SIZE"},
    {"engine_size_units", "ENGINE_SIZE_UNIT"},
    {"engine_type", "ENGINE_CYL"},
    {"mileage", "MILEAGE"},
    {"actual_mileage", "ACTUAL_MILEAGE", RecordXml::Flag},
    {"acv", "ACV"},
    {"damage_1", "DAMAGE1"},
    {"damage_2", "DAMAGE2"},
    {"title", "DAMAGE_TITLE"},
    {"damage_options", "DAMAGE_OPTIONS"},
    {"condition", "CONDITION"},
    {"int_color", "INT_COLOR"},
    {"ext_color", "EXT_COLOR"},
    {"transmission", "TRANSMISSION"},
    {"doors", "DOORS"},
    {"vin", "VIN"},
    {"axle", "DRIVE_TRAIN"},
    {"warranty", "WARRANTY", RecordXml::Text, 1024},
    {"notes", "NOTES", RecordXml::Text, 1024},
    {"options", "CAR_OPTIONS", RecordXml::Text, 1024},
    {"location_address", "LOCATION_ADDRESS"},
    {"location_city", "LOCATION_CITY"},
    {"location_state", "LOCATION_STATE"},
    {"location_zip", "LOCATION_ZIP"},
    {"location_country", "LOCATION_COUNTRY"},
    {"stock_number", "STOCK_NUMBER"},
};

const char *const kTitles[XQuoteCarsSet::PictureCount] = {"IMG1_TITLE", "IMG2_TITLE", "IMG3_TITLE",
                                                          "IMG4_TITLE", "IMG5_TITLE", "IMG6_TITLE"};

} // namespace

XQuoteCarsSet::XQuoteCarsSet(KVDatabase *database) : XBaseSet(database, "Quotes_Cars", kColumns) {}

SqlExpr XQuoteCarsSet::GetFolderFilter(int)
{
    ResetFilter();
    return GetFilter();
}

void XQuoteCarsSet::ReadCarQuoteXml(const XmlNode &q)
{
    SetBool("IS_INCOMING", true);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    RecordXml::Read(*this, q, kHead);
    TradeXml::ReadContact(*this, RecordXml::Child(q, "contact_info"), false);
    const XmlNode car = RecordXml::Child(q, "car_info");
    RecordXml::Read(*this, car, kCarInfo);
    const QString id = GetText("ID");
    for (int n = 1; n <= PictureCount; ++n)
        SetText(kTitles[n - 1], QuotePictures::Cars().SaveIncoming(car, id, n));
}

void XQuoteCarsSet::BuildCarQuoteXml(XRequest &request, const XPhotoSet *photos) const
{
    BuildCarQuoteXml(request.AddParam(QStringLiteral("car_quote")), photos);
}

XmlNode XQuoteCarsSet::BuildCarQuoteXml(XmlNode q, const XPhotoSet *photos) const
{
    XmlNode car = q.AddChild(QStringLiteral("car_info"));
    RecordXml::WriteField(*this, q, {"car_query_id", "QUERY_ID"});
    RecordXml::WriteField(*this, q, {"live_time", "LIVE_TIME", RecordXml::Int});
    RecordXml::Write(*this, car, kCarInfo);
    if (photos) {
        for (int n = 1; n <= PictureCount; ++n)
            QuotePictures::AddPhotoElements(car, *photos, n - 1, n, GetText(kTitles[n - 1]));
    }
    return q;
}

void XQuoteCarsSet::AddPictureXml(XmlNode parent, int number, const QString &title) const
{
    QuotePictures::Cars().AddPictureXml(parent, GetBool("IS_INCOMING"), GetText("ID"), number, title);
}

void XQuoteCarsSet::BuildDetailXml(XmlNode root, bool search) const
{
    static const Field kCar1[] = {{"category", "CATEGORY"}, {"make", "MAKE"}};
    static const Field kCar2[] = {
        {"year", "YEAR"},
        {"asking_price", "ASKING_PRICE"},
        {"body_style", "BODY_STYLE"},
        {"style", "STYLE"},
        {"mileage", "MILEAGE"},
        {"actual_mileage", "ACTUAL_MILEAGE", RecordXml::YesNo},
        {"acv", "ACV"},
        {"condition", "CONDITION"},
        {"int_color", "INT_COLOR"},
        {"ext_color", "EXT_COLOR"},
        {"transmission", "TRANSMISSION"},
        {"doors", "DOORS"},
        {"vin", "VIN"},
        {"drive_train", "DRIVE_TRAIN"},
        {"warranty", "WARRANTY"},
        {"notes", "NOTES"},
        {"damage1", "DAMAGE1"},
        {"damage2", "DAMAGE2"},
        {"damage_title", "DAMAGE_TITLE"},
    };
    static const Field kCar3[] = {
        {"engine_type", "ENGINE_CYL"},
        {"location_address", "LOCATION_ADDRESS"},
        {"location_city", "LOCATION_CITY"},
        {"location_state", "LOCATION_STATE"},
        {"location_zip", "LOCATION_ZIP"},
        {"location_country", "LOCATION_COUNTRY"},
        {"stock_number", "STOCK_NUMBER"},
    };
    const bool incoming = GetBool("IS_INCOMING");
    TradeXml::WriteDetailHead(*this, root, "%m-%d %H:%M");
    RecordXml::SetFlag(root, "search", search);
    RecordXml::SetFlag(root, "messages",
                       XMessageSet::CountByContext(GetText("ID"), QStringLiteral("quote_cars"), m_pDatabase) > 0);
    RecordXml::SetFlag(root, "sendmessage", TradeXml::SendMessageEnabled(IRecordViews::ListKind::CarQueries));

    XmlNode car = RecordXml::AddSection(root, QStringLiteral("car_info"), QStringLiteral("Car Information"),
                                        QStringLiteral("car-fields"));
    RecordXml::Write(*this, car, kCar1);
    car.AddChild(QStringLiteral("model"), TradeXml::ModelText(GetText("MODEL"), GetText("SUBMODEL")));
    RecordXml::Write(*this, car, kCar2);
    car.AddChild(QStringLiteral("engine_size"),
                 TradeXml::EngineSizeText(GetText("ENGINE_SIZE"), GetText("ENGINE_SIZE_UNIT")));
    RecordXml::Write(*this, car, kCar3);
    const QString category = GetText("CATEGORY");
    if (category == QLatin1String("Salvage/Damaged") || category == QLatin1String("Repairable")) {
        const QString damage = GetText("DAMAGE_OPTIONS");
        for (const char *word : {"key", "start", "run"})
            car.AddChild(QLatin1String(word), damage.contains(QLatin1String(word)) ? QStringLiteral("yes")
                                                                                    : QStringLiteral("no"));
    }
    TradeXml::AddCarOptions(car, GetText("CAR_OPTIONS"), GetText("CAR_ADDOPTIONS"));
    XmlNode pictures = car.AddChild(QStringLiteral("pictures"));
    for (int n = 1; n <= PictureCount; ++n)
        AddPictureXml(pictures, n, GetText(kTitles[n - 1]));

    XmlNode contact = RecordXml::AddSection(root, QStringLiteral("contact_info"),
                                            QStringLiteral("Contact Information"),
                                            QStringLiteral("car-contact-fields"));
    TradeXml::WriteContactDetail(*this, contact, incoming, {.ratingLast = true, .businessType = false});
}

void XQuoteCarsSet::CopyToInventoryCar(XInventoryCarsSet &inv) const
{
    for (const char *c : {"CATEGORY", "MAKE", "MODEL", "SUBMODEL", "YEAR", "BODY_STYLE", "ASKING_PRICE", "MILEAGE",
                          "CONDITION", "EXT_COLOR", "INT_COLOR", "TRANSMISSION", "DOORS", "VIN", "ENGINE_CYL",
                          "DRIVE_TRAIN", "CAR_OPTIONS", "NOTES", "WARRANTY", "ENGINE_SIZE", "ENGINE_SIZE_UNIT", "ACV",
                          "DAMAGE1", "DAMAGE2", "DAMAGE_TITLE", "LOCATION_ADDRESS", "LOCATION_CITY", "LOCATION_STATE",
                          "LOCATION_ZIP", "LOCATION_COUNTRY", "STOCK_NUMBER", "IMG1_TITLE", "IMG2_TITLE", "IMG3_TITLE",
                          "IMG4_TITLE", "IMG5_TITLE", "IMG6_TITLE"})
        inv.SetText(c, GetText(c));
    inv.SetBool("ACTUAL_MILEAGE", GetBool("ACTUAL_MILEAGE"));
}
