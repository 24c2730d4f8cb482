#include "CWebBrowser2.h"

#include "AppUrl.h"
#include "WebHost.h"

#include "app/AppCore.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMenu>
#include <QQuickWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include <utility>

namespace {

constexpr char kCaption[] = "Korvant";

bool OverrideFlag()
{
    const AppCore *app = theAppIfAny();
    return app && app->OverrideFlag();
}

int ShowBox(const QString &text, unsigned flags)
{
    AppCore *app = theAppIfAny();
    return app ? app->ShowMessageBox(text, QString::fromLatin1(kCaption), flags) : int(MsgBox::IdCancel);
}

} // namespace

QString JsString(const QString &text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

// --- BrowserPage ------------------------------------------------------------------

BrowserPage::BrowserPage(QWebEngineProfile *profile, CWebBrowser2 *owner) : QWebEnginePage(profile, owner), m_owner(owner)
{
}

bool BrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A redirect into "app:" is never the page's own command. The command runs
    // once this callback has returned: a window it opens runs its own loop, and
    // while the engine waits here no page (the window's own included) loads.
    if (AppUrl::ParseAppUrl(url.toString(QUrl::FullyEncoded), nullptr, nullptr)) {
        const bool mainFrame = isMainFrame && type != NavigationTypeRedirect;
        QTimer::singleShot(0, m_owner, [owner = m_owner, url, mainFrame] {
            owner->HandleAppNavigation(url, QByteArray(), mainFrame);
        });
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == QLatin1String(AppCommands::kOwnScheme)
        || url.toString() == u"about:blank")
        return true;
    // Local files only when the program itself opens them (a saved page).
    return scheme == u"file" && type == NavigationTypeTyped && isMainFrame;
}

void BrowserPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    ShowBox(msg, MsgBox::IconInformation);
    m_owner->Redraw();
}

bool BrowserPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    const int answer = ShowBox(msg, MsgBox::IconQuestion | MsgBox::OkCancel);
    m_owner->Redraw();
    return answer == MsgBox::IdOk;
}

QWebEnginePage *BrowserPage::createWindow(WebWindowType)
{
    // No pop-up windows: a new window's page is never shown.
    return nullptr;
}

// --- BrowserBridge ------------------------------------------------------------------

BrowserBridge::BrowserBridge(CWebBrowser2 *owner) : QObject(owner), m_owner(owner) {}

void BrowserBridge::post(const QString &action, const QString &body)
{
    // The script runs in main frames only. Later, as for links: the engine
    // waits on this call.
    QTimer::singleShot(0, m_owner, [owner = m_owner, url = QUrl(action.trimmed()), data = body.toUtf8()] {
        owner->HandleAppNavigation(url, data, true);
    });
}

// --- BrowserView ------------------------------------------------------------------

BrowserView::BrowserView(QWidget *parent) : QWebEngineView(parent)
{
    setAcceptDrops(false);
}

void BrowserView::contextMenuEvent(QContextMenuEvent *event)
{
    const QWebEngineContextMenuRequest *request = lastContextMenuRequest();
    if ((request && request->isContentEditable()) || OverrideFlag()) {
        QMenu *menu = createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }
    event->accept();
}

bool BrowserView::IsWindowKey(const QKeyEvent *key)
{
    const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (key->key() == Qt::Key_F5)
        return true;
    return mods == Qt::ControlModifier && (key->key() == Qt::Key_N || key->key() == Qt::Key_P);
}

bool BrowserView::event(QEvent *event)
{
    // The render widget arrives as a child; its keys pass the filter below.
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
        if (QObject *child = static_cast<QChildEvent *>(event)->child(); child && child->isWidgetType())
            child->installEventFilter(this);
    }
    // Left unaccepted, the window's own shortcut for the key (F5 polls) still
    // fires; the browser's refresh, new window and print never see it.
    if (event->type() == QEvent::ShortcutOverride && IsWindowKey(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return true;
    }
    return QWebEngineView::event(event);
}

bool BrowserView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (IsWindowKey(static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (IsWindowKey(static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        event->ignore();
        return true;
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

// --- CWebBrowser2 ------------------------------------------------------------------

CWebBrowser2::CWebBrowser2(QWidget *parent, const QString &name, ViewCreation creation) : m_name(name)
{
    if (creation == ViewCreation::Now) {
        MakeView(parent);
        return;
    }
    m_holder = new QWidget(parent);
    if (!name.isEmpty())
        m_holder->setObjectName(name);
    auto *layout = new QVBoxLayout(m_holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The view draws through OpenGL, and its window must be made for that
    // from the start: a shown window that gains such a child is made anew
    // (it flickers and loses the keyboard focus). A hidden texture widget
    // tells the window now; it goes when the view comes.
    m_textureMark = new QQuickWidget(m_holder);
    m_textureMark->hide();
}

void CWebBrowser2::MakeView(QWidget *parent)
{
    m_made = true;
    WebHost *host = WebHost::Instance();
    m_view = new BrowserView(parent);
    if (!m_name.isEmpty())
        m_view->setObjectName(m_name);
    m_page = new BrowserPage(host ? host->Profile() : QWebEngineProfile::defaultProfile(), this);
    m_page->setParent(m_view);
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    m_page->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    auto *channel = new QWebChannel(m_page);
    channel->registerObject(QStringLiteral("korvant"), new BrowserBridge(this));
    m_page->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
    if (host && !host->PostScript().isEmpty()) {
        QWebEngineScript script;
        script.setName(QStringLiteral("korvant-posts"));
        script.setSourceCode(host->PostScript());
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setRunsOnSubFrames(false);
        m_page->scripts().insert(script);
    }
    // The page before the view shows: a view shown without one makes a page
    // of the default profile.
    m_view->setPage(m_page);
    QObject::connect(m_page, &QWebEnginePage::loadFinished, this, &CWebBrowser2::OnLoadFinished);
    if (m_holder) {
        m_holder->layout()->addWidget(m_view);
        m_holder->setFocusProxy(m_view);
        delete m_textureMark.data();
    }
    for (const auto &setup : std::exchange(m_pageSetups, {}))
        setup(m_page);
    if (const std::function<void()> show = std::exchange(m_waiting, {}))
        show();
}

CWebBrowser2::~CWebBrowser2()
{
    if (WebHost *host = WebHost::Instance())
        host->RemovePage(m_shownPage);
    delete m_view.data();
    delete m_holder.data();
}

QWidget *CWebBrowser2::Widget()
{
    return m_holder ? m_holder.data() : m_view.data();
}

void CWebBrowser2::Realize()
{
    if (!m_made)
        MakeView(m_holder);
}

QWebEngineView *CWebBrowser2::View() const
{
    const_cast<CWebBrowser2 *>(this)->Realize();
    return m_view;
}

QWebEnginePage *CWebBrowser2::Page() const
{
    const_cast<CWebBrowser2 *>(this)->Realize();
    return m_page;
}

void CWebBrowser2::WhenPageMade(std::function<void(QWebEnginePage *)> setup)
{
    if (m_made) {
        if (m_page)
            setup(m_page);
        return;
    }
    m_pageSetups.push_back(std::move(setup));
}

bool CWebBrowser2::ShowLater(std::function<void()> show)
{
    if (m_made)
        return false;
    m_waiting = std::move(show);
    return true;
}

void CWebBrowser2::Navigate(const QString &url)
{
    if (ShowLater([this, url] { Navigate(url); }))
        return;
    if (m_view)
        m_view->load(QUrl::fromUserInput(url));
}

void CWebBrowser2::Clear()
{
    ShowHtml(QString());
}

void CWebBrowser2::Print(QPrinter *printer)
{
    if (QWebEngineView *view = printer ? View() : nullptr)
        view->print(printer);
}

void CWebBrowser2::ShowHtml(const QString &html)
{
    if (m_made && !m_view)
        return;
    m_focusBack = QApplication::focusWidget();
    m_html = html;
    if (!ShowLater([this] { LoadHtml(); }))
        LoadHtml();
}

void CWebBrowser2::LoadHtml()
{
    if (!m_view)
        return;
    WebHost *host = WebHost::Instance();
    if (!host) {
        m_view->setHtml(m_html);
        return;
    }
    const QUrl previous = m_shownPage;
    m_shownPage = host->AddPage(m_html.toUtf8());
    m_view->load(m_shownPage);
    host->RemovePage(previous);
}

void CWebBrowser2::OnLoadFinished(bool)
{
    if (m_focusBack && m_view && m_view->window() && m_view->window()->isActiveWindow()
        && QApplication::focusWidget() != m_focusBack)
        m_focusBack->setFocus();
    m_focusBack = nullptr;
    // A page without a title of its own has none: the engine would give its
    // address, which is no title for a member.
    QString title = m_page->title();
    if (title == m_page->url().toString() || title == m_page->url().toDisplayString())
        title.clear();
    emit titleReady(title);
    if (m_titleHandler)
        m_titleHandler(title);
}

void CWebBrowser2::FocusElement(const QString &id)
{
    QWebEngineView *view = View();
    if (!view)
        return;
    view->setFocus();
    RunScript(QStringLiteral("(function(){var e=document.getElementById(%1);if(e&&e.focus)e.focus();})()").arg(JsString(id)));
}

void CWebBrowser2::RunScript(const QString &script, const std::function<void(const QVariant &)> &callback)
{
    QWebEnginePage *page = Page();
    if (!page)
        return;
    if (callback)
        page->runJavaScript(script, QWebEngineScript::ApplicationWorld, callback);
    else
        page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

void CWebBrowser2::Redraw()
{
    if (m_view)
        m_view->update();
}

void CWebBrowser2::StopAndNavigate(const QString &url)
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
    Navigate(url);
}

void CWebBrowser2::FillQuoteInputs(const QString &price, const QString &shipping, const QString &notes,
                                   int conditionIndex)
{
    RunScript(QStringLiteral("(function(v){"
                             "['price','shipping','notes'].forEach(function(id){"
                             "var e=document.getElementById(id);if(e)e.value=v[id];});"
                             "var c=document.getElementById('cond');if(c)c.selectedIndex=v.cond;"
                             "})({price:%1,shipping:%2,notes:%3,cond:%4})")
                  .arg(JsString(price), JsString(shipping), JsString(notes))
                  .arg(conditionIndex));
}

void CWebBrowser2::AcceptOwnerDialog()
{
    if (auto *dialog = Widget() ? qobject_cast<QDialog *>(Widget()->window()) : nullptr)
        dialog->accept();
}

void CWebBrowser2::RejectOwnerDialog()
{
    if (auto *dialog = Widget() ? qobject_cast<QDialog *>(Widget()->window()) : nullptr)
        dialog->reject();
}

IOrderPage *CWebBrowser2::OwnerOrderPage()
{
    return Widget() ? dynamic_cast<IOrderPage *>(Widget()->window()) : nullptr;
}

bool CWebBrowser2::HandleAppNavigation(const QUrl &url, const QByteArray &body, bool mainFrame)
{
    const AppCommands::Navigation navigation{url.toString(QUrl::FullyEncoded), body, m_page ? m_page->url() : QUrl(),
                                             mainFrame};
    return AppCommands::Handle(navigation, *this,
                               [this](const QString &command, const AppParams &params) {
                                   return RunAppCommand(command, params);
                               });
}

bool CWebBrowser2::RunAppCommand(const QString &command, const AppParams &params)
{
    WebHost *host = WebHost::Instance();
    IFrameCommands *frame = host ? host->FrameCommands() : nullptr;
    return frame && AppCommands::Run(command, params, *frame, *this);
}

// --- BrowserPaneFactory ------------------------------------------------------------------

std::unique_ptr<IBrowserPane> BrowserPaneFactory::CreateBrowser(BrowserKind kind, QWidget *parent)
{
    // The main window's panes: their views are made once it is on screen.
    return std::make_unique<CWebBrowser2>(
        parent, kind == BrowserKind::Document ? QStringLiteral("DocBrowser") : QStringLiteral("DetBrowser"),
        CWebBrowser2::ViewCreation::Later);
}
