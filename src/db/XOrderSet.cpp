#include "XOrderSet.h"

#include "KVDatabase.h"
#include "XMessageSet.h"

namespace {

// The bound columns, in the order of the row's field exchange (the table's
// MESS_NEW_COUNT is written by the message set's SQL only).
const QStringList &OrderColumns()
{
    static const QStringList columns = {
        "ID", "CONTEXT_ID", "CONTEXT_TYPE", "RCP_ID", "RCP_NAME", "POST_DATE", "LIVE_TIME", "STATUS", "STATUS_CODE",
        "IS_INCOMING", "C_ID", "C_NAME", "C_PHONE", "C_MOBILE", "C_FAX", "C_WEBSITE", "C_STREET", "C_CITY",
        "C_EMAIL", "C_ZIP", "C_STATE", "C_COUNTRY", "C_COMPANY", "C_SIGNATURE", "BUSINESS_TYPE", "QFY_LEVEL",
        "STOCK_NUMBER", "P_NAME", "QUANTITY", "PRICE", "SHIPPING", "CORE_DEPOSIT", "TOTAL_PRICE", "PAYMENT_METHOD",
        "PAYMENT_ACCOUNT", "CC_NUMBER", "CC_MONTH", "CC_YEAR", "CC_V_NUMBER", "B_NAME", "B_PHONE", "B_EMAIL",
        "B_STREET", "B_CITY", "B_STATE", "B_ZIP", "B_COUNTRY", "NOTES", "COMMENTS", "MESS_TOTAL_COUNT",
        "IS_UPDATED", "IS_U_NEW", "U_UPDATE_TIME", "U_INVOICE_NUM", "U_STATUS", "U_SHIP_DATE", "U_SHIPPER",
        "U_TRACK_NUM", "U_ADJUSTMENT", "U_TOTAL_PRICE", "U_COMMENTS", "IS_BILLING_FULL",
    };
    return columns;
}

} // namespace

XOrderSet::XOrderSet(KVDatabase *database) : XBaseSet(database, "Orders", OrderColumns())
{
}

QString XOrderSet::GetIdText() const
{
    return GetText("ID");
}

SqlExpr XOrderSet::GetFolderFilter(int folderId)
{
    SqlExpr filter;
    switch (folderId) {
    case SalesInProgress:
        filter = SqlExpr(QStringLiteral("IS_INCOMING = 1 AND             (STATUS_CODE = 0 OR STATUS_CODE = 1 OR STATUS_CODE = 2)"));
        break;
    case PurchasesInProgress:
        filter = SqlExpr(QStringLiteral("IS_INCOMING = 0 AND             (STATUS_CODE = 0 OR STATUS_CODE = 1)"));
        break;
    case SalesCompleted:
        filter = SqlExpr(QStringLiteral("IS_INCOMING = 1 AND STATUS_CODE = 5"));
        break;
    case PurchasesCompleted:
        filter = SqlExpr(QStringLiteral("IS_INCOMING = 0 AND STATUS_CODE = 5"));
        break;
    default:
        return m_baseFilter;
    }
    m_baseFilter = filter;
    ResetFilter();
    return filter;
}

int XOrderSet::CountByContext(const QString &contextId, const QString &contextType, KVDatabase *database)
{
    XOrderSet set(database);
    return set.CountRecords(SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ?"), {contextId, contextType}));
}
