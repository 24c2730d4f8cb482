#pragma once

// Panes of the main window as plain labels that record what they are asked.

#include "db/SqlDb.h"
#include "dialogs/PaneInterfaces.h"

#include <QLabel>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <map>
#include <stdexcept>

// Panes that are plain labels, made the way the factory is asked.
class RecordingPanes : public IPaneFactory
{
public:
    class List : public IRecordList
    {
    public:
        List(const QString &name, QWidget *parent) : m_widget(new QLabel(name, parent)) { m_widget->setObjectName(name); }
        ~List() override { delete m_widget; }
        QWidget *Widget() override { return m_widget; }
        void SetFolder(int nodeId) override { m_folder = nodeId; }
        int GetFolder() const override { return m_folder; }
        void SetFilter(const SqlExpr &) override {}
        void Reload() override {}
        int RowCount() const override { return 0; }
        bool CanDo(int) const override { return false; }
        int GetSelectedStatus() const override { return -1; }
        void SelectAll() override {}
        void SetDetailsBrowser(IBrowserPane *browser) override { details = browser; }
        IBrowserPane *details = nullptr;

    private:
        QPointer<QLabel> m_widget;
        int m_folder = 0;
    };
    class Browser : public IBrowserPane
    {
    public:
        Browser(RecordingPanes &owner, const QString &name, QWidget *parent)
            : m_owner(owner), m_widget(new QLabel(name, parent))
        {
            m_widget->setObjectName(name);
        }
        ~Browser() override { delete m_widget; }
        QWidget *Widget() override { return m_widget; }
        void Realize() override { m_owner.realized << m_widget->objectName(); }
        void Navigate(const QString &url) override
        {
            log << "Navigate|" + url;
            last = url;
        }
        void SetHtml(const QString &) override {}
        void Clear() override { log << "Clear"; }
        void SetTitleHandler(std::function<void(const QString &)> handler) override { titleLoaded = std::move(handler); }
        std::function<void(const QString &)> titleLoaded;
        QStringList log;
        QString last;

    private:
        RecordingPanes &m_owner;
        QPointer<QLabel> m_widget;
    };
    class Dashboard : public IDashboardPane
    {
    public:
        Dashboard(RecordingPanes &owner, QWidget *parent) : m_owner(owner), m_widget(new QLabel("Dashboard", parent))
        {
            m_widget->setObjectName("Dashboard");
        }
        ~Dashboard() override { delete m_widget; }
        QWidget *Widget() override { return m_widget; }
        void Realize() override { m_owner.realized << m_widget->objectName(); }
        void ShowDashboard(int mode) override
        {
            if (m_owner.dashboardFails)
                throw DbException(1, "Cannot read the counters", "SQLite", "disk I/O error");
            m_owner.log << QStringLiteral("ShowDashboard|%1").arg(mode);
        }
        void SetCounter(int node, int total, int second, bool bold) override
        {
            m_owner.log << QStringLiteral("SetCounter|%1|%2|%3|%4").arg(node).arg(total).arg(second).arg(bold);
        }

    private:
        RecordingPanes &m_owner;
        QPointer<QLabel> m_widget;
    };
    class Speciality : public ISpecialityPane
    {
    public:
        Speciality(RecordingPanes &owner, QWidget *parent) : m_owner(owner), m_widget(new QLabel("Speciality", parent))
        {
            m_widget->setObjectName("Speciality");
        }
        ~Speciality() override { delete m_widget; }
        QWidget *Widget() override { return m_widget; }
        void Realize() override { m_owner.realized << m_widget->objectName(); }
        void ShowSpeciality(int mode) override { shown << mode; }
        QList<int> shown;

    private:
        RecordingPanes &m_owner;
        QPointer<QLabel> m_widget;
    };

    std::unique_ptr<IRecordList> CreateRecordList(ListKind kind, QWidget *parent) override
    {
        if (listsFail)
            throw std::runtime_error("the lists could not be made");
        auto list = std::make_unique<List>(PlaceholderPaneFactory::ListName(kind), parent);
        lists[kind] = list.get();
        return list;
    }
    std::unique_ptr<IBrowserPane> CreateBrowser(BrowserKind kind, QWidget *parent) override
    {
        auto b = std::make_unique<Browser>(*this, kind == BrowserKind::Document ? "DocBrowser" : "DetBrowser", parent);
        (kind == BrowserKind::Document ? doc : det) = b.get();
        return b;
    }
    std::unique_ptr<IDashboardPane> CreateDashboard(QWidget *parent) override
    {
        return std::make_unique<Dashboard>(*this, parent);
    }
    std::unique_ptr<ISpecialityPane> CreateSpeciality(QWidget *parent) override
    {
        return std::make_unique<Speciality>(*this, parent);
    }

    bool listsFail = false;
    bool dashboardFails = false;
    std::map<ListKind, List *> lists;
    Browser *doc = nullptr;
    Browser *det = nullptr;
    QStringList log;
    // The panes told to make what they put off, in order.
    QStringList realized;
};
