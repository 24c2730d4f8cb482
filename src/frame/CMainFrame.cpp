#include "CMainFrame.h"

#include "CChildView.h"
#include "CInfoPanelCtrl.h"
#include "CLogo.h"
#include "CNavigatorTree.h"
#include "CProgStatusBar.h"
#include "CSizingControlBar.h"
#include "CTrayIcon.h"
#include "CTrayPopupWnd.h"
#include "FrameShutdown.h"
#include "FrameTimers.h"
#include "NewInfoModel.h"
#include "NodeCounters.h"
#include "RefreshPlanner.h"
#include "FrameTables.h"
#include "IFrameDialogs.h"
#include "VMContextChanger.h"

#include "app/AppCore.h"
#include "browser/AppCommands.h"
#include "app/Constants.h"
#include "app/TasksDispatcher.h"
#include "app/WaitCursor.h"
#include "app/XSettings.h"
#include "application/CClientApp.h"
#include "db/KVDatabase.h"
#include "db/SqlDb.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/LayoutAdapters.h"
#include "import/KVInvImport.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "sync/XPoller.h"
#include "views/XBaseListCtrl.h"
#include "views/XHotDealListCtrl.h"
#include "views/XInventoryListCtrl.h"
#include "views/XOrderListCtrl.h"
#include "views/QueryListRules.h"
#include "views/XQueryListCtrl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLinearGradient>
#include <QKeySequence>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <iterator>
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

// Help pages are served by the web panes' own scheme, so their links work as ours.
QString LocalPageUrl(const QString &file)
{
    return QStringLiteral("%1://doc/%2").arg(QLatin1String(AppCommands::kOwnScheme), file);
}

template <class T>
T *Made(T *made, const char *what)
{
    if (!made)
        throw std::runtime_error(std::string("the pane factory made no ") + what);
    return made;
}

} // namespace

CMainFrame::CMainFrame(IPaneFactory &panes, IFrameDialogs *dialogs, QWidget *parent)
    : QMainWindow(parent),
      m_factory(panes),
      m_ownDialogs(dialogs ? nullptr : std::make_unique<PlaceholderFrameDialogs>()),
      m_dialogs(dialogs ? dialogs : m_ownDialogs.get())
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Korvant"));
    m_layout.Load();
}

CMainFrame::~CMainFrame()
{
    // The bars outlive this part of the object while QWidget closes them.
    for (QDockWidget *dock : findChildren<QDockWidget *>()) {
        QObject::disconnect(dock, nullptr, this, nullptr);
        dock->removeEventFilter(this);
    }
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
        m_bars = InstallFilterBars(*m_view, List(IPaneFactory::ListKind::PartQueries),
                                   List(IPaneFactory::ListKind::CarQueries));

        Step(9, "logos");
        CreateLogos();

        Step(10, "tray icon; navigator hidden");
        m_tray = std::make_unique<CTrayIcon>();
        HideToTray(false);
        connect(m_tray.get(), &CTrayIcon::activateRequested, this, [this] {
            m_trayFlag = false;
            ActivateMainWindow();
        });
        if (QAction *sync = m_tray->Action(CTrayIcon::Synchronize))
            connect(sync, &QAction::triggered, this, [this] { RunCommand(FrameTables::CmdSynchronize); });
        if (QAction *exit = m_tray->Action(CTrayIcon::Exit))
            connect(exit, &QAction::triggered, this, &CMainFrame::OnAppExit);
        if (auto *database = Globals::As<KVDatabase>(GlobalSlot::Database))
            m_counters = std::make_unique<NodeCounters>(database);
        m_newInfo = std::make_unique<NewInfoModel>([this](int node, int mode) {
            CNavigatorTree *tree = mode == Korvant::MarketCars ? m_carsTree
                                   : mode == Korvant::MarketParts ? m_partsTree
                                                                  : m_currentTree;
            NewInfoModel::NodeInfo info;
            if (tree && tree->Model().HasEntry(node)) {
                const NavigatorModel::NodeInfo n = tree->Model().GetNodeInfo(node);
                info.caption = n.caption;
                info.newCount = n.fresh;
            }
            return info;
        });
        m_timers = std::make_unique<FrameTimers>(FrameTimers::Callbacks::FromApplication(), this);
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
    CreateMenus();
    m_toolBar = addToolBar(QStringLiteral("Standard"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // The row also carries the market buttons and the logos, 53 pixels high.
    m_toolBar->setMinimumHeight(57);

    m_statusBar = new CProgStatusBar(this);
    setStatusBar(m_statusBar);
    m_statusBar->showMessage(QStringLiteral("Ready"));
}

void CMainFrame::CreateMenus()
{
    using FrameTables::MenuItem;
    const auto makeAction = [this](int id, const QString &text) {
        QAction *&action = m_actions[id];
        if (!action) {
            action = new QAction(this);
            action->setObjectName(QStringLiteral("cmd%1").arg(id));
            connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        }
        const int tab = text.indexOf(QLatin1Char('\t'));
        action->setText(tab < 0 ? text : text.left(tab).trimmed() + QLatin1Char('\t') + text.mid(tab + 1).trimmed());
        return action;
    };
    std::function<void(QMenu *, const QList<MenuItem> &)> fill = [&](QMenu *menu, const QList<MenuItem> &items) {
        for (const MenuItem &item : items) {
            if (item.id == 0)
                menu->addSeparator();
            else if (item.id < 0)
                fill(menu->addMenu(QString::fromUtf8(item.text)), item.items);
            else
                menu->addAction(makeAction(item.id, QString::fromUtf8(item.text)));
        }
    };
    for (const MenuItem &top : FrameTables::MainMenu()) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(top.text));
        menu->setObjectName(QString::fromUtf8(top.text).remove(QLatin1Char('&')));
        fill(menu, top.items);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        if (top.id < 0 && QByteArray(top.text) == "&Action")
            m_actionMenu = menu;
        if (QByteArray(top.text) == "&Sell")
            m_sellMenu = menu;
        if (QByteArray(top.text) == "&Buy")
            m_buyMenu = menu;
    }
    for (int id : {int(FrameTables::CmdNavigator), int(FrameTables::CmdDetailsBar), int(FrameTables::CmdSearchBar)})
        m_actions[id]->setCheckable(true);
    for (int id : {FrameTables::CmdStatusNew, FrameTables::CmdStatusRead, FrameTables::CmdStatusReplied,
                   FrameTables::CmdStatusAutoReplied, FrameTables::CmdStatusCompleted})
        m_actions[id]->setCheckable(true);
    // The keys act through their own shortcuts so that Ctrl+A and the menu's
    // Select All stay two commands.
    for (const FrameTables::Accelerator &key : FrameTables::Accelerators()) {
        auto *shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key.key)), this);
        const int id = key.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] {
            UpdateCommandStates();
            if (QAction *action = Action(id); action && !action->isEnabled())
                return;
            RunCommand(id);
        });
    }
    for (int id : {int(FrameTables::CmdHome), int(FrameTables::CmdBack), int(FrameTables::CmdSelectAllKey),
                   int(FrameTables::CmdActivate), int(FrameTables::CmdNewHotDeal), int(FrameTables::CmdSendMessage),
                   int(FrameTables::CmdNewCarCatalogRecord)})
        makeAction(id, QString());
    m_actions[FrameTables::CmdBack]->setText(QStringLiteral("Back"));
}

void CMainFrame::CreateViews()
{
    m_view = new CChildView(this);
    setCentralWidget(m_view);
    m_view->InfoPanel()->SetContextSource([this] {
        CInfoPanelCtrl::Context c;
        c.section = GetPageSection();
        c.modeName = GetMarketModeName();
        if (m_currentTree)
            c.nodeCaption = m_currentTree->Model().GetNodeInfo(m_currentTree->CurrentNode()).caption;
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
    // A loaded page's title joins the breadcrumb while its browser is in view.
    m_docBrowser->SetTitleHandler([this](const QString &title) {
        if (m_view->ShownPane() == m_docBrowser->Widget())
            ShowPageTitle(title);
    });
    m_detBrowser->SetTitleHandler([this](const QString &title) {
        if (m_detailsBar->isVisible())
            ShowPageTitle(title);
    });
    m_speciality = m_factory.CreateSpeciality(holder);
    m_view->AddPane(Made(m_speciality.get(), "speciality page")->Widget());
    m_dashboard = m_factory.CreateDashboard(holder);
    m_view->AddPane(Made(m_dashboard.get(), "dashboard")->Widget());
}

void CMainFrame::ShowPageTitle(const QString &title)
{
    m_view->InfoPanel()->SetTitle(title);
    m_view->ShowInfoPanel(true, 1);
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
    m_partsTree = new CNavigatorTree(Korvant::MarketParts, m_trees);
    m_carsTree = new CNavigatorTree(Korvant::MarketCars, m_trees);
    m_trees->addWidget(m_partsTree);
    m_trees->addWidget(m_carsTree);
    for (CNavigatorTree *tree : {m_partsTree, m_carsTree}) {
        connect(tree, &CNavigatorTree::nodeSelected, this, [this, tree](int id) {
            if (tree == m_currentTree)
                OnNavigatorSelect(id);
        });
    }
    m_navigatorBar->setWidget(m_trees);
    m_hasTrees.store(true);
}

void CMainFrame::CreateLogos()
{
    m_changer = new VMContextChanger(m_toolBar);
    m_toolBar->insertWidget(m_toolBar->actions().value(0), m_changer);
    m_changer->Press(GetMarketMode());
    connect(m_changer, &VMContextChanger::marketClicked, this, &CMainFrame::OnCtxButton);

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
    connect(&sig, &AppSignals::PoolNotify, this, &CMainFrame::OnPollNotify);
    connect(&sig, &AppSignals::PoolNotifyOpt, this, [this] { m_dialogs->OptionsPropSheet(4); });
    connect(&sig, &AppSignals::ImportNotify, this, [this] {
        ActivateMainWindow();
        if (GetMarketMode() != Korvant::MarketParts)
            SwitchToParts();
        if (m_currentTree->CurrentNode() == NodePartsCatalog)
            OnNavigatorSelect(NodePartsCatalog);
        else
            m_currentTree->SelectItemById(NodePartsCatalog);
    });
    for (QDockWidget *dock : {static_cast<QDockWidget *>(m_navigatorBar), static_cast<QDockWidget *>(m_detailsBar)})
        connect(dock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&sig, &AppSignals::SetDashboardCounter, this, [this](int nodeId, int total, int second) {
        if (m_dashboard)
            m_dashboard->SetCounter(nodeId, total, second, false);
    });
    connect(m_view->InfoPanel(), &CInfoPanelCtrl::contactUs, this, [this] { RunCommand(FrameTables::CmdContactUs); });
    connect(m_view->InfoPanel(), &CInfoPanelCtrl::noticeClicked, this, &CMainFrame::ShowNewInfo);
}

void CMainFrame::OnLogoClick(int id)
{
    if (id == MakerLogo)
        GuiUtils::OpenNewBrowserWindow(QLatin1String(Korvant::MakerWebSite));
    else if (id == SponsorLogo)
        GuiUtils::OpenNewBrowserWindow(QLatin1String(SponsorWebSite));
}

void CMainFrame::ContactUs()
{
    MessageAddress operatorDesk;
    operatorDesk.recipientId = QStringLiteral("00000001");
    operatorDesk.recipientName = QStringLiteral("Korvant, LLC");
    m_dialogs->NewMessageDlg(operatorDesk);
}

void CMainFrame::ShowNewInfo()
{
    m_dialogs->NewInfoDlg();
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
    m_detailsWanted = row.details;
    if (m_detailsBar) {
        m_detailsBar->setVisible(row.details);
        if (row.details)
            SizeDetailsBar();
    }
    emit paneShown(kind);
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
    if (m_timers)
        m_timers->Stop();
    FrameShutdown::Steps steps = FrameShutdown::Steps::FromApplication();
    steps.storePlacement = [this] { StoreLayout(); };
    steps.closeFrame = [this] {
        CTrayPopupWnd::CloseAll();
        if (m_tray)
            m_tray->Remove();
        QCoreApplication::quit();
    };
    m_exit = std::make_unique<FrameShutdown>(std::move(steps));
    m_exit->Run();
}

void CMainFrame::HideToTray(bool flag)
{
    const bool added = m_tray && m_tray->Add(windowTitle());
    if (added || flag)
        hide();
    if (flag)
        m_trayFlag = true;
}

void CMainFrame::OnClose()
{
    CloseRules::Ops ops;
    ops.notice = [](int *flag) {
        return theApp().ShowMessageDlg(QString(), QLatin1String(CloseRules::NoticeText), flag, 0,
                                       MsgBox::IconResInformation);
    };
    ops.storePlacement = [this] { StoreLayout(); };
    ops.hideToTray = [this] { HideToTray(true); };
    ops.minimise = [this] { showMinimized(); };
    CloseRules::Run(theSettings(), m_tray && m_tray->IsShown(), ops);
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    // Closing keeps the program running; File > Exit ends it.
    event->ignore();
    OnClose();
}

void CMainFrame::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    RepositionLogos();
}

void CMainFrame::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    m_minimizedOrHidden.store(true);
}

void CMainFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        std::fill(std::begin(m_rowIcons), std::end(m_rowIcons), QIcon());
    if (event->type() == QEvent::WindowStateChange)
        m_minimizedOrHidden.store(isMinimized() || !isVisible());
}

void CMainFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The panes' web views wait for the window's first expose.
    if (!m_panesRealized && windowHandle())
        windowHandle()->installEventFilter(this);
    m_minimizedOrHidden.store(isMinimized());
    if (!m_placementApplied) {
        m_placementApplied = true;
        ApplyLayout();
    }
    RepositionLogos();
}

void CMainFrame::StoreLayout()
{
    LayoutAdapters::StorePlacement(m_layout, this);
    m_layout.StoreState(saveState());
    m_layout.Save();
}

void CMainFrame::ApplyLayout()
{
    if (!LayoutAdapters::RestorePlacement(m_layout, this) && !testAttribute(Qt::WA_Resized)) {
        // The first start: most of the screen, centred.
        if (const QScreen *screen = this->screen()) {
            const QRect room = screen->availableGeometry();
            const QSize size(room.width() * 17 / 20, room.height() * 17 / 20);
            resize(size);
            move(room.center() - QPoint(size.width() / 2, size.height() / 2));
        }
    }
    // The navigator as the member left it; on the first start it stays hidden
    // (View > Navigator), Home's links lead to every page.
    const QByteArray state = m_layout.State();
    if (!state.isEmpty())
        restoreState(state);
    // The page decides whether the Details bar shows, whatever was stored.
    m_detailsBar->setVisible(m_detailsWanted);
    SizeDetailsBar();
}

void CMainFrame::SizeDetailsBar()
{
    // Shown for the first time, or stored while folded away: room for a record's page.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const int wanted = qMax(160, height() / 2);
            if (m_detailsBar && m_detailsBar->isVisible() && m_detailsBar->height() < wanted / 2)
                resizeDocks({m_detailsBar}, {wanted}, Qt::Vertical);
        },
        Qt::QueuedConnection);
}

void CMainFrame::RealizePanes()
{
    // The page on screen first.
    for (IPane *pane : {static_cast<IPane *>(m_dashboard.get()), static_cast<IPane *>(m_docBrowser.get()),
                        static_cast<IPane *>(m_detBrowser.get()), static_cast<IPane *>(m_speciality.get())}) {
        if (pane)
            pane->Realize();
    }
}

bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (QWindow *window = windowHandle(); window && watched == window) {
        // Once the window is painted, the engine starts.
        if (event->type() == QEvent::Expose && window->isExposed() && !m_panesRealized) {
            m_panesRealized = true;
            window->removeEventFilter(this);
            QTimer::singleShot(0, this, &CMainFrame::RealizePanes);
        }
        return false;
    }
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

void CMainFrame::SetStatusText(const QString &text)
{
    OnMain([this, text] {
        if (m_statusBar)
            m_statusBar->showMessage(text);
    });
}

void CMainFrame::ShowHowItWorks()
{
    OnMain([this] {
        ShowPane(PaneDocument);
        if (m_docBrowser)
            m_docBrowser->Navigate(LocalPageUrl(QStringLiteral("how.html")));
    });
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


// --- market mode ------------------------------------------------------------------------------

void CMainFrame::SetMarketMode(int mode)
{
    m_marketMode.store(mode);
    if (mode == Korvant::MarketParts) {
        m_currentTree = m_partsTree;
        m_newButtonText = QStringLiteral("Buy a Part");
    } else if (mode == Korvant::MarketCars) {
        m_currentTree = m_carsTree;
        m_newButtonText = QStringLiteral("Buy a Car");
    }
    SetupToolBar();
    if (m_currentTree && (mode == Korvant::MarketParts || mode == Korvant::MarketCars)) {
        m_trees->setCurrentWidget(m_currentTree);
        const ProfileData profile = Globals::As<XProfile>(GlobalSlot::Profile) ? theProfile().Get() : ProfileData{};
        m_currentTree->RebuildTree(mode == Korvant::MarketCars ? profile.carRole : profile.role);
        // The tree shown is counted afresh: it may be new, or stale since the
        // other market was shown.
        m_countersDirty.store(true);
    }
}

void CMainFrame::SetupToolBar()
{
    if (!m_toolBar)
        return;
    for (QAction *action : m_toolBar->actions()) {
        if (action->property("toolCommand").isValid()) {
            m_toolBar->removeAction(action);
            // Until it is deleted, a lookup by name must find its successor.
            action->setObjectName(QString());
            action->deleteLater();
        }
    }
    const int mode = GetMarketMode();
    const QStyle::StandardPixmap icons[] = {QStyle::SP_ArrowBack, QStyle::SP_FileIcon, QStyle::SP_FileDialogContentsView,
                                            QStyle::SP_TrashIcon, QStyle::SP_BrowserReload};
    int i = 0;
    for (const FrameTables::ToolButton &button : FrameTables::ToolBar(mode, m_newButtonText)) {
        auto *separator = new QAction(m_toolBar);
        separator->setSeparator(true);
        separator->setProperty("toolCommand", 0);
        if (i > 0)
            m_toolBar->addAction(separator);
        else
            delete separator;
        auto *action = new QAction(style()->standardIcon(icons[i]), QString::fromUtf8(button.text), m_toolBar);
        action->setProperty("toolCommand", button.id);
        action->setObjectName(QStringLiteral("tool%1").arg(button.id));
        const int id = button.id;
        connect(action, &QAction::triggered, this, [this, id] {
            UpdateCommandStates();
            if (QAction *a = Action(id); a && !a->isEnabled())
                return;
            RunCommand(id);
        });
        m_toolBar->addAction(action);
        ++i;
    }
}

void CMainFrame::SwitchToCars()
{
    if (GetMarketMode() == Korvant::MarketCars)
        return;
    SetMarketMode(Korvant::MarketCars);
    ShowHome();
    if (m_changer)
        m_changer->Press(Korvant::MarketCars);
}

void CMainFrame::SwitchToParts()
{
    if (GetMarketMode() == Korvant::MarketParts)
        return;
    SetMarketMode(Korvant::MarketParts);
    ShowHome();
    if (m_changer)
        m_changer->Press(Korvant::MarketParts);
}

void CMainFrame::OnCtxButton(int mode)
{
    // A click on the current market's button returns to Home.
    if (mode == GetMarketMode())
        ShowHome();
    else if (mode == Korvant::MarketCars)
        SwitchToCars();
    else
        SwitchToParts();
}

void CMainFrame::ApplyProfileMarketMode()
{
    // The switch always runs in full: start from the other market.
    if (theSettings().GetInt(Setting::DefaultMarket) != 0) {
        m_marketMode.store(Korvant::MarketParts);
        SwitchToCars();
    } else {
        m_marketMode.store(Korvant::MarketCars);
        SwitchToParts();
    }
}

void CMainFrame::ShowHome()
{
    const int mode = GetMarketMode();
    if (mode < 0 || !m_currentTree)
        return;
    m_history.clear();
    const int home = FrameTables::HomeNode(mode);
    if (m_currentTree->CurrentNode() == home || m_currentTree->currentItem() == m_currentTree->FindItemById(home))
        OnNavigatorSelect(home);
    else
        m_currentTree->SelectItemById(home);
    if (CClientApp *app = theClientAppIfAny())
        app->UpdateWindowTitle();
}

// --- navigator -------------------------------------------------------------------------------

void CMainFrame::SetSubscribeRequest(const QString &marketId, int kind, bool asBuyer)
{
    m_subscribe = {marketId, kind, asBuyer};
}

QString CMainFrame::ServerPageUrl(const QString &page, const QString &parameter) const
{
    const QString server = theSettings().GetString(Setting::ServerURL);
    return QStringLiteral("%1/%2/%3/%4").arg(server, page, theApp().GetSession().SessionId(), parameter);
}

void CMainFrame::ShowListOnNode(int pane, int node)
{
    using K = IPaneFactory::ListKind;
    static const std::map<int, K> kinds = {{PanePartQueries, K::PartQueries}, {PaneCarQueries, K::CarQueries},
                                           {PanePartInventory, K::PartInventory}, {PaneCarInventory, K::CarInventory},
                                           {PaneMessages, K::Messages}, {PaneHotDeals, K::HotDeals},
                                           {PaneOrders, K::Orders}};
    auto it = kinds.find(pane);
    if (it == kinds.end())
        return;
    if (IRecordList *list = List(it->second)) {
        list->SetFolder(node);
        list->Reload();
    }
    ShowPane(pane);
}

void CMainFrame::OnNavigatorSelect(int nodeId)
{
    if (m_reselecting)
        return;
    using FrameTables::PageKind;
    FrameTables::PageRow page = FrameTables::Page(nodeId);
    const int previous = m_currentTree ? m_currentTree->CurrentNode() : -1;

    if (page.loginFirst && !theApp().EnsureLoggedIn()) {
        // The page needs a session the member did not open: back to where he was.
        m_reselecting = true;
        if (m_currentTree && previous >= 0)
            m_currentTree->SelectItemById(previous);
        m_reselecting = false;
        return;
    }
    if (nodeId == NodePartsCatalog && Globals::As<TasksDispatcher>(GlobalSlot::TasksDispatcher) &&
        theTasksDispatcher().IsTaskRunning(Korvant::TaskImport)) {
        page.kind = PageKind::Local;
        page.content = "catalog_stub.html";
    }

    const int mode = GetMarketMode();
    switch (page.kind) {
    case PageKind::Dashboard:
        ShowPane(PaneDashboard);
        m_dashboard->ShowDashboard(mode);
        break;
    case PageKind::Local:
        ShowPane(PaneDocument);
        m_docBrowser->Navigate(
            LocalPageUrl(QString::fromUtf8(page.content)));
        break;
    case PageKind::ServerAddress:
        ShowPane(PaneDocument);
        m_docBrowser->Navigate(FrameTables::ServerAddressUrl(page.content, theSettings().GetString(Setting::ServerURL),
                                                             theApp().GetSession().SessionId()));
        break;
    case PageKind::ServerPage: {
        QString parameter = QString::fromUtf8(page.fixedParam);
        if (page.param == FrameTables::Param::Marketplace) {
            if (m_subscribe.kind == 1)
                parameter = QStringLiteral("subsc_market?market_id=%1").arg(m_subscribe.marketId);
            else if (m_subscribe.kind == 2)
                parameter = QStringLiteral("subsc_market?Function=payTrialMarketPlace&market_id=%1")
                                .arg(m_subscribe.marketId) +
                            (m_subscribe.asBuyer ? QStringLiteral("&role_buyer=1") : QString());
        }
        if (page.clearsNewMarkets && Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces))
            theMarketPlaces().ResetNewFlag(mode);
        ShowPane(PaneDocument);
        m_docBrowser->Navigate(ServerPageUrl(QString::fromUtf8(page.content), parameter));
        break;
    }
    case PageKind::List:
        ShowListOnNode(page.pane, nodeId);
        if (page.filterBar && m_searchBar && m_view) {
            const bool cars = page.pane == PaneCarQueries;
            RefillFilterBar(cars ? Korvant::MarketCars : Korvant::MarketParts);
            if (CRestrictionBar *bar = cars ? static_cast<CRestrictionBar *>(m_bars.cars) : m_bars.parts)
                bar->ApplyFilter(true);
            m_view->ShowFilterBar(cars ? CChildView::CarsFilter : CChildView::PartsFilter, true);
        }
        break;
    case PageKind::Speciality:
        ShowPane(PaneSpeciality);
        m_speciality->ShowSpeciality(mode);
        break;
    case PageKind::Nothing:
        break;
    }
    if (page.section >= 0)
        m_pageSection.store(page.section);
    if (page.title) {
        QMutexLocker lock(&m_mutex);
        m_pageTitle = QString::fromUtf8(page.title);
    }
    if (page.newRecordButton)
        m_newButtonText = QStringLiteral("New Record");
    else
        m_newButtonText = mode == Korvant::MarketCars ? QStringLiteral("Buy a Car") : QStringLiteral("Buy a Part");
    if (QAction *newButton = m_toolBar ? m_toolBar->findChild<QAction *>(QStringLiteral("tool32820")) : nullptr)
        newButton->setText(m_newButtonText);

    if (m_currentTree)
        m_currentTree->SetCurrentNode(nodeId);
    if (m_historyFlag)
        m_history.append(nodeId);
    m_view->ShowInfoPanel(true);
    m_view->InfoPanel()->update();
    if (CClientApp *app = theClientAppIfAny())
        app->UpdateWindowTitle();
    UpdateCommandStates();
}

void CMainFrame::ReloadNavigator()
{
    const ProfileData profile = Globals::As<XProfile>(GlobalSlot::Profile) ? theProfile().Get() : ProfileData{};
    CNavigatorTree *other = m_currentTree == m_partsTree ? m_carsTree : m_partsTree;
    const bool cars = m_currentTree == m_carsTree;
    if (m_currentTree)
        m_currentTree->ForceRebuild(cars ? profile.carRole : profile.role);
    if (other)
        other->ResetBuilt();
    // A rebuilt tree has no counters until they are set again.
    if (m_counters && !m_exiting) {
        const int mode = cars ? Korvant::MarketCars : Korvant::MarketParts;
        for (const NodeCounter &c : m_counters->ReloadNavigatorCounters(mode, cars ? profile.carRole : profile.role))
            ApplyCounter(c);
    }
}

void CMainFrame::ApplyRoleToNavigator()
{
    OnMain([this] {
        if (!theApp().GetSession().IsLoggedIn() || !m_currentTree)
            return;
        const ProfileData profile = Globals::As<XProfile>(GlobalSlot::Profile) ? theProfile().Get() : ProfileData{};
        const QString role = GetMarketMode() == Korvant::MarketCars ? profile.carRole : profile.role;
        if (role == QLatin1String("Seller"))
            m_currentTree->RemoveGroup(GetMarketMode() == Korvant::MarketCars ? NodeCarsBuy : NodeBuy);
        else if (role == QLatin1String("Buyer"))
            m_partsTree->RemoveGroup(NodeSell);
    });
}

void CMainFrame::UpdateRoleMenus()
{
    OnMain([this] {
        if (!m_sellMenu || !m_buyMenu)
            return;
        const QString role = Globals::As<XProfile>(GlobalSlot::Profile) ? theProfile().Get().role : QString();
        QMenuBar *bar = menuBar();
        const auto present = [bar](QMenu *menu) { return bar->actions().contains(menu->menuAction()); };
        // "&Sell" goes where "&Buy" is (or before "&Tools"); "&Buy" right after "&Sell".
        const auto insertSell = [&] {
            if (present(m_sellMenu))
                return;
            QAction *before = present(m_buyMenu) ? m_buyMenu->menuAction() : TopMenu(QStringLiteral("Tools"))->menuAction();
            bar->insertAction(before, m_sellMenu->menuAction());
        };
        const auto insertBuy = [&] {
            if (present(m_buyMenu))
                return;
            const QList<QAction *> actions = bar->actions();
            const int sell = actions.indexOf(m_sellMenu->menuAction());
            QAction *before = sell >= 0 ? actions.value(sell + 1) : TopMenu(QStringLiteral("Tools"))->menuAction();
            bar->insertAction(before, m_buyMenu->menuAction());
        };
        if (role == QLatin1String("Seller")) {
            insertSell();
            bar->removeAction(m_buyMenu->menuAction());
        } else if (role == QLatin1String("Buyer")) {
            insertBuy();
            bar->removeAction(m_sellMenu->menuAction());
        } else {
            insertSell();
            insertBuy();
        }
    });
}

void CMainFrame::SelectNavigatorItem(int nodeId)
{
    OnMain([this, nodeId] {
        if (m_currentTree)
            m_currentTree->SelectItemById(nodeId);
    });
}

void CMainFrame::SetItemCounter(int nodeId, int total, int second, bool bold)
{
    OnMain([this, nodeId, total, second, bold] {
        if (m_currentTree)
            m_currentTree->SetItemCounter(nodeId, total, second, bold);
        // The dashboard hears of every counter, in the tree or not.
        if (m_dashboard)
            m_dashboard->SetCounter(nodeId, total, second, bold);
        if (m_view)
            m_view->InfoPanel()->update();
    });
}

void CMainFrame::SetItemBold(int nodeId, bool bold)
{
    OnMain([this, nodeId, bold] {
        if (m_currentTree)
            m_currentTree->SetItemBold(nodeId, bold);
    });
}

// --- commands --------------------------------------------------------------------------------

QAction *CMainFrame::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu *CMainFrame::TopMenu(const QString &title) const
{
    return menuBar()->findChild<QMenu *>(title, Qt::FindDirectChildrenOnly);
}

CommandState CMainFrame::CurrentCommandState() const
{
    CommandState s;
    s.hasList = m_currentList != nullptr;
    s.listType = GetActiveListType();
    if (m_currentList) {
        for (int code : CommandRules::ActionCodes) {
            if (m_currentList->CanDo(code))
                s.actions.insert(code);
        }
        s.selectedStatus = m_currentList->GetSelectedStatus();
        s.rows = m_currentList->RowCount();
    }
    s.node = m_currentTree ? m_currentTree->CurrentNode() : -1;
    s.historyLength = int(m_history.size());
    s.mode = GetMarketMode();
    s.loggedIn = theAppIfAny() && theApp().GetSession().IsLoggedIn();
    s.importRunning = Globals::As<TasksDispatcher>(GlobalSlot::TasksDispatcher) && theTasksDispatcher().IsTaskRunning(Korvant::TaskImport);
    s.navigatorVisible = m_navigatorBar && m_navigatorBar->isVisible();
    s.detailsVisible = m_detailsBar && m_detailsBar->isVisible();
    s.searchBar = m_searchBar;
    return s;
}

void CMainFrame::UpdateCommandStates()
{
    const CommandState state = CurrentCommandState();
    for (auto &[id, action] : m_actions) {
        action->setEnabled(CommandRules::IsEnabled(id, state));
        if (action->isCheckable())
            action->setChecked(CommandRules::IsChecked(id, state));
    }
    if (m_toolBar) {
        for (QAction *action : m_toolBar->actions()) {
            const int id = action->property("toolCommand").toInt();
            if (id > 0)
                action->setEnabled(CommandRules::IsEnabled(id, state));
        }
    }
}

void CMainFrame::FocusNextPane(bool forward)
{
    QList<QWidget *> panes;
    if (m_navigatorBar && m_navigatorBar->isVisible() && m_currentTree)
        panes << m_currentTree;
    if (QWidget *shown = m_view ? m_view->ShownPane() : nullptr; shown && shown->isVisible())
        panes << shown;
    if (m_detailsBar && m_detailsBar->isVisible() && m_detailsBar->widget())
        panes << m_detailsBar->widget();
    if (panes.isEmpty())
        return;
    const QWidget *focus = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < panes.size() && focus; ++i)
        if (panes[i] == focus || panes[i]->isAncestorOf(focus))
            at = i;
    const qsizetype n = panes.size();
    const qsizetype next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    panes[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CMainFrame::RunCommand(int id)
{
    using namespace FrameTables;
    CClientApp *app = theClientAppIfAny();
    const int mode = GetMarketMode();
    switch (id) {
    case CmdActivate: ActivateMainWindow(); return;
    case CmdHome: SelectNavigatorItem(HomeNode(mode)); return;
    case CmdBack:
        if (m_history.size() >= 2) {
            m_history.removeLast();
            m_historyFlag = false;
            m_currentTree->SelectItemById(m_history.last());
            m_historyFlag = true;
        }
        return;
    case CmdNewCarCatalogRecord:
        m_currentTree->SelectItemById(NodeCarsCatalog);
        m_dialogs->NewInventoryCarsPropSheet(GetMarketModeName() + QStringLiteral(" - Catalog Record"), false, 0);
        return;
    case CmdCheckNewVersion:
        if (!app)
            return;
        if (!app->CheckNewVersion(true)) {
            app->ShowMessageBox(QStringLiteral("New version of Korvant is not available."), QStringLiteral("Korvant"),
                                MsgBox::IconInformation);
        } else if (!app->UpdateLater()) {
            app->RunUpdaterAndExit();
        }
        if (Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces))
            theMarketPlaces().CheckVersion(mode);
        if (Globals::As<XMetaData>(GlobalSlot::Meta))
            theMeta().CheckVersion();
        return;
    case CmdWriteComment: m_dialogs->AddCommentsDlg(); return;
    case CmdSearch: m_dialogs->SearchDlg(); return;
    case CmdOptions: m_dialogs->OptionsPropSheet(-1); return;
    case CmdNavigator: m_navigatorBar->setVisible(!m_navigatorBar->isVisible()); UpdateCommandStates(); return;
    case CmdDetailsBar: m_detailsBar->setVisible(!m_detailsBar->isVisible()); UpdateCommandStates(); return;
    case CmdSearchBar: ToggleSearchBar(); return;
    case CmdDetails: OpenDetails(); return;
    case CmdDelete: OnDelete(); return;
    case CmdNew:
        if (GetPageSection() == 5)
            m_dialogs->HotDealEditorDlg();
        else
            NewRecord();
        return;
    case CmdArchive:
    case CmdRestore: {
        const bool archive = id == CmdArchive;
        if (!theApp().AskYesNo(archive ? QStringLiteral("The record(s) will be archived. Are you sure?")
                                       : QStringLiteral("The record(s) will be restored. Proceed?"),
                               QStringLiteral("Korvant")))
            return;
        if (XBaseListCtrl *list = XBaseListCtrl::FromPane(m_currentList)) {
            if (archive)
                list->Archive();
            else
                list->Restore();
            const bool cars = GetActiveListType() == ListCarQueries;
            if (archive)
                ApplyCounterOf(GetPageSection() == 1 ? (cars ? NodeCarsBuyArchive : NodeBuyArchive)
                                                     : (cars ? NodeCarsSellArchive : NodeSellArchive));
            UpdateMessagesAfterMarks();
        }
        return;
    }
    case CmdStatusNew:
    case CmdStatusRead:
    case CmdStatusReplied:
    case CmdStatusAutoReplied:
    case CmdStatusCompleted:
    case CmdStatusCancelled: SetStatus(id); return;
    case CmdContactUs: ContactUs(); return;
    case CmdSendMessage: ComposeMessage(0); return;
    case CmdSynchronizeMeta:
        if (Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces))
            theMarketPlaces().CheckVersion(mode);
        if (Globals::As<XMetaData>(GlobalSlot::Meta))
            theMeta().CheckVersion();
        return;
    case CmdRelogin:
        if (app)
            app->DoLogin();
        return;
    case CmdMemberLookup: m_dialogs->SearchUserDlg(); return;
    case CmdAddressBook: m_dialogs->AddressBookDlg(); return;
    case CmdNewHotDeal: m_dialogs->HotDealEditorDlg(); return;
    case CmdExportInventory: ExportInventory(); return;
    case CmdImportInventory: m_dialogs->NewInventoryImpDlg(); return;
    case CmdCompactDatabase:
        if (app)
            app->CompactDatabase(false);
        return;
    case CmdHowItWorks:
    case NodeSellersGuide:
    case NodeBuyersGuide: {
        const QString file = id == CmdHowItWorks ? QStringLiteral("how.html")
                             : id == NodeSellersGuide ? QStringLiteral("s-guide.html")
                                                      : QStringLiteral("b-guide.html");
        QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(theApp().GetDocFolder()).filePath(file)));
        return;
    }
    case CmdPrint:
        if (GetActiveListType() == ListOrders) {
            // Only a received order has the purchase-order form; the rest print their page.
            auto *orders = qobject_cast<XOrderListCtrl *>(XBaseListCtrl::FromPane(m_currentList));
            if (!orders || orders->GetSelectedProperty(QStringLiteral("is_incoming")) == QLatin1String("1")) {
                m_dialogs->PrintOrderDlg();
            } else {
                const QString html = orders->GetOrderHtml(1);
                if (!html.isEmpty())
                    m_dialogs->PrintDetailPage(html);
            }
        } else if (GetActiveListType() == ListPartQueries || GetActiveListType() == ListCarQueries) {
            if (auto *queries = qobject_cast<XQueryListCtrl *>(XBaseListCtrl::FromPane(m_currentList))) {
                const QString html = queries->GetDetailsHtml(true);
                if (!html.isEmpty())
                    m_dialogs->PrintDetailPage(html);
            }
        }
        return;
    case CmdExit: OnAppExit(); return;
    case CmdNextPane: FocusNextPane(true); return;
    case CmdPrevPane: FocusNextPane(false); return;
    case CmdSelectAllKey:
    case CmdSelectAll:
        if (m_currentList)
            m_currentList->SelectAll();
        return;
    case CmdBackupData:
        if (app)
            app->BackupData();
        return;
    case CmdRestoreData:
        if (app)
            app->RestoreData();
        return;
    case CmdLogin:
        if (app)
            app->OnLogin();
        UpdateCommandStates();
        return;
    case CmdLogout:
        if (app)
            app->OnLogout();
        UpdateCommandStates();
        return;
    case CmdMyProfile:
        if (app)
            app->OnMyProfile();
        return;
    case CmdSynchronize:
        if (app)
            app->OnSynchronize();
        return;
    case CmdAbout: {
        CAboutDlg about(this);
        about.exec();
        return;
    }
    default: break;
    }
    // Commands that are pages.
    switch (id) {
    case 20002: case 20003: case 20004: case 20101: case 20102: case 20104: case 20105: case 20106:
        m_currentTree->SelectItemById(mode == Korvant::MarketCars ? CarsTwin(id) : id);
        return;
    case 195: case 198: case 196: case 199:
        m_currentTree->SelectItemById(mode == Korvant::MarketCars ? CarsTwin(id) : id);
        return;
    case 207: case 104: case 105: case 32836: case 32837:
        if (mode == Korvant::MarketParts)
            m_partsTree->SelectItemById(id);
        return;
    default: break;
    }
}

void CMainFrame::ToggleSearchBar()
{
    m_searchBar = !m_searchBar;
    const int type = GetActiveListType();
    if (m_view && (type == ListPartQueries || type == ListCarQueries)) {
        const bool cars = type == ListCarQueries;
        if (m_searchBar) {
            RefillFilterBar(cars ? Korvant::MarketCars : Korvant::MarketParts);
            if (CRestrictionBar *bar = cars ? static_cast<CRestrictionBar *>(m_bars.cars) : m_bars.parts)
                bar->ApplyFilter(true);
        }
        m_view->ShowFilterBar(cars ? CChildView::CarsFilter : CChildView::PartsFilter, m_searchBar);
    }
    UpdateCommandStates();
}

void CMainFrame::NewRecord()
{
    OnMain([this] {
        const int node = CurrentNode();
        const QString title = GetMarketModeName() + QStringLiteral(" - New Query");
        if (node == NodeCarsCatalog)
            m_dialogs->NewInventoryCarsPropSheet(GetMarketModeName() + QStringLiteral(" - Catalog Record"), false, 0);
        else if (node == NodePartsCatalog)
            m_dialogs->NewInventoryDlg(0);
        else if (GetMarketMode() == Korvant::MarketCars) {
            m_currentTree->SelectItemById(NodeCarsOpenRequests);
            m_dialogs->NewQueryCarsPropSheet(title, {});
        } else {
            m_dialogs->NewQueryDlg(title, {});
        }
    });
}

void CMainFrame::OnDelete()
{
    if (!m_currentList)
        return;
    if (CurrentNode() == NodeMyHotDeals) {
        if (!theApp().AskYesNo(QStringLiteral("Your Hot Deal(s) will be deleted and it will be shown as expired for "
                                              "other users. Are you sure?"),
                               QStringLiteral("Korvant")))
            return;
    } else if (theSettings().IsOn(Setting::DeleteConfirm)) {
        int confirm = theSettings().GetInt(Setting::DeleteConfirm);
        const int answer = theApp().ShowMessageDlg(
            QString(), QStringLiteral("The record(s) will be permanently deleted. Are you sure?"), &confirm, 1,
            MsgBox::IconResQuestion);
        if (confirm != theSettings().GetInt(Setting::DeleteConfirm)) {
            theSettings().SetInt(Setting::DeleteConfirm, confirm);
            theSettings().Save();
        }
        if (answer != 1)
            return;
    }
    XBaseListCtrl *list = XBaseListCtrl::FromPane(m_currentList);
    if (!list)
        return;
    list->DeleteSelected();
    const int type = GetActiveListType();
    if (type == ListPartQueries || type == ListCarQueries)
        RefillFilterBar(type == ListCarQueries ? Korvant::MarketCars : Korvant::MarketParts);
    if (type == ListPartInventory || type == ListCarInventory)
        return;
    if (list->GetSelectedStatus() < 0 && m_detBrowser)
        m_detBrowser->Clear();
}

void CMainFrame::SetStatus(int id)
{
    if (!m_currentList)
        return;
    WaitCursor wait;
    XBaseListCtrl *list = XBaseListCtrl::FromPane(m_currentList);
    if (list) {
        auto *queries = GetActiveListType() == ListPartQueries ? qobject_cast<XQueryListCtrl *>(list) : nullptr;
        auto *orders = GetActiveListType() == ListOrders ? qobject_cast<XOrderListCtrl *>(list) : nullptr;
        if (id == FrameTables::CmdStatusNew)
            list->MarkNew();
        else if (id == FrameTables::CmdStatusRead)
            list->MarkRead();
        else if (id == FrameTables::CmdStatusCompleted && orders)
            orders->MarkCompleted();
        else if (id == FrameTables::CmdStatusReplied && queries)
            queries->MarkReplied();
        else if (id == FrameTables::CmdStatusCancelled && queries)
            queries->MarkCancelled();
        else if (id != FrameTables::CmdStatusAutoReplied)
            list->Refill();
        UpdateMessagesAfterMarks();
    }
    UpdateCommandStates();
}

void CMainFrame::ExportInventory()
{
    const QString path = theApp().AskSaveFileName(QStringLiteral("Export Data..."),
                                                  QStringLiteral(" CSV Files (*.csv) |*.csv||"), QStringLiteral("csv"),
                                                  QString());
    if (path.isEmpty())
        return;
    KVInvImport exporter(CBaseImport::ExportOperation);
    const int n = exporter.ExportInventory(path);
    if (n == -1)
        theApp().ShowMessageBox(QStringLiteral("Error of database exporting"), QStringLiteral("Error"),
                                MsgBox::IconError);
    else if (n >= 0)
        theApp().ShowMessageBox(QStringLiteral("You have sucessully exported %1 records from your parts inventory<%2>.")
                                    .arg(n)
                                    .arg(path),
                                QStringLiteral("Korvant"), MsgBox::IconInformation);
}

int CMainFrame::GetQuoteListId(const QString &quoteId)
{
    return QueryListRules::Parts().QuoteFolder(quoteId);
}

int CMainFrame::GetCarQuoteListId(const QString &quoteId)
{
    return QueryListRules::Cars().QuoteFolder(quoteId);
}

// --- IListHost -------------------------------------------------------------------------------

int CMainFrame::CurrentNode() const
{
    return m_currentTree ? m_currentTree->CurrentNode() : -1;
}

void CMainFrame::ShowActionMenu(const QPoint &globalPos)
{
    if (m_actionMenu)
        m_actionMenu->popup(globalPos);
}

QIcon CMainFrame::RowIcon(int listType) const
{
    const auto kept = [this](int slot, QStyle::StandardPixmap pixmap) {
        QIcon &icon = m_rowIcons[slot];
        if (icon.isNull())
            icon = style()->standardIcon(pixmap);
        return icon;
    };
    switch (listType) {
    case ListPartQueries:
    case ListCarQueries: return kept(0, QStyle::SP_FileDialogListView);
    case ListMessages: return kept(1, QStyle::SP_MessageBoxInformation);
    case ListHotDeals: return kept(2, QStyle::SP_DialogApplyButton);
    default: return QIcon();
    }
}

void CMainFrame::RefreshCounters(int, int)
{
    m_countersDirty.store(true);
}

void CMainFrame::OpenDetails()
{
    const int type = GetActiveListType();
    // Records open by the selected row's own ID, whatever the list's filter and sort.
    auto *inventory = dynamic_cast<XInventoryListBase *>(XBaseListCtrl::FromPane(m_currentList));
    if (type == ListPartInventory && inventory && inventory->GetSelectedId() > 0)
        m_dialogs->NewInventoryDlg(inventory->GetSelectedId());
    else if (type == ListCarInventory && inventory && inventory->GetSelectedId() > 0)
        m_dialogs->NewInventoryCarsPropSheet(QStringLiteral("Catalog Record"), false, inventory->GetSelectedId());
}

void CMainFrame::ShowHotDealPreview()
{
    if (auto *deals = qobject_cast<XHotDealListCtrl *>(XBaseListCtrl::FromPane(m_currentList)))
        deals->OpenDealViewer();
}

void CMainFrame::UpdateSelectedOrder()
{
    if (GetActiveListType() == ListOrders)
        m_dialogs->OrderUpdateDlg();
}

void CMainFrame::NotifyCatalogChanged()
{
    OnMain([this] {
        if (m_exiting)
            return;
        if (m_currentTree && m_currentTree->CurrentNode() == NodePartsCatalog) {
            OnNavigatorSelect(NodePartsCatalog);
        } else if (m_counters) {
            // A count that fails is logged and left out.
            for (const NodeCounter &c : m_counters->Count(QList<int>{NodePartsCatalog}))
                ApplyCounter(c);
        }
    });
}

// --- refresh after news, timers, tray -----------------------------------------------------------

void CMainFrame::UpdateTrayIcon()
{
    OnMain([this] {
        if (m_tray)
            m_tray->UpdateTip(theClientAppIfAny() ? theClientApp().GetWindowTitle() : windowTitle());
    });
}

void CMainFrame::StartVerSheduler(int ms)
{
    OnMain([this, ms] {
        if (m_timers)
            m_timers->Start(FrameTimers::VersionCheck, ms);
    });
}

void CMainFrame::StartDataSyncSheduler(int ms)
{
    OnMain([this, ms] {
        if (m_timers)
            m_timers->Start(FrameTimers::DataSync, ms);
    });
}

void CMainFrame::StartCompactDBSheduler(int ms)
{
    OnMain([this, ms] {
        if (m_timers)
            m_timers->Start(FrameTimers::CompactDb, ms);
    });
}

void CMainFrame::RefreshListAfterRequest()
{
    // The poll thread goes on at once; the plan runs on the main thread.
    const NewCounts counts = GetNewCounts();
    OnMain([this, counts] {
        RunPlan(RefreshPlanner::AfterPoll(counts, {CurrentNode(), GetActiveListType()}, AlertSettings::FromSettings()));
        // The plan counts the pages the news is on; a record the poll moved
        // (an answered query, an ordered quote) leaves others behind.
        m_countersDirty.store(true);
    });
}

void CMainFrame::RefreshSellerQueries()
{
    OnMain([this] { RunPlan(RefreshPlanner::AfterSellerReply(CurrentNode())); });
}

void CMainFrame::RefreshSellerCarQueries()
{
    OnMain([this] { RunPlan(RefreshPlanner::AfterSellerCarReply(CurrentNode())); });
}

// A trace of what a whole recount set, one line.
static void TraceCounters(const QList<NodeCounter> &counters)
{
    AppCore *app = theAppIfAny();
    if (!app || app->LogLevel() < 5)
        return;
    QStringList text;
    for (const NodeCounter &c : counters)
        text << c.ToString();
    app->WriteLog(text.join(QLatin1String("; ")), QStringLiteral("Counters"), 5);
}

void CMainFrame::UpdatePartsCounters()
{
    OnMain([this] {
        if (m_exiting || !m_counters)
            return;
        const QList<NodeCounter> counters = m_counters->UpdatePartsCounters();
        for (const NodeCounter &c : counters)
            ApplyCounter(c);
        TraceCounters(counters);
    });
}

void CMainFrame::UpdateCarsCounters()
{
    OnMain([this] {
        if (m_exiting || !m_counters)
            return;
        const QList<NodeCounter> counters = m_counters->UpdateCarsCounters();
        for (const NodeCounter &c : counters)
            ApplyCounter(c);
        TraceCounters(counters);
    });
}

void CMainFrame::ApplyCounter(const NodeCounter &c)
{
    CNavigatorTree *tree = c.tree == NodeCounter::CurrentTree ? m_currentTree
                           : c.tree == NodeCounter::CarsTree  ? m_carsTree
                                                              : m_partsTree;
    if (tree)
        tree->SetItemCounter(c.node, c.total, c.fresh, c.bold);
    if (m_dashboard)
        m_dashboard->SetCounter(c.node, c.total, c.fresh, c.bold);
    UpdateNewInfoNotice();
    if (m_view)
        m_view->InfoPanel()->update();
}

void CMainFrame::UpdateNewInfoNotice()
{
    if (!m_newInfo || !m_view || !theSettingsIfAny())
        return;
    const NewInfoModel::Notice notice = m_newInfo->UpdateNewInfoNotice(theSettings());
    m_view->InfoPanel()->ShowNotice(notice.shown);
    m_view->InfoPanel()->SetNoticeBlink(notice.blink);
}

void CMainFrame::RefillFilterBar(int mode)
{
    CRestrictionBar *bar = mode == Korvant::MarketCars ? static_cast<CRestrictionBar *>(m_bars.cars) : m_bars.parts;
    if (bar)
        bar->FillLists();
}

void CMainFrame::RunPlan(const RefreshPlan &plan)
{
    if (m_exiting || !m_counters)
        return;
    for (const RefreshAction &a : plan.actions) {
        switch (a.kind) {
        case RefreshAction::Reload:
            if (m_currentList && m_currentList->GetFolder() == a.node)
                m_currentList->Reload();
            ApplyCounter(m_counters->Count(a.node));
            break;
        case RefreshAction::Count: ApplyCounter(m_counters->Count(a.node)); break;
        case RefreshAction::FilterBar: RefillFilterBar(a.node); break;
        case RefreshAction::ReloadPartQueries:
            if (IRecordList *list = List(IPaneFactory::ListKind::PartQueries))
                list->Reload();
            break;
        case RefreshAction::Select: SelectNavigatorItem(a.node); break;
        }
    }
    if (plan.alert && m_newInfo && m_view) {
        const NewInfoModel::Notice notice = m_newInfo->RaiseAlert(theSettings());
        m_view->InfoPanel()->ShowNotice(notice.shown);
        m_view->InfoPanel()->SetNoticeBlink(notice.blink);
    }
}

void CMainFrame::OnPollNotify()
{
    if (m_exiting)
        return;
    m_trayFlag = false;
    ActivateMainWindow();
    // What the member sees first is the list as the poll left it.
    if (m_currentList)
        m_currentList->Reload();
    const RefreshPlanner::PollNotifyPlan p = RefreshPlanner::AfterPollNotify(
        GetNewCounts(), GetMarketMode(), CurrentNode(), AlertSettings::FromSettings());
    if (p.switchToMode == Korvant::MarketCars)
        SwitchToCars();
    else if (p.switchToMode == Korvant::MarketParts)
        SwitchToParts();
    if (p.node < 0)
        return;
    // A page already current was reloaded above.
    if (!p.reloadOnly && m_currentTree)
        m_currentTree->SelectItemById(p.node);
}

void CMainFrame::ShowTrayMessage(const QString &text, int clickAction)
{
    // The alert thread goes on at once; the pop-up lives on the main thread.
    OnMain([this, text, clickAction] {
        if (!m_exiting)
            CTrayPopupWnd::Show(text, clickAction);
    });
}

void CMainFrame::ApplyCounterOf(int nodeId)
{
    if (m_counters && !m_exiting)
        ApplyCounter(m_counters->Count(nodeId));
}

void CMainFrame::UpdateMessagesAfterMarks()
{
    // A mark changes the shown page's counter and the new-information notice.
    ApplyCounterOf(CurrentNode());
}

void CMainFrame::SelectNode(int nodeId)
{
    if (m_currentTree && !m_currentTree->SelectItemById(nodeId))
        OnNavigatorSelect(nodeId);
}

void CMainFrame::NewQuoteForSelection()
{
    m_dialogs->NewQuoteDlg();
}

void CMainFrame::SendCarQuote()
{
    m_dialogs->NewInventoryCarsPropSheet(GetMarketModeName() + QStringLiteral(" - Send Quote"), true, 0);
}

void CMainFrame::NewOrderForQuote(const QString &queryId, const QString &quoteId)
{
    m_dialogs->NewOrderDlg(queryId, quoteId);
}

void CMainFrame::ShowCarQuoteDetail(const QString &caption, const QString &quoteId)
{
    m_dialogs->CarQuoteDetail(caption, quoteId, false, 0);
}

void CMainFrame::WriteComment()
{
    m_dialogs->AddCommentsDlg();
}

void CMainFrame::ComposeMessageForSelection()
{
    RunCommand(FrameTables::CmdSendMessage);
}

void CMainFrame::ComposeMessage(int kind)
{
    XBaseListCtrl *list = XBaseListCtrl::FromPane(m_currentList);
    MessageAddress address;
    if (list && list->GetMessageAddress(kind, &address)) {
        // Writing about a record means it has been read.
        const int node = CurrentNode();
        if (list->ListType() == ListMessages || node == NodeIncomingLeads || node == NodeCarsIncomingLeads ||
            node == NodePendingSales)
            list->MarkRead();
    }
    UpdateMessagesCounter();
    if (m_dialogs->NewMessageDlg(address) != MsgBox::IdOk)
        return;
    RefreshAfterMessage();
}

void CMainFrame::RefreshAfterMessage()
{
    if (m_currentList)
        m_currentList->Reload();
    if (XBaseListCtrl *messages = ListRegistry::Instance().Shown(IRecordViews::ListKind::Messages);
        messages && messages != XBaseListCtrl::FromPane(m_currentList))
        messages->Refill();
    UpdateMessagesCounter();
}

void CMainFrame::ShowMarketSubscription(const QString &marketId, int kind)
{
    SetSubscribeRequest(marketId, kind, false);
    SelectNode(GetMarketMode() == Korvant::MarketCars ? NodeCarsMarketplaces : NodeMarketplaces);
    SetSubscribeRequest(QString(), 0, false);
}

void CMainFrame::UpdateMessagesCounter()
{
    ApplyCounterOf(NodeMessages);
}

void CMainFrame::UpdateNewInfoIndicator()
{
    OnMain([this] {
        if (!m_exiting)
            UpdateNewInfoNotice();
    });
}

void CMainFrame::ShowImportedRecords()
{
    OnMain([this] {
        if (m_exiting)
            return;
        ActivateMainWindow();
        if (GetMarketMode() != Korvant::MarketParts)
            SwitchToParts();
        if (CurrentNode() == NodePartsCatalog)
            OnNavigatorSelect(NodePartsCatalog);
        else
            SelectNode(NodePartsCatalog);
    });
}
