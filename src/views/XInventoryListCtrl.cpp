#include "XInventoryListCtrl.h"

#include "IListHost.h"

#include "app/Utils.h"
#include "db/KVDatabase.h"
#include "sync/CRateSystem.h"

XInventoryListBase::XInventoryListBase(const char *table, QStringList cursorColumns, IListHost *host,
                                       QWidget *parent, std::unique_ptr<CRateSystem> rating, bool cars)
    : XBaseListCtrl(table, cursorColumns, host, parent), m_rating(std::move(rating)), m_rated(m_rating != nullptr)
{
    if (!m_rated)
        return;
    try {
        m_rating->BuildRankTable(cars);
        // The rank table names rows of the "ID DESC" order; the list keeps their rowids.
        std::vector<qint64> byIdDesc;
        SqlStatement &st = theDatabase().Connection().Prepare(
            QStringLiteral("SELECT rowid FROM [%1] ORDER BY ID DESC").arg(QLatin1String(table)));
        while (st.Step())
            byIdDesc.push_back(st.Int64(0));
        st.Reset();
        for (int row : m_rating->RankTable()) {
            if (row >= 0 && row < int(byIdDesc.size()))
                m_ratedRows.push_back(byIdDesc[size_t(row)]);
        }
        for (const CParamCmd::Rating &r : m_rating->Params().Ratings()) {
            bool ok = false;
            const qint64 id = r.first.trimmed().toLongLong(&ok);
            if (ok && !m_ratings.contains(id))
                m_ratings.insert(id, r.second);
        }
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not rate the inventory"), e);
    }
}

XInventoryListBase::~XInventoryListBase() = default;

void XInventoryListBase::InitColumns(QList<ColumnDef> columns, const QString &layout, const QString &ratedLayout)
{
    if (m_rated)
        columns.prepend({QStringLiteral("Rating %"), 70, Qt::AlignLeft, QStringLiteral("ID")});
    SetColumns(columns, m_rated ? ratedLayout : layout);
    // The plain lists by their first column ascending, the rated ones best first.
    SetSort(0, !m_rated);
}

bool XInventoryListBase::SortedByRating() const
{
    return m_rated && SortColumn() == 0;
}

void XInventoryListBase::Refill()
{
    // The inventory keeps one sort whatever the folder.
    ScrollToLeft();
    try {
        if (SortedByRating()) {
            std::vector<qint64> rows = m_ratedRows;
            if (SortAscending())
                std::reverse(rows.begin(), rows.end());
            Cursor().SetSnapshot(std::move(rows));
        } else {
            Cursor().Refill();
        }
    } catch (const std::exception &e) {
        ReportDbError(QStringLiteral("Can not read the inventory"), e);
        return;
    }
    ResetModelAndRestore();
}

bool XInventoryListBase::CanDo(int operation) const
{
    switch (operation) {
    case OpAny:
        return true;
    case OpDetails:
    case OpDelete:
        return SelectedCount() > 0;
    default:
        return false;
    }
}

qint64 XInventoryListBase::GetSelectedId() const
{
    const int row = CurrentRow();
    return row < 0 ? 0 : Cursor().Int(row, Column("ID"));
}

QString XInventoryListBase::CellText(int row, int column) const
{
    if (!m_rated)
        return InventoryCell(row, column);
    if (column == 0)
        return QString::number(RatingOf(Cursor().Int(row, Column("ID"))));
    return InventoryCell(row, column - 1);
}

void XInventoryListBase::OpenSelected()
{
    if (IsDialogMode() || SelectedCount() == 0)
        return;
    // A picker dialog takes the record itself; the catalog opens its form.
    if (InDialog())
        emit recordOpened();
    else if (Host())
        Host()->OpenDetails();
}

// --- parts ------------------------------------------------------------------------------------------

XInventoryListCtrl::XInventoryListCtrl(IListHost *host, QWidget *parent, std::unique_ptr<CRateSystem> rating)
    : XInventoryListBase("Inventory",
                         {"ID", "P_STOCK_NUMBER", "P_NAME", "P_QUANTITY", "P_PRICE", "V_YEAR", "V_END_YEAR", "V_MAKE",
                          "V_MODEL"},
                         host, parent, std::move(rating), false)
{
    SetRecordSet(&m_set);
    InitColumns({{QStringLiteral("Part #"), 70, Qt::AlignLeft, QStringLiteral("P_STOCK_NUMBER")},
                 {QStringLiteral("Part Name"), 150, Qt::AlignLeft, QStringLiteral("P_NAME")},
                 {QStringLiteral("Qty"), 40, Qt::AlignRight, QStringLiteral("P_QUANTITY")},
                 {QStringLiteral("Price"), 80, Qt::AlignRight, QStringLiteral("P_PRICE")},
                 {QStringLiteral("Year"), 100, Qt::AlignLeft, QStringLiteral("V_YEAR")},
                 {QStringLiteral("End Year"), 100, Qt::AlignLeft, QStringLiteral("V_END_YEAR")},
                 {QStringLiteral("Make"), 100, Qt::AlignLeft, QStringLiteral("V_MAKE")},
                 {QStringLiteral("Model"), 100, Qt::AlignLeft, QStringLiteral("V_MODEL")}},
                QStringLiteral("InventoryList"), QStringLiteral("InventoryListRate"));
}

QString XInventoryListCtrl::InventoryCell(int row, int column) const
{
    RecordCursor &c = Cursor();
    switch (column) {
    case 0: return c.Text(row, 1);
    case 1: return c.Text(row, 2);
    case 2: return QString::number(c.Int(row, 3));
    case 3: {
        const double price = c.Double(row, 4);
        return price == 0.0 ? QStringLiteral("0") : Utils::FormatMoney(price, 2);
    }
    case 4: return c.Text(row, 5);
    case 5: return c.Text(row, 6);
    case 6: return c.Text(row, 7);
    case 7: return c.Text(row, 8);
    default: return {};
    }
}

// --- cars --------------------------------------------------------------------------------------------

XInventoryCarsListCtrl::XInventoryCarsListCtrl(IListHost *host, QWidget *parent, std::unique_ptr<CRateSystem> rating)
    : XInventoryListBase("Inventory_Cars",
                         {"ID", "STOCK_NUMBER", "YEAR", "MAKE", "MODEL", "SUBMODEL", "ASKING_PRICE", "MILEAGE",
                          "BODY_STYLE", "EXT_COLOR", "CATEGORY", "VIN"},
                         host, parent, std::move(rating), true)
{
    SetRecordSet(&m_set);
    InitColumns({{QStringLiteral("Stock #"), 80, Qt::AlignLeft, QStringLiteral("STOCK_NUMBER")},
                 {QStringLiteral("Year"), 50, Qt::AlignLeft, QStringLiteral("YEAR")},
                 {QStringLiteral("Make"), 100, Qt::AlignLeft, QStringLiteral("MAKE")},
                 {QStringLiteral("Model/Sub-Model"), 100, Qt::AlignLeft, QStringLiteral("MODEL")},
                 {QStringLiteral("Price"), 70, Qt::AlignLeft, QStringLiteral("ASKING_PRICE")},
                 {QStringLiteral("Mileage"), 70, Qt::AlignLeft, QStringLiteral("MILEAGE")},
                 {QStringLiteral("Body"), 80, Qt::AlignLeft, QStringLiteral("BODY_STYLE")},
                 {QStringLiteral("Color"), 70, Qt::AlignLeft, QStringLiteral("EXT_COLOR")},
                 {QStringLiteral("Category"), 100, Qt::AlignLeft, QStringLiteral("CATEGORY")},
                 {QStringLiteral("VIN"), 80, Qt::AlignLeft, QStringLiteral("VIN")}},
                QStringLiteral("InventoryCars"), QStringLiteral("InventoryCarsRate"));
}

QString XInventoryCarsListCtrl::InventoryCell(int row, int column) const
{
    RecordCursor &c = Cursor();
    switch (column) {
    case 0: return c.Text(row, 1);
    case 1: return c.Text(row, 2);
    case 2: return c.Text(row, 3);
    case 3: {
        const QString sub = c.Text(row, 5);
        return sub.isEmpty() ? c.Text(row, 4) : c.Text(row, 4) + u'/' + sub;
    }
    case 4: {
        // Money reads as in the parts catalog.
        const double price = c.Double(row, 6);
        return price == 0.0 ? QStringLiteral("0") : Utils::FormatMoney(price, 2);
    }
    default:
        return column >= 4 && column <= 9 ? c.Text(row, column + 2) : QString();
    }
}
