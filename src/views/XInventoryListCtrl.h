#pragma once

// The seller's part and car inventory. The plain form is the catalog page;
// the rated form, in the dialogs that pick a record to answer a query, shows
// the records a rating system rated, best first, with their rating in front.

#include "XBaseListCtrl.h"

#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"

#include <QHash>

#include <memory>
#include <vector>

#include "sync/CRateSystem.h"

class XInventoryListBase : public XBaseListCtrl
{
    Q_OBJECT

public:
    ~XInventoryListBase() override;
    void Refill() override;
    bool CanDo(int operation) const override;
    // ID of the selected record; 0 without a selection.
    qint64 GetSelectedId() const;
    // The rating in per cent of a record; 0 when it was not rated.
    int RatingOf(qint64 id) const { return m_ratings.value(id, 0); }

protected:
    // `rating`: a rating system that has rated the inventory against a query
    // (RateQueryParts / RateQueryCars); null for the plain form.
    XInventoryListBase(const char *table, QStringList cursorColumns, IListHost *host, QWidget *parent,
                       std::unique_ptr<CRateSystem> rating, bool cars);
    // The columns of the plain form; the rated form puts "Rating %" in front.
    void InitColumns(QList<ColumnDef> columns, const QString &layout, const QString &ratedLayout);
    QString CellText(int row, int column) const final;
    virtual QString InventoryCell(int row, int column) const = 0;
    void OpenSelected() override;

private:
    bool SortedByRating() const;

    std::unique_ptr<CRateSystem> m_rating;
    bool m_rated;
    // The rated records' rowids, best first.
    std::vector<qint64> m_ratedRows;
    QHash<qint64, int> m_ratings;
};

class XInventoryListCtrl : public XInventoryListBase
{
    Q_OBJECT

public:
    explicit XInventoryListCtrl(IListHost *host, QWidget *parent = nullptr,
                                std::unique_ptr<CRateSystem> rating = nullptr);
    ActiveListType ListType() const override { return ListPartInventory; }

protected:
    IRecordViews::ListKind RegistryKind() const override { return IRecordViews::ListKind::Inventory; }
    QString InventoryCell(int row, int column) const override;

private:
    XInventorySet m_set;
};

class XInventoryCarsListCtrl : public XInventoryListBase
{
    Q_OBJECT

public:
    explicit XInventoryCarsListCtrl(IListHost *host, QWidget *parent = nullptr,
                                    std::unique_ptr<CRateSystem> rating = nullptr);
    ActiveListType ListType() const override { return ListCarInventory; }

protected:
    IRecordViews::ListKind RegistryKind() const override { return IRecordViews::ListKind::CarInventory; }
    QString InventoryCell(int row, int column) const override;

private:
    XInventoryCarsSet m_set;
};
