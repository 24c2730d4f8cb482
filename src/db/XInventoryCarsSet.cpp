#include "XInventoryCarsSet.h"

#include "TradeXml.h"
#include "XQuoteCarsSet.h"

namespace {
const QStringList kColumns = {
    "ID",          "FEATURES",      "MAKE",         "MODEL",          "SUBMODEL",       "YEAR",
    "BODY_STYLE",  "ASKING_PRICE",  "MILEAGE",      "CONDITION",      "EXT_COLOR",      "INT_COLOR",
    "TRANSMISSION", "DOORS",        "CATEGORY",     "DAMAGE1",        "DAMAGE2",        "DAMAGE_TITLE",
    "DAMAGE_OPTIONS", "ACV",        "LOCATION_ADDRESS", "LOCATION_CITY", "LOCATION_STATE", "LOCATION_ZIP",
    "LOCATION_COUNTRY", "ACTUAL_MILEAGE", "VIN",    "ENGINE_CYL",     "ENGINE_SIZE",    "ENGINE_SIZE_UNIT",
    "DRIVE_TRAIN", "WARRANTY",      "NOTES",        "CAR_OPTIONS",    "CAR_ADDOPTIONS", "STOCK_NUMBER",
    "IMG1_TITLE",  "IMG2_TITLE",    "IMG3_TITLE",   "IMG4_TITLE",     "IMG5_TITLE",     "IMG6_TITLE",
};
} // namespace

XInventoryCarsSet::XInventoryCarsSet(KVDatabase *database) : XBaseSet(database, "Inventory_Cars", kColumns) {}

void XInventoryCarsSet::AddFieldSearch(SqlExpr &list, const QString &w) const
{
    const QString p = FormatLikePattern(w);
    struct S { const char *column; bool isLike; };
    static const S kSearch[] = {
        {"MAKE", true},        {"MODEL", true},     {"YEAR", false},        {"BODY_STYLE", true},
        {"ASKING_PRICE", false}, {"MILEAGE", false}, {"CONDITION", true},   {"EXT_COLOR", true},
        {"INT_COLOR", true},   {"TRANSMISSION", true}, {"DOORS", true},     {"VIN", true},
        {"ENGINE_CYL", true},  {"DRIVE_TRAIN", true}, {"CATEGORY", true},   {"DAMAGE1", true},
        {"DAMAGE2", true},     {"DAMAGE_TITLE", true}, {"ACV", true},       {"NOTES", true},
        {"ENGINE_SIZE", false}, {"STOCK_NUMBER", false},
    };
    for (const S &s : kSearch)
        AddOrCondition(QLatin1String(s.column), s.isLike ? QStringLiteral("LIKE") : QStringLiteral("="),
                       s.isLike ? p : w, list, false);
}

void XInventoryCarsSet::FillCarQuote(XQuoteCarsSet &q) const
{
    q.SetInt("INVENTORY_ID", 0);
    q.SetBool("IS_INCOMING", false);
    q.SetBool("IS_ARCHIVE", false);
    q.SetText("STATUS", QStringLiteral("New"));
    q.SetInt("STATUS_CODE", 0);
    q.SetDate("POST_DATE", QDateTime::currentDateTime());
    q.SetInt("LIVE_TIME", 30);
    q.SetText("C_ID", TradeXml::PassportId());
    q.SetText("C_NAME", TradeXml::Profile().name);
    for (const char *c : {"CATEGORY", "MAKE", "MODEL", "SUBMODEL", "YEAR", "BODY_STYLE", "ASKING_PRICE", "MILEAGE",
                          "CONDITION", "EXT_COLOR", "INT_COLOR", "TRANSMISSION", "DOORS", "VIN", "ENGINE_CYL",
                          "DRIVE_TRAIN", "CAR_OPTIONS", "WARRANTY", "NOTES", "ENGINE_SIZE", "ENGINE_SIZE_UNIT", "ACV",
                          "DAMAGE1", "DAMAGE2", "DAMAGE_TITLE", "DAMAGE_OPTIONS", "LOCATION_ADDRESS", "LOCATION_CITY",
                          "LOCATION_STATE", "LOCATION_ZIP", "LOCATION_COUNTRY", "STOCK_NUMBER", "IMG1_TITLE",
                          "IMG2_TITLE", "IMG3_TITLE", "IMG4_TITLE", "IMG5_TITLE", "IMG6_TITLE"})
        q.SetText(c, GetText(c));
    q.SetBool("ACTUAL_MILEAGE", GetBool("ACTUAL_MILEAGE"));
}
