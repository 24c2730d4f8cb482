#pragma once

// The panes of the main window's client view and the factory that makes them.
// The lists, browsers and pages live in libraries above the frame's helpers
// (browser, views); the frame holds them through these interfaces and main()
// installs the factory that builds the real ones. Until a kind is built, the
// placeholder factory answers with a pane that says so on screen.

#include "db/XBaseSet.h"

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

// The code of the list the main window shows; commands read it to know what
// they act on.
enum ActiveListType : int {
    ListNone = 0,
    ListPartQueries = 1,
    ListCarQueries = 2,
    ListPartInventory = 3,
    ListCarInventory = 4,
    ListMessages = 6,
    ListHotDeals = 7,
    ListOrders = 8,
};

// theActiveListType: set by the main window when it shows a pane, by a list
// that gains the focus and by the search results. Main thread only.
int GetActiveListType();
void SetActiveListType(int type);

// Every pane: one widget owned by the pane object.
class IPane
{
public:
    virtual ~IPane() = default;
    virtual QWidget *Widget() = 0;
    // Makes now what the pane put off when it was made (a web pane's view);
    // the main window calls it once it is on screen.
    virtual void Realize() {}
};

// A web pane: our own pages, the server's and the help pages.
class IBrowserPane : public IPane
{
public:
    virtual void Navigate(const QString &url) = 0;
    virtual void SetHtml(const QString &html) = 0;
    // An empty page.
    virtual void Clear() = 0;
    // Prints the page shown.
    virtual void Print(QPrinter *printer) { (void)printer; }
    // Told the page's title after each load (the info panel).
    virtual void SetTitleHandler(std::function<void(const QString &title)> handler) { (void)handler; }
};

// One record list of the main window over a table of the local database.
class IRecordList : public IPane
{
public:
    // The navigator node whose records the list shows.
    virtual void SetFolder(int nodeId) = 0;
    virtual int GetFolder() const = 0;
    // The list's own filter (the filter bars); applied at the next Reload.
    virtual void SetFilter(const SqlExpr &filter) = 0;
    // Reads the rows again, keeping the selection where the rows still exist.
    virtual void Reload() = 0;
    virtual int RowCount() const = 0;
    // Whether an operation (the list's own codes) is allowed on the selection.
    virtual bool CanDo(int operation) const = 0;
    // STATUS_CODE of the selected record, -1 without a selection.
    virtual int GetSelectedStatus() const = 0;
    virtual void SelectAll() = 0;
    // Where the selected record's details are shown; not owned, may be null.
    virtual void SetDetailsBrowser(IBrowserPane *browser) = 0;
};

// Each market's home page with its counters.
class IDashboardPane : public IPane
{
public:
    virtual void ShowDashboard(int marketMode) = 0;
    virtual void SetCounter(int nodeId, int total, int second, bool bold) = 0;
};

// The member's specialities.
class ISpecialityPane : public IPane
{
public:
    virtual void ShowSpeciality(int marketMode) = 0;
};

class IPaneFactory
{
public:
    enum class ListKind { PartQueries, CarQueries, PartInventory, CarInventory, Messages, HotDeals, Orders };
    enum class BrowserKind { Document, Details };

    virtual ~IPaneFactory() = default;
    virtual std::unique_ptr<IRecordList> CreateRecordList(ListKind kind, QWidget *parent) = 0;
    virtual std::unique_ptr<IBrowserPane> CreateBrowser(BrowserKind kind, QWidget *parent) = 0;
    virtual std::unique_ptr<IDashboardPane> CreateDashboard(QWidget *parent) = 0;
    virtual std::unique_ptr<ISpecialityPane> CreateSpeciality(QWidget *parent) = 0;
};

// Panes of kinds not built yet: a label naming the pane and saying so.
class PlaceholderPaneFactory : public IPaneFactory
{
public:
    static QString PlaceholderText(const QString &paneName);
    static QString ListName(ListKind kind);

    std::unique_ptr<IRecordList> CreateRecordList(ListKind kind, QWidget *parent) override;
    std::unique_ptr<IBrowserPane> CreateBrowser(BrowserKind kind, QWidget *parent) override;
    std::unique_ptr<IDashboardPane> CreateDashboard(QWidget *parent) override;
    std::unique_ptr<ISpecialityPane> CreateSpeciality(QWidget *parent) override;
};
