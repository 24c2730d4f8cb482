#include "CMainFrame.h"

#include "CChildView.h"
#include "CInfoPanelCtrl.h"
#include "CLogo.h"
#include "CProgStatusBar.h"
#include "CSizingControlBar.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"
#include "application/CClientApp.h"
#include "db/SqlDb.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/LayoutAdapters.h"
#include "sync/XPoller.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QStackedWidget>
#include <QThread>
#include <QToolBar>
#include <QUrl>

#include <stdexcept>

namespace {

// The two pictures of the top row, drawn here rather than shipped as files.
QPixmap LogoPicture(const QSize &size, const QString &text, const QColor &from, const QColor &to)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(QPointF(0.5, 0.5), QSizeF(size) - QSizeF(1, 1)), 6, 6);
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(size.height() / 3);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
    return pixmap;
}

template <class T>
T *Made(T *made, const char *what)
{
    if (!made)
        throw std::runtime_error(std::string("the pane factory made no ") + what);
    return made;
}

} // namespace

CMainFrame::CMainFrame(IPaneFactory &panes, QWidget *parent) : QMainWindow(parent), m_factory(panes)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Korvant"));
    m_layout.Load();
}

CMainFrame::~CMainFrame()
{
    // Panes go before the widgets that parent theirs.
    m_currentList = nullptr;
    m_lists.clear();
    m_dashboard.reset();
    m_speciality.reset();
    m_detBrowser.reset();
    m_docBrowser.reset();
}

void CMainFrame::Step(int number, const char *what)
{
    m_step = number;
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("OnCreate %1: %2").arg(number).arg(QLatin1String(what)),
                      QStringLiteral("CMainFrame"), 5);
}

void CMainFrame::Later(const char *what)
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("%1: not part of this version yet").arg(QLatin1String(what)),
                      QStringLiteral("CMainFrame"), 5);
}

void CMainFrame::OnMain(std::function<void()> fn)
{
    if (QThread::currentThread() == thread())
        fn();
    else
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool CMainFrame::OnCreate()
{
    try {
        Step(1, "tool bar and status bar");
        CreateBars();
        Step(2, "child view and info panel");
        CreateViews();
        Step(3, "Details bar and browsers");
        CreateBrowsers();
        Step(4, "record lists");
        CreateLists();
        Step(5, "navigator bar");
        CreateNavigator();

        Step(6, "ApplyProfileMarketMode");
        // A database failure here is the member's to see; the window still opens.
        try {
            ApplyProfileMarketMode();
        } catch (const DbException &e) {
            theApp().ShowMessageBox(QString::fromUtf8(e.what()), QStringLiteral("Error"), MsgBox::IconError);
        } catch (...) {
            theApp().ShowMessageBox(QStringLiteral("Unknown Error"), QStringLiteral("Error"), MsgBox::IconError);
        }

        Step(7, "docking");
        addDockWidget(Qt::LeftDockWidgetArea, m_navigatorBar);
        addDockWidget(Qt::BottomDockWidgetArea, m_detailsBar);

        Step(8, "filter bars");
        // The child view made the parts and cars bar slots; both start hidden
        // until a query list is shown.
        m_view->ShowFilterBar(CChildView::PartsFilter, false);
        m_view->ShowFilterBar(CChildView::CarsFilter, false);

        Step(9, "logos");
        CreateLogos();

        Step(10, "tray icon; navigator hidden");
        m_navigatorBar->hide();
        ConnectSignals();
    } catch (const std::exception &e) {
        m_creationError = QStringLiteral("creation step %1 failed: %2").arg(m_step).arg(QString::fromUtf8(e.what()));
    } catch (...) {
        m_creationError = QStringLiteral("creation step %1 failed: unknown error").arg(m_step);
    }
    if (m_creationError.isEmpty())
        return true;
    if (AppCore *app = theAppIfAny())
        app->WriteLog(m_creationError, QStringLiteral("CMainFrame"), 3);
    return false;
}

void CMainFrame::CreateBars()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("exit"));
    connect(exit, &QAction::triggered, this, &CMainFrame::OnAppExit);

    m_toolBar = addToolBar(QStringLiteral("Standard"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // The row also carries the logos, 53 pixels high.
    m_toolBar->setMinimumHeight(57);

    m_statusBar = new CProgStatusBar(this);
    setStatusBar(m_statusBar);
    m_statusBar->showMessage(QStringLiteral("Ready"));
}

void CMainFrame::CreateViews()
{
    m_view = new CChildView(this);
    setCentralWidget(m_view);
    m_view->InfoPanel()->SetContextSource([this] {
        CInfoPanelCtrl::Context c;
        c.section = GetPageSection();
        c.modeName = GetMarketModeName();
        c.nodeCaption = QStringLiteral("Home");
        return c;
    });
    m_view->ShowInfoPanel(true);
}

void CMainFrame::CreateBrowsers()
{
    m_detailsBar = new CSizingControlBarCF(QStringLiteral("Details"), this);
    m_detailsBar->setObjectName(QStringLiteral("DetailsBar"));
    QWidget *holder = m_view->Panes();
    m_docBrowser = m_factory.CreateBrowser(IPaneFactory::BrowserKind::Document, holder);
    m_view->AddPane(Made(m_docBrowser.get(), "document browser")->Widget());
    m_detBrowser = m_factory.CreateBrowser(IPaneFactory::BrowserKind::Details, m_detailsBar);
    m_detailsBar->setWidget(Made(m_detBrowser.get(), "details browser")->Widget());
    m_speciality = m_factory.CreateSpeciality(holder);
    m_view->AddPane(Made(m_speciality.get(), "speciality page")->Widget());
    m_dashboard = m_factory.CreateDashboard(holder);
    m_view->AddPane(Made(m_dashboard.get(), "dashboard")->Widget());
}

void CMainFrame::CreateLists()
{
    using K = IPaneFactory::ListKind;
    for (K kind : {K::PartQueries, K::CarQueries, K::PartInventory, K::CarInventory, K::Messages, K::HotDeals,
                   K::Orders}) {
        std::unique_ptr<IRecordList> list = m_factory.CreateRecordList(kind, m_view->Panes());
        m_view->AddPane(Made(list.get(), "record list")->Widget());
        // The inventory lists show no details.
        if (kind != K::PartInventory && kind != K::CarInventory)
            list->SetDetailsBrowser(m_detBrowser.get());
        m_lists[kind] = std::move(list);
    }
}

void CMainFrame::CreateNavigator()
{
    m_navigatorBar = new CSizingControlBarCF(QStringLiteral("Navigator"), this);
    m_navigatorBar->setObjectName(QStringLiteral("NavigatorBar"));
    m_trees = new QStackedWidget(m_navigatorBar);
    m_trees->setObjectName(QStringLiteral("NavigatorTrees"));
    for (const QString &name : {QStringLiteral("Parts navigator"), QStringLiteral("Cars navigator")}) {
        auto *label = new QLabel(PlaceholderPaneFactory::PlaceholderText(name), m_trees);
        label->setObjectName(name);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        label->setMargin(6);
        label->setTextFormat(Qt::PlainText);
        m_trees->addWidget(label);
    }
    m_navigatorBar->setWidget(m_trees);
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(m_navigatorBar->toggleViewAction());
    view->addAction(m_detailsBar->toggleViewAction());
}

void CMainFrame::CreateLogos()
{
    m_sponsorLogo = new CLogo(SponsorLogo, QStringLiteral("Visit our partners\nOur partners"), this);
    m_sponsorLogo->setObjectName(QStringLiteral("sponsorLogo"));
    m_sponsorLogo->setPixmap(LogoPicture(QSize(180, 53), QStringLiteral("Our Partners"),
                                         QColor(70, 110, 170), QColor(30, 60, 110)));
    m_makerLogo = new CLogo(MakerLogo, QStringLiteral("Visit the Korvant web site\nKorvant"), this);
    m_makerLogo->setObjectName(QStringLiteral("makerLogo"));
    m_makerLogo->setPixmap(LogoPicture(QSize(90, 53), QStringLiteral("Korvant"), QColor(238, 51, 17),
                                       QColor(160, 30, 10)));
    m_makerLogo->SetAnchorWindow(m_sponsorLogo);
    for (CLogo *logo : {m_sponsorLogo, m_makerLogo})
        connect(logo, &CLogo::logoClicked, this, &CMainFrame::OnLogoClick);
    for (QDockWidget *dock : {static_cast<QDockWidget *>(m_navigatorBar), static_cast<QDockWidget *>(m_detailsBar)}) {
        connect(dock, &QDockWidget::visibilityChanged, this, &CMainFrame::RepositionLogos, Qt::QueuedConnection);
        connect(dock, &QDockWidget::dockLocationChanged, this, &CMainFrame::RepositionLogos, Qt::QueuedConnection);
        connect(dock, &QDockWidget::topLevelChanged, this, &CMainFrame::RepositionLogos, Qt::QueuedConnection);
        // A floating bar can be dragged over the logos.
        dock->installEventFilter(this);
    }
    RepositionLogos();
}

void CMainFrame::RepositionLogos()
{
    // The banner first: the maker's logo is placed beside it.
    if (m_sponsorLogo)
        m_sponsorLogo->Reposition();
    if (m_makerLogo)
        m_makerLogo->Reposition();
}

void CMainFrame::ConnectSignals()
{
    AppSignals &sig = theApp().Signals();
    connect(&sig, &AppSignals::PoolNotify, this, [this] { Later("OnPollNotify"); });
    connect(&sig, &AppSignals::PoolNotifyOpt, this, [this] { NotYetAvailable(QStringLiteral("The Options")); });
    connect(&sig, &AppSignals::ImportNotify, this, [this] {
        ActivateMainWindow();
        if (GetMarketMode() != Korvant::MarketParts)
            SetMarketMode(Korvant::MarketParts);
        ShowPane(PanePartInventory);
    });
    connect(&sig, &AppSignals::SetDashboardCounter, this, [this](int nodeId, int total, int second) {
        if (m_dashboard)
            m_dashboard->SetCounter(nodeId, total, second, false);
    });
    connect(m_view->InfoPanel(), &CInfoPanelCtrl::contactUs, this, &CMainFrame::ContactUs);
    connect(m_view->InfoPanel(), &CInfoPanelCtrl::noticeClicked, this, &CMainFrame::ShowNewInfo);
}

void CMainFrame::OnLogoClick(int id)
{
    if (id == MakerLogo)
        GuiUtils::OpenNewBrowserWindow(QLatin1String(Korvant::MakerWebSite));
    else if (id == SponsorLogo)
        GuiUtils::OpenNewBrowserWindow(QLatin1String(SponsorWebSite));
}

void CMainFrame::NotYetAvailable(const QString &what)
{
    theApp().ShowMessageBox(what + QStringLiteral(" is not yet available in this version of Korvant."),
                            QStringLiteral("Korvant"), MsgBox::IconInformation);
}

void CMainFrame::ContactUs()
{
    NotYetAvailable(QStringLiteral("The message form"));
}

void CMainFrame::ShowNewInfo()
{
    NotYetAvailable(QStringLiteral("The new information list"));
}

CInfoPanelCtrl *CMainFrame::InfoPanel() const
{
    return m_view ? m_view->InfoPanel() : nullptr;
}

CLogo *CMainFrame::Logo(int id) const
{
    return id == MakerLogo ? m_makerLogo : id == SponsorLogo ? m_sponsorLogo : nullptr;
}

// --- panes ---------------------------------------------------------------------------------

IRecordList *CMainFrame::List(IPaneFactory::ListKind kind) const
{
    auto it = m_lists.find(kind);
    return it == m_lists.end() ? nullptr : it->second.get();
}

IRecordList *CMainFrame::GetListForNode(int nodeId) const
{
    switch (nodeId) {
    case 20002:
    case 20004:
    case 20101:
    case 20102:
    case 20104:
        return List(IPaneFactory::ListKind::PartQueries);
    case NodeMyCatalog:
        return List(IPaneFactory::ListKind::PartInventory);
    default:
        return nullptr;
    }
}

void CMainFrame::ShowPane(int kind)
{
    using K = IPaneFactory::ListKind;
    m_paneKind = kind;
    if (m_view) {
        m_view->ShowFilterBar(CChildView::PartsFilter, false);
        m_view->ShowFilterBar(CChildView::CarsFilter, false);
    }
    struct Row
    {
        IPane *pane;
        int listType;
        IRecordList *list;
        bool details;
    };
    Row row{};
    switch (kind) {
    case PaneDocument: row = {m_docBrowser.get(), ListNone, nullptr, false}; break;
    case PanePartQueries: row = {List(K::PartQueries), ListPartQueries, List(K::PartQueries), true}; break;
    case PanePartInventory: row = {List(K::PartInventory), ListPartInventory, List(K::PartInventory), false}; break;
    case PaneSpeciality: row = {m_speciality.get(), ListNone, nullptr, false}; break;
    case PaneMessages: row = {List(K::Messages), ListMessages, List(K::Messages), true}; break;
    case PaneHotDeals: row = {List(K::HotDeals), ListHotDeals, List(K::HotDeals), true}; break;
    case PaneCarQueries: row = {List(K::CarQueries), ListCarQueries, List(K::CarQueries), true}; break;
    case PaneCarInventory: row = {List(K::CarInventory), ListCarInventory, List(K::CarInventory), false}; break;
    case PaneOrders: row = {List(K::Orders), ListOrders, List(K::Orders), true}; break;
    case PaneDashboard: row = {m_dashboard.get(), ListNone, nullptr, false}; break;
    default: return;
    }
    if (!row.pane)
        return;
    m_view->ShowPaneWidget(row.pane->Widget());
    m_activeList.store(row.listType);
    m_currentList = row.list;
    if (kind == PanePartQueries)
        row.pane->Widget()->setFocus();
    if (m_detBrowser)
        m_detBrowser->Clear();
    if (m_detailsBar)
        m_detailsBar->setVisible(row.details);
    emit paneShown(kind);
}

void CMainFrame::SetMarketMode(int mode)
{
    m_marketMode.store(mode);
    if (mode == Korvant::MarketParts)
        m_newButtonText = QStringLiteral("Buy a Part");
    else if (mode == Korvant::MarketCars)
        m_newButtonText = QStringLiteral("Buy a Car");
    if (m_trees && (mode == Korvant::MarketParts || mode == Korvant::MarketCars))
        m_trees->setCurrentIndex(mode);
}

void CMainFrame::ApplyProfileMarketMode()
{
    // The switch always runs in full: start from the other market.
    const bool cars = theSettings().GetInt(Setting::DefaultMarket) != 0;
    SetMarketMode(cars ? Korvant::MarketParts : Korvant::MarketCars);
    SetMarketMode(cars ? Korvant::MarketCars : Korvant::MarketParts);
    ShowHome();
}

void CMainFrame::ShowHome()
{
    const int mode = GetMarketMode();
    if (mode < 0)
        return;
    m_pageSection.store(0);
    {
        QMutexLocker lock(&m_mutex);
        m_pageTitle = QStringLiteral("Home");
    }
    ShowPane(PaneDashboard);
    m_dashboard->ShowDashboard(mode);
    if (CClientApp *app = theClientAppIfAny())
        app->UpdateWindowTitle();
    if (m_view)
        m_view->InfoPanel()->update();
}

// --- window ---------------------------------------------------------------------------------

void CMainFrame::ActivateMainWindow()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CMainFrame::OnAppExit()
{
    if (m_exiting)
        return;
    m_exiting = true;
    AppCore *app = theAppIfAny();
    const auto log = [app](const char *text) {
        if (app)
            app->WriteLog(QLatin1String(text), QStringLiteral("CMainFrame"), 5);
    };
    log("OnAppExit: store placement");
    LayoutAdapters::StorePlacement(m_layout, this);
    m_layout.Save();
    if (app)
        app->SetMainWindowFlag(false);
    log("OnAppExit: thePoller.Exit");
    if (XPoller *poller = thePollerIfAny())
        poller->Exit();
    log("OnAppExit: [OK]");
    QCoreApplication::quit();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    OnAppExit();
    event->accept();
}

void CMainFrame::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    RepositionLogos();
}

void CMainFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_placementApplied) {
        m_placementApplied = true;
        LayoutAdapters::RestorePlacement(m_layout, this);
    }
    RepositionLogos();
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        QMetaObject::invokeMethod(this, &CMainFrame::RepositionLogos, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- IMainFrame -----------------------------------------------------------------------------

QString CMainFrame::GetMarketModeName() const
{
    return GetMarketMode() == Korvant::MarketParts ? QStringLiteral("Parts") : QStringLiteral("Cars");
}

QString CMainFrame::GetPageTitle() const
{
    QMutexLocker lock(&m_mutex);
    return m_pageTitle;
}

void CMainFrame::SetWindowTitle(const QString &title)
{
    OnMain([this, title] { setWindowTitle(title); });
}

void CMainFrame::UpdateTrayIcon()
{
    Later("UpdateTrayIcon");
}

void CMainFrame::SetStatusText(const QString &text)
{
    OnMain([this, text] {
        if (m_statusBar)
            m_statusBar->showMessage(text);
    });
}

void CMainFrame::UpdatePartsCounters()
{
    Later("UpdatePartsCounters");
}

void CMainFrame::UpdateCarsCounters()
{
    Later("UpdateCarsCounters");
}

void CMainFrame::StartVerSheduler(int)
{
    Later("StartVerSheduler");
}

void CMainFrame::StartDataSyncSheduler(int)
{
    Later("StartDataSyncSheduler");
}

void CMainFrame::StartCompactDBSheduler(int)
{
    Later("StartCompactDBSheduler");
}

void CMainFrame::ShowHowItWorks()
{
    OnMain([this] {
        ShowPane(PaneDocument);
        if (m_docBrowser)
            m_docBrowser->Navigate(QUrl::fromLocalFile(theApp().GetDocFolder() + QStringLiteral("how.html")).toString());
    });
}

void CMainFrame::ApplyRoleToNavigator()
{
    Later("ApplyRoleToNavigator");
}

void CMainFrame::UpdateRoleMenus()
{
    Later("UpdateRoleMenus");
}

void CMainFrame::NewRecord()
{
    Later("NewRecord");
}

void CMainFrame::SelectNavigatorItem(int)
{
    Later("SelectNavigatorItem");
}

void CMainFrame::PostExit()
{
    QMetaObject::invokeMethod(this, &CMainFrame::OnAppExit, Qt::QueuedConnection);
}

void CMainFrame::SetNewCounts(const NewCounts &counts)
{
    QMutexLocker lock(&m_mutex);
    m_counts = counts;
}

NewCounts CMainFrame::GetNewCounts() const
{
    QMutexLocker lock(&m_mutex);
    return m_counts;
}

void CMainFrame::RefreshListAfterRequest()
{
    Later("RefreshListAfterRequest");
}

void CMainFrame::RefreshSellerQueries()
{
    Later("RefreshSellerQueries");
}

void CMainFrame::RefreshSellerCarQueries()
{
    Later("RefreshSellerCarQueries");
}

void CMainFrame::ProgressStart(const QString &text, int range)
{
    const int upper = range > 0 ? range : 100;
    {
        QMutexLocker lock(&m_progressMutex);
        m_progressRange = upper;
        m_progressPos = 0;
        m_progressPercent = 0;
    }
    OnMain([this, text, upper] {
        m_statusBar->BeginProgress(text);
        m_statusBar->SetRange(0, upper);
    });
}

void CMainFrame::ProgressStep()
{
    int pos = 0;
    bool changed = false;
    {
        QMutexLocker lock(&m_progressMutex);
        if (m_progressPos < m_progressRange)
            ++m_progressPos;
        pos = m_progressPos;
        const int percent = int(qint64(pos) * 100 / m_progressRange);
        changed = percent != m_progressPercent;
        m_progressPercent = percent;
    }
    // Only whole-percent changes cross to the window.
    if (changed)
        OnMain([this, pos] { m_statusBar->SetProgressPos(pos); });
}

void CMainFrame::ProgressEnd()
{
    OnMain([this] { m_statusBar->EndProgress(); });
}

void CMainFrame::SetItemCounter(int, int, int, bool)
{
    Later("SetItemCounter");
}

void CMainFrame::SetItemBold(int, bool)
{
    Later("SetItemBold");
}

void CMainFrame::ShowTrayMessage(const QString &, int)
{
    Later("ShowTrayMessage");
}
