#pragma once

// Makes the record lists built here and hands every other kind of pane to
// the factory below it (the browser panes, then the placeholders).

#include "dialogs/PaneInterfaces.h"

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
    std::unique_ptr<IDashboardPane> CreateDashboard(QWidget *parent) override
    {
        return m_fallback.CreateDashboard(parent);
    }
    std::unique_ptr<ISpecialityPane> CreateSpeciality(QWidget *parent) override
    {
        return m_fallback.CreateSpeciality(parent);
    }

private:
    IPaneFactory &m_fallback;
    IListHost *m_host;
};
