#include "XQueryCarsSet.h"

#include "RecordXml.h"
#include "TradeXml.h"
#include "XMessageSet.h"

#include "app/Utils.h"
#include "net/XRequest.h"

using RecordXml::Field;

namespace {

const QStringList kColumns = {
    "ID",          "POST_DATE",   "LIVE_TIME",    "STATUS",       "STATUS_CODE", "IS_INCOMING", "IS_ARCHIVE",
    "C_ID",        "C_NAME",      "C_PHONE",      "C_MOBILE",     "C_FAX",       "C_WEBSITE",   "C_STREET",
    "C_CITY",      "C_STATE",     "C_ZIP",        "C_COUNTRY",    "C_COMPANY",   "C_SIGNATURE", "BUSINESS_TYPE",
    "IS_CONTACT_FULL", "ZIP",     "MAKE",         "MODEL",        "SUBMODEL",    "MIN_YEAR",    "MAX_YEAR",
    "MIN_PRICE",   "MAX_PRICE",   "MAX_DISTANCE", "MIN_MILEAGE",  "MAX_MILEAGE", "CATEGORY",    "DAMAGE",
    "EXT_COLOR",   "INT_COLOR",   "BODY_STYLE",   "DOORS",        "TRANSMISSION", "AXLE",       "ENGINE_TYPE",
    "ENGINE_SIZE", "ENGINE_SIZE_UNITS", "TIME_FRAME", "CAR_OPTIONS", "CAR_ADDOPTIONS", "PAYMENT_METHOD", "TRADE_IN",
    "NOTES",       "COMMENTS",    "MARKET_ID",    "MARKET_NAME",  "QFY_LEVEL",   "AUTOREPL_CHECKED",
};

const Field kHead[] = {
    {"car_query_id", "ID"},
    {"owner_id", "C_ID"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"market_id", "MARKET_ID"},
    {"market_info/name", "MARKET_NAME"},
    {"business_info/qualification", "QFY_LEVEL"},
};

// The vehicle as the server sends it and as requests carry it (options last when sent).
const Field kVehicle[] = {
    {"make", "MAKE"},
    {"model", "MODEL"},
    {"submodel", "SUBMODEL"},
    {"from_year", "MIN_YEAR"},
    {"to_year", "MAX_YEAR"},
    {"category", "CATEGORY"},
    {"damage", "DAMAGE"},
    {"exterior_color", "EXT_COLOR"},
    {"interior_color", "INT_COLOR"},
    {"body_style", "BODY_STYLE"},
    {"doors", "DOORS"},
    {"transmission", "TRANSMISSION"},
    {"axle", "AXLE"},
    {"engine_type", "ENGINE_TYPE"},
    {"engine_size", "ENGINE_SIZE"},
    {"engine_size_units", "ENGINE_SIZE_UNITS"},
};

const Field kPurchaseRead[] = {
    {"min_price", "MIN_PRICE"},
    {"max_price", "MAX_PRICE"},
    {"max_distance", "MAX_DISTANCE"},
    {"min_mileage", "MIN_MILEAGE"},
    {"max_mileage", "MAX_MILEAGE"},
    {"zip", "ZIP"},
    {"time_frame", "TIME_FRAME"},
    {"trade_in", "TRADE_IN", RecordXml::Text, 2048},
    {"payment_method", "PAYMENT_METHOD"},
    {"notes", "NOTES", RecordXml::Text, 3072},
};

const Field kPurchaseWrite[] = {
    {"min_price", "MIN_PRICE"},
    {"max_price", "MAX_PRICE"},
    {"min_mileage", "MIN_MILEAGE"},
    {"max_mileage", "MAX_MILEAGE"},
    {"zip", "ZIP"},
    {"max_distance", "MAX_DISTANCE"},
    {"trade_in", "TRADE_IN"},
    {"payment_method", "PAYMENT_METHOD"},
    {"time_frame", "TIME_FRAME"},
    {"notes", "NOTES"},
};

const QString kStatusPair = QStringLiteral(
    "IS_INCOMING = %1 AND IS_ARCHIVE = 0 AND             (STATUS_CODE = %2 OR STATUS_CODE = %3)");

QString Range(const QString &min, const QString &max, bool money)
{
    auto norm = [money](const QString &t) { return money ? Utils::NormalizeMoney(t, 0) : t; };
    if (!max.isEmpty())
        return norm(max) + QLatin1Char('-');
    if (!min.isEmpty())
        return norm(min) + QLatin1Char('+');
    return QStringLiteral("Any");
}

} // namespace

QString FormatRangeText(const QString &from, const QString &to)
{
    if (!from.isEmpty() && !to.isEmpty())
        return QStringLiteral("%1 - %2").arg(from, to);
    if (!from.isEmpty())
        return QStringLiteral("From %1").arg(from);
    if (!to.isEmpty())
        return QStringLiteral("To %1").arg(to);
    return QStringLiteral("Any");
}

XQueryCarsSet::XQueryCarsSet(KVDatabase *database) : XBaseSet(database, "Queries_Cars", kColumns) {}

SqlExpr XQueryCarsSet::GetFolderFilter(int folderId)
{
    switch (folderId) {
    case 158: m_baseFilter = SqlExpr(kStatusPair.arg(0).arg(0).arg(1)); break;
    case 159: m_baseFilter = SqlExpr(kStatusPair.arg(0).arg(2).arg(3)); break;
    case 160: m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 0 AND IS_ARCHIVE = 1")); break;
    case 161: m_baseFilter = SqlExpr(kStatusPair.arg(1).arg(0).arg(1)); break;
    case 162: m_baseFilter = SqlExpr(kStatusPair.arg(1).arg(2).arg(3)); break;
    case 163: m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 1 AND IS_ARCHIVE = 1")); break;
    default: break;
    }
    ResetFilter();
    return GetFilter();
}

void XQueryCarsSet::AddFieldSearch(SqlExpr &list, const QString &value) const
{
    const QString like = FormatLikePattern(value);
    struct S { const char *column; bool isLike; };
    static const S kSearch[] = {
        {"ID", false},        {"MAKE", true},       {"MODEL", true},        {"MAX_DISTANCE", false},
        {"MAX_MILEAGE", false}, {"MAX_PRICE", false}, {"C_NAME", false},    {"CATEGORY", true},
        {"DAMAGE", true},     {"EXT_COLOR", true},  {"INT_COLOR", true},    {"BODY_STYLE", true},
        {"TRANSMISSION", true}, {"AXLE", true},     {"ENGINE_TYPE", true},  {"ENGINE_SIZE", false},
        {"ENGINE_SIZE_UNITS", true}, {"NOTES", true},
    };
    for (const S &s : kSearch)
        AddOrCondition(QLatin1String(s.column), s.isLike ? QStringLiteral("LIKE") : QStringLiteral("="),
                       s.isLike ? like : value, list, false);
}

void XQueryCarsSet::ReadCarQueryXml(const XmlNode &q)
{
    SetBool("IS_INCOMING", true);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    SetBool("IS_CONTACT_FULL", false);
    RecordXml::Read(*this, q, kHead);
    const XmlNode contact = RecordXml::Child(q, "contact_info");
    TradeXml::ReadContact(*this, contact, false);
    RecordXml::ReadField(*this, contact, {"business_type", "BUSINESS_TYPE"});
    const XmlNode vehicle = RecordXml::Child(q, "vehicle_info");
    RecordXml::ReadField(*this, vehicle, {"options", "CAR_OPTIONS", RecordXml::Text, 8192});
    RecordXml::Read(*this, vehicle, kVehicle);
    RecordXml::Read(*this, RecordXml::Child(q, "purchase_info"), kPurchaseRead);
}

void XQueryCarsSet::ReadContactInfoXml(const XmlNode &answer)
{
    XmlNode contact = RecordXml::Child(answer, "contact_info");
    if (contact.IsNull())
        contact = answer.Select(QStringLiteral(".//contact_info"));
    TradeXml::ReadContact(*this, contact, false);
    RecordXml::ReadField(*this, contact, {"business_type", "BUSINESS_TYPE"});
    SetBool("IS_CONTACT_FULL", true);
}

void XQueryCarsSet::BuildCarQueryXml(XRequest &request) const
{
    BuildCarQueryXml(request.AddParam(QStringLiteral("car_query")));
}

XmlNode XQueryCarsSet::BuildCarQueryXml(XmlNode q) const
{
    XmlNode vehicle = q.AddChild(QStringLiteral("vehicle_info"));
    XmlNode purchase = q.AddChild(QStringLiteral("purchase_info"));
    RecordXml::WriteField(*this, q, {"live_time", "LIVE_TIME", RecordXml::Int});
    RecordXml::WriteField(*this, q, {"market_id", "MARKET_ID"});
    RecordXml::Write(*this, vehicle, kVehicle);
    RecordXml::WriteField(*this, vehicle, {"options", "CAR_OPTIONS"});
    RecordXml::Write(*this, purchase, kPurchaseWrite);
    return q;
}

QString XQueryCarsSet::PriceRangeText(const QString &min, const QString &max)
{
    return Range(min, max, true);
}

QString XQueryCarsSet::MileageRangeText(const QString &min, const QString &max)
{
    return Range(min, max, false);
}

QString XQueryCarsSet::ColorText(const QString &exteriorColor)
{
    return CutToChars(exteriorColor, 5);
}

QString XQueryCarsSet::GetPriceRangeText() const
{
    return PriceRangeText(GetText("MIN_PRICE"), GetText("MAX_PRICE"));
}

QString XQueryCarsSet::GetMileageRangeText() const
{
    return MileageRangeText(GetText("MIN_MILEAGE"), GetText("MAX_MILEAGE"));
}

QString XQueryCarsSet::GetPriceSpanText() const
{
    const QString min = GetText("MIN_PRICE"), max = GetText("MAX_PRICE");
    return FormatRangeText(min.isEmpty() ? min : Utils::NormalizeMoney(min, 0),
                           max.isEmpty() ? max : Utils::NormalizeMoney(max, 0));
}

QString XQueryCarsSet::GetColorText() const
{
    return ColorText(GetText("EXT_COLOR"));
}

void XQueryCarsSet::BuildDetailXml(XmlNode root, bool search) const
{
    static const Field kVehicleDetail[] = {
        {"category", "CATEGORY"},         {"damage", "DAMAGE"},       {"exterior_color", "EXT_COLOR"},
        {"interior_color", "INT_COLOR"},  {"body_style", "BODY_STYLE"}, {"doors", "DOORS"},
        {"transmission", "TRANSMISSION"}, {"axle", "AXLE"},           {"engine_type", "ENGINE_TYPE"},
    };
    static const Field kPurchaseDetail1[] = {{"zip", "ZIP"}, {"max_distance", "MAX_DISTANCE"}};
    static const Field kPurchaseDetail2[] = {
        {"time_frame", "TIME_FRAME"}, {"payment_method", "PAYMENT_METHOD"}, {"trade_in", "TRADE_IN"},
        {"notes", "NOTES"},
    };
    const bool incoming = GetBool("IS_INCOMING");
    TradeXml::WriteDetailHead(*this, root, "%Y-%m-%d %H:%M");
    RecordXml::SetFlag(root, "search", search);
    RecordXml::SetFlag(root, "messages",
                       XMessageSet::CountByContext(GetText("ID"), QStringLiteral("query_cars"), m_pDatabase) > 0);
    RecordXml::SetFlag(root, "profile", true);
    RecordXml::SetFlag(root, "sendquote", TradeXml::PageSection() == 2);
    RecordXml::SetFlag(root, "sendmessage", TradeXml::SendMessageEnabled(IRecordViews::ListKind::CarQueries));
    RecordXml::SetFlag(root, "getcontact", incoming && !GetBool("IS_CONTACT_FULL") && !search);

    XmlNode section = root.AddChild(QStringLiteral("section"));
    XmlNode vehicle = section.AddChild(QStringLiteral("car-vehicle-fields"));
    RecordXml::WriteField(*this, vehicle, {"make", "MAKE"});
    vehicle.AddChild(QStringLiteral("model"), TradeXml::ModelText(GetText("MODEL"), GetText("SUBMODEL")));
    vehicle.AddChild(QStringLiteral("year"), FormatRangeText(GetText("MIN_YEAR"), GetText("MAX_YEAR")));
    RecordXml::Write(*this, vehicle, kVehicleDetail);
    vehicle.AddChild(QStringLiteral("engine_size"),
                     TradeXml::EngineSizeText(GetText("ENGINE_SIZE"), GetText("ENGINE_SIZE_UNITS")));
    TradeXml::AddCarOptions(vehicle, GetText("CAR_OPTIONS"), GetText("CAR_ADDOPTIONS"));
    XmlNode purchase = section.AddChild(QStringLiteral("car-purchase-fields"));
    RecordXml::Write(*this, purchase, kPurchaseDetail1);
    purchase.AddChild(QStringLiteral("price"), GetPriceSpanText());
    purchase.AddChild(QStringLiteral("mileage"), FormatRangeText(GetText("MIN_MILEAGE"), GetText("MAX_MILEAGE")));
    RecordXml::Write(*this, purchase, kPurchaseDetail2);

    XmlNode contact = RecordXml::AddSection(root, QStringLiteral("contact_info"),
                                            QStringLiteral("Contact Information"),
                                            QStringLiteral("car-contact-fields"));
    TradeXml::WriteContactDetail(*this, contact, incoming, {.ratingLast = true, .businessType = true});
}
