#include "XOrderListCtrl.h"

#include "DetailsView.h"
#include "IListHost.h"
#include "XMessageListCtrl.h"
#include "XQueryListCtrl.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "db/KVDatabase.h"
#include "db/RecordActions.h"
#include "dialogs/NodeIds.h"
#include "net/AnswerId.h"
#include "net/XRequest.h"

namespace {

enum Col { ColId, ColDate, ColMessages, ColBuyer, ColSeller, ColTotal, ColName, ColQty, ColPrice, ColShipping,
           ColCore, ColStatus, ColCode, ColIncoming, ColUserNew, ColUpdated };

const QString OrderSheet = QStringLiteral("order.xsl");

QString MoneyOrAny(double value)
{
    return value == 0.0 ? QStringLiteral("Any") : Utils::FormatMoney(value, 2);
}

} // namespace

XOrderListCtrl::XOrderListCtrl(IListHost *host, QWidget *parent)
    : XBaseListCtrl("Orders",
                    {"ID", "POST_DATE", "MESS_TOTAL_COUNT", "C_NAME", "RCP_NAME", "TOTAL_PRICE", "P_NAME", "QUANTITY",
                     "PRICE", "SHIPPING", "CORE_DEPOSIT", "STATUS", "STATUS_CODE", "IS_INCOMING", "IS_U_NEW",
                     "IS_UPDATED"},
                    host, parent)
{
    SetRecordSet(&m_set);
    SetColumns({{QStringLiteral("Date"), 95, Qt::AlignLeft, QStringLiteral("POST_DATE")},
                {QStringLiteral("MSG"), 40, Qt::AlignLeft, QStringLiteral("MESS_TOTAL_COUNT")},
                {QStringLiteral("Buyer"), 100, Qt::AlignLeft, QStringLiteral("C_NAME")},
                {QStringLiteral("Total"), 75, Qt::AlignLeft, QStringLiteral("TOTAL_PRICE")},
                {QStringLiteral("Part Name"), 150, Qt::AlignLeft, QStringLiteral("P_NAME")},
                {QStringLiteral("Qty"), 40, Qt::AlignLeft, QStringLiteral("QUANTITY")},
                {QStringLiteral("Price"), 75, Qt::AlignLeft, QStringLiteral("PRICE")},
                {QStringLiteral("Shipping"), 75, Qt::AlignLeft, QStringLiteral("SHIPPING")},
                {QStringLiteral("Core Deposit"), 75, Qt::AlignLeft, QStringLiteral("CORE_DEPOSIT")},
                {QStringLiteral("Status"), 80, Qt::AlignLeft, QStringLiteral("STATUS")},
                {QStringLiteral("P.O. #"), 90, Qt::AlignLeft, QStringLiteral("ID")}},
               QStringLiteral("OrdersList"));
    SetSort(0, false);
}

bool XOrderListCtrl::BuyerSide() const
{
    return GetFolder() == NodePurchaseOrders || GetFolder() == NodeConfirmedOrders;
}

void XOrderListCtrl::SetFolder(int nodeId)
{
    XBaseListCtrl::SetFolder(nodeId);
    SetHeaderText(2, BuyerSide() ? QStringLiteral("Seller") : QStringLiteral("Buyer"));
    SetSortField(2, BuyerSide() ? QStringLiteral("RCP_NAME") : QStringLiteral("C_NAME"));
}

QString XOrderListCtrl::CellText(int row, int column) const
{
    RecordCursor &c = Cursor();
    switch (column) {
    case 0: {
        const QDateTime when = SqlValue::ParseDateTime(c.Text(row, ColDate));
        return when.isValid() ? when.toString(QStringLiteral("MM-dd HH:mm")) : QString();
    }
    case 1: return QString::number(c.Int(row, ColMessages));
    case 2: return c.Text(row, BuyerSide() ? ColSeller : ColBuyer);
    case 3: return MoneyOrAny(c.Double(row, ColTotal));
    case 4: return c.Text(row, ColName);
    case 5: return QString::number(c.Int(row, ColQty));
    case 6: return MoneyOrAny(c.Double(row, ColPrice));
    case 7: return MoneyOrAny(c.Double(row, ColShipping));
    case 8: return MoneyOrAny(c.Double(row, ColCore));
    case 9: return c.Text(row, ColStatus);
    case 10: return c.Text(row, ColId);
    default: return {};
    }
}

bool XOrderListCtrl::IsRowBold(int row) const
{
    return Cursor().Int(row, ColCode) == 0 || Cursor().Int(row, ColUserNew) != 0;
}

bool XOrderListCtrl::CanDo(int operation) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const qint64 status = Cursor().Int(row, ColCode);
    switch (operation) {
    case OpDelete:
    case OpCompleted:
    case OpContact:
    case OpPrint:  // the order's purchase order or receipt
        return true;
    case OpMarkNew: return status != 0 && Cursor().Int(row, ColUserNew) == 0;
    case OpMarkRead: return status != 1;
    default: return false;
    }
}

int XOrderListCtrl::GetSelectedStatus() const
{
    const int row = CurrentRow();
    return row < 0 || Cursor().Read(row).deleted ? -1 : int(Cursor().Int(row, ColCode));
}

QString XOrderListCtrl::GetSelectedProperty(const QString &name) const
{
    const int row = CurrentRow();
    if (row < 0 || name != QLatin1String("is_incoming"))
        return {};
    return Cursor().Int(row, ColIncoming) ? QStringLiteral("1") : QStringLiteral("0");
}

bool XOrderListCtrl::SetStatus(int code, const QString &text)
{
    const QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return false;
    RecordActions::UpdateStatusByIds("Orders", keys, code, text);
    Cursor().DropCache();
    return true;
}

bool XOrderListCtrl::SetUserNew(bool on)
{
    const QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return false;
    RecordActions::UpdateColumnByIds("Orders", keys, "IS_U_NEW", on ? 1 : 0);
    Cursor().DropCache();
    return true;
}

bool XOrderListCtrl::MarkByNode(bool asNew)
{
    if (GetFolder() == NodePendingSales)
        return asNew ? SetStatus(0, QStringLiteral("New")) : SetStatus(1, QStringLiteral("Read"));
    if (GetFolder() == NodeConfirmedOrders)
        return SetUserNew(asNew);
    return false;
}

void XOrderListCtrl::RunMark(const std::function<bool()> &mark)
{
    try {
        if (mark())
            AfterRecordsChanged();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not change the status"), e);
    }
}

void XOrderListCtrl::MarkNew()
{
    RunMark([this] { return MarkByNode(true); });
}

void XOrderListCtrl::MarkRead()
{
    RunMark([this] { return MarkByNode(false); });
}

void XOrderListCtrl::MarkCompleted()
{
    RunMark([this] { return SetStatus(5, QStringLiteral("Completed")); });
}

bool XOrderListCtrl::ToggleMark()
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const qint64 status = Cursor().Int(row, ColCode);
    bool changed = false;
    // A completed order's updates are new or seen for the member.
    if (status == 5 && Cursor().Int(row, ColUpdated) != 0) {
        if (Cursor().Int(row, ColUserNew) != 0 && CanDo(OpMarkRead))
            changed = SetUserNew(false);
        else if (CanDo(OpMarkNew))
            changed = SetUserNew(true);
    }
    if (status == 1 && CanDo(OpMarkNew))
        changed = MarkByNode(true) || changed;
    else if (status == 0 && CanDo(OpMarkRead))
        changed = MarkByNode(false) || changed;
    return changed;
}

void XOrderListCtrl::AfterToggle(bool)
{
    // The node's counter whatever happened.
    if (Host())
        Host()->RefreshCounters(ListType(), GetFolder());
}

QByteArray XOrderListCtrl::GetOrderXml(int mode) const
{
    const int row = CurrentRow();
    if (row < 0 || !m_set.SelectById(GetRowKey(row)))
        return {};
    static const char *roots[] = {"order-details", "details-print", "details-print-rcp"};
    XmlDoc doc = XmlDoc::Create(QLatin1String(roots[qBound(0, mode, 2)]));
    m_set.BuildDetailXml(doc.Root(), qBound(0, mode, 2));
    return doc.ToXml();
}

QString XOrderListCtrl::GetOrderHtml(int mode) const
{
    const QByteArray xml = GetOrderXml(mode);
    return xml.isEmpty() ? QString() : DetailsView::Render(xml, OrderSheet);
}

void XOrderListCtrl::ShowDetails(int)
{
    if (DetailsBrowser())
        DetailsView::Show(DetailsBrowser(), GetOrderXml(0), OrderSheet);
}

void XOrderListCtrl::OpenSelected()
{
    if (GetSelectedProperty(QStringLiteral("is_incoming")) == QLatin1String("1") && Host())
        Host()->UpdateSelectedOrder();
}

bool XOrderListCtrl::FetchPaymentInfo(bool refresh)
{
    const int row = CurrentRow();
    if (row < 0)
        return false;
    const QString id = GetRowKey(row);
    XRequest request(QStringLiteral("getOrder"));
    request.AddParam(QStringLiteral("order_id"), id);
    if (!request.SendWithRelogin() || !request.IsSuccess()) {
        const QString why = request.GetErrorMessage().isEmpty() ? request.GetStatusText() : request.GetErrorMessage();
        theApp().ShowMessageBox(why, QStringLiteral("Cannot get the payment information"), MsgBox::IconError);
        return false;
    }
    const XmlNode order = request.GetResponseNode(QStringLiteral("order"));
    if (!AnswerIsFor(order, QStringLiteral("order_id"), id, request.GetOperation())) {
        theApp().ShowMessageBox(AnotherRecordText(QStringLiteral("order")),
                                QStringLiteral("Cannot get the payment information"), MsgBox::IconError);
        return false;
    }
    try {
        if (!m_set.SelectById(id))
            return false;
        m_set.Edit();
        m_set.ReadBillingInfoXml(order);
        m_set.Update();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not store the payment information"), e);
        return false;
    }
    if (refresh && DetailsBrowser())
        ShowDetails(row);
    return true;
}

bool XOrderListCtrl::SetComments(const QString &text)
{
    if (!XBaseListCtrl::SetComments(text))
        return false;
    setFocus();
    return true;
}

void XOrderListCtrl::GoToOrderQuote()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    bool located = false;
    try {
        SqlStatement &st = theDatabase().Connection().Prepare(
            QStringLiteral("SELECT CONTEXT_ID, CONTEXT_TYPE FROM Orders WHERE ID = ?"));
        st.Bind(1, GetRowKey(row));
        QString quoteId, type;
        if (st.Step()) {
            quoteId = st.Text(0);
            type = st.Text(1);
        }
        st.Reset();
        const bool cars = type == QLatin1String("quote_cars");
        if (!quoteId.isEmpty() && (cars || type == QLatin1String("quote")))
            located = XQueryListCtrl::ShowQuote(Host(), quoteId, cars);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not open the quote"), e);
        return;
    }
    if (!located)
        theApp().ShowMessageBox(QStringLiteral("Quote not found"), QStringLiteral("Korvant"), MsgBox::IconInformation);
}

void XOrderListCtrl::ShowMessages()
{
    const int row = CurrentRow();
    if (row < 0 || !Host())
        return;
    QStringList threads;
    try {
        threads = XMessageListCtrl::ThreadsOf(GetRowKey(row), QStringLiteral("order"));
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the messages"), e);
        return;
    }
    if (!threads.isEmpty())
        XMessageListCtrl::ShowThread(Host(), threads.first());
}

bool XOrderListCtrl::GetMessageAddress(int, MessageAddress *address) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const QString id = GetRowKey(row);
    try {
        SqlConnection &c = theDatabase().Connection();
        SqlStatement &st = c.Prepare(QStringLiteral(
            "SELECT IS_INCOMING, C_ID, C_NAME, RCP_ID, RCP_NAME, CONTEXT_ID, CONTEXT_TYPE, P_NAME FROM Orders "
            "WHERE ID = ?"));
        st.Bind(1, id);
        if (!st.Step()) {
            st.Reset();
            return false;
        }
        // The buyer placed it (C_*); the seller received it (RCP_*): write to the other one.
        const bool incoming = st.Int64(0) != 0;
        address->recipientId = st.Text(incoming ? 1 : 3);
        address->recipientName = st.Text(incoming ? 2 : 4);
        const QString quoteId = st.Text(5);
        const QString quoteTable =
            st.Text(6) == QLatin1String("quote_cars") ? QStringLiteral("Quotes_Cars") : QStringLiteral("Quotes");
        const QString partName = st.Text(7);
        st.Reset();
        if (address->recipientId.isEmpty() && !quoteId.isEmpty()) {
            SqlStatement &quote =
                c.Prepare(QStringLiteral("SELECT C_ID, C_NAME FROM [%1] WHERE ID = ?").arg(quoteTable));
            quote.Bind(1, quoteId);
            if (quote.Step()) {
                address->recipientId = quote.Text(0);
                address->recipientName = quote.Text(1);
            }
            quote.Reset();
        }
        address->contextId = id;
        address->contextType = QStringLiteral("order");
        address->subject = QStringLiteral("Purchase Order #%1 - %2").arg(id, partName);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the order"), e);
        return false;
    }
    return true;
}
