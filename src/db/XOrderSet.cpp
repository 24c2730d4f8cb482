#include "XOrderSet.h"

#include "KVDatabase.h"
#include "RecordXml.h"
#include "XMessageSet.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "app/Utils.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <iterator>

using RecordXml::Field;

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

// --- the server's "order" element ---------------------------------------------------------------

const Field kOrderRead[] = {
    {"order_id", "ID"},
    {"context_id", "CONTEXT_ID"},
    {"context_type", "CONTEXT_TYPE"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"owner_id", "C_ID"},
};

const Field kShippingRead[] = {
    {"name", "C_NAME"},       {"phone", "C_PHONE"},   {"mobile", "C_MOBILE"},
    {"fax", "C_FAX"},         {"website", "C_WEBSITE", RecordXml::Url},
    {"street", "C_STREET"},   {"city", "C_CITY"},     {"state", "C_STATE"},
    {"zip", "C_ZIP"},         {"country", "C_COUNTRY"}, {"email", "C_EMAIL"},
};

const Field kProductRead[] = {
    {"stock_number", "STOCK_NUMBER"},
    {"part_name", "P_NAME"},
    {"quantity", "QUANTITY", RecordXml::Int},
    {"price", "PRICE", RecordXml::Real},
    {"core_deposit", "CORE_DEPOSIT", RecordXml::Real},
    {"shipping", "SHIPPING", RecordXml::Real},
    {"total_price", "TOTAL_PRICE", RecordXml::Real},
    {"notes", "NOTES", RecordXml::Text, 1024},
};

const Field kUpdateRead[] = {
    {"invoice_number", "U_INVOICE_NUM"},
    {"status", "U_STATUS"},
    {"date_shipped", "U_SHIP_DATE", RecordXml::Date},
    {"shipper", "U_SHIPPER"},
    {"track_number", "U_TRACK_NUM"},
    {"adjustment", "U_ADJUSTMENT", RecordXml::Real},
    {"total", "U_TOTAL_PRICE", RecordXml::Real},
    {"comment", "U_COMMENTS"},
};

// "billing_info": the payment block and the billing address (read and sent alike).
const Field kBilling[] = {
    {"payment_method", "PAYMENT_METHOD"},
    {"payment_account", "PAYMENT_ACCOUNT"},
    {"cc_number", "CC_NUMBER"},
    {"cc_month", "CC_MONTH"},
    {"cc_year", "CC_YEAR"},
    {"cc_v_number", "CC_V_NUMBER"},
    {"name", "B_NAME"},
    {"phone", "B_PHONE"},
    {"email", "B_EMAIL"},
    {"street", "B_STREET"},
    {"city", "B_CITY"},
    {"state", "B_STATE"},
    {"zip", "B_ZIP"},
    {"country", "B_COUNTRY"},
};

// --- the request elements "order" and "order_update" -----------------------------------------------

const Field kOrderWrite[] = {
    {"context_type", "CONTEXT_TYPE"},
    {"context_id", "CONTEXT_ID"},
    {"recipient_id", "RCP_ID"},
    {"post_date", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
};

const Field kShippingWrite[] = {
    {"name", "C_NAME"},     {"phone", "C_PHONE"},     {"mobile", "C_MOBILE"},   {"fax", "C_FAX"},
    {"website", "C_WEBSITE"}, {"street", "C_STREET"}, {"city", "C_CITY"},       {"state", "C_STATE"},
    {"zip", "C_ZIP"},       {"country", "C_COUNTRY"}, {"company", "C_COMPANY"}, {"email", "C_EMAIL"},
};

const Field kProductWrite[] = {
    {"stock_number", "STOCK_NUMBER"},
    {"part_name", "P_NAME"},
    {"quantity", "QUANTITY", RecordXml::Int},
    {"price", "PRICE", RecordXml::Real},
    {"shipping", "SHIPPING", RecordXml::Real},
    {"core_deposit", "CORE_DEPOSIT", RecordXml::Real},
    {"total_price", "TOTAL_PRICE", RecordXml::Real},
    {"notes", "NOTES"},
};

const Field kUpdateWrite[] = {
    {"order_id", "ID"},
    {"recipient_id", "C_ID"},
    {"live_time", "LIVE_TIME", RecordXml::Int},
    {"invoice_number", "U_INVOICE_NUM"},
    {"status", "U_STATUS"},
    {"date_shipped", "U_SHIP_DATE", RecordXml::Date},
    {"shipper", "U_SHIPPER"},
    {"track_number", "U_TRACK_NUM"},
    {"adjustment", "U_ADJUSTMENT", RecordXml::Real},
    {"total", "U_TOTAL_PRICE", RecordXml::Real},
    {"comment", "U_COMMENTS"},
};

// --- the detail XML ---------------------------------------------------------------------------------

const Field kQuoteInfo[] = {
    {"id", "ID"},
    {"stock_number", "P_NUMBER"},
    {"condition", "P_TYPE"},
    {"quantity", "P_QUANTITY", RecordXml::Int},
    {"price", "P_PRICE", RecordXml::Money},
    {"shipping", "P_SHIPPING", RecordXml::Money},
    {"core", "P_CORE_DEPOSIT", RecordXml::Money},
    {"notes", "P_NOTES"},
    {"comments", "COMMENTS"},
};

const Field kQueryInfo[] = {
    {"id", "ID"},
    {"make", "V_MAKE"},
    {"model", "V_MODEL"},
    {"year", "V_YEAR"},
    {"number", "P_NUMBER"},
    {"part_name", "P_NAME"},
    {"condition", "P_TYPE"},
    {"transmission", "V_TRANSMISSION"},
    {"engine_type", "V_ENGINE"},
    {"engine_size", "V_ENGINE_SIZE"},
    {"engine_size_unit", "V_ENGINE_SIZE_UNIT"},
    {"aspiration", "V_ASPIRATION"},
    {"color", "P_COLOR"},
    {"side", "P_SIDE"},
    {"notes", "P_NOTES"},
};

const Field kProductOfQuote[] = {
    {"make", "V_MAKE"},
    {"model", "V_MODEL"},
    {"year", "V_YEAR"},
    {"condition", "P_TYPE"},
    {"engine_type", "V_ENGINE"},
    {"engine_size", "V_ENGINE_SIZE"},
    {"engine_size_unit", "V_ENGINE_SIZE_UNIT"},
    {"transmission", "V_TRANSMISSION"},
};

const Field kProductOfOrder[] = {
    {"part_name", "P_NAME"},
    {"quantity", "QUANTITY", RecordXml::Int},
    {"price", "PRICE", RecordXml::Money},
    {"shipping", "SHIPPING", RecordXml::Money},
    {"core_deposit", "CORE_DEPOSIT", RecordXml::Money},
    {"total_price", "TOTAL_PRICE", RecordXml::Money},
};

const Field kPaymentHead[] = {
    {"payment_method", "PAYMENT_METHOD"},
    {"payment_account", "PAYMENT_ACCOUNT"},
    {"cc_number", "CC_NUMBER"},
};

const Field kPaymentTail[] = {
    {"cc_year", "CC_YEAR"},   {"cc_v_number", "CC_V_NUMBER"}, {"b_name", "B_NAME"},   {"b_phone", "B_PHONE"},
    {"b_email", "B_EMAIL"},   {"b_street", "B_STREET"},       {"b_city", "B_CITY"},   {"b_state", "B_STATE"},
    {"b_zip", "B_ZIP"},       {"b_country", "B_COUNTRY"},
};

const Field kShippingDetail[] = {
    {"name", "C_NAME"},     {"phone", "C_PHONE"},   {"mobile", "C_MOBILE"},
    {"fax", "C_FAX"},       {"email", "C_EMAIL"},   {"website", "C_WEBSITE", RecordXml::Url},
    {"street", "C_STREET"}, {"city", "C_CITY"},     {"state", "C_STATE"},
    {"zip", "C_ZIP"},       {"country", "C_COUNTRY"}, {"company", "C_COMPANY"},
};

const Field kStatusHead[] = {
    {"update_time", "U_UPDATE_TIME", RecordXml::ShortDate},
    {"invoice_num", "U_INVOICE_NUM"},
    {"order_status", "U_STATUS"},
};

const Field kStatusTail[] = {
    {"adjustment", "U_ADJUSTMENT", RecordXml::Money},
    {"total_price", "U_TOTAL_PRICE", RecordXml::Money},
    {"shipper", "U_SHIPPER"},
    {"ship_date", "U_SHIP_DATE", RecordXml::ShortDate},
    {"track_num", "U_TRACK_NUM"},
    {"notes", "U_COMMENTS"},
};

// "01".."12" as the month's short name; anything else shows nothing.
QString MonthName(const QString &month)
{
    static const char *const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month.size() != 2 || !month[0].isDigit() || !month[1].isDigit())
        return {};
    const int n = month.toInt();
    return n >= 1 && n <= 12 ? QLatin1String(names[n - 1]) : QString();
}

bool SendMessageEnabled()
{
    const AppCore *app = theAppIfAny();
    const IRecordViews *views = app ? app->Views() : nullptr;
    return views && views->IsOperationEnabled(IRecordViews::ListKind::Orders, IRecordViews::OpSendMessage);
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

bool XOrderSet::SelectById(const QString &id)
{
    Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    return !IsEOF();
}

// --- readers -------------------------------------------------------------------------------------------

void XOrderSet::ReadOrderXml(const XRequest *, const XmlNode &orderNode)
{
    const XmlNode shipping = RecordXml::Child(orderNode, "shipping_info");
    const XmlNode product = RecordXml::Child(orderNode, "product_info");

    SetBool("IS_INCOMING", true);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    RecordXml::Read(*this, orderNode, kOrderRead);
    RecordXml::Read(*this, shipping, kShippingRead);
    SetBool("IS_BILLING_FULL", false);
    RecordXml::Read(*this, product, kProductRead);
}

void XOrderSet::ReadOrderUpdateXml(const XRequest *, const XmlNode &updateNode)
{
    SetBool("IS_UPDATED", true);
    SetBool("IS_U_NEW", true);
    SetText("STATUS", QStringLiteral("Completed"));
    SetInt("STATUS_CODE", 5);
    RecordXml::Read(*this, updateNode, kUpdateRead);
}

bool XOrderSet::StoreOrderUpdateXml(const XRequest *request, const XmlNode &updateNode)
{
    if (!SelectById(RecordXml::ChildText(updateNode, "order_id")))
        return false;
    Edit();
    ReadOrderUpdateXml(request, updateNode);
    return Update();
}

void XOrderSet::ReadBillingInfoXml(const XmlNode &orderNode)
{
    RecordXml::Read(*this, RecordXml::Child(orderNode, "billing_info"), kBilling);
    SetBool("IS_BILLING_FULL", true);
}

// --- request builders ----------------------------------------------------------------------------------

void XOrderSet::BuildOrderXml(XRequest &request)
{
    XmlNode order = request.AddParam(QStringLiteral("order"));
    XmlNode shipping = order.AddChild(QStringLiteral("shipping_info"));
    XmlNode billing = order.AddChild(QStringLiteral("billing_info"));
    XmlNode product = order.AddChild(QStringLiteral("product_info"));

    // An order always travels with this live time, and the stored row says so too.
    SetInt("LIVE_TIME", OrderLiveTime);
    RecordXml::Write(*this, order, kOrderWrite);
    RecordXml::Write(*this, shipping, kShippingWrite);
    RecordXml::Write(*this, product, kProductWrite);
    RecordXml::Write(*this, billing, kBilling);
}

void XOrderSet::BuildOrderUpdateXml(XRequest &request) const
{
    RecordXml::Write(*this, request.AddParam(QStringLiteral("order_update")), kUpdateWrite);
}

// --- detail XML ----------------------------------------------------------------------------------------

void XOrderSet::BuildDetailXml(XmlNode root, int mode, bool searchView)
{
    // The quote the order was placed from, and the query that quote answered.
    // A car quote's id names no row of the parts tables.
    XBaseSet quote(m_pDatabase, "Quotes");
    XBaseSet query(m_pDatabase, "Queries");
    bool quoteFound = false;
    bool queryFound = false;
    if (GetText("CONTEXT_TYPE") != QLatin1String("quote_cars")) {
        quote.Select(SqlExpr(QStringLiteral("ID = ?"), {GetText("CONTEXT_ID")}));
        quoteFound = !quote.IsEOF();
        if (quoteFound) {
            query.Select(SqlExpr(QStringLiteral("ID = ?"), {quote.GetText("QUERY_ID")}));
            queryFound = !query.IsEOF();
        }
    }
    const QString id = GetText("ID");
    const bool incoming = GetBool("IS_INCOMING");

    root.AddChild(QStringLiteral("status"), GetText("STATUS"));
    RecordXml::WriteField(*this, root, {"post_date", "POST_DATE", RecordXml::ShortDate});
    root.AddChild(QStringLiteral("comments"), GetText("COMMENTS"));
    RecordXml::SetFlag(root, "incoming", incoming);
    root.SetAttr(QStringLiteral("id"), id);

    switch (mode) {
    case DetailPrint: {
        root.AddChild(QStringLiteral("seller_name"), quote.GetText("C_NAME"));
        RecordXml::Write(quote, root.AddChild(QStringLiteral("quote-info")), kQuoteInfo);
        AddContextMessagesXml(QStringLiteral("order"), id, QString(), root.AddChild(QStringLiteral("po-messages")),
                              m_pDatabase);
        if (quoteFound && queryFound) {
            AddContextMessagesXml(QStringLiteral("quote"), quote.GetText("ID"), QString(),
                                  root.AddChild(QStringLiteral("qt-messages")), m_pDatabase);
            const QString owner = query.GetBool("IS_INCOMING") ? query.GetText("C_ID") : quote.GetText("C_ID");
            AddContextMessagesXml(QStringLiteral("query"), query.GetText("ID"), owner,
                                  root.AddChild(QStringLiteral("qr-messages")), m_pDatabase);
        }
        break;
    }
    case DetailPrintRecipient: {
        const ProfileData me = theProfile().Get();
        XmlNode seller = root.AddChild(QStringLiteral("seller-info"));
        seller.AddChild(QStringLiteral("name"), me.name);
        seller.AddChild(QStringLiteral("company"), me.company);
        seller.AddChild(QStringLiteral("address"), me.street);
        seller.AddChild(QStringLiteral("city"), me.city);
        seller.AddChild(QStringLiteral("state"), me.state);
        seller.AddChild(QStringLiteral("zip"), me.zip);
        seller.AddChild(QStringLiteral("phone"), me.phone);
        seller.AddChild(QStringLiteral("email"), me.email);
        break;
    }
    case DetailView:
        RecordXml::SetFlag(root, "search", searchView);
        RecordXml::SetFlag(root, "sendmessage", SendMessageEnabled());
        RecordXml::SetFlag(root, "messages", XMessageSet::CountByContext(id, QStringLiteral("order"), m_pDatabase) >= 1);
        RecordXml::SetFlag(root, "get_billing_info", incoming && !GetBool("IS_BILLING_FULL") && !searchView);
        // An order placed from a hot deal, or whose quote is gone, has no
        // quote to go to.
        if (GetText("CONTEXT_TYPE") == QLatin1String("quote_cars")) {
            XBaseSet carQuote(m_pDatabase, "Quotes_Cars");
            carQuote.Select(SqlExpr(QStringLiteral("ID = ?"), {GetText("CONTEXT_ID")}));
            RecordXml::SetFlag(root, "quote", !carQuote.IsEOF());
        } else {
            RecordXml::SetFlag(root, "quote", quoteFound && GetText("CONTEXT_TYPE") == QLatin1String("quote"));
        }
        break;
    default:
        break;
    }

    if (queryFound)
        RecordXml::Write(query, root.AddChild(QStringLiteral("query-info")), kQueryInfo);

    XmlNode product = RecordXml::AddSection(root, QStringLiteral("product_info"), QStringLiteral("Product/Quote"),
                                            QStringLiteral("product-fields"));
    product.AddChild(QStringLiteral("stock_number"), GetText("STOCK_NUMBER"));
    RecordXml::Write(quote, product, kProductOfQuote);
    RecordXml::Write(*this, product, kProductOfOrder);
    product.AddChild(QStringLiteral("qty_price"), Utils::FormatMoney(GetInt("QUANTITY") * GetDouble("PRICE"), 2));
    product.AddChild(QStringLiteral("notes"), GetText("NOTES"));

    XmlNode payment = RecordXml::AddSection(root, QStringLiteral("payment_info"),
                                            QStringLiteral("Billing/Payment Information"),
                                            QStringLiteral("payment-fields"));
    RecordXml::Write(*this, payment, kPaymentHead);
    payment.AddChild(QStringLiteral("cc_month"), MonthName(GetText("CC_MONTH")));
    RecordXml::Write(*this, payment, kPaymentTail);

    RecordXml::Write(*this,
                     RecordXml::AddSection(root, QStringLiteral("shipping_info"), QStringLiteral("Shipping Information"),
                                           QStringLiteral("contact-fields")),
                     kShippingDetail);

    if (GetBool("IS_UPDATED")) {
        XmlNode section = root.AddChild(QStringLiteral("section"));
        section.SetAttr(QStringLiteral("caption"), QStringLiteral("Order Status"));
        XmlNode status = section.AddChild(QStringLiteral("status-fields"));
        RecordXml::Write(*this, status, kStatusHead);
        status.AddChild(QStringLiteral("originator"), quote.GetText("C_NAME"));
        RecordXml::Write(*this, status, kStatusTail);
    }
}

void XOrderSet::AddContextMessagesXml(const QString &contextType, const QString &contextId, const QString &ownerId,
                                      XmlNode parent, KVDatabase *database)
{
    SqlExpr filter = ownerId.isEmpty()
                         ? SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ?"), {contextId, contextType})
                         : SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND OWNER_ID = ?"),
                                   {contextId, contextType, ownerId});
    XMessageSet::AppendMessagesXml(parent, filter, database);
}
