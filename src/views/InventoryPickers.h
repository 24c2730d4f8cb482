#pragma once

// The pickers of the inventory record a quote is filled from: the rated list
// of the seller's parts or cars for the query being answered. OK ends the
// dialog whether or not a row is selected; the caller tests the ID for -1.

#include <QDialog>

#include <memory>

class CRateSystem;
class FormPlacement;
class XBaseSet;
class XInventoryListBase;

class InventoryPicker : public QDialog
{
    Q_OBJECT
public:
    ~InventoryPicker() override;
    int DoModal();
    // The chosen record's ID; -1 until OK with a selected row.
    qint64 SelectedId() const { return m_selectedId; }
    XInventoryListBase *List() const { return m_list; }

protected:
    InventoryPicker(QWidget *parent, const char *layout);
    void SetList(XInventoryListBase *list);
    void showEvent(QShowEvent *event) override;

private:
    void OnOk();

    XInventoryListBase *m_list = nullptr;
    qint64 m_selectedId = -1;
    bool m_loaded = false;
    FormPlacement *m_placement;
};

class CSelectPartFromInv : public InventoryPicker
{
    Q_OBJECT
public:
    // The inventory rated against the part query on which `query` stands.
    CSelectPartFromInv(const XBaseSet &query, QWidget *parent = nullptr);
    // With a rating already made (tests, benchmarks).
    CSelectPartFromInv(std::unique_ptr<CRateSystem> rating, QWidget *parent = nullptr);
};

class InventorySelDlg : public InventoryPicker
{
    Q_OBJECT
public:
    InventorySelDlg(const XBaseSet &carQuery, QWidget *parent = nullptr);
    InventorySelDlg(std::unique_ptr<CRateSystem> rating, QWidget *parent = nullptr);
};
