#include "InventoryPickers.h"

#include "XInventoryListCtrl.h"

#include "app/AppCore.h"
#include "app/WaitCursor.h"
#include "dialogs/FormPlacement.h"
#include "sync/CRateSystem.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace {
std::unique_ptr<CRateSystem> Rate(const XBaseSet &query, bool cars)
{
    auto rating = std::make_unique<CRateSystem>();
    WaitCursor wait;
    if (cars)
        rating->RateQueryCars(query);
    else
        rating->RateQueryParts(query);
    return rating;
}
} // namespace

InventoryPicker::InventoryPicker(QWidget *parent, const char *layout) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Please select the inventory for sending quote"));
    resize(640, 360);
    m_placement = new FormPlacement(this, QLatin1String(layout));
}

InventoryPicker::~InventoryPicker() = default;

void InventoryPicker::SetList(XInventoryListBase *list)
{
    m_list = list;
    m_list->setObjectName(QStringLiteral("inventoryList"));
    m_list->SetDialogMode(false);
    auto *top = new QVBoxLayout(this);
    top->addWidget(m_list, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &InventoryPicker::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A row opened in the list (Enter, double click) picks it.
    connect(m_list, &XBaseListCtrl::recordOpened, this, &InventoryPicker::OnOk);
}

int InventoryPicker::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void InventoryPicker::showEvent(QShowEvent *event)
{
    if (!m_loaded) {
        m_loaded = true;
        m_list->Refill();
        m_placement->Apply();
    }
    QDialog::showEvent(event);
}

void InventoryPicker::OnOk()
{
    if (m_list->SelectedCount() > 0) {
        const qint64 id = m_list->GetSelectedId();
        m_selectedId = id > 0 ? id : -1;
    }
    accept();
}

CSelectPartFromInv::CSelectPartFromInv(const XBaseSet &query, QWidget *parent)
    : CSelectPartFromInv(Rate(query, false), parent)
{
}

CSelectPartFromInv::CSelectPartFromInv(std::unique_ptr<CRateSystem> rating, QWidget *parent)
    : InventoryPicker(parent, "SelectPartFromInvDlg")
{
    setObjectName(QStringLiteral("CSelectPartFromInv"));
    SetList(new XInventoryListCtrl(nullptr, this, std::move(rating)));
}

InventorySelDlg::InventorySelDlg(const XBaseSet &carQuery, QWidget *parent)
    : InventorySelDlg(Rate(carQuery, true), parent)
{
}

InventorySelDlg::InventorySelDlg(std::unique_ptr<CRateSystem> rating, QWidget *parent)
    : InventoryPicker(parent, "SelFromInvDlg")
{
    setObjectName(QStringLiteral("InventorySelDlg"));
    SetList(new XInventoryCarsListCtrl(nullptr, this, std::move(rating)));
}
