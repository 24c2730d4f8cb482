#include "XInventorySet.h"

#include "KVDatabase.h"
#include "TradeXml.h"
#include "XQuoteSet.h"

namespace {
const QStringList kColumns = {
    "ID",           "P_STOCK_NUMBER", "P_OEM_NUMBER", "P_AAIA_NUMBER",  "P_INTERCHANGE_NUMBER", "P_TYPE",
    "P_CATEGORY",   "P_NAME",         "P_QUANTITY",   "P_BRAND",        "P_PRICE",              "P_CORE_DEPOSIT",
    "P_SHIPPING_GROUP", "P_COLOR",    "P_SIDE",       "P_HANDLING",     "P_WEIGHT",             "P_BUY_URL",
    "P_PICTURE_URL", "P_NOTES",       "V_MAKE",       "V_MODEL",        "V_YEAR",               "V_END_YEAR",
    "V_TRANSMISSION", "V_AXLE",       "V_BODY_STYLE", "V_ENGINE",       "V_ENGINE_SIZE",        "V_ENGINE_SIZE_UNIT",
    "V_DELIVERY",   "V_FUEL",         "V_ASPIRATION", "V_VIN",          "WHEEL_WIDTH",          "WHEEL_HEIGHT",
    "SOURCE",
};
} // namespace

XInventorySet::XInventorySet(KVDatabase *database) : XBaseSet(database, "Inventory", kColumns) {}

void XInventorySet::AddFieldSearch(SqlExpr &list, const QString &w) const
{
    const QString p = FormatLikePattern(w);
    struct S { const char *column; bool isLike; bool numeric; };
    static const S kSearch[] = {
        {"V_MAKE", true, false},        {"V_MODEL", true, false},        {"V_YEAR", false, false},
        {"V_END_YEAR", false, false},   {"V_VIN", true, false},          {"V_TRANSMISSION", true, false},
        {"V_AXLE", true, false},        {"V_ENGINE", true, false},       {"V_ENGINE_SIZE", false, false},
        {"V_DELIVERY", true, false},    {"V_FUEL", true, false},         {"V_ASPIRATION", true, false},
        {"V_BODY_STYLE", true, false},  {"P_STOCK_NUMBER", false, false}, {"P_OEM_NUMBER", false, false},
        {"P_AAIA_NUMBER", false, false}, {"P_INTERCHANGE_NUMBER", false, false}, {"P_CATEGORY", true, false},
        {"P_TYPE", true, false},        {"P_NAME", true, false},         {"P_QUANTITY", false, true},
        {"P_COLOR", true, false},       {"P_SIDE", true, false},         {"WHEEL_WIDTH", false, false},
        {"WHEEL_HEIGHT", false, false}, {"P_NOTES", true, false},        {"P_PRICE", false, true},
        {"P_CORE_DEPOSIT", false, true},
    };
    for (const S &s : kSearch)
        AddOrCondition(QLatin1String(s.column), s.isLike ? QStringLiteral("LIKE") : QStringLiteral("="),
                       s.isLike ? p : w, list, s.numeric);
}

bool XInventorySet::StockNumberExists()
{
    try {
        // Counted over the whole table, with the number as a bound value.
        return m_pDatabase->ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM [Inventory] WHERE P_STOCK_NUMBER = ?"),
                                          {GetText("P_STOCK_NUMBER")}) > 0;
    } catch (const std::exception &) {
        return false;
    }
}

void XInventorySet::FillPartQuote(XQuoteSet &q) const
{
    const ProfileData p = TradeXml::Profile();
    q.SetBool("IS_INCOMING", false);
    q.SetText("STATUS", QStringLiteral("New"));
    q.SetInt("STATUS_CODE", 0);
    q.SetDate("POST_DATE", QDateTime::currentDateTime());
    q.SetInt("INVENTORY_ID", GetInt64(FieldIndex("ID")));
    q.SetText("C_ID", TradeXml::PassportId());
    const std::pair<const char *, QString> contact[] = {
        {"C_NAME", p.name},     {"C_EMAIL", p.email},   {"C_PHONE", p.phone},     {"C_MOBILE", p.mobile},
        {"C_FAX", p.fax},       {"C_WEBSITE", p.website}, {"C_STREET", p.street}, {"C_CITY", p.city},
        {"C_STATE", p.state},   {"C_ZIP", p.zip},       {"C_COUNTRY", p.country}, {"C_COMPANY", p.company},
        {"QFY_LEVEL", p.qualification},
    };
    for (const auto &[column, value] : contact)
        q.SetText(column, value);

    const QString year = GetText("V_YEAR"), endYear = GetText("V_END_YEAR");
    q.SetText("V_MAKE", GetText("V_MAKE"));
    q.SetText("V_MODEL", GetText("V_MODEL"));
    q.SetText("V_YEAR", !endYear.isEmpty() && endYear != year ? year + QLatin1Char('-') + endYear : year);
    for (const char *c : {"V_VIN", "V_BODY_STYLE", "V_AXLE", "V_ASPIRATION", "V_DELIVERY", "V_ENGINE", "V_ENGINE_SIZE",
                          "V_ENGINE_SIZE_UNIT", "V_FUEL", "V_TRANSMISSION", "P_CATEGORY", "P_NAME", "P_SIDE", "P_COLOR",
                          "P_BUY_URL", "P_PICTURE_URL", "P_NOTES", "WHEEL_WIDTH", "WHEEL_HEIGHT"})
        q.SetText(c, GetText(c));
    const QString type = GetText("P_TYPE");
    q.SetText("P_TYPE", type.isEmpty() ? QStringLiteral("Any") : type);
    q.SetInt("P_QUANTITY", GetInt("P_QUANTITY"));
    q.SetInt("P_BOX_QUANTITY", GetInt("P_QUANTITY"));
    q.SetText("P_NUMBER", GetText("P_STOCK_NUMBER"));
    q.SetDouble("P_PRICE", GetDouble("P_PRICE"));
    q.SetDouble("P_CORE_DEPOSIT", GetDouble("P_CORE_DEPOSIT"));
    q.SetDouble("P_SHIPPING", GetDouble("P_HANDLING"));
    q.SetPictureTitle(m_pictureTitle);
}
