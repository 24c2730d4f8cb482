#include "XQueryListCtrl.h"

#include "DetailsView.h"
#include "IListHost.h"
#include "ListImages.h"
#include "ListRegistry.h"
#include "MessSelDlg.h"
#include "XMessageListCtrl.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "app/XSLTransformer.h"
#include "browser/BrowserDlg.h"
#include "db/KVDatabase.h"
#include "db/XMessageSet.h"
#include "db/XOrderSet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"
#include "net/AnswerId.h"
#include "net/XRequest.h"

#include <QHelpEvent>
#include <QToolTip>

namespace {

using Cell = QueryListRules::Cell;

QString ValueText(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

// One cell from the record's values, read through `value(column name)`.
template<class Value>
QString MakeCell(Cell kind, const char *field, const Value &value)
{
    switch (kind) {
    case Cell::Empty: return {};
    case Cell::Text: return ValueText(value(field));
    case Cell::Date: {
        const QDateTime when = SqlValue::ParseDateTime(ValueText(value(field)));
        return when.isValid() ? when.toString(QStringLiteral("MM-dd HH:mm")) : QString();
    }
    case Cell::MoneyAny: {
        const double v = ValueText(value(field)).trimmed().toDouble();
        return v == 0.0 ? QStringLiteral("Any") : Utils::FormatMoney(v, 2);
    }
    case Cell::Count: {
        const qint64 n = ValueText(value(field)).trimmed().toLongLong();
        return n >= 1 && n <= 65535 ? QString::number(n) : QString();
    }
    case Cell::YesNo: return ValueText(value(field)).trimmed().isEmpty() ? QStringLiteral("no") : QStringLiteral("yes");
    case Cell::YearRange: return FormatRangeText(ValueText(value("MIN_YEAR")), ValueText(value("MAX_YEAR")));
    case Cell::ModelSub: {
        const QString model = ValueText(value("MODEL")), sub = ValueText(value("SUBMODEL"));
        if (!model.isEmpty() && !sub.isEmpty())
            return model + u' ' + sub;
        return model.isEmpty() ? sub : model;
    }
    case Cell::PriceRange:
        return XQueryCarsSet::PriceRangeText(ValueText(value("MIN_PRICE")), ValueText(value("MAX_PRICE")));
    case Cell::MileageRange:
        return XQueryCarsSet::MileageRangeText(ValueText(value("MIN_MILEAGE")), ValueText(value("MAX_MILEAGE")));
    case Cell::Colour: return XQueryCarsSet::ColorText(ValueText(value("EXT_COLOR")));
    }
    return {};
}

// The columns a table has of the names wanted, each once.
QStringList ColumnsOf(const char *table, const QStringList &wanted)
{
    const TableDef &t = Schema::Require(QLatin1String(table));
    QStringList out;
    for (const QString &name : wanted)
        if (!name.isEmpty() && t.Column(name) && !out.contains(name, Qt::CaseInsensitive))
            out << QLatin1String(t.Column(name)->name);
    return out;
}

QStringList QueryColumnsOf(const QueryListRules &r)
{
    QStringList wanted = {"ID", "STATUS_CODE", "IS_INCOMING", "C_ID", "C_NAME", "MARKET_ID", "MARKET_NAME",
                          "MESS_TOTAL_COUNT", "COMMENTS", "QFY_LEVEL", "MIN_YEAR", "MAX_YEAR", "SUBMODEL",
                          "MAX_PRICE", "MAX_MILEAGE", "REFERER_ID"};
    for (const auto &c : r.columns)
        wanted << QLatin1String(c.queryField);
    for (const auto &n : r.contextNames)
        wanted << QLatin1String(n.queryField);
    for (const char *f : r.captionFields)
        wanted << QLatin1String(f);
    return ColumnsOf(r.queryTable, wanted);
}

QStringList QuoteColumnsOf(const QueryListRules &r)
{
    QStringList wanted = {"ID", "QUERY_ID", "STATUS_CODE", "IS_INCOMING", "C_ID", "C_NAME", "MARKET_ID",
                          "MESS_TOTAL_COUNT", "COMMENTS", "SUBMODEL"};
    for (const auto &c : r.columns)
        wanted << QLatin1String(c.quoteField);
    for (const auto &n : r.contextNames)
        wanted << QLatin1String(n.quoteField);
    return ColumnsOf(r.quoteTable, wanted);
}

// The detail XML of one record of a table set, or empty when it is gone.
template<class Set>
QByteArray DetailXml(const QString &id, const QString &root, bool search)
{
    Set set;
    set.Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    if (set.IsEOF())
        return {};
    XmlDoc doc = XmlDoc::Create(root);
    set.BuildDetailXml(doc.Root(), search);
    return doc.ToXml();
}

// Stores the buyer's contact of a "getQuery"/"getCarQuery" answer.
template<class Set>
bool StoreContact(const QString &id, const XmlNode &answer)
{
    Set set;
    set.Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    if (set.IsEOF())
        return false;
    set.Edit();
    set.ReadContactInfoXml(answer);
    return set.Update();
}

void Exec(SqlConnection &c, const QString &sql, const QVariantList &args, int *changed)
{
    c.Exec(sql, args);
    *changed += c.Changes();
}

} // namespace

XQueryListCtrl::XQueryListCtrl(const QueryListRules &rules, IListHost *host, QWidget *parent)
    : XTreeListCtrl(rules.queryTable, QueryColumnsOf(rules), rules.quoteTable, QuoteColumnsOf(rules), host, parent),
      m_rules(rules)
{
    if (rules.marketMode == 1)
        m_querySet = std::make_unique<XQueryCarsSet>();
    else
        m_querySet = std::make_unique<XQuerySet>();
    SetRecordSet(m_querySet.get());
    QList<ColumnDef> columns;
    for (const auto &c : rules.columns)
        columns.append({QLatin1String(c.header), c.width, Qt::AlignLeft, QLatin1String(c.sortField)});
    SetColumns(columns, QLatin1String(rules.layoutName));
    SetDateColumn(rules.dateColumn);
    SetSecondarySortColumn(rules.dateColumn);
    SetSort(rules.dateColumn, false);
}

XQueryListCtrl::~XQueryListCtrl() = default;

// --- cells --------------------------------------------------------------------------------------

QVariant XQueryListCtrl::QueryValue(int queryRow, const char *column) const
{
    return Cursor().Value(queryRow, Cursor().Column(column));
}

QString XQueryListCtrl::QueryText(int queryRow, const char *column) const
{
    return ValueText(QueryValue(queryRow, column));
}

QString XQueryListCtrl::QueryCellText(int queryRow, int column) const
{
    if (column < 0 || column >= int(m_rules.columns.size()))
        return {};
    const auto &c = m_rules.columns[size_t(column)];
    if (Cursor().Read(queryRow).deleted)
        return {};
    return MakeCell(c.queryCell, c.queryField, [&](const char *f) { return QueryValue(queryRow, f); });
}

QStringList XQueryListCtrl::QuoteTexts(const ItemInfo &quote) const
{
    QStringList texts;
    for (const auto &c : m_rules.columns)
        texts << MakeCell(c.quoteCell, c.quoteField, [&](const char *f) { return QuoteValue(quote, f); });
    if (m_rules.messageColumn >= 0)
        texts << (ValueText(QuoteValue(quote, "COMMENTS")).isEmpty() ? QString() : QStringLiteral("1"));
    return texts;
}

bool XQueryListCtrl::IsQueryBold(int flags, int childCount, bool anyNewQuote) const
{
    if (QueryListRules::In(m_rules.neverBoldFolders, GetFolder()))
        return false;
    if (flags & FlagIncoming)
        return (flags & StatusMask) == 0;
    return childCount > 0 && anyNewQuote;
}

QIcon XQueryListCtrl::QuoteImage() const
{
    return ListImages::Row(GetFolder() == m_rules.repliedFolder ? 2 : 1);
}

QIcon XQueryListCtrl::CellImage(int row, int column) const
{
    const ItemInfo &item = Item(row);
    const int queryRow = QueryRowOf(row);
    if (column == m_rules.ratingColumn) {
        const QString rating =
            item.topLevel ? QueryText(queryRow, "QFY_LEVEL") : QuoteRowTexts(row).value(m_rules.ratingColumn);
        return ListImages::Rating(Utils::StrToRating(rating));
    }
    if (column == m_rules.marketColumn) {
        if (!item.topLevel)
            return {};
        const QString market = QueryText(queryRow, "MARKET_ID");
        if (market.compare(QLatin1String("PERSONAL"), Qt::CaseInsensitive) == 0)
            return ListImages::PersonalMark(0);
        return market.isEmpty() ? QIcon() : ListImages::MarketIcon(market, m_rules.marketMode);
    }
    if (column == m_rules.messageColumn) {
        bool messages = false, comments = false;
        if (item.topLevel) {
            messages = QueryText(queryRow, "MESS_TOTAL_COUNT").toLongLong() > 0;
            comments = !QueryText(queryRow, "COMMENTS").isEmpty();
        } else {
            messages = !QuoteRowTexts(row).value(m_rules.messageColumn).isEmpty();
            comments = !QuoteRowTexts(row).value(int(m_rules.columns.size())).isEmpty();
        }
        if (!messages && !comments)
            return {};
        return ListImages::MessageMark(messages && comments ? 2 : comments ? 1 : 0);
    }
    return {};
}

QString XQueryListCtrl::ToolTipAt(int row, int column) const
{
    const ItemInfo &item = Item(row);
    const int queryRow = QueryRowOf(row);
    if (column == m_rules.marketColumn) {
        const QString market = QueryText(queryRow, "MARKET_ID");
        const QString name = QueryText(queryRow, "MARKET_NAME");
        if (market.compare(QLatin1String("PERSONAL"), Qt::CaseInsensitive) == 0)
            return name.isEmpty() ? QStringLiteral("Personal") : QStringLiteral("Personal to %1").arg(name);
        return name;
    }
    if (column == m_rules.messageColumn) {
        const bool messages = item.topLevel ? QueryText(queryRow, "MESS_TOTAL_COUNT").toLongLong() > 0
                                            : !QuoteRowTexts(row).value(m_rules.messageColumn).isEmpty();
        return messages ? QStringLiteral("External Message") : QString();
    }
    return {};
}

bool XQueryListCtrl::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        QString text;
        if (index.isValid()) {
            try {
                text = ToolTipAt(index.row(), index.column());
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
    return XTreeListCtrl::viewportEvent(event);
}

// --- what the commands may do ---------------------------------------------------------------------

int XQueryListCtrl::ShownNode() const
{
    return Host() ? Host()->CurrentNode() : GetFolder();
}

bool XQueryListCtrl::RowCounts(int row) const
{
    const ItemInfo &item = Item(row);
    if (item.topLevel)
        return true;
    return (item.flags & FlagIncoming) && m_rules.CountsQuoteRows(ShownNode());
}

bool XQueryListCtrl::CanDo(int operation) const
{
    const int row = CurrentRow();
    if (row < 0 || row >= RowCount())
        return false;
    const ItemInfo &item = Item(row);
    const bool archive = m_rules.IsArchive(GetFolder());
    const int status = item.flags & StatusMask;
    const bool query = item.topLevel;
    switch (operation) {
    case OpDelete:
    case OpComment:
    case OpPrint: return true;
    case OpArchive: return !archive && query;
    case OpRestore: return archive && query;
    case 6: return (Item(GetParentItem(row)).flags & FlagIncoming) != 0;
    case OpMarkNew:
    case OpMarkRead:
        return !archive && RowCounts(row) && (!query || item.childCount <= 0) &&
               status != (operation == OpMarkNew ? 0 : 1);
    case 9: return !archive && query && (item.flags & FlagIncoming) && status != 2;
    case 10: return !archive && query && status != 4;
    case OpCompleted: return !archive && query && status != 5;
    case OpCancelled: return !archive && query && status != 6;
    case OpContact: {
        if (!(item.flags & FlagIncoming))
            return false;
        const QString contact =
            query ? QueryText(QueryRowOf(row), "C_NAME") : ValueText(QuoteValue(item, "C_NAME"));
        return !contact.trimmed().isEmpty();
    }
    default: return false;
    }
}

// --- status, archive, delete -------------------------------------------------------------------------

int XQueryListCtrl::SetStatus(int code, const QString &text)
{
    if (GetFolder() == m_rules.repliedFolder && code == 1)
        return 0;
    const QStringList keys = SelectedRowKeys();
    if (keys.isEmpty())
        return 0;
    const QString queries = QueryTable(), quotes = QuoteTable();
    SqlConnection &c = theDatabase().Connection();
    SqlTransaction tr(c);
    int changed = 0;
    for (const QString &key : keys) {
        bool top = true;
        QString id;
        if (!SplitKey(key, &top, &id))
            continue;
        if (!top) {
            Exec(c, QStringLiteral("UPDATE [%1] SET STATUS_CODE = ?, STATUS = ? WHERE ID = ?").arg(quotes),
                 {code, text, id}, &changed);
            continue;
        }
        if (GetFolder() == m_rules.pendingFolder && (code == 0 || code == 1))
            continue;
        Exec(c, QStringLiteral("UPDATE [%1] SET STATUS_CODE = ?, STATUS = ? WHERE ID = ?").arg(queries),
             {code, text, id}, &changed);
        // A query marked Replied keeps its quotes as they are.
        if (code != 2)
            Exec(c, QStringLiteral("UPDATE [%1] SET STATUS_CODE = ?, STATUS = ? WHERE QUERY_ID = ?").arg(quotes),
                 {code, text, id}, &changed);
    }
    tr.Commit();
    return changed;
}

int XQueryListCtrl::SetArchived(bool archived)
{
    const QStringList keys = SelectedRowKeys();
    SqlConnection &c = theDatabase().Connection();
    SqlTransaction tr(c);
    int changed = 0;
    // Code and text change together: both read the row as it was.
    const QString set = QStringLiteral("SET IS_ARCHIVE = ?, STATUS_CODE = CASE WHEN STATUS_CODE = 0 THEN 1 ELSE "
                                       "STATUS_CODE END, STATUS = CASE WHEN STATUS_CODE = 0 THEN 'Read' ELSE STATUS END");
    for (const QString &key : keys) {
        bool top = true;
        QString id;
        if (!SplitKey(key, &top, &id) || !top)
            continue;
        Exec(c, QStringLiteral("UPDATE [%1] %2 WHERE ID = ?").arg(QueryTable(), set), {archived ? 1 : 0, id}, &changed);
        Exec(c, QStringLiteral("UPDATE [%1] %2 WHERE QUERY_ID = ?").arg(QuoteTable(), set), {archived ? 1 : 0, id},
             &changed);
    }
    tr.Commit();
    return changed;
}

int XQueryListCtrl::DeleteRows(const QStringList &keys)
{
    SqlConnection &c = theDatabase().Connection();
    SqlTransaction tr(c);
    int changed = 0;
    for (const QString &key : keys) {
        bool top = true;
        QString id;
        if (!SplitKey(key, &top, &id))
            continue;
        if (top) {
            Exec(c, QStringLiteral("DELETE FROM [%1] WHERE ID = ?").arg(QueryTable()), {id}, &changed);
            Exec(c, QStringLiteral("DELETE FROM [%1] WHERE QUERY_ID = ?").arg(QuoteTable()), {id}, &changed);
            continue;
        }
        const QVariant queryId = c.Scalar(QStringLiteral("SELECT QUERY_ID FROM [%1] WHERE ID = ?").arg(QuoteTable()), {id});
        if (queryId.isNull())
            continue;
        Exec(c, QStringLiteral("DELETE FROM [%1] WHERE ID = ?").arg(QuoteTable()), {id}, &changed);
        // A replied or auto-replied query without quotes is Read again.
        Exec(c,
             QStringLiteral("UPDATE [%1] SET STATUS_CODE = CASE WHEN STATUS_CODE IN (2, 3) THEN 1 ELSE STATUS_CODE END, "
                            "STATUS = CASE WHEN STATUS_CODE IN (2, 3) THEN 'Read' ELSE STATUS END "
                            "WHERE ID = ? AND NOT EXISTS (SELECT 1 FROM [%2] WHERE QUERY_ID = ?)")
                 .arg(QueryTable(), QuoteTable()),
             {queryId, queryId}, &changed);
    }
    tr.Commit();
    return changed;
}

void XQueryListCtrl::RunStatus(int code, const QString &text)
{
    try {
        if (SetStatus(code, text) > 0)
            AfterRecordsChanged();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not change the status"), e);
    }
}

void XQueryListCtrl::RunArchived(bool archived)
{
    try {
        if (SetArchived(archived) > 0)
            AfterRecordsChanged();
    } catch (const std::exception &e) {
        ReportDbError(archived ? QStringLiteral("Can not archive the records")
                               : QStringLiteral("Can not restore the records"),
                      e);
    }
}

bool XQueryListCtrl::DeleteSelected()
{
    const QStringList keys = SelectedRowKeys();
    if (keys.isEmpty())
        return false;
    try {
        DeleteRows(keys);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not delete the records"), e);
        return false;
    }
    AfterRecordsChanged();
    return true;
}

bool XQueryListCtrl::ToggleMark()
{
    if (IsDialogMode())
        return false;
    const int row = CurrentRow();
    if (row < 0)
        return false;
    const int status = Item(row).flags & StatusMask;
    if (status == 1 && CanDo(OpMarkNew))
        return SetStatus(0, QStringLiteral("New")) > 0;
    if (status == 0 && CanDo(OpMarkRead))
        return SetStatus(1, QStringLiteral("Read")) > 0;
    return false;
}

// --- details and the record's neighbours ------------------------------------------------------------------

QByteArray XQueryListCtrl::GetDetailsXml(int row, bool print, bool further) const
{
    if (row < 0 || row >= RowCount())
        return {};
    const bool query = Item(row).topLevel;
    const QString id = RowId(row);
    if (m_rules.marketMode == 1) {
        const QString root = print ? QStringLiteral("details-print-car")
                             : further ? QStringLiteral("details-car-det")
                                       : QStringLiteral("details-car");
        return query ? DetailXml<XQueryCarsSet>(id, root, IsDialogMode())
                     : DetailXml<XQuoteCarsSet>(id, root, IsDialogMode());
    }
    const QString root = print ? QStringLiteral("details-print") : QStringLiteral("details");
    return query ? DetailXml<XQuerySet>(id, root, IsDialogMode()) : DetailXml<XQuoteSet>(id, root, IsDialogMode());
}

QString XQueryListCtrl::GetDetailsHtml(bool print, bool further) const
{
    const int row = CurrentRow();
    const QByteArray xml = GetDetailsXml(row, print, further);
    if (xml.isEmpty())
        return {};
    const int kind = Item(row).topLevel ? XSLTransformer::QueryDetail : XSLTransformer::QuoteDetail;
    return DetailsView::Render(xml, XSLTransformer::SheetFile(kind));
}

void XQueryListCtrl::ShowDetails(int row)
{
    if (!DetailsBrowser())
        return;
    const int kind = Item(row).topLevel ? XSLTransformer::QueryDetail : XSLTransformer::QuoteDetail;
    DetailsView::Show(DetailsBrowser(), GetDetailsXml(row, false), XSLTransformer::SheetFile(kind));
}

QString XQueryListCtrl::GetContextData(int row, const QString &name) const
{
    if (row < 0 || row >= RowCount())
        return {};
    const ItemInfo &item = Item(row);
    for (const auto &n : m_rules.contextNames) {
        if (name != QLatin1String(n.name))
            continue;
        const char *field = item.topLevel ? n.queryField : n.quoteField;
        if (!*field)
            return {};
        if (item.topLevel)
            return QueryText(QueryRowOf(row), field);
        if (*field == '^')
            return QueryText(QueryRowOf(row), field + 1);
        return ValueText(QuoteValue(item, field));
    }
    return {};
}

void XQueryListCtrl::OpenSelected()
{
    if (IsDialogMode() || !Host())
        return;
    const int row = CurrentRow();
    if (row < 0)
        return;
    const ItemInfo &item = Item(row);
    const bool incoming = item.flags & FlagIncoming;
    if (item.topLevel) {
        if (!incoming) {
            Host()->WriteComment();
        } else if (IsAnswered(row)) {
            // As on the lead's page: no second quote. The member's own shows instead.
            ShowOwnQuote(row);
        } else if (m_rules.marketMode == 1) {
            Host()->SendCarQuote();
        } else {
            theApp().WriteLog(QStringLiteral("NewQuoteDlg dlg(this)"), QStringLiteral("XQueryList"), 5);
            Host()->NewQuoteForSelection();
        }
        return;
    }
    // An opened quote has been seen: marked before the order form opens, so the
    // order's own status for the quote is the one that stays.
    const bool unseen = (item.flags & StatusMask) == 0 && incoming;
    const QString quoteId = item.id;
    if (m_rules.marketMode == 1) {
        Host()->ShowCarQuoteDetail(QStringLiteral("Quote #%1").arg(quoteId), quoteId);
    } else if (incoming) {
        if (IsOrdered(row)) {
            // As on the quote's page: no second order. The order shows instead.
            ShowOrder();
            return;
        }
        const QString queryId = QueryIdOf(row);
        if (unseen)
            RunStatus(1, QStringLiteral("Read"));
        Host()->NewOrderForQuote(queryId, quoteId);
        return;
    } else {
        Host()->WriteComment();
        return;
    }
    if (unseen)
        RunStatus(1, QStringLiteral("Read"));
}

// Read from the database, not the row: a send may have answered it since the list was filled.
bool XQueryListCtrl::IsAnswered(int row) const
{
    try {
        const QVariant status = theDatabase().Connection().Scalar(
            QStringLiteral("SELECT STATUS_CODE FROM [%1] WHERE ID = ?").arg(QueryTable()), {RowId(row)});
        return status.isValid() && status.toInt() >= 2;
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the queries"), e);
        return true;  // nothing opens on a record that cannot be read
    }
}

bool XQueryListCtrl::IsOrdered(int row) const
{
    const QString quoteId = RowId(row);
    try {
        const QVariant status = theDatabase().Connection().Scalar(
            QStringLiteral("SELECT STATUS_CODE FROM [%1] WHERE ID = ?").arg(QuoteTable()), {quoteId});
        return (status.isValid() && status.toInt() == 4) ||
               XOrderSet::CountByContext(quoteId, QLatin1String(m_rules.quoteContextType)) > 0;
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the quotes"), e);
        return true;
    }
}

void XQueryListCtrl::ShowOwnQuote(int row)
{
    if (!IsTreeMode() || (Item(row).collapsed && !Expand(row)))
        return;
    // Quotes come newest first under their query.
    if (row + 1 < RowCount() && !Item(row + 1).topLevel)
        LocateQuote(Item(row + 1).id, true, false);
}

bool XQueryListCtrl::RequestContactInfo(bool show)
{
    const int row = CurrentRow();
    if (row < 0)
        return false;
    const QString queryId = QueryIdOf(row);
    XRequest request(QLatin1String(m_rules.contactOperation));
    request.AddParam(QLatin1String(m_rules.contactParam), queryId);
    const bool sent = request.SendWithRelogin();
    if (sent && request.IsSuccess()) {
        if (m_rules.spendingReminder && request.GetWarningCode() == 600)
            theApp().ShowMessageBox(
                QStringLiteral("Great news! You have processed a large amount of transactions!\n\nThis is a friendly "
                               "reminder that you have reached your estimated spending. In the future we recommend "
                               "you select the most suitable subscription plan for future billing cycles."),
                QStringLiteral("Subscription Plan Reminder"), MsgBox::IconInformation);
        try {
            const XmlNode answer = request.GetResponseNode(QLatin1String(m_rules.contactAnswer));
            if (!AnswerIsFor(answer, QLatin1String(m_rules.contactParam), queryId, request.GetOperation())) {
                theApp().ShowMessageBox(AnotherRecordText(QStringLiteral("query")),
                                        QStringLiteral("Cannot get the contact information"), MsgBox::IconError);
                return false;
            }
            if (m_rules.marketMode == 1)
                StoreContact<XQueryCarsSet>(queryId, answer);
            else
                StoreContact<XQuerySet>(queryId, answer);
        } catch (const std::exception &e) {
            ReportDbError(QStringLiteral("Can not store the contact information"), e);
            return false;
        }
        if (show && DetailsBrowser())
            ShowDetails(row);
        return true;
    }
    const int code = request.GetResultCode();
    if (code == 110 || code == 112) {
        const QString marketId = QueryText(QueryRowOf(row), "MARKET_ID");
        const QString notice =
            QStringLiteral("Your current subscription with the \"%1\" does not permit you to view complete contact "
                           "information. To continue the transaction, you must first subscribe as a \"Seller\" to "
                           "this marketplace. You also have the option to purchase Tradewick Passes to access the "
                           "buyers' leads as needed.")
                .arg(QueryText(QueryRowOf(row), "MARKET_NAME"));
        const int choice = theApp().ShowSubscribeMsgDlg(notice, code == 112);
        if ((choice == 0 || choice == 1) && Host())
            Host()->ShowMarketSubscription(marketId, choice == 0 ? 1 : 2);
        return false;
    }
    const QString why = request.GetErrorMessage().isEmpty() ? request.GetStatusText() : request.GetErrorMessage();
    theApp().ShowMessageBox(why, QStringLiteral("Cannot get the contact information"), MsgBox::IconError);
    return false;
}

// "%1".."%9" in one pass: a text holding "%2" stays as it is.
static QString FillPattern(const QString &pattern, const QStringList &texts)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1].isDigit()) {
            out += texts.value(pattern[i + 1].digitValue() - 1);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

void XQueryListCtrl::ShowMessages()
{
    const int row = CurrentRow();
    if (row < 0 || !Host())
        return;
    const QString id = RowId(row);
    const QString type = QLatin1String(Item(row).topLevel ? m_rules.queryContextType : m_rules.quoteContextType);
    QStringList threads;
    try {
        threads = XMessageListCtrl::ThreadsOf(id, type);
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the messages"), e);
        return;
    }
    if (threads.isEmpty())
        return;
    QString thread = threads.first();
    if (threads.size() > 1) {
        const int queryRow = QueryRowOf(row);
        QStringList texts{(Item(row).topLevel ? QStringLiteral("Query #%1 ") : QStringLiteral("Quote #%1 ")).arg(id)};
        for (const char *field : m_rules.captionFields)
            texts << QueryText(queryRow, field);
        MessSelDlg pick(id, type, Host(), this);
        pick.SetTitle(FillPattern(QLatin1String(m_rules.messagesCaption), texts));
        if (pick.DoModal() != MsgBox::IdOk || pick.GetSelectedId().isEmpty())
            return;
        thread = pick.GetSelectedId();
    }
    XMessageListCtrl::ShowThread(Host(), thread);
}

void XQueryListCtrl::ShowOrder()
{
    const int row = CurrentRow();
    if (row < 0 || Item(row).topLevel || !Host())
        return;
    const QString quoteId = Item(row).id;
    const QString type = QLatin1String(m_rules.quoteContextType);
    QString orderId;
    int status = -1;
    try {
        if (XOrderSet::CountByContext(quoteId, type) <= 0)
            return;
        SqlStatement &st = theDatabase().Connection().Prepare(
            QStringLiteral("SELECT ID, STATUS_CODE FROM Orders WHERE CONTEXT_ID = ? AND CONTEXT_TYPE = ?"));
        st.Bind(1, quoteId).Bind(2, type);
        if (st.Step()) {
            orderId = st.Text(0);
            status = st.Int(1);
        }
        st.Reset();
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the orders"), e);
        return;
    }
    if (orderId.isEmpty())
        return;
    const IMainFrame *frame = theAppIfAny() ? theApp().Frame() : nullptr;
    const bool buySide = frame && frame->GetPageSection() == 1;
    Host()->SelectNode(buySide ? (status == 5 ? 199 : 196) : (status == 5 ? 198 : 195));
    if (XBaseListCtrl *orders = ListRegistry::Instance().Shown(IRecordViews::ListKind::Orders))
        orders->LocateByKey(orderId, true, true);
}

bool XQueryListCtrl::ShowQuote(IListHost *host, const QString &quoteId, bool cars)
{
    const int folder = (cars ? QueryListRules::Cars() : QueryListRules::Parts()).QuoteFolder(quoteId);
    if (folder < 0 || !host)
        return false;
    host->SelectNode(folder);
    auto *list = qobject_cast<XTreeListCtrl *>(
        ListRegistry::Instance().Shown(cars ? IRecordViews::ListKind::CarQueries : IRecordViews::ListKind::Queries));
    return list && list->LocateQuote(quoteId, true, true);
}

void XQueryListCtrl::ShowOwnerProfile()
{
    const int row = CurrentRow();
    if (row < 0)
        return;
    BrowserDlg::ShowExtendedProfile(this, GetContextData(row, QStringLiteral("owner_id")),
                                    GetContextData(row, QStringLiteral("owner_name")));
}

bool XQueryListCtrl::GetMessageAddress(int kind, MessageAddress *address) const
{
    int row = CurrentRow();
    if (row < 0 || RowId(row).isEmpty())
        return false;
    // A quote row's query is the nearest query row above it.
    if (kind == 1)
        while (row > 0 && !Item(row).topLevel)
            --row;
    const bool query = Item(row).topLevel;
    const auto data = [&](const char *name) { return GetContextData(row, QLatin1String(name)); };
    const QString id = data(query ? "query_id" : "quote_id");
    const QString reference = (query ? QStringLiteral("Query #%1") : QStringLiteral("Quote #%1")).arg(id);
    address->contextId = id;
    address->contextType = QLatin1String(query ? m_rules.queryContextType : m_rules.quoteContextType);
    address->recipientId = data("owner_id");
    address->recipientName = data("owner_name");
    if (m_rules.marketMode == 1)
        address->subject = QStringLiteral("%1 %2 %3 %4 - Message (%5)")
                               .arg(data("category"), data("year"), data("make"), data("model"), reference);
    else
        address->subject = QStringLiteral("%1, %2 %3 %4 %5")
                               .arg(reference, data("year"), data("make"), data("model"), data("part_name"));
    return true;
}

bool XQueryListCtrl::NewOrderForSelection()
{
    const int row = CurrentRow();
    if (row < 0 || m_rules.marketMode == 1 || !Host())
        return false;
    const ItemInfo &item = Item(row);
    if (item.topLevel || !(item.flags & FlagIncoming))
        return false;
    Host()->NewOrderForQuote(QueryIdOf(row), item.id);
    return true;
}

QString XQueryListCtrl::SelectedQuoteId() const
{
    const int row = CurrentRow();
    return row < 0 || Item(row).topLevel ? QString() : Item(row).id;
}
