#include "XUserSearchListCtrl.h"

#include <QHeaderView>

namespace {
constexpr int ValueRole = Qt::UserRole + 1;
}

XUserSearchListCtrl::XUserSearchListCtrl(QWidget *parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setColumnCount(0);
}

void XUserSearchListCtrl::InitColumns()
{
    struct Column
    {
        const char *header;
        int width;
    };
    static const Column columns[] = {{"Passport ID", 70}, {"Name", 80}, {"Company", 80}, {"Business Type", 90},
                                     {"City", 80},        {"State", 40}, {"Zip", 80},    {"Country", 105}};
    QStringList headers;
    for (const Column &c : columns)
        headers << QLatin1String(c.header);
    setColumnCount(int(headers.size()));
    setHeaderLabels(headers);
    for (int i = 0; i < int(headers.size()); ++i)
        header()->resizeSection(i, columns[i].width);
    m_columnCount = int(headers.size());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
}

int XUserSearchListCtrl::AddRow(const QStringList &texts)
{
    auto *item = new QTreeWidgetItem;
    for (int i = 0; i < m_columnCount; ++i)
        item->setText(i, i < texts.size() ? texts[i] : QString());
    item->setData(0, ValueRole, 0);
    addTopLevelItem(item);
    return topLevelItemCount() - 1;
}

bool XUserSearchListCtrl::SetRowValue(int row, int value)
{
    QTreeWidgetItem *item = topLevelItem(row);
    if (!item)
        return false;
    item->setData(0, ValueRole, value);
    return true;
}

int XUserSearchListCtrl::RowValue(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, ValueRole).toInt() : 0;
}

QString XUserSearchListCtrl::GetSelectedText(int column) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            return topLevelItem(i)->text(column);
    }
    return {};
}

void XUserSearchListCtrl::SelectItem(int row)
{
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        item->setSelected(true);
        setCurrentItem(item, 0, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void XUserSearchListCtrl::DeleteRow(int row)
{
    delete takeTopLevelItem(row);
}

void XUserSearchListCtrl::DeleteAllRows()
{
    clear();
}
