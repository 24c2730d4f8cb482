#pragma once

// Makes the record lists, the dashboard and the speciality page built here
// and hands every other kind of pane to the factory below it (the browser
// panes, then the placeholders).

#include "dialogs/PaneInterfaces.h"

#include <QPointer>

class DashboardBrowser;
class SpecialityBrowser;

class IListHost;

class ViewsPaneFactory : public IPaneFactory
{
public:
    ViewsPaneFactory(IPaneFactory &fallback, IListHost *host = nullptr) : m_fallback(fallback), m_host(host) {}
    // The window the lists ask (the main frame, once it exists).
    void SetListHost(IListHost *host) { m_host = host; }

    std::unique_ptr<IRecordList> CreateRecordList(ListKind kind, QWidget *parent) override;
    std::unique_ptr<IBrowserPane> CreateBrowser(BrowserKind kind, QWidget *parent) override
    {
        return m_fallback.CreateBrowser(kind, parent);
    }
    // The last dashboard and speciality page made also follow the profile's
    // filters (IRecordViews::BuildSpecialityFilterXml, from any thread).
    std::unique_ptr<IDashboardPane> CreateDashboard(QWidget *parent) override;
    std::unique_ptr<ISpecialityPane> CreateSpeciality(QWidget *parent) override;

private:
    void HookSpecialities();

    IPaneFactory &m_fallback;
    IListHost *m_host;
    QPointer<DashboardBrowser> m_dashboard;
    QPointer<SpecialityBrowser> m_speciality;
};
