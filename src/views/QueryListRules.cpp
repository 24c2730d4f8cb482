#include "QueryListRules.h"

#include "app/Constants.h"
#include "db/KVDatabase.h"

#include <algorithm>

namespace {

using C = QueryListRules::Cell;

QueryListRules MakeParts()
{
    QueryListRules r;
    r.marketMode = 0;
    r.listType = ListPartQueries;
    r.registryKind = IRecordViews::ListKind::Queries;
    r.queryTable = "Queries";
    r.quoteTable = "Quotes";
    r.layoutName = "QueryList";
    r.columns = {
        {"Date", 95, "POST_DATE", C::Date, "POST_DATE", C::Date, "POST_DATE"},
        {"MSG", 40, "MESS_TOTAL_COUNT", C::Empty, "MESS_TOTAL_COUNT", C::Count, "MESS_TOTAL_COUNT"},
        {"MP", 35, "MARKET_NAME", C::Empty, "MARKET_ID", C::Empty, ""},
        {"Rating", 60, "QFY_LEVEL", C::Empty, "QFY_LEVEL", C::Text, "QFY_LEVEL"},
        {"Year", 50, "V_YEAR", C::Text, "V_YEAR", C::Text, "V_YEAR"},
        {"Make", 110, "V_MAKE", C::Text, "V_MAKE", C::Text, "V_MAKE"},
        {"Model", 80, "V_MODEL", C::Text, "V_MODEL", C::Text, "V_MODEL"},
        {"Part Name", 100, "P_NAME", C::Text, "P_NAME", C::Text, "P_NAME"},
        {"State", 50, "C_STATE", C::Text, "C_STATE", C::Text, "C_STATE"},
        {"Zip", 80, "C_ZIP", C::Text, "C_ZIP", C::Text, "C_ZIP"},
        {"Originator", 100, "C_NAME", C::Text, "C_NAME", C::Text, "C_NAME"},
        {"Price", 100, "P_MAX_PRICE", C::MoneyAny, "P_MAX_PRICE", C::MoneyAny, "P_PRICE"},
        {"Status", 100, "STATUS", C::Text, "STATUS", C::Text, "STATUS"},
        {"ID", 110, "ID", C::Text, "ID", C::Text, "ID"},
    };
    r.dateColumn = 0;
    r.messageColumn = 1;
    r.marketColumn = 2;
    r.ratingColumn = 3;
    r.statusColumn = 12;
    r.idColumn = 13;
    r.flatFolders = {20002, 20102};
    r.archiveFolders = {20004, 20104};
    r.repliedFolder = 20101;
    r.pendingFolder = 20003;
    r.neverBoldFolders = {104, 105, 20002, 20004, 20101, 20104, 32836, 32837};
    r.queryContextType = "query";
    r.quoteContextType = "quote";
    r.contextNames = {
        {"query_id", "ID", ""},          {"quote_id", "", "ID"},         {"owner_id", "C_ID", "C_ID"},
        {"owner_name", "C_NAME", "C_NAME"}, {"make", "V_MAKE", "V_MAKE"}, {"model", "V_MODEL", "V_MODEL"},
        {"year", "V_YEAR", "V_YEAR"},    {"part_name", "P_NAME", "P_NAME"}, {"market_id", "MARKET_ID", "MARKET_ID"},
        {"referer_id", "REFERER_ID", "^REFERER_ID"},
    };
    r.messagesCaption = "Messages for %1, %2 %3 %4 %5";
    r.captionFields = {"V_YEAR", "V_MAKE", "V_MODEL", "P_NAME"};
    r.contactOperation = "getQuery";
    r.contactParam = "query_id";
    r.contactAnswer = "query";
    r.spendingReminder = true;
    return r;
}

QueryListRules MakeCars()
{
    QueryListRules r;
    r.marketMode = 1;
    r.listType = ListCarQueries;
    r.registryKind = IRecordViews::ListKind::CarQueries;
    r.queryTable = "Queries_Cars";
    r.quoteTable = "Quotes_Cars";
    r.layoutName = "CarsQueryList";
    r.columns = {
        {"Date", 95, "POST_DATE", C::Date, "POST_DATE", C::Date, "POST_DATE"},
        {"MP", 35, "MARKET_NAME", C::Empty, "MARKET_ID", C::Empty, ""},
        {"Rating", 60, "QFY_LEVEL", C::Empty, "QFY_LEVEL", C::Text, "QFY_LEVEL"},
        {"Category", 80, "CATEGORY", C::Text, "CATEGORY", C::Text, "CATEGORY"},
        {"Year", 80, "MIN_YEAR", C::YearRange, "MIN_YEAR", C::Text, "YEAR"},
        {"Make", 100, "MAKE", C::Text, "MAKE", C::Text, "MAKE"},
        {"Model/Sub-Model", 105, "MODEL", C::ModelSub, "MODEL", C::ModelSub, "MODEL"},
        {"Price", 70, "MIN_PRICE", C::PriceRange, "MIN_PRICE", C::Text, "ASKING_PRICE"},
        {"Mileage", 70, "MIN_MILEAGE", C::MileageRange, "MIN_MILEAGE", C::Text, "MILEAGE"},
        {"Body", 80, "BODY_STYLE", C::Text, "BODY_STYLE", C::Text, "BODY_STYLE"},
        {"Color", 50, "EXT_COLOR", C::Colour, "EXT_COLOR", C::Text, "EXT_COLOR"},
        {"Location", 80, "C_CITY", C::Text, "C_CITY", C::Text, "C_CITY"},
        {"Originator", 80, "C_NAME", C::Text, "C_NAME", C::Text, "C_NAME"},
        {"Trade In", 60, "TRADE_IN", C::YesNo, "TRADE_IN", C::Empty, ""},
        {"Status", 50, "STATUS", C::Text, "STATUS", C::Text, "STATUS"},
        {"ID", 110, "ID", C::Text, "ID", C::Text, "ID"},
    };
    r.dateColumn = 0;
    r.messageColumn = -1;
    r.marketColumn = 1;
    r.ratingColumn = 2;
    r.statusColumn = 14;
    r.idColumn = 15;
    r.flatFolders = {158, 161};
    r.archiveFolders = {160, 163};
    r.repliedFolder = 162;
    r.pendingFolder = 159;
    r.neverBoldFolders = {158, 160, 162, 163};
    r.queryContextType = "query_cars";
    r.quoteContextType = "quote_cars";
    r.contextNames = {
        {"query_id", "ID", ""},          {"quote_id", "", "ID"},       {"owner_id", "C_ID", "C_ID"},
        {"owner_name", "C_NAME", "C_NAME"}, {"make", "MAKE", "MAKE"},  {"model", "MODEL", "MODEL"},
        {"year", "MIN_YEAR", "YEAR"},    {"market_id", "MARKET_ID", "MARKET_ID"},
        {"category", "CATEGORY", "CATEGORY"},
    };
    r.messagesCaption = "Messages for %1, %2 %3 %4";
    r.captionFields = {"MIN_YEAR", "MAKE", "MODEL"};
    r.contactOperation = "getCarQuery";
    r.contactParam = "car_query_id";
    r.contactAnswer = "car_query";
    r.spendingReminder = false;
    return r;
}

} // namespace

const QueryListRules &QueryListRules::Parts()
{
    static const QueryListRules rules = MakeParts();
    return rules;
}

const QueryListRules &QueryListRules::Cars()
{
    static const QueryListRules rules = MakeCars();
    return rules;
}

bool QueryListRules::In(const std::vector<int> &folders, int folder)
{
    return std::find(folders.begin(), folders.end(), folder) != folders.end();
}

int QueryListRules::QueryFolder(int statusCode, bool incoming, bool archived) const
{
    if (marketMode == 1) {
        if (archived)
            return incoming ? 163 : 160;
        if (statusCode == 2 || statusCode == 3)
            return incoming ? 162 : 159;
        return incoming ? 161 : 158;
    }
    if (archived)
        return incoming ? 20104 : 20004;
    switch (statusCode) {
    case 2:
    case 3: return incoming ? 20101 : 20003;
    case 4: return incoming ? 104 : 32836;
    case 5: return incoming ? 105 : 32837;
    default: return incoming ? 20102 : 20002;
    }
}

int QueryListRules::QuoteFolder(const QString &quoteId) const
{
    SqlConnection &c = theDatabase().Connection();
    SqlStatement &st = c.Prepare(QStringLiteral("SELECT IS_INCOMING, IS_ARCHIVE, STATUS_CODE FROM [%1] WHERE ID = ?")
                                     .arg(QLatin1String(quoteTable)));
    int folder = -1;
    {
        const StatementRun run(st);
        st.Bind(1, quoteId);
        if (st.Step()) {
            const bool incoming = st.Int64(0) != 0;
            const bool archived = st.Int64(1) != 0;
            const int status = int(st.Int64(2));
            // An incoming quote stands under an own query, and the other way round.
            if (marketMode == 1)
                folder = incoming ? (archived ? 160 : 159) : (archived ? 163 : 162);
            else if (archived)
                folder = incoming ? 20004 : 20104;
            else if (status == 5)
                folder = incoming ? 32837 : 105;
            else
                folder = incoming ? 20003 : 20101;
        }
    }
    return folder;
}
