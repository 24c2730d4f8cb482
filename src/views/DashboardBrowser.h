#pragma once

// Each market's home page: counters of the navigator's pages, a search form
// whose models follow the make, the member's specialities and links into the
// program, rendered by "dashboard.xsl" from a small document built here.

#include "browser/CWebBrowser2.h"
#include "net/XmlUtil.h"

#include <QHash>

struct ProfileData;

class DashboardBrowser : public CWebBrowser2, public IDashboardPane
{
    Q_OBJECT
public:
    // One entry of a list of the search form.
    struct Item
    {
        QString text;
        QString value;
    };
    struct Lists
    {
        QList<Item> categories, makes, prices;
    };

    explicit DashboardBrowser(QWidget *parent, ViewCreation creation = ViewCreation::Now);

    QWidget *Widget() override { return CWebBrowser2::Widget(); }
    void Realize() override { CWebBrowser2::Realize(); }
    void ShowDashboard(int marketMode) override;
    // Kept and shown now when the page is up; every load shows the kept values.
    void SetCounter(int nodeId, int total, int second, bool bold) override;
    // The speciality lines of the page shown, from the profile as it is now.
    void UpdateSpecialities();

    // The make chosen on the page: its models into the "model" list.
    void OnMakeChanged(const QString &makeId);

    // The page's counter of a navigator node; 0 for a node without one.
    static int CounterNumber(int nodeId);
    // The current year as the year lists need it: never before 2005.
    static int ListYear();
    // The makes, categories and prices of the mode's metadata, in their order.
    static Lists MetadataLists(int marketMode);
    // The sorted model names of a make of the mode's metadata.
    static QStringList ModelsOfMake(int marketMode, const QString &makeId);
    // "dashboard-parts" or "dashboard-cars" with its "filter" element.
    static XmlDoc BuildXml(int marketMode, int year, const Lists &lists, const ProfileData &profile);
    // A speciality line: "Any", up to five values, or five and a "more" link;
    // the values are HTML-escaped.
    static QString SpecialityText(const QStringList &values);
    // The mode's table, then the shared one; false when neither knows the
    // command. refresh re-renders the page after the specialty dialog's OK.
    static bool RunCommand(int marketMode, const QString &command, const AppParams &params, IFrameCommands &frame,
                           const std::function<void()> &refresh);

protected:
    bool RunAppCommand(const QString &command, const AppParams &params) override;

private:
    void ApplyCounters();
    QString CounterScript() const;

    struct Counter
    {
        int total = 0;
        int second = 0;
        bool bold = false;
    };
    QHash<int, Counter> m_counters;  // by counter number
    int m_mode = -1;
};

// What the page's script reaches over the web channel.
class DashboardBridge : public QObject
{
    Q_OBJECT
public:
    explicit DashboardBridge(DashboardBrowser *owner) : QObject(owner), m_owner(owner) {}
public slots:
    void makeChanged(const QString &makeId) { m_owner->OnMakeChanged(makeId); }

private:
    DashboardBrowser *m_owner;
};
