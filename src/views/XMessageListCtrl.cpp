#include "XMessageListCtrl.h"

#include "DetailsView.h"
#include "IListHost.h"
#include "ListImages.h"
#include "ListRegistry.h"
#include "QueryListRules.h"
#include "XQueryListCtrl.h"
#include "XTreeListCtrl.h"

#include "app/AppCore.h"
#include "app/XSLTransformer.h"
#include "db/KVDatabase.h"
#include "dialogs/NodeIds.h"

#include <QHelpEvent>
#include <QThread>
#include <QToolTip>

namespace {

enum Col { ColId, ColOwner, ColMarket, ColMarketName, ColSubject, ColPosted, ColLatest, ColSent, ColReceived,
           ColStatus, ColCode, ColContextId, ColContextType, ColOwnerId };

QString ShortDate(const QString &text)
{
    const QDateTime when = SqlValue::ParseDateTime(text);
    return when.isValid() ? when.toString(QStringLiteral("MM-dd HH:mm")) : QString();
}

bool IsPersonal(const QString &market)
{
    return market.compare(QLatin1String("PERSONAL"), Qt::CaseInsensitive) == 0;
}

} // namespace

XMessageListCtrl::XMessageListCtrl(IListHost *host, QWidget *parent)
    : XBaseListCtrl("Messages",
                    {"ID", "OWNER_NAME", "MARKET_ID", "MARKET_NAME", "MESSAGE_SUBJ", "POST_DATE", "LATEST_POST_DATE",
                     "OUTCOMING_COUNT", "INCOMING_COUNT", "STATUS", "STATUS_CODE", "CONTEXT_ID", "CONTEXT_TYPE",
                     "OWNER_ID"},
                    host, parent)
{
    SetRecordSet(&m_set);
    SetColumns({{QStringLiteral("Name"), 100, Qt::AlignLeft, QStringLiteral("OWNER_NAME")},
                {QStringLiteral("MP"), 35, Qt::AlignLeft, QStringLiteral("MARKET_NAME")},
                {QStringLiteral("Subject"), 300, Qt::AlignLeft, QStringLiteral("MESSAGE_SUBJ")},
                {QStringLiteral("Original Message"), 115, Qt::AlignLeft, QStringLiteral("POST_DATE")},
                {QStringLiteral("Last Message"), 115, Qt::AlignLeft, QStringLiteral("LATEST_POST_DATE")},
                {QStringLiteral("Sent"), 50, Qt::AlignRight, QStringLiteral("OUTCOMING_COUNT")},
                {QStringLiteral("Recv"), 50, Qt::AlignRight, QStringLiteral("INCOMING_COUNT")},
                {QStringLiteral("Status"), 70, Qt::AlignLeft, QStringLiteral("STATUS")}},
               QStringLiteral("MessagesList"));
    SetSecondarySortColumn(4);
    SetSort(4, false);
}

void XMessageListCtrl::Refill()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { Refill(); }, Qt::QueuedConnection);
        return;
    }
    XBaseListCtrl::Refill();
}

void XMessageListCtrl::SetContext(const QString &contextId, const QString &contextType)
{
    SetFilter(SqlExpr(QStringLiteral("IS_PARENT = TRUE AND CONTEXT_ID = ? AND CONTEXT_TYPE = ?"),
                      {contextId, contextType}));
    Refill();
}

QString XMessageListCtrl::Field(int row, const char *column) const
{
    return Cursor().Text(row, Column(column));
}

QString XMessageListCtrl::CellText(int row, int column) const
{
    RecordCursor &c = Cursor();
    switch (column) {
    case 0: return c.Text(row, ColOwner);
    case 2: return c.Text(row, ColSubject);
    case 3: return ShortDate(c.Text(row, ColPosted));
    case 4: return ShortDate(c.Text(row, ColLatest));
    case 5: return QString::number(c.Int(row, ColSent));
    case 6: return QString::number(c.Int(row, ColReceived));
    case 7: return c.Text(row, ColStatus);
    default: return {};
    }
}

bool XMessageListCtrl::IsRowBold(int row) const
{
    return Cursor().Int(row, ColCode) == 0;
}

QIcon XMessageListCtrl::CellImage(int row, int column) const
{
    if (column != 1)
        return {};
    const QString market = Cursor().Text(row, ColMarket);
    if (IsPersonal(market))
        return ListImages::PersonalMark(0);
    if (market.isEmpty()) {
        const QString type = Cursor().Text(row, ColContextType);
        if (type == QLatin1String("broadcast"))
            return ListImages::PersonalMark(0);
        if (type == QLatin1String("deal"))
            return ListImages::PersonalMark(1);
        if (type == QLatin1String("order"))
            return ListImages::PersonalMark(2);
        return {};
    }
    const bool cars = Cursor().Text(row, ColContextType).endsWith(QLatin1String("_cars"));
    return ListImages::MarketIcon(market, cars ? 1 : 0);
}

bool XMessageListCtrl::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return XBaseListCtrl::viewportEvent(event);
    auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    QString text;
    if (index.isValid() && index.column() == 1) {
        try {
            const QString market = Cursor().Text(index.row(), ColMarket);
            const QString name = Cursor().Text(index.row(), ColMarketName);
            if (IsPersonal(market))
                text = name.isEmpty() ? QStringLiteral("Personal") : QStringLiteral("Personal to %1").arg(name);
            else
                text = name;
        } catch (const std::exception &) {
            text.clear();
        }
    }
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    return true;
}

int XMessageListCtrl::GetSelectedStatus() const
{
    const int row = CurrentRow();
    return row < 0 || Cursor().Read(row).deleted ? -1 : int(Cursor().Int(row, ColCode));
}

QString XMessageListCtrl::GetSelectedKey() const
{
    const int row = CurrentRow();
    return row < 0 ? QString() : GetRowKey(row);
}

bool XMessageListCtrl::CanDo(int operation) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const qint64 status = Cursor().Int(row, ColCode);
    switch (operation) {
    case OpDelete: return true;
    case OpMarkNew: return status != 0;
    case OpMarkRead: return status != 1;
    case OpContact: return Cursor().Text(row, ColOwnerId) != theApp().GetSession().PassportId();
    default: return false;
    }
}

// --- marks and delete ---------------------------------------------------------------------------------

int XMessageListCtrl::SetStatus(int code, const QString &text)
{
    const QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return 0;
    SqlConnection &c = theDatabase().Connection();
    SqlTransaction tr(c);
    int changed = 0;
    for (const QString &id : keys) {
        SqlStatement &st = c.Prepare(QStringLiteral("SELECT CONTEXT_ID, CONTEXT_TYPE FROM Messages WHERE ID = ?"));
        QString contextId, contextType;
        st.Bind(1, id);
        const bool found = st.Step();
        if (found) {
            contextId = st.Text(0);
            contextType = st.Text(1);
        }
        st.Reset();
        if (!found)
            continue;
        c.Exec(QStringLiteral("UPDATE Messages SET STATUS_CODE = ?, STATUS = ? WHERE ID = ?"), {code, text, id});
        changed += c.Changes();
        // The record the thread is about keeps its status ("Completed", "Purchase Order").
        XMessageSet::RefreshContextCounters(contextId, contextType);
    }
    tr.Commit();
    return changed;
}

void XMessageListCtrl::RunMark(int code, const QString &text)
{
    try {
        if (SetStatus(code, text) > 0)
            AfterRecordsChanged();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not change the status"), e);
    }
    if (Host())
        Host()->UpdateMessagesCounter();
}

void XMessageListCtrl::MarkNew()
{
    RunMark(0, QStringLiteral("New"));
}

void XMessageListCtrl::MarkRead()
{
    RunMark(1, QStringLiteral("Read"));
}

bool XMessageListCtrl::DeleteSelected()
{
    const QStringList keys = SelectedKeys();
    if (keys.isEmpty())
        return false;
    try {
        SqlConnection &c = theDatabase().Connection();
        SqlTransaction tr(c);
        for (const QString &id : keys) {
            SqlStatement &st =
                c.Prepare(QStringLiteral("SELECT CONTEXT_ID, CONTEXT_TYPE, OWNER_ID FROM Messages WHERE ID = ?"));
            st.Bind(1, id);
            const bool found = st.Step();
            const QString contextId = found ? st.Text(0) : QString();
            const QString contextType = found ? st.Text(1) : QString();
            const QString ownerId = found ? st.Text(2) : QString();
            st.Reset();
            if (!found)
                continue;
            c.Exec(QStringLiteral("DELETE FROM Messages WHERE ID = ?"), {id});
            c.Exec(QStringLiteral("DELETE FROM Messages WHERE CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND OWNER_ID = ?"),
                   {contextId, contextType, ownerId});
            XMessageSet::RefreshContextCounters(contextId, contextType);
        }
        tr.Commit();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not delete the records"), e);
        return false;
    }
    AfterRecordsChanged();
    if (Host())
        Host()->UpdateMessagesCounter();
    return true;
}

bool XMessageListCtrl::ToggleMark()
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const qint64 status = Cursor().Int(row, ColCode);
    if (status == 1 && CanDo(OpMarkNew))
        return SetStatus(0, QStringLiteral("New")) > 0;
    if (status == 0 && CanDo(OpMarkRead))
        return SetStatus(1, QStringLiteral("Read")) > 0;
    return false;
}

void XMessageListCtrl::AfterToggle(bool changed)
{
    XBaseListCtrl::AfterToggle(changed);
    if (Host())
        Host()->UpdateMessagesCounter();
}

// --- details and opening -----------------------------------------------------------------------------

void XMessageListCtrl::ShowDetails(int row)
{
    if (!DetailsBrowser())
        return;
    XMessageSet set;
    set.Select(SqlExpr(QStringLiteral("ID = ?"), {GetRowKey(row)}));
    if (set.IsEOF()) {
        DetailsBrowser()->Clear();
        return;
    }
    XmlDoc doc = XmlDoc::Create(QStringLiteral("messages"));
    set.BuildThreadXml(doc.Root());
    DetailsView::Show(DetailsBrowser(), doc.ToXml(), XSLTransformer::SheetFile(XSLTransformer::MessageDetail));
}

void XMessageListCtrl::OpenSelected()
{
    if (RowCount() == 0)
        return;
    if (IsDialogMode() || InDialog()) {
        emit rowEntered();
        return;
    }
    if (CanDo(OpContact) && Host())
        Host()->ComposeMessageForSelection();
}

int XMessageListCtrl::GetQueryFolder(const QString &queryId)
{
    SqlStatement &st = theDatabase().Connection().Prepare(
        QStringLiteral("SELECT STATUS_CODE, IS_INCOMING, IS_ARCHIVE FROM Queries WHERE ID = ?"));
    st.Bind(1, queryId);
    const int folder =
        st.Step() ? QueryListRules::Parts().QueryFolder(st.Int(0), st.Int64(1) != 0, st.Int64(2) != 0) : -1;
    st.Reset();
    return folder;
}

QStringList XMessageListCtrl::ThreadsOf(const QString &contextId, const QString &contextType)
{
    SqlStatement &st = theDatabase().Connection().Prepare(
        QStringLiteral("SELECT ID FROM Messages WHERE CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND IS_PARENT = 1 "
                       "ORDER BY LATEST_POST_DATE DESC, rowid DESC"));
    st.Bind(1, contextId).Bind(2, contextType);
    QStringList ids;
    while (st.Step())
        ids << st.Text(0);
    st.Reset();
    return ids;
}

void XMessageListCtrl::ShowThread(IListHost *host, const QString &threadId)
{
    if (!host)
        return;
    host->SelectNode(NodeMessages);
    if (XBaseListCtrl *messages = ListRegistry::Instance().Shown(IRecordViews::ListKind::Messages))
        messages->LocateByKey(threadId, true, true);
}

int XMessageListCtrl::GetCarQueryFolder(const QString &queryId)
{
    SqlStatement &st = theDatabase().Connection().Prepare(
        QStringLiteral("SELECT STATUS_CODE, IS_INCOMING, IS_ARCHIVE FROM Queries_Cars WHERE ID = ?"));
    st.Bind(1, queryId);
    const int folder =
        st.Step() ? QueryListRules::Cars().QueryFolder(st.Int(0), st.Int64(1) != 0, st.Int64(2) != 0) : -1;
    st.Reset();
    return folder;
}

bool XMessageListCtrl::SelectedContext(const char *type, const char *carsType, QString *id, bool *cars) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    const QString contextType = Cursor().Text(row, ColContextType);
    *id = Cursor().Text(row, ColContextId);
    *cars = carsType && contextType == QLatin1String(carsType);
    return contextType == QLatin1String(type) || *cars;
}

void XMessageListCtrl::NotFound(const QString &text) const
{
    theApp().ShowMessageBox(text, QStringLiteral("Korvant"), MsgBox::IconInformation);
}

void XMessageListCtrl::OpenQuery()
{
    QString id;
    bool cars = false;
    if (!SelectedContext("query", "query_cars", &id, &cars))
        return;
    bool located = false;
    try {
        const int folder = cars ? GetCarQueryFolder(id) : GetQueryFolder(id);
        if (folder >= 0 && Host()) {
            Host()->SelectNode(folder);
            auto *list = qobject_cast<XTreeListCtrl *>(ListRegistry::Instance().Shown(
                cars ? IRecordViews::ListKind::CarQueries : IRecordViews::ListKind::Queries));
            located = list && list->LocateQuery(id, true, true);
        }
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not open the query"), e);
        return;
    }
    if (!located)
        NotFound(QStringLiteral("Query not found"));
}

void XMessageListCtrl::OpenQuote()
{
    QString id;
    bool cars = false;
    if (!SelectedContext("quote", "quote_cars", &id, &cars)) {
        NotFound(QStringLiteral("Quote not found"));
        return;
    }
    bool located = false;
    try {
        located = XQueryListCtrl::ShowQuote(Host(), id, cars);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not open the quote"), e);
        return;
    }
    if (!located)
        NotFound(QStringLiteral("Quote not found"));
}

void XMessageListCtrl::OpenHotDeal()
{
    QString id;
    bool cars = false;
    if (!SelectedContext("deal", nullptr, &id, &cars))
        return;
    bool located = false;
    try {
        const QVariant incoming =
            theDatabase().Connection().Scalar(QStringLiteral("SELECT IS_INCOMING FROM HotDeals WHERE ID = ?"), {id});
        if (!incoming.isNull() && Host()) {
            Host()->SelectNode(incoming.toLongLong() != 0 ? 130 : 131);
            if (XBaseListCtrl *list = ListRegistry::Instance().Shown(IRecordViews::ListKind::HotDeals))
                located = list->LocateByKey(id, true, true);
        }
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not open the hot deal"), e);
        return;
    }
    if (!located)
        NotFound(QStringLiteral("Hot Deal not found"));
}

void XMessageListCtrl::OpenOrder()
{
    QString id;
    bool cars = false;
    if (!SelectedContext("order", nullptr, &id, &cars))
        return;
    bool located = false;
    try {
        const QVariant incoming =
            theDatabase().Connection().Scalar(QStringLiteral("SELECT IS_INCOMING FROM Orders WHERE ID = ?"), {id});
        if (!incoming.isNull() && Host()) {
            Host()->SelectNode(incoming.toLongLong() != 0 ? 195 : 196);
            if (XBaseListCtrl *list = ListRegistry::Instance().Shown(IRecordViews::ListKind::Orders))
                located = list->LocateByKey(id, true, true);
        }
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not open the order"), e);
        return;
    }
    if (!located)
        NotFound(QStringLiteral("Purchase Order not found"));
}

bool XMessageListCtrl::GetMessageAddress(int, MessageAddress *address) const
{
    const int row = CurrentRow();
    if (row < 0 || Cursor().Read(row).deleted)
        return false;
    address->contextId = Cursor().Text(row, ColContextId);
    address->contextType = Cursor().Text(row, ColContextType);
    address->recipientId = Cursor().Text(row, ColOwnerId);
    address->recipientName = Cursor().Text(row, ColOwner);
    address->subject = Cursor().Text(row, ColSubject);
    return true;
}
