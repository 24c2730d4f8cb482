#include "Schema.h"

#include <stdexcept>

QByteArray ColumnDef::DefaultSql() const
{
    switch (defaultValue) {
    case ColumnDefault::DefaultTrue:
        return "1";
    case ColumnDefault::DefaultNow:
        return "datetime('now','localtime')";
    case ColumnDefault::NoDefault:
        break;
    }
    // A yes/no column is never null: the folder filters test "= 0".
    return type == ColumnType::Logical ? QByteArray("0") : QByteArray();
}

const char *ColumnDef::SqlType() const
{
    switch (type) {
    case ColumnType::Text:
    case ColumnType::LongText:
    case ColumnType::DateTime:
        return "TEXT";
    case ColumnType::Integer:
    case ColumnType::Logical:
    case ColumnType::Identity:
        return "INTEGER";
    case ColumnType::Currency:
    case ColumnType::Float:
        return "REAL";
    }
    return "TEXT";
}

QByteArray ColumnDef::Ddl() const
{
    QByteArray s = "[" + QByteArray(name) + "] " + SqlType();
    if (type == ColumnType::Text || type == ColumnType::LongText)
        s += " COLLATE NOCASE";
    if (type == ColumnType::Identity)
        return s + " PRIMARY KEY AUTOINCREMENT";
    if (primaryKey)
        s += " PRIMARY KEY";
    const QByteArray def = DefaultSql();
    if (defaultValue == ColumnDefault::DefaultNow)
        s += " DEFAULT (" + def + ")";
    else if (!def.isEmpty())
        s += " DEFAULT " + def;
    return s;
}

int TableDef::ColumnIndex(const QString &column) const
{
    // Names mostly come as the schema writes them: an exact match is a length
    // compared first, where the match without case compares letter by letter.
    for (size_t i = 0; i < columns.size(); ++i) {
        if (column == QLatin1String(columns[i].name))
            return int(i);
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        if (column.compare(QLatin1String(columns[i].name), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const ColumnDef *TableDef::Column(const QString &column) const
{
    const int i = ColumnIndex(column);
    return i < 0 ? nullptr : &columns[size_t(i)];
}

QStringList TableDef::ColumnNames() const
{
    QStringList names;
    for (const ColumnDef &c : columns)
        names << QLatin1String(c.name);
    return names;
}

QByteArray TableDef::CreateTableSql() const
{
    QByteArray s = "CREATE TABLE [" + QByteArray(name) + "] (";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i)
            s += ", ";
        s += columns[i].Ddl();
    }
    return s + ")";
}

QByteArray TableDef::IndexName(const char *table, const char *columns)
{
    return "index_" + QByteArray(table) + "_" + QByteArray(columns).replace(",", "_");
}

std::vector<QByteArray> TableDef::CreateIndexSql(bool ifMissing) const
{
    std::vector<QByteArray> out;
    const QByteArray create = ifMissing ? "CREATE INDEX IF NOT EXISTS [" : "CREATE INDEX [";
    for (const char *cols : indexes) {
        const QByteArray list = "[" + QByteArray(cols).replace(",", "], [") + "]";
        out.push_back(create + IndexName(name, cols) + "] ON [" + QByteArray(name) + "] (" + list + ")");
    }
    return out;
}

namespace Schema {

const std::vector<TableDef> &Tables()
{
    static const std::vector<TableDef> tables = {
        {"Queries",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_ARCHIVE", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"C_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"C_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_EMAIL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_MOBILE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_FAX", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_WEBSITE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COMPANY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_SIGNATURE", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"RECIVE_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"V_MAKE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_MODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_YEAR", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_TRANSMISSION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_AXLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_BODY_STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE_SIZE_UNIT", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"V_DELIVERY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_FUEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ASPIRATION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_VIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_TYPE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_CATEGORY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_QUANTITY", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"P_MAX_PRICE", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_COLOR", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_SIDE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WHEEL_WIDTH", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WHEEL_HEIGHT", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_TIME_FRAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"BUSINESS_TYPE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ORIG_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"QFY_LEVEL", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"P_NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"MESS_TOTAL_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MESS_NEW_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MARKET_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MARKET_NAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"REFERER_ID", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"AUTOREPL_CHECKED", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_CONTACT_FULL", ColumnType::Logical, 0, false, ColumnDefault::DefaultTrue},
         },
         {"MARKET_ID", "C_ID", "IS_INCOMING", "IS_ARCHIVE", "POST_DATE", "QFY_LEVEL", "MARKET_NAME", "V_YEAR", "V_MAKE", "V_MODEL", "P_NAME", "C_STATE", "C_ZIP", "C_NAME", "P_MAX_PRICE", "STATUS", "STATUS_CODE", "IS_CONTACT_FULL"}},
        {"Quotes",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"QUERY_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"INVENTORY_ID", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_ARCHIVE", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"C_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"C_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_EMAIL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_MOBILE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_FAX", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_WEBSITE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COMPANY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_SIGNATURE", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"RECIVE_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"V_MAKE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_MODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_YEAR", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_TRANSMISSION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_AXLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_BODY_STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE_SIZE_UNIT", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"V_DELIVERY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_FUEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ASPIRATION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_VIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_TYPE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_CATEGORY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_BRAND", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_BOX_QUANTITY", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"P_QUANTITY", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"P_PRICE", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_SHIPPING", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_CORE_DEPOSIT", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_COLOR", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_SIDE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_BUY_URL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_PICTURE_URL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WHEEL_WIDTH", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WHEEL_HEIGHT", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"QFY_LEVEL", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"P_NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"MESS_TOTAL_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MARKET_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MARKET_NAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"MESS_NEW_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
         },
         {"QUERY_ID,STATUS_CODE", "INVENTORY_ID", "MARKET_ID", "C_ID", "IS_INCOMING", "IS_ARCHIVE", "POST_DATE", "MARKET_NAME", "QFY_LEVEL", "V_YEAR", "V_MAKE", "V_MODEL", "P_NAME", "C_STATE", "C_ZIP", "C_NAME", "P_PRICE", "STATUS", "STATUS_CODE"}},
        {"Inventory",
         {
             {"ID", ColumnType::Identity, 0, true, ColumnDefault::NoDefault},
             {"P_STOCK_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_OEM_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_AAIA_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_INTERCHANGE_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_TYPE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_CATEGORY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_QUANTITY", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"P_BRAND", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_PRICE", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_CORE_DEPOSIT", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_SHIPPING_GROUP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_COLOR", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_SIDE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_HANDLING", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"P_WEIGHT", ColumnType::Float, 0, false, ColumnDefault::NoDefault},
             {"P_BUY_URL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_PICTURE_URL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"P_NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"V_MAKE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_MODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_YEAR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"V_END_YEAR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"V_TRANSMISSION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_AXLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_BODY_STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ENGINE_SIZE_UNIT", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_DELIVERY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_FUEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_ASPIRATION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"V_VIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WHEEL_WIDTH", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WHEEL_HEIGHT", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"SOURCE", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"LAST_UPDATED", ColumnType::DateTime, 0, false, ColumnDefault::DefaultNow},
         },
         // P_STOCK_NUMBER: the catalog list's default order; SOURCE: the imports' keys.
         // P_NAME with V_MAKE: the rating scripts' usual pair of restrictions (SQLite
         // would otherwise walk every part of the make); it serves P_NAME alone too.
         {"P_NAME,V_MAKE", "V_MAKE", "V_MODEL", "SOURCE", "P_STOCK_NUMBER"}},
        {"Messages",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"CONTEXT_ID", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"CONTEXT_TYPE", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MARKET_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MARKET_NAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"OWNER_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"LATEST_POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"IS_PARENT", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"INCOMING_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"OUTCOMING_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"OWNER_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MESSAGE_SUBJ", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MESSAGE_BODY", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
         },
         // A stored message finds its thread and its record's threads by context.
         {"CONTEXT_ID"}},
        {"HotDeals",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"C_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"C_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_MOBILE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_FAX", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_WEBSITE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COMPANY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_SIGNATURE", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"BUSINESS_TYPE", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"MAKE", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"MODEL", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"YEAR", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"PRICE", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"QUANTITY", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"STOCK_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"APPLICATION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"MESS_TOTAL_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MESS_NEW_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
         },
         {}},
        {"Orders",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"CONTEXT_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"CONTEXT_TYPE", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"RCP_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"RCP_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"C_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"C_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_MOBILE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_FAX", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_WEBSITE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_EMAIL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COMPANY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_SIGNATURE", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"BUSINESS_TYPE", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"QFY_LEVEL", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"STOCK_NUMBER", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"P_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"QUANTITY", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"PRICE", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"SHIPPING", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"CORE_DEPOSIT", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"TOTAL_PRICE", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"PAYMENT_METHOD", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"PAYMENT_ACCOUNT", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"CC_NUMBER", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"CC_MONTH", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"CC_YEAR", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"CC_V_NUMBER", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"B_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_EMAIL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"B_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MESS_TOTAL_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MESS_NEW_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"IS_UPDATED", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_U_NEW", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"U_UPDATE_TIME", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"U_INVOICE_NUM", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"U_STATUS", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"U_SHIP_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"U_SHIPPER", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"U_TRACK_NUM", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"U_ADJUSTMENT", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"U_TOTAL_PRICE", ColumnType::Currency, 0, false, ColumnDefault::NoDefault},
             {"U_COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"IS_BILLING_FULL", ColumnType::Logical, 0, false, ColumnDefault::DefaultTrue},
         },
         {}},
        {"UserInfo",
         {
             {"PASSPORT_ID", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"DB_VER", ColumnType::Text, 10, false, ColumnDefault::NoDefault},
         },
         {}},
        {"ABookGroups",
         {
             {"ID", ColumnType::Identity, 0, true, ColumnDefault::NoDefault},
             {"PARENT_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"NAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"TYPE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
         },
         {}},
        {"ABookUsers",
         {
             {"PASSPORT_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"GROUP_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
         },
         {}},
        {"Queries_Cars",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_ARCHIVE", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"C_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"C_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_EMAIL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_MOBILE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_FAX", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_WEBSITE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COMPANY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_SIGNATURE", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"BUSINESS_TYPE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IS_CONTACT_FULL", ColumnType::Logical, 0, false, ColumnDefault::DefaultTrue},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MAKE", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"MODEL", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"SUBMODEL", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"MIN_YEAR", ColumnType::Text, 4, false, ColumnDefault::NoDefault},
             {"MAX_YEAR", ColumnType::Text, 4, false, ColumnDefault::NoDefault},
             {"MIN_PRICE", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"MAX_PRICE", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"MAX_DISTANCE", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"MIN_MILEAGE", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"MAX_MILEAGE", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"ZIP", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"CATEGORY", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"DAMAGE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"EXT_COLOR", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"INT_COLOR", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"BODY_STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DOORS", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"TRANSMISSION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"AXLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ENGINE_TYPE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ENGINE_SIZE", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"ENGINE_SIZE_UNITS", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"TIME_FRAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"CAR_OPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"CAR_ADDOPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"PAYMENT_METHOD", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"TRADE_IN", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"QFY_LEVEL", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"MESS_TOTAL_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MESS_NEW_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MARKET_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MARKET_NAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"AUTOREPL_CHECKED", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
         },
         {"MARKET_ID", "C_ID", "IS_INCOMING", "IS_ARCHIVE", "POST_DATE", "MARKET_NAME", "QFY_LEVEL", "CATEGORY", "MIN_YEAR", "MAKE", "MODEL", "MIN_PRICE", "MIN_MILEAGE", "BODY_STYLE", "EXT_COLOR", "C_CITY", "C_NAME", "TRADE_IN", "STATUS", "STATUS_CODE"}},
        {"Quotes_Cars",
         {
             {"ID", ColumnType::Text, 16, true, ColumnDefault::NoDefault},
             {"QUERY_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"INVENTORY_ID", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"IS_INCOMING", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"IS_ARCHIVE", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"C_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"C_NAME", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_PHONE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_MOBILE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_FAX", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_WEBSITE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STREET", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_COMPANY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"C_SIGNATURE", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"POST_DATE", ColumnType::DateTime, 0, false, ColumnDefault::NoDefault},
             {"LIVE_TIME", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"STATUS", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"STATUS_CODE", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"CATEGORY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MAKE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"SUBMODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"YEAR", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"BODY_STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ASKING_PRICE", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MILEAGE", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"ACTUAL_MILEAGE", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"CONDITION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"EXT_COLOR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"INT_COLOR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"TRANSMISSION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ENGINE_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ENGINE_SIZE_UNIT", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"DOORS", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"VIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"STOCK_NUMBER", ColumnType::Text, 32, false, ColumnDefault::NoDefault},
             {"ENGINE_CYL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DRIVE_TRAIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"CAR_OPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"CAR_ADDOPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"MARKET_ID", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MARKET_NAME", ColumnType::Text, 64, false, ColumnDefault::NoDefault},
             {"WARRANTY", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"DAMAGE1", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DAMAGE2", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DAMAGE_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DAMAGE_OPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"ACV", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"COMMENTS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"LOCATION_ADDRESS", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"QFY_LEVEL", ColumnType::Text, 8, false, ColumnDefault::NoDefault},
             {"IMG1_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG2_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG3_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG4_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG5_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG6_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MESS_TOTAL_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
             {"MESS_NEW_COUNT", ColumnType::Integer, 0, false, ColumnDefault::NoDefault},
         },
         {"QUERY_ID,STATUS_CODE", "INVENTORY_ID", "MARKET_ID", "C_ID", "IS_INCOMING", "IS_ARCHIVE", "POST_DATE", "MARKET_NAME", "QFY_LEVEL", "CATEGORY", "YEAR", "MAKE", "MODEL", "MILEAGE", "BODY_STYLE", "EXT_COLOR", "C_CITY", "C_NAME", "STATUS", "STATUS_CODE"}},
        {"Inventory_Cars",
         {
             {"ID", ColumnType::Identity, 0, true, ColumnDefault::NoDefault},
             {"FEATURES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"MAKE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"MODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"SUBMODEL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"YEAR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"BODY_STYLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ASKING_PRICE", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"MILEAGE", ColumnType::Text, 16, false, ColumnDefault::NoDefault},
             {"CONDITION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"EXT_COLOR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"INT_COLOR", ColumnType::Text, 50, false, ColumnDefault::NoDefault},
             {"TRANSMISSION", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DOORS", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"VIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"STOCK_NUMBER", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ENGINE_CYL", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DRIVE_TRAIN", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"CATEGORY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DAMAGE1", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DAMAGE2", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"DAMAGE_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ACTUAL_MILEAGE", ColumnType::Logical, 0, false, ColumnDefault::NoDefault},
             {"ACV", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"WARRANTY", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"NOTES", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"ENGINE_SIZE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"ENGINE_SIZE_UNIT", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_ADDRESS", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_CITY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_STATE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_ZIP", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LOCATION_COUNTRY", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"CAR_OPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"CAR_ADDOPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"DAMAGE_OPTIONS", ColumnType::LongText, 0, false, ColumnDefault::NoDefault},
             {"IMG1_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG2_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG3_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG4_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG5_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"IMG6_TITLE", ColumnType::Text, 128, false, ColumnDefault::NoDefault},
             {"LAST_UPDATED", ColumnType::DateTime, 0, false, ColumnDefault::DefaultNow},
         },
         {"MAKE", "MODEL"}},
    };
    return tables;
}

const TableDef *Find(const QString &table)
{
    for (const TableDef &t : Tables()) {
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const TableDef &Require(const QString &table)
{
    const TableDef *t = Find(table);
    if (!t)
        throw std::logic_error("no such table: " + table.toStdString());
    return *t;
}

int IndexCount()
{
    int n = 0;
    for (const TableDef &t : Tables())
        n += int(t.indexes.size());
    return n;
}

} // namespace Schema
