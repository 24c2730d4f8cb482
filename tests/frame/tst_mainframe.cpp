#include "../application/ClientEnv.h"
#include "RecordingPanes.h"
#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "db/SqlDb.h"
#include "frame/CChildView.h"
#include "frame/CInfoPanelCtrl.h"
#include "frame/CLogo.h"
#include "frame/CMainFrame.h"
#include "frame/CProgStatusBar.h"
#include "frame/CSizingControlBar.h"
#include "frame/GuiFrameFactory.h"
#include "frame/CNavigatorTree.h"
#include "frame/CTrayIcon.h"
#include "frame/CTrayPopupWnd.h"
#include "dialogs/NodeIds.h"
#include "dialogs/CMyHyperLink.h"
#include "application/SingleInstance.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <thread>

namespace {

using K = IPaneFactory::ListKind;

// A member who has logged in before, with automatic login.
void PrepareMember(ClientEnv &env)
{
    env.StoreSettings([](XSettings &s) {
        s.SetInt(Setting::AutoPool, 0);
        s.SetInt(Setting::AutoLogin, 1);
        s.SetString(Setting::Password, "sample");
    });
    QVERIFY(theDatabase().init());
    theDatabase().SetPassportId("P1001");
    theDatabase().CloseAll();
}

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void createsInOrder();
    void showPane_data();
    void showPane();
    void browserAfterListLeavesNoCurrentList();
    void unknownKindOnlyHidesFilterBars();
    void defaultMarket_data();
    void defaultMarket();
    void breadcrumb_data();
    void breadcrumb();
    void pageTitleJoinsBreadcrumbAfterLoad();
    void newButtonFollowsPage();
    void f6WalksThePanes();
    void layoutFirstStartAndKept();
    void noticeClickClearsBlinkAndSaves();
    void contactUsShowsOneBox();
    void logoUnderDockWidgetHidesAndReturns();
    void panesRealizedAfterFirstExpose();
    void workerCallsNeverWaitAndKeepOrder();
    void progressFromWorkerCrossesOncePerPercent();
    void failingPaneFactoryEndsStartup();
    void databaseErrorAtStep6ShowsBoxAndFrame();
    void closeWithoutTrayMinimises();
    void pollNewsRaisesNoticeAndCounters();
    void exitDropsQueuedRefresh();
    void secondStartBringsFrameForward_data();
    void secondStartBringsFrameForward();
    void rowIconsKeptAcrossPaints();

private:
    FakeServer m_server;
};

void TestMainFrame::initTestCase()
{
    m_server.Start();
    SampleAnswers::ScriptAll(m_server);
    m_server.Script("poll", {FakeServer::Response(0)});
}

void TestMainFrame::createsInOrder()
{
    TestApp env({.commandLine = QStringLiteral("-level 5")});
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    const QString log = env.LogText();
    int last = -1;
    for (int step = 1; step <= 10; ++step) {
        const int at = log.indexOf(QStringLiteral("OnCreate %1:").arg(step));
        QVERIFY2(at > last, qPrintable(QString::number(step)));
        last = at;
    }
    QVERIFY(!frame.NavigatorBar()->isVisibleTo(&frame));
    QCOMPARE(frame.DetailsBar()->windowTitle(), QStringLiteral("Details"));
    QCOMPARE(frame.NavigatorBar()->windowTitle(), QStringLiteral("Navigator"));
    QCOMPARE(frame.dockWidgetArea(frame.NavigatorBar()), Qt::LeftDockWidgetArea);
    QCOMPARE(frame.dockWidgetArea(frame.DetailsBar()), Qt::BottomDockWidgetArea);
    // Lists that show details are told where; the inventory lists are not.
    QCOMPARE(panes.lists[K::PartQueries]->details, panes.det);
    QCOMPARE(panes.lists[K::Orders]->details, panes.det);
    QVERIFY(panes.lists[K::PartInventory]->details == nullptr);
    QCOMPARE(frame.ChildView()->InfoPanel()->height(), CChildView::InfoPanelHeight);
}

void TestMainFrame::showPane_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("listType");
    QTest::addColumn<int>("list");  // -1 none, else ListKind
    QTest::addColumn<QString>("pane");
    QTest::addColumn<bool>("details");
    QTest::newRow("1 document") << 1 << 0 << -1 << "DocBrowser" << false;
    QTest::newRow("2 part queries") << 2 << 1 << int(K::PartQueries) << "Part queries" << true;
    QTest::newRow("3 parts inventory") << 3 << 3 << int(K::PartInventory) << "Parts inventory" << false;
    QTest::newRow("4 speciality") << 4 << 0 << -1 << "Speciality" << false;
    QTest::newRow("5 messages") << 5 << 6 << int(K::Messages) << "Messages" << true;
    QTest::newRow("6 hot deals") << 6 << 7 << int(K::HotDeals) << "Hot deals" << true;
    QTest::newRow("7 car queries") << 7 << 2 << int(K::CarQueries) << "Car queries" << true;
    QTest::newRow("8 car inventory") << 8 << 4 << int(K::CarInventory) << "Car inventory" << false;
    QTest::newRow("9 orders") << 9 << 8 << int(K::Orders) << "Purchase orders" << true;
    QTest::newRow("184 dashboard") << 184 << 0 << -1 << "Dashboard" << false;
}

void TestMainFrame::showPane()
{
    QFETCH(int, kind);
    QFETCH(int, listType);
    QFETCH(int, list);
    QFETCH(QString, pane);
    QFETCH(bool, details);
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.show();
    frame.ChildView()->ShowFilterBar(CChildView::PartsFilter, true);
    panes.det->log.clear();
    frame.ShowPane(kind);
    QCOMPARE(frame.GetPaneKind(), kind);
    QCOMPARE(frame.GetActiveListType(), listType);
    QCOMPARE(frame.CurrentList(), list < 0 ? nullptr : static_cast<IRecordList *>(panes.lists[K(list)]));
    QCOMPARE(frame.ChildView()->ShownPane()->objectName(), pane);
    QCOMPARE(frame.DetailsBar()->isVisible(), details);
    QCOMPARE(panes.det->log, QStringList{"Clear"});
    QVERIFY(!frame.ChildView()->IsFilterBarShown(CChildView::PartsFilter));
    // The one pane shown fills the view below the info panel.
    QCOMPARE(frame.ChildView()->Panes()->geometry().bottom(), frame.ChildView()->rect().bottom());
}

void TestMainFrame::browserAfterListLeavesNoCurrentList()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.ShowPane(CMainFrame::PaneHotDeals);
    QVERIFY(frame.CurrentList());
    frame.ShowPane(CMainFrame::PaneDocument);
    QVERIFY(!frame.CurrentList());
    QCOMPARE(frame.GetActiveListType(), 0);
}

void TestMainFrame::unknownKindOnlyHidesFilterBars()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.ShowPane(CMainFrame::PaneOrders);
    frame.ChildView()->ShowFilterBar(CChildView::CarsFilter, true);
    frame.ShowPane(77);
    QCOMPARE(frame.GetPaneKind(), 77);
    QCOMPARE(frame.GetActiveListType(), int(ListOrders));
    QCOMPARE(frame.ChildView()->ShownPane()->objectName(), QStringLiteral("Purchase orders"));
    QVERIFY(!frame.ChildView()->IsFilterBarShown(CChildView::CarsFilter));
}

void TestMainFrame::defaultMarket_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("newButton");
    QTest::newRow("cars") << 1 << 1 << "Cars" << "Buy a Car";
    QTest::newRow("parts") << 0 << 0 << "Parts" << "Buy a Part";
}

void TestMainFrame::defaultMarket()
{
    QFETCH(int, setting);
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QString, newButton);
    TestApp env;
    theSettings().SetInt(Setting::DefaultMarket, setting);
    RecordingPanes panes;
    CMainFrame frame(panes);
    QCOMPARE(frame.GetMarketMode(), -1);
    QVERIFY(frame.OnCreate());
    QCOMPARE(frame.GetMarketMode(), mode);
    QCOMPARE(frame.GetMarketModeName(), name);
    QCOMPARE(frame.GetNewButtonText(), newButton);
    QCOMPARE(frame.GetPaneKind(), int(CMainFrame::PaneDashboard));
    // The new tree selects its Home and the switch shows Home again: only this market's dashboard.
    QVERIFY(!panes.log.isEmpty());
    QCOMPARE(panes.log.filter(QStringLiteral("ShowDashboard|%1").arg(mode)).size(), panes.log.size());
    QCOMPARE(frame.GetPageSection(), 0);
}

void TestMainFrame::breadcrumb_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("showTitle");
    QTest::addColumn<QString>("expected");
    QTest::newRow("home") << 0 << "" << false << " Parts > My Catalog";
    QTest::newRow("buy") << 1 << "" << false << "Buy Parts > My Catalog";
    QTest::newRow("sell") << 2 << "" << false << "Sell Parts > My Catalog";
    QTest::newRow("general") << 3 << "" << false << "General Parts > My Catalog";
    QTest::newRow("affiliate") << 4 << "" << false << "Affiliate Parts > My Catalog";
    QTest::newRow("sale") << 5 << "" << false << "Sale Parts > My Catalog";
    QTest::newRow("unknown section") << 9 << "" << false << " Parts > My Catalog";
    QTest::newRow("title shown") << 2 << "Nuts & Bolts" << true << "Sell Parts > My Catalog > Nuts & Bolts";
    QTest::newRow("title not shown") << 2 << "Nuts & Bolts" << false << "Sell Parts > My Catalog";
    QTest::newRow("empty title") << 2 << "" << true << "Sell Parts > My Catalog";
}

void TestMainFrame::breadcrumb()
{
    QFETCH(int, section);
    QFETCH(QString, title);
    QFETCH(bool, showTitle);
    QFETCH(QString, expected);
    CInfoPanelCtrl panel;
    panel.SetContextSource([section] { return CInfoPanelCtrl::Context{section, "Parts", "My Catalog"}; });
    panel.SetTitle(title);
    panel.SetShowTitle(showTitle);
    QCOMPARE(panel.GetBreadcrumb(), expected);
}

void TestMainFrame::pageTitleJoinsBreadcrumbAfterLoad()
{
    TestApp env;
    theSettings().SetInt(Setting::DefaultMarket, 0);
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.SelectNode(NodeGeneral);
    QCOMPARE(frame.InfoPanel()->GetBreadcrumb(), QStringLiteral("General Parts > General"));
    QVERIFY(panes.doc->titleLoaded);
    panes.doc->titleLoaded(QStringLiteral("Fees & terms"));
    QCOMPARE(frame.InfoPanel()->GetBreadcrumb(), QStringLiteral("General Parts > General > Fees & terms"));
    // The next page's breadcrumb waits for that page's own title.
    frame.SelectNode(NodeMessages);
    QCOMPARE(frame.InfoPanel()->GetBreadcrumb(), QStringLiteral("General Parts > Messages"));
    panes.det->titleLoaded(QString());
    QCOMPARE(frame.InfoPanel()->GetBreadcrumb(), QStringLiteral("General Parts > Messages"));
}

void TestMainFrame::newButtonFollowsPage()
{
    TestApp env;
    theSettings().SetInt(Setting::DefaultMarket, 0);
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    // The button the member sees: the one on the bar.
    auto newButton = [&] {
        for (QAction *a : frame.ToolBar()->actions())
            if (a->objectName() == QLatin1String("tool32820"))
                return a->text();
        return QString();
    };
    const QList<std::pair<int, QString>> pages = {{NodeGeneral, "Buy a Part"}, {NodePartsCatalog, "New Record"},
                                                  {NodeMessages, "Buy a Part"}};
    for (const auto &[node, text] : pages) {
        frame.SelectNode(node);
        QCOMPARE(newButton(), text);
    }
    frame.SwitchToCars();
    QCOMPARE(newButton(), QStringLiteral("Buy a Car"));
    // Home after a switch is a page like any other.
    frame.SwitchToParts();
    QCOMPARE(newButton(), QStringLiteral("Buy a Part"));
    frame.SwitchToCars();
    frame.SelectNode(NodeMessages);
    frame.SwitchToParts();
    QCOMPARE(newButton(), QStringLiteral("Buy a Part"));
}

void TestMainFrame::f6WalksThePanes()
{
    TestApp env;
    theSettings().SetInt(Setting::DefaultMarket, 0);
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    frame.NavigatorBar()->show();
    frame.SelectNode(NodeMessages);
    QWidget *list = panes.lists[K::Messages]->Widget();
    QWidget *details = panes.det->Widget();
    QVERIFY(details->isVisible());
    const QList<QWidget *> forward = {frame.PartsTree(), list, details, frame.PartsTree()};
    for (QWidget *expected : forward) {
        QTest::keyClick(&frame, Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    for (QWidget *expected : {details, list, static_cast<QWidget *>(frame.PartsTree())}) {
        QTest::keyClick(&frame, Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    // A hidden bar is skipped.
    frame.DetailsBar()->hide();
    QTest::keyClick(&frame, Qt::Key_F6);
    QTest::keyClick(&frame, Qt::Key_F6);
    QCOMPARE(QApplication::focusWidget(), frame.PartsTree());
}

void TestMainFrame::layoutFirstStartAndKept()
{
    TestApp env;
    theSettings().SetInt(Setting::DefaultMarket, 0);
    RecordingPanes panes;
    QSize size;
    {
        CMainFrame frame(panes);
        QVERIFY(frame.OnCreate());
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        // Most of the screen, not the widgets' least size.
        const QRect room = frame.screen()->availableGeometry();
        QVERIFY2(frame.width() >= room.width() * 3 / 4 && frame.height() >= room.height() * 3 / 4,
                 qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
        // The Details bar opens with room for a page.
        frame.SelectNode(NodeMessages);
        QTRY_VERIFY(frame.DetailsBar()->height() >= frame.height() / 4);
        frame.NavigatorBar()->show();
        frame.resizeDocks({frame.NavigatorBar()}, {300}, Qt::Horizontal);
        frame.resizeDocks({frame.DetailsBar()}, {200}, Qt::Vertical);
        frame.resize(700, 500);
        QTRY_COMPARE(frame.NavigatorBar()->width(), 300);
        size = frame.size();
        frame.close();  // stores the layout
    }
    CMainFrame again(panes);
    QVERIFY(again.OnCreate());
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.size(), size);
    QVERIFY(again.NavigatorBar()->isVisible());
    QTRY_COMPARE(again.NavigatorBar()->width(), 300);
    again.SelectNode(NodeMessages);
    QTRY_COMPARE(again.DetailsBar()->height(), 200);
}

void TestMainFrame::noticeClickClearsBlinkAndSaves()
{
    TestApp env;
    theSettings().SetInt(Setting::BlinkNewInfo, 1);
    CInfoPanelCtrl panel;
    panel.resize(600, 25);
    panel.show();
    panel.ShowNotice(true);
    panel.SetNoticeBlink(true);
    QVERIFY(panel.Notice()->isVisible());
    QVERIFY(panel.Notice()->IsBlinking());
    QSignalSpy clicked(&panel, &CInfoPanelCtrl::noticeClicked);
    QTest::mouseClick(panel.Notice(), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!panel.Notice()->IsBlinking());
    XSettings stored(env.SettingsFile());
    stored.init();
    QCOMPARE(stored.GetInt(Setting::BlinkNewInfo), 0);
    // Hiding the notice also stops a blink started while hidden.
    panel.ShowNotice(false);
    panel.SetNoticeBlink(true);
    QVERIFY(!panel.Notice()->IsBlinking());
}

void TestMainFrame::contactUsShowsOneBox()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.resize(900, 600);
    frame.show();
    QTest::mouseClick(frame.InfoPanel()->Link(), Qt::LeftButton);
    QCOMPARE(env.dialogs.log.Count("MessageBox|"), 1);
    QVERIFY(env.dialogs.log.Calls().first().contains("not yet available"));
}

void TestMainFrame::logoUnderDockWidgetHidesAndReturns()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.resize(1000, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    CLogo *logo = frame.Logo(CMainFrame::SponsorLogo);
    QTRY_VERIFY(logo->isVisible());
    QVERIFY(frame.Logo(CMainFrame::MakerLogo)->isVisible());
    QVERIFY(frame.Logo(CMainFrame::MakerLogo)->geometry().right() < logo->geometry().left());

    // A floating bar moved over the logo hides it; moved away, it returns.
    CSizingControlBarCF *bar = frame.NavigatorBar();
    bar->show();
    bar->setFloating(true);
    bar->setGeometry(QRect(logo->mapToGlobal(QPoint(10, 10)), QSize(200, 150)));
    QTRY_VERIFY(!logo->isVisible());
    bar->move(frame.mapToGlobal(QPoint(20, 400)));
    QTRY_VERIFY(logo->isVisible());
}

void TestMainFrame::workerCallsNeverWaitAndKeepOrder()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    QStringList seen;
    connect(frame.statusBar(), &QStatusBar::messageChanged, this, [&](const QString &text) { seen << text; });
    // The main thread does not run its loop while the worker calls: a call
    // that waited for it would never return.
    std::thread worker([&] {
        for (int i = 0; i < 1000; ++i)
            frame.SetStatusText(QString::number(i));
    });
    worker.join();
    QVERIFY(seen.isEmpty());
    QCoreApplication::processEvents();
    QStringList expected;
    for (int i = 0; i < 1000; ++i)
        expected << QString::number(i);
    QCOMPARE(seen, expected);
}

void TestMainFrame::progressFromWorkerCrossesOncePerPercent()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.show();
    std::thread worker([&] {
        frame.ProgressStart("Autorepliing", 10000);
        for (int i = 0; i < 5000; ++i)
            frame.ProgressStep();
    });
    worker.join();
    const int before = frame.ProgStatusBar()->Pane()->RedrawCount();
    QCoreApplication::processEvents();
    QCOMPARE(frame.ProgStatusBar()->Model().Percent(), 50);
    QVERIFY(frame.ProgStatusBar()->Pane()->RedrawCount() - before <= 55);
    std::thread([&] { frame.ProgressEnd(); }).join();
    QCoreApplication::processEvents();
    QVERIFY(!frame.ProgStatusBar()->Model().IsVisible());
    QCOMPARE(frame.ProgStatusBar()->PaneWidth(), CProgStatusBar::IdleWidth);
}

void TestMainFrame::failingPaneFactoryEndsStartup()
{
    ClientEnv env({.commandLine = "-level 5 -url " + m_server.Url()});
    RecordingPanes panes;
    panes.listsFail = true;
    GuiFrameFactory gui(&panes, false);
    env.app().SetFrameFactory(&gui);
    PrepareMember(env);
    QVERIFY(!env.app().InitInstance());
    const QString log = env.LogText();
    QVERIFY(log.contains("creation step 4 failed: the lists could not be made"));
    QVERIFY(log.contains("Start-up ends: the main window could not be loaded: creation step 4 failed"));
    QVERIFY(!log.contains("theFrame->ShowWindow"));
    env.app().ExitInstance();
    gui.DestroyFrame();
    QVERIFY(!env.app().Frame());
}

// What the panes put off (the web views, which start the engine) is made
// once the window is on screen, the page shown first, and only once.
void TestMainFrame::panesRealizedAfterFirstExpose()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    QVERIFY(panes.realized.isEmpty());
    frame.resize(900, 600);
    frame.show();
    QVERIFY(panes.realized.isEmpty());
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QStringList all{"Dashboard", "DocBrowser", "DetBrowser", "Speciality"};
    QTRY_COMPARE(panes.realized, all);
    frame.hide();
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTest::qWait(50);
    QCOMPARE(panes.realized, all);
}

void TestMainFrame::databaseErrorAtStep6ShowsBoxAndFrame()
{
    ClientEnv env({.commandLine = "-url " + m_server.Url()});
    RecordingPanes panes;
    panes.dashboardFails = true;
    GuiFrameFactory gui(&panes, false);
    env.app().SetFrameFactory(&gui);
    PrepareMember(env);
    QVERIFY(env.app().InitInstance());
    QVERIFY(gui.Frame()->isVisible());
    const QStringList calls = env.dialogs.log.Calls();
    QVERIFY2(calls.filter("Cannot read the counters").size() == 1, qPrintable(calls.join('\n')));
    QVERIFY(calls.filter("Cannot read the counters").first().contains("|Error|"));
    env.app().ExitInstance();
    gui.DestroyFrame();
}

void TestMainFrame::closeWithoutTrayMinimises()
{
    TestApp env;
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!frame.TrayIcon()->IsShown());  // no tray offscreen
    theSettings().SetInt(Setting::CloseConfirm, 1);
    frame.close();
    QVERIFY(!frame.IsExiting());
    QTRY_VERIFY(frame.isMinimized());
    // Without a tray there is no notice pointing at one.
    QCOMPARE(env.dialogs.log.Count("MessageDlg|"), 0);
}

void TestMainFrame::pollNewsRaisesNoticeAndCounters()
{
    TestApp env({.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}}});
    QVERIFY(theDatabase().init());
    theDatabase().Connection().Exec("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS) "
                                    "VALUES ('Q1', 1, 0, 0, 'New'), ('Q2', 1, 0, 1, 'Read')");
    theSettings().SetInt(Setting::DefaultMarket, 0);
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    frame.show();
    NewCounts counts;
    counts.value[NewCounts::Queries] = 1;
    // From the poll thread: the calls return at once, the window applies them later.
    std::thread([&] {
        frame.SetNewCounts(counts);
        frame.RefreshListAfterRequest();
    }).join();
    QVERIFY(!frame.InfoPanel()->IsNoticeShown());
    QCoreApplication::processEvents();
    QCOMPARE(frame.PartsTree()->GetItemCaption(NodeIncomingLeads), QStringLiteral("Incoming Leads  (1/2)"));
    QVERIFY(frame.InfoPanel()->IsNoticeShown());
    QVERIFY(frame.InfoPanel()->Notice()->IsBlinking());
    QCOMPARE(theSettings().GetInt(Setting::BlinkNewInfo), 1);
}

void TestMainFrame::exitDropsQueuedRefresh()
{
    TestApp env({.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}}});
    QVERIFY(theDatabase().init());
    theSettings().SetInt(Setting::DefaultMarket, 0);
    RecordingPanes panes;
    CMainFrame frame(panes);
    QVERIFY(frame.OnCreate());
    NewCounts counts;
    counts.value[NewCounts::Messages] = 3;
    frame.SetNewCounts(counts);
    std::thread([&] {
        frame.RefreshListAfterRequest();
        frame.ShowTrayMessage("You have new messages : 3.", 0);
    }).join();
    frame.OnAppExit();
    QCoreApplication::processEvents();
    QCOMPARE(frame.PartsTree()->GetItemCaption(NodeMessages), QStringLiteral("Messages"));
    QCOMPARE(CTrayPopupWnd::OpenCount(), 0);
    QVERIFY(frame.IsExiting());
}

void TestMainFrame::secondStartBringsFrameForward_data()
{
    QTest::addColumn<bool>("minimise");
    QTest::newRow("hidden") << false;
    QTest::newRow("minimised") << true;
}

void TestMainFrame::secondStartBringsFrameForward()
{
    QFETCH(bool, minimise);
    const QString name = QStringLiteral("korvant-frame-test-%1").arg(QCoreApplication::applicationPid());
    // Without -url and -dbpath the single-instance guard runs.
    ClientEnv env({.noDbPath = true, .instanceName = name});
    RecordingPanes panes;
    GuiFrameFactory gui(&panes, false);
    env.app().SetFrameFactory(&gui);
    PrepareMember(env);
    env.StoreSettings([this](XSettings &s) { s.SetString(Setting::ServerURL, m_server.Url()); });
    QVERIFY(!env.app().OverrideFlag());
    QVERIFY(env.app().InitInstance());
    CMainFrame *frame = gui.Frame();
    // Another program's window has the focus meanwhile: the offscreen platform
    // keeps a hidden window focused, which a desktop never does.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    if (minimise) {
        frame->showMinimized();
        QTRY_VERIFY(frame->isMinimized());
    } else {
        frame->hide();
    }
    QVERIFY(!frame->isActiveWindow());
    SingleInstance second(name);
    QVERIFY(!second.Acquire());
    QTRY_VERIFY(frame->isVisible());
    QTRY_VERIFY(!frame->isMinimized());
    QTRY_VERIFY(frame->isActiveWindow());
    env.app().ExitInstance();
    gui.DestroyFrame();
}

// Every row asks for its icon on each repaint; a style icon made anew each
// time reads and decodes its image files again on the GUI thread.
void TestMainFrame::rowIconsKeptAcrossPaints()
{
    TestApp env;
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
    RecordingPanes panes;
    CMainFrame frame(panes);
    const qint64 parts = frame.RowIcon(ListPartQueries).cacheKey();
    QCOMPARE(frame.RowIcon(ListPartQueries).cacheKey(), parts);
    QCOMPARE(frame.RowIcon(ListCarQueries).cacheKey(), parts);
    QCOMPARE(frame.RowIcon(ListMessages).cacheKey(), frame.RowIcon(ListMessages).cacheKey());
    QVERIFY(frame.RowIcon(ListMessages).cacheKey() != parts);
    QVERIFY(frame.RowIcon(ListOrders).isNull());
    // A new style gives new icons.
    frame.setStyle(windows.get());
    QVERIFY(frame.RowIcon(ListPartQueries).cacheKey() != parts);
}

KORVANT_TEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
