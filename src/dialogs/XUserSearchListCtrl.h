#pragma once

// The members a member search found: a plain list, each row holding its own
// texts (one per column) and a value its owner may set.

#include <QStringList>
#include <QTreeWidget>

class XUserSearchListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit XUserSearchListCtrl(QWidget *parent = nullptr);

    // "Passport ID", "Name", "Company", "Business Type", "City", "State", "Zip", "Country".
    void InitColumns();
    int ColumnCount() const { return m_columnCount; }
    // One text per column; missing ones are empty, extra ones dropped. The new row's index.
    int AddRow(const QStringList &texts);
    // False for a row beyond the last.
    bool SetRowValue(int row, int value);
    int RowValue(int row) const;
    // The text of a column of the first selected row; empty without a selection.
    QString GetSelectedText(int column) const;
    void SelectItem(int row);
    void DeleteRow(int row);
    void DeleteAllRows();
    int RowCount() const { return topLevelItemCount(); }

private:
    int m_columnCount = 0;
};
