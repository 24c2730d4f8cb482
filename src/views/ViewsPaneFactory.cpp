#include "ViewsPaneFactory.h"

#include "DashboardBrowser.h"
#include "ListRegistry.h"
#include "SpecialityBrowser.h"
#include "XHotDealListCtrl.h"
#include "XInventoryListCtrl.h"
#include "XMessageListCtrl.h"
#include "XOrderListCtrl.h"
#include "XQueryListCtrl.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

// The pane owns its list widget: a list destroyed with its parent first is
// not deleted twice.
template<class List>
class ListPane : public IRecordList
{
public:
    ListPane(IListHost *host, QWidget *parent) : m_list(new List(host, parent)) {}
    ~ListPane() override { delete m_list.data(); }
    QWidget *Widget() override { return m_list; }
    void SetFolder(int nodeId) override { if (m_list) m_list->SetFolder(nodeId); }
    int GetFolder() const override { return m_list ? m_list->GetFolder() : 0; }
    void SetFilter(const SqlExpr &filter) override { if (m_list) m_list->SetFilter(filter); }
    void Reload() override { if (m_list) m_list->Reload(); }
    int RowCount() const override { return m_list ? m_list->RowCount() : 0; }
    bool CanDo(int operation) const override { return m_list && m_list->CanDo(operation); }
    int GetSelectedStatus() const override { return m_list ? m_list->GetSelectedStatus() : -1; }
    void SelectAll() override { if (m_list) m_list->SelectAll(); }
    void SetDetailsBrowser(IBrowserPane *browser) override { if (m_list) m_list->SetDetailsBrowser(browser); }

private:
    QPointer<List> m_list;
};

} // namespace

std::unique_ptr<IRecordList> ViewsPaneFactory::CreateRecordList(ListKind kind, QWidget *parent)
{
    switch (kind) {
    case ListKind::PartInventory: return std::make_unique<ListPane<XInventoryListCtrl>>(m_host, parent);
    case ListKind::CarInventory: return std::make_unique<ListPane<XInventoryCarsListCtrl>>(m_host, parent);
    case ListKind::HotDeals: return std::make_unique<ListPane<XHotDealListCtrl>>(m_host, parent);
    case ListKind::Orders: return std::make_unique<ListPane<XOrderListCtrl>>(m_host, parent);
    case ListKind::PartQueries: return std::make_unique<ListPane<XQueryListCtrl>>(m_host, parent);
    case ListKind::CarQueries: return std::make_unique<ListPane<XQueryCarsListCtrl>>(m_host, parent);
    case ListKind::Messages: return std::make_unique<ListPane<XMessageListCtrl>>(m_host, parent);
    default: return m_fallback.CreateRecordList(kind, parent);
    }
}

std::unique_ptr<IDashboardPane> ViewsPaneFactory::CreateDashboard(QWidget *parent)
{
    // The main window's panes: their views are made once it is on screen.
    auto pane = std::make_unique<DashboardBrowser>(parent, CWebBrowser2::ViewCreation::Later);
    m_dashboard = pane.get();
    HookSpecialities();
    return pane;
}

std::unique_ptr<ISpecialityPane> ViewsPaneFactory::CreateSpeciality(QWidget *parent)
{
    auto pane = std::make_unique<SpecialityBrowser>(parent, CWebBrowser2::ViewCreation::Later);
    m_speciality = pane.get();
    HookSpecialities();
    return pane;
}

void ViewsPaneFactory::HookSpecialities()
{
    ListRegistry::Instance().SetSpecialityFilterHook([dashboard = m_dashboard, speciality = m_speciality] {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        // The profile is read on worker threads; the pages change on the main one.
        QMetaObject::invokeMethod(
            app,
            [dashboard, speciality] {
                if (speciality)
                    speciality->Refresh();
                if (dashboard)
                    dashboard->UpdateSpecialities();
            },
            Qt::QueuedConnection);
    });
}
