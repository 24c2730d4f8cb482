#include "XHotDealListCtrl.h"

#include "DetailsView.h"
#include "IListHost.h"
#include "XMessageListCtrl.h"

#include "app/AppCore.h"
#include "browser/BrowserDlg.h"
#include "db/RecordActions.h"
#include "forms/HotDealPrevDlg.h"
#include "net/XRequest.h"

namespace {

enum Col { ColId, ColDate, ColTitle, ColYear, ColMake, ColModel, ColPrice, ColQty, ColName, ColStatus, ColCode,
           ColIncoming, ColOwner };

const QString DetailSheet = QStringLiteral("hotdeal-detail.xsl");

} // namespace

XHotDealListCtrl::XHotDealListCtrl(IListHost *host, QWidget *parent)
    : XBaseListCtrl("HotDeals",
                    {"ID", "POST_DATE", "TITLE", "YEAR", "MAKE", "MODEL", "PRICE", "QUANTITY", "C_NAME", "STATUS",
                     "STATUS_CODE", "IS_INCOMING", "C_ID"},
                    host, parent)
{
    SetRecordSet(&m_set);
    SetColumns({{QStringLiteral("Date"), 95, Qt::AlignLeft, QStringLiteral("POST_DATE")},
                {QStringLiteral("Product"), 150, Qt::AlignLeft, QStringLiteral("TITLE")},
                {QStringLiteral("Year"), 50, Qt::AlignLeft, QStringLiteral("YEAR")},
                {QStringLiteral("Make"), 110, Qt::AlignLeft, QStringLiteral("MAKE")},
                {QStringLiteral("Model"), 80, Qt::AlignLeft, QStringLiteral("MODEL")},
                {QStringLiteral("Price"), 80, Qt::AlignLeft, QStringLiteral("PRICE")},
                {QStringLiteral("Qty"), 50, Qt::AlignLeft, QStringLiteral("QUANTITY")},
                {QStringLiteral("Originator"), 100, Qt::AlignLeft, QStringLiteral("C_NAME")},
                {QStringLiteral("Status"), 100, Qt::AlignLeft, QStringLiteral("STATUS")},
                {QStringLiteral("ID"), 80, Qt::AlignLeft, QStringLiteral("ID")}},
               QStringLiteral("HotDealList"));
    SetSort(0, false);
}

QString XHotDealListCtrl::CellText(int row, int column) const
{
    RecordCursor &c = Cursor();
    switch (column) {
    case 0: {
        const QDateTime when = SqlValue::ParseDateTime(c.Text(row, ColDate));
        return when.isValid() ? when.toString(QStringLiteral("MM-dd HH:mm")) : QString();
    }
    case 9: return c.Text(row, ColId);
    default: return column >= 1 && column <= 8 ? c.Text(row, ColDate + column) : QString();
    }
}

bool XHotDealListCtrl::Incoming(int row) const
{
    return Cursor().Int(row, ColIncoming) != 0;
}

bool XHotDealListCtrl::IsRowBold(int row) const
{
    return Incoming(row) && Cursor().Int(row, ColCode) == 0;
}

bool XHotDealListCtrl::CanDo(int operation) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const bool incoming = Incoming(row);
    const qint64 status = Cursor().Int(row, ColCode);
    switch (operation) {
    case OpDelete: return true;
    case OpMarkNew: return incoming && status != 0;
    case OpMarkRead: return incoming && status != 1;
    case OpContact: return incoming && !Cursor().Text(row, ColOwner).isEmpty();
    default: return false;
    }
}

int XHotDealListCtrl::GetSelectedStatus() const
{
    const int row = CurrentRow();
    return row < 0 || Cursor().Read(row).deleted ? -1 : int(Cursor().Int(row, ColCode));
}

void XHotDealListCtrl::SetStatus(int code, const QString &text)
{
    const QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return;
    try {
        RecordActions::UpdateStatusByIds("HotDeals", keys, code, text);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not change the status"), e);
        return;
    }
    Cursor().DropCache();
    AfterRecordsChanged();
}

bool XHotDealListCtrl::ToggleMark()
{
    QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return false;
    int code = -1;
    if (CanDo(OpMarkNew))
        code = 0;
    else if (CanDo(OpMarkRead))
        code = 1;
    if (code < 0)
        return false;
    RecordActions::UpdateStatusByIds("HotDeals", keys, code, code == 0 ? QStringLiteral("New") : QStringLiteral("Read"));
    Cursor().DropCache();
    return true;
}

bool XHotDealListCtrl::DeleteSelected()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return false;
    QStringList gone;
    for (int row : rows) {
        const QString id = GetRowKey(row);
        if (id.isEmpty())
            continue;
        if (!Incoming(row)) {
            XRequest request(QStringLiteral("removeDeal"));
            request.AddParam(QStringLiteral("deal_id"), id);
            if (!request.SendWithRelogin() || !request.IsSuccess()) {
                const QString why =
                    request.GetErrorMessage().isEmpty() ? request.GetStatusText() : request.GetErrorMessage();
                theApp().ShowMessageBox(why, QStringLiteral("Cannot remove the hot deal"), MsgBox::IconError);
                continue;
            }
        }
        gone << id;
    }
    if (gone.isEmpty())
        return false;
    try {
        RecordActions::DeleteByIds("HotDeals", gone);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not delete the records"), e);
        return false;
    }
    AfterRecordsChanged();
    return true;
}

QByteArray XHotDealListCtrl::GetDetailsXml() const
{
    const int row = CurrentRow();
    if (row < 0 || !m_set.SelectById(GetRowKey(row)))
        return {};
    XmlDoc doc = XmlDoc::Create(QStringLiteral("details"));
    m_set.BuildDetailXml(doc.Root());
    return doc.ToXml();
}

QString XHotDealListCtrl::GetDetailsHtml() const
{
    const QByteArray xml = GetDetailsXml();
    return xml.isEmpty() ? QString() : DetailsView::Render(xml, DetailSheet);
}

void XHotDealListCtrl::ShowDetails(int)
{
    if (DetailsBrowser())
        DetailsView::Show(DetailsBrowser(), GetDetailsXml(), DetailSheet);
}

void XHotDealListCtrl::ShowDealDetail()
{
    if (CurrentRow() < 0)
        return;
    if (CanDo(OpMarkRead))
        MarkRead();
    if (Host())
        Host()->ShowHotDealPreview();
}

void XHotDealListCtrl::ShowOwnerProfile()
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return;
    BrowserDlg::ShowExtendedProfile(this, Cursor().Text(row, ColOwner), Cursor().Text(row, ColName));
}

void XHotDealListCtrl::ShowMessages()
{
    const int row = CurrentRow();
    if (row < 0 || !Host())
        return;
    QStringList threads;
    try {
        threads = XMessageListCtrl::ThreadsOf(GetRowKey(row), QStringLiteral("deal"));
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the messages"), e);
        return;
    }
    if (!threads.isEmpty())
        XMessageListCtrl::ShowThread(Host(), threads.first());
}

bool XHotDealListCtrl::LocateById(const QString &id, bool show)
{
    const bool found = LocateByKey(id, true, true);
    if (show && CurrentRow() >= 0)
        ShowDetails(CurrentRow());
    return found;
}

bool XHotDealListCtrl::GetMessageAddress(int kind, MessageAddress *address) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const QString id = Cursor().Text(row, ColId);
    const QString reference = QStringLiteral("Hot Deal #%1").arg(id);
    const QString title = Cursor().Text(row, ColTitle);
    address->contextId = id;
    address->contextType = QStringLiteral("deal");
    address->recipientId = Cursor().Text(row, ColOwner);
    address->recipientName = Cursor().Text(row, ColName);
    if (kind == 2)
        address->subject = QStringLiteral("%1 (Question) - %2").arg(reference, title);
    else if (kind == 3)
        address->subject = QStringLiteral("%1 (Buy) - %2").arg(reference, title);
    else
        address->subject = QStringLiteral("%1 - %2").arg(reference, title);
    return true;
}

void XHotDealListCtrl::OpenDealViewer()
{
    if (CurrentRow() < 0)
        return;
    // The viewer steps through this list; its selection follows.
    class Cursor : public IHotDealCursor
    {
    public:
        explicit Cursor(XHotDealListCtrl &list) : m_list(list) {}
        int Count() const override { return m_list.RowCount(); }
        int Current() const override { return m_list.GetSelectedItem(); }
        void Select(int row) override { m_list.SelectItem(row, true); }
        QString CurrentId() const override { return m_list.SelectedKeys().value(0); }
        void ComposeMessage(int kind) override
        {
            if (IListHost *host = m_list.Host())
                host->ComposeMessage(kind);
        }

    private:
        XHotDealListCtrl &m_list;
    } cursor(*this);
    HotDealPrevDlg dlg(cursor, window());
    dlg.DoModal();
}
