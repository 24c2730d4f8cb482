#pragma once

#include "AppCommands.h"

#include "dialogs/PaneInterfaces.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <vector>

class CWebBrowser2;
class QPrinter;

// The page of a browser pane: commands instead of "app:" navigations, our
// boxes for alert and confirm, and only the schemes the program uses.
class BrowserPage : public QWebEnginePage
{
    Q_OBJECT
public:
    BrowserPage(QWebEngineProfile *profile, CWebBrowser2 *owner);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    CWebBrowser2 *m_owner;
};

// The receiver of form posts the page script catches ("app:" actions).
class BrowserBridge : public QObject
{
    Q_OBJECT
public:
    explicit BrowserBridge(CWebBrowser2 *owner);
public slots:
    void post(const QString &action, const QString &body);

private:
    CWebBrowser2 *m_owner;
};

// The view: no context menu outside editable text, no drops, inert browser keys.
class QKeyEvent;

class BrowserView : public QWebEngineView
{
    Q_OBJECT
public:
    explicit BrowserView(QWidget *parent);
    // Keys the window keeps (F5 polls, Ctrl+N, Ctrl+P): never the page's
    // refresh, new window or print.
    static bool IsWindowKey(const QKeyEvent *key);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
};

// Every HTML view of the program: our rendered pages (ShowHtml), the server's
// pages and the help pages, with "app:" commands from trusted pages only.
// The pane owns its view.
//
// A view made later starts as an empty holder widget: its web view and page
// (and with the first of them the web engine) are made by Realize or by the
// first call that needs them (View, Page, scripts, printing, focus). Until
// then the last content asked for (a page, an address) waits and is loaded
// when the view is made.
class CWebBrowser2 : public QObject, public IBrowserPane, public IPageHost
{
    Q_OBJECT
public:
    enum class ViewCreation { Now, Later };

    explicit CWebBrowser2(QWidget *parent, const QString &name = QString(), ViewCreation creation = ViewCreation::Now);
    ~CWebBrowser2() override;

    // IBrowserPane: the holder of a view made later, else the view.
    QWidget *Widget() override;
    void Realize() override;
    bool ViewMade() const { return m_made; }
    void Navigate(const QString &url) override;
    void SetHtml(const QString &html) override { ShowHtml(html); }
    void Clear() override;
    void Print(QPrinter *printer) override;
    void SetTitleHandler(std::function<void(const QString &)> handler) override { m_titleHandler = std::move(handler); }

    // Shows rendered HTML under a fresh address of our scheme (any size), and
    // gives the keyboard focus back to where it was.
    void ShowHtml(const QString &html);
    QString Html() const { return m_html; }
    // Both made on demand.
    QWebEngineView *View() const;
    QWebEnginePage *Page() const;

    // Gives the keyboard focus to the browser, then to the page's element with the id.
    void FocusElement(const QString &id);
    // DOM access: runs a script in the page, the result to the callback.
    void RunScript(const QString &script, const std::function<void(const QVariant &)> &callback = {});

    // IPageHost
    void Redraw() override;
    void StopAndNavigate(const QString &url) override;
    void FillQuoteInputs(const QString &price, const QString &shipping, const QString &notes,
                         int conditionIndex) override;
    void NotifyGetContact() override { emit getContact(); }
    void AcceptOwnerDialog() override;
    void RejectOwnerDialog() override;
    IOrderPage *OwnerOrderPage() override;

    // A command navigation or post from the page; true when it was an "app:" address.
    bool HandleAppNavigation(const QUrl &url, const QByteArray &body, bool mainFrame);

signals:
    // The form owning the browser: contact data of the selected record arrived.
    void getContact();
    // The page's title after each load.
    void titleReady(const QString &title);

protected:
    // The command table of this browser; false for commands it does not know.
    virtual bool RunAppCommand(const QString &command, const AppParams &params);
    // Runs `setup` on the page now when it is made, else once it is, before
    // the waiting content loads.
    void WhenPageMade(std::function<void(QWebEnginePage *)> setup);
    // Before the view is made: keeps `show` to run once it is, in place of
    // what waited, and returns true. False when the view is made.
    bool ShowLater(std::function<void()> show);

private:
    void MakeView(QWidget *parent);
    void LoadHtml();
    void OnLoadFinished(bool ok);

    QPointer<QWidget> m_holder;
    QPointer<QWidget> m_textureMark;
    bool m_made = false;
    QString m_name;
    std::vector<std::function<void(QWebEnginePage *)>> m_pageSetups;
    std::function<void()> m_waiting;
    QPointer<BrowserView> m_view;
    QPointer<BrowserPage> m_page;
    QString m_html;
    QUrl m_shownPage;
    QPointer<QWidget> m_focusBack;
    std::function<void(const QString &)> m_titleHandler;
};

// Makes real browsers and hands every other kind of pane to the factory behind it.
class BrowserPaneFactory : public IPaneFactory
{
public:
    explicit BrowserPaneFactory(IPaneFactory &fallback) : m_fallback(fallback) {}

    std::unique_ptr<IRecordList> CreateRecordList(ListKind kind, QWidget *parent) override
    {
        return m_fallback.CreateRecordList(kind, parent);
    }
    std::unique_ptr<IBrowserPane> CreateBrowser(BrowserKind kind, QWidget *parent) override;
    std::unique_ptr<IDashboardPane> CreateDashboard(QWidget *parent) override { return m_fallback.CreateDashboard(parent); }
    std::unique_ptr<ISpecialityPane> CreateSpeciality(QWidget *parent) override
    {
        return m_fallback.CreateSpeciality(parent);
    }

private:
    IPaneFactory &m_fallback;
};

// A text as a JavaScript string literal (JSON), for values handed to page scripts.
QString JsString(const QString &text);
