#include "XQuerySet.h"

#include "RecordXml.h"
#include "TradeXml.h"
#include "XMessageSet.h"

#include "net/MetaUtils.h"
#include "net/SidesList.h"
#include "net/XMetaData.h"
#include "net/XRequest.h"

using RecordXml::Field;

namespace {

const QStringList kColumns = {
    "ID",          "POST_DATE",  "RECIVE_DATE", "LIVE_TIME",      "STATUS",        "STATUS_CODE",  "IS_INCOMING",
    "IS_ARCHIVE",  "IS_CONTACT_FULL", "C_ID",   "C_NAME",         "C_EMAIL",       "C_PHONE",      "C_MOBILE",
    "C_FAX",       "C_WEBSITE",  "C_STREET",    "C_CITY",         "C_ZIP",         "C_STATE",      "C_COUNTRY",
    "C_COMPANY",   "C_SIGNATURE", "V_MAKE",     "V_MODEL",        "V_YEAR",        "V_VIN",        "V_TRANSMISSION",
    "V_AXLE",      "V_ENGINE",   "V_ENGINE_SIZE", "V_ENGINE_SIZE_UNIT", "V_DELIVERY", "V_FUEL",     "V_ASPIRATION",
    "V_BODY_STYLE", "P_NUMBER",  "P_CATEGORY",  "P_TYPE",         "P_NAME",        "P_QUANTITY",   "P_MAX_PRICE",
    "P_TIME_FRAME", "P_COLOR",   "P_SIDE",      "WHEEL_WIDTH",    "WHEEL_HEIGHT",  "BUSINESS_TYPE", "ORIG_STATE",
    "P_NOTES",     "COMMENTS",   "QFY_LEVEL",   "MARKET_ID",      "MARKET_NAME",   "REFERER_ID",   "AUTOREPL_CHECKED",
    "MESS_TOTAL_COUNT",
};

const Field kQueryHead[] = {
    {"query_id", "ID"},
    {"owner_id", "C_ID"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"market_id", "MARKET_ID"},
    {"referer_id", "REFERER_ID"},
    {"market_info/name", "MARKET_NAME"},
};

const Field kPartRead[] = {
    {"category", "P_CATEGORY"},
    {"type", "P_TYPE"},
    {"name", "P_NAME"},
    {"quantity", "P_QUANTITY", RecordXml::Int},
    {"max_price", "P_MAX_PRICE", RecordXml::Real},
    {"number", "P_NUMBER"},
    {"color", "P_COLOR"},
    {"side", "P_SIDE"},
    {"wheel_height", "WHEEL_HEIGHT"},
    {"wheel_width", "WHEEL_WIDTH"},
    {"time_frame", "P_TIME_FRAME"},
    {"other", "P_NOTES", RecordXml::Text, 1024},
};

const Field kBusinessRead[] = {
    {"originating_state", "ORIG_STATE"},
    {"qualification", "QFY_LEVEL"},
};

const Field kQueryTail[] = {
    {"status", "STATUS"},
    {"status_code", "STATUS_CODE", RecordXml::Int},
    {"post_date", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"market_id", "MARKET_ID"},
};

const Field kPartWrite[] = {
    {"number", "P_NUMBER"},
    {"type", "P_TYPE"},
    {"category", "P_CATEGORY"},
    {"name", "P_NAME"},
    {"quantity", "P_QUANTITY", RecordXml::Int},
    {"max_price", "P_MAX_PRICE", RecordXml::Real},
    {"side", "P_SIDE"},
    {"color", "P_COLOR"},
    {"other", "P_NOTES"},
    {"time_frame", "P_TIME_FRAME"},
    {"wheel_height", "WHEEL_HEIGHT"},
    {"wheel_width", "WHEEL_WIDTH"},
};

const Field kFullContact[] = {
    {"name", "C_NAME"},     {"phone", "C_PHONE"},   {"mobile", "C_MOBILE"},   {"fax", "C_FAX"},
    {"website", "C_WEBSITE"}, {"street", "C_STREET"}, {"city", "C_CITY"},     {"zip", "C_ZIP"},
    {"state", "C_STATE"},   {"country", "C_COUNTRY"}, {"company", "C_COMPANY"}, {"signature", "C_SIGNATURE"},
};

const QString kStatusPair = QStringLiteral(
    "IS_INCOMING = %1 AND IS_ARCHIVE = 0 AND             (STATUS_CODE = %2 OR STATUS_CODE = %3)");
const QString kStatusOne = QStringLiteral("IS_INCOMING = %1 AND IS_ARCHIVE = 0 AND             STATUS_CODE = %2");

const SidesList &Sides()
{
    static const SidesList sides;
    return sides;
}

QString PartAmount(const QString &partName, int kind)
{
    QString amount;
    try {
        MetaUtils::GetPartAmount(partName, amount, kind);
    } catch (const std::exception &) {
        // No metadata loaded: no amount to show.
    }
    return amount;
}

QStringList PartTypeWords()
{
    if (const XMetaData *meta = Globals::As<XMetaData>(GlobalSlot::Meta))
        return meta->Fixed().conditionsAny;
    return {QStringLiteral("Used"), QStringLiteral("Remanufactured"), QStringLiteral("New"), QStringLiteral("Any")};
}

} // namespace

XQuerySet::XQuerySet(KVDatabase *database) : XBaseSet(database, "Queries", kColumns)
{
    FillOwnContact();
}

void XQuerySet::FillOwnContact()
{
    const ProfileData p = TradeXml::Profile();
    SetText("C_ID", TradeXml::PassportId());
    SetText("C_NAME", p.name);
    SetText("C_EMAIL", p.email);
    SetText("C_PHONE", p.phone);
    SetText("C_MOBILE", p.mobile);
    SetText("C_FAX", p.fax);
    SetText("C_WEBSITE", p.website);
    SetText("C_STREET", p.street);
    SetText("C_CITY", p.city);
    SetText("C_STATE", p.state);
    SetText("C_ZIP", p.zip);
    SetText("C_COUNTRY", p.country);
    SetText("C_COMPANY", p.company);
    SetText("C_SIGNATURE", p.signature);
}

SqlExpr XQuerySet::GetFolderFilter(int folderId)
{
    switch (folderId) {
    case 20002: m_baseFilter = SqlExpr(kStatusPair.arg(0).arg(0).arg(1)); break;
    case 20003: m_baseFilter = SqlExpr(kStatusPair.arg(0).arg(2).arg(3)); break;
    case 20004: m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 0 AND IS_ARCHIVE = 1")); break;
    case 32836: m_baseFilter = SqlExpr(kStatusOne.arg(0).arg(4)); break;
    case 32837: m_baseFilter = SqlExpr(kStatusOne.arg(0).arg(5)); break;
    case 20102: m_baseFilter = SqlExpr(kStatusPair.arg(1).arg(0).arg(1)); break;
    case 20101: m_baseFilter = SqlExpr(kStatusPair.arg(1).arg(2).arg(3)); break;
    case 20104: m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 1 AND IS_ARCHIVE = 1")); break;
    case 104: m_baseFilter = SqlExpr(kStatusOne.arg(1).arg(4)); break;
    case 105: m_baseFilter = SqlExpr(kStatusOne.arg(1).arg(5)); break;
    case 137:
        // The passport id is a bound value, never SQL text.
        m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 1 AND IS_ARCHIVE = 0 AND             (REFERER_ID = ?)"),
                               {TradeXml::PassportId()});
        break;
    default:
        break;
    }
    ResetFilter();
    return GetFilter();
}

void XQuerySet::AddFieldSearch(SqlExpr &list, const QString &value) const
{
    const QString like = FormatLikePattern(value);
    struct S { const char *column; bool isLike; bool numeric; };
    static const S kSearch[] = {
        {"ID", false, false},          {"V_MAKE", true, false},       {"V_MODEL", true, false},
        {"V_YEAR", false, false},      {"V_VIN", true, false},        {"V_TRANSMISSION", true, false},
        {"V_AXLE", true, false},       {"V_ENGINE", true, false},     {"V_ENGINE_SIZE", false, false},
        {"V_DELIVERY", true, false},   {"V_FUEL", true, false},       {"V_ASPIRATION", true, false},
        {"V_BODY_STYLE", true, false}, {"P_NUMBER", true, false},     {"P_TYPE", true, false},
        {"P_NAME", true, false},       {"P_QUANTITY", false, true},   {"P_COLOR", true, false},
        {"P_SIDE", true, false},       {"WHEEL_WIDTH", false, false}, {"WHEEL_HEIGHT", false, false},
        {"P_NOTES", true, false},      {"P_MAX_PRICE", false, true},  {"C_NAME", false, false},
        {"C_CITY", false, false},      {"C_STATE", false, false},     {"BUSINESS_TYPE", false, false},
    };
    for (const S &s : kSearch)
        AddOrCondition(QLatin1String(s.column), s.isLike ? QStringLiteral("LIKE") : QStringLiteral("="),
                       s.isLike ? like : value, list, s.numeric);
}

void XQuerySet::ReadQueryXml(const XmlNode &query)
{
    SetBool("IS_INCOMING", true);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    SetBool("IS_CONTACT_FULL", false);
    RecordXml::Read(*this, query, kQueryHead);
    SetNow("RECIVE_DATE");
    const XmlNode contact = RecordXml::Child(query, "contact_info");
    TradeXml::ReadContact(*this, contact, false);
    RecordXml::ReadField(*this, contact, {"business_type", "BUSINESS_TYPE"});
    RecordXml::Read(*this, RecordXml::Child(query, "vehicle_info"), TradeXml::VehicleRead());
    RecordXml::Read(*this, RecordXml::Child(query, "part_info"), kPartRead);
    RecordXml::Read(*this, RecordXml::Child(query, "business_info"), kBusinessRead);
}

void XQuerySet::ReadContactInfoXml(const XmlNode &answer)
{
    XmlNode contact = RecordXml::Child(answer, "contact_info");
    if (contact.IsNull())
        contact = answer.Select(QStringLiteral(".//contact_info"));
    RecordXml::Read(*this, contact, kFullContact);
    SetBool("IS_CONTACT_FULL", true);
}

void XQuerySet::BuildQueryXml(XRequest &request) const
{
    BuildQueryXml(request.AddParam(QStringLiteral("query")));
}

XmlNode XQuerySet::BuildQueryXml(XmlNode query) const
{
    XmlNode shipping = query.AddChild(QStringLiteral("shipping_info"));
    XmlNode vehicle = query.AddChild(QStringLiteral("vehicle_info"));
    XmlNode part = query.AddChild(QStringLiteral("part_info"));
    XmlNode business = query.AddChild(QStringLiteral("business_info"));
    RecordXml::Write(*this, query, kQueryTail);
    TradeXml::WriteContact(*this, shipping, true);
    RecordXml::Write(*this, vehicle, TradeXml::VehicleWrite());
    RecordXml::Write(*this, part, kPartWrite);
    business.AddChild(QStringLiteral("business_type"), MapBusinessType(TradeXml::Profile().businessType));
    RecordXml::WriteField(*this, business, {"originating_state", "ORIG_STATE"});
    RecordXml::WriteField(*this, business, {"qualification", "QFY_LEVEL"});
    return query;
}

QString XQuerySet::MapBusinessType(const QString &type)
{
    struct Group { std::initializer_list<const char *> names; const char *word; };
    static const Group kGroups[] = {
        {{"Auction Pool", "Auto Part Store", "Auto Recycler ", "Body Shop", "Car Dealer", "Car Repair",
          "Collision Repair", "Fleet Company"}, "Retailer"},
        {{"Mechanic", "Retailer", "Towing Service", "Part Broker"}, "Retailer"},
        {{"Claim Service", "Insurance Adjuster", "Titling Company", "Insurance Company"}, "Insurance"},
        {{"Consumer", "Do-It-Yourselfer", "Other"}, "Consumer"},
        {{"Distributor", "Jobber"}, "Distributor"},
        {{"Importer/Exporter", "Importer", "Exporter"}, "Wholesaler"},
        {{"Wholesaler", "Surplus Store"}, "Wholesaler"},
        {{"Manufacturer", "Refurbisher", "Remanufacturer"}, "Manufacturer"},
    };
    for (const Group &g : kGroups) {
        for (const char *name : g.names) {
            if (type == QLatin1String(name))
                return QLatin1String(g.word);
        }
    }
    return QStringLiteral("Tradewick");
}

void XQuerySet::BuildDetailXml(XmlNode root, bool search) const
{
    static const Field kPartDetail1[] = {
        {"type", "P_TYPE"},
        {"name", "P_NAME"},
        {"quantity", "P_QUANTITY", RecordXml::Int},
        {"max_price", "P_MAX_PRICE", RecordXml::MoneyOrAny},
    };
    static const Field kPartDetail2[] = {
        {"number", "P_NUMBER"},           {"color", "P_COLOR"},
        {"other", "P_NOTES"},             {"time_frame", "P_TIME_FRAME"},
        {"wheel_width", "WHEEL_WIDTH"},   {"wheel_height", "WHEEL_HEIGHT"},
    };
    const QString id = GetText("ID");
    const bool incoming = GetBool("IS_INCOMING");
    TradeXml::WriteDetailHead(*this, root, "%Y-%m-%d %H:%M");
    RecordXml::SetFlag(root, "search", search);
    RecordXml::SetFlag(root, "messages", XMessageSet::CountByContext(id, QStringLiteral("query"), m_pDatabase) > 0);
    RecordXml::SetFlag(root, "contact", TradeXml::ContactFlag());
    RecordXml::SetFlag(root, "profile", true);
    RecordXml::SetFlag(root, "sendquote", TradeXml::PageSection() == 2);
    if (TradeXml::PaymentFeature())
        root.SetAttr(QStringLiteral("cost"), PartAmount(GetText("P_NAME"), 1));
    RecordXml::SetFlag(root, "sendmessage", TradeXml::SendMessageEnabled(IRecordViews::ListKind::Queries));
    if (incoming) {
        if (!GetBool("IS_CONTACT_FULL") && !search) {
            RecordXml::SetFlag(root, "getcontact", true);
            if (TradeXml::PaymentFeature())
                root.SetAttr(QStringLiteral("contact-cost"), PartAmount(GetText("P_NAME"), 2));
        }
        RecordXml::SetFlag(root, "incoming", true);
        XmlNode types = root.AddChild(QStringLiteral("part-types"));
        for (const QString &word : PartTypeWords())
            types.AddChild(QStringLiteral("item"), word);
    }
    XmlNode vehicle = RecordXml::AddSection(root, QStringLiteral("vehicle_info"), QStringLiteral("Vehicle Information"),
                                            QStringLiteral("vehicle-fields"));
    RecordXml::Write(*this, vehicle, TradeXml::VehicleDetail());
    XmlNode part = RecordXml::AddSection(root, QStringLiteral("part_info"), QStringLiteral("Part Information"),
                                         QStringLiteral("part-fields"));
    RecordXml::Write(*this, part, kPartDetail1);
    part.AddChild(QStringLiteral("side"), Sides().GetSideName(GetText("P_SIDE")));
    RecordXml::Write(*this, part, kPartDetail2);
    XmlNode contact = RecordXml::AddSection(root, QStringLiteral("contact_info"),
                                            QStringLiteral("Contact Information"), QStringLiteral("contact-fields"));
    TradeXml::WriteContactDetail(*this, contact, incoming, {.ratingLast = false, .businessType = true});
}
