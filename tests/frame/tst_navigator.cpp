#include "RecordingPanes.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/Constants.h"
#include "app/Globals.h"
#include "app/TasksDispatcher.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "dialogs/RBitmapButton.h"
#include "frame/CMainFrame.h"
#include "frame/CNavigatorTree.h"
#include "frame/CommandRules.h"
#include "frame/FrameTables.h"
#include "frame/NavigatorModel.h"
#include "frame/VMContextChanger.h"
#include "net/XProfile.h"

#include <QMenuBar>
#include <QTest>

using namespace FrameTables;

namespace {

// A window over recording panes, with the globals its pages read.
struct FrameEnv
{
    explicit FrameEnv(int defaultMarket = 0, const QString &role = QStringLiteral("Both"))
        : app({.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
                         {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}}})
    {
        theSettings().SetInt(Setting::DefaultMarket, defaultMarket);
        theSettings().SetString(Setting::ServerURL, QStringLiteral("https://server.example"));
        SetRole(role);
        frame = std::make_unique<CMainFrame>(panes);
        app.App().SetMainFrame(frame.get());
        if (!frame->OnCreate())
            qFatal("the frame was not created");
        frame->resize(1000, 700);
    }
    ~FrameEnv()
    {
        app.App().SetMainFrame(&app.frame);
        frame.reset();
    }
    static void SetRole(const QString &role)
    {
        ProfileData p = theProfile().Get();
        p.role = role;
        p.carRole = role;
        theProfile().Set(p);
    }
    void LogIn(bool ok)
    {
        app.login.onLogin = [ok] {
            theApp().GetSession().SetLoggedIn(ok);
            return ok;
        };
    }
    QStringList MenuTitles() const
    {
        QStringList titles;
        for (QAction *a : frame->menuBar()->actions())
            titles << a->text();
        return titles;
    }

    TestApp app;
    RecordingPanes panes;
    std::unique_ptr<CMainFrame> frame;
};

QList<int> Ids(std::initializer_list<int> ids)
{
    return QList<int>(ids);
}

} // namespace

class TestNavigator : public QObject
{
    Q_OBJECT
private slots:
    void treeBuild_data();
    void treeBuild();
    void captions_data();
    void captions();
    void groupRemovalLeavesNoEntry();
    void counterOutsideTreeReachesDashboard();
    void pageTable_data();
    void pageTable();
    void catalogDuringImport();
    void failedLoginKeepsPage();
    void enableRules_data();
    void enableRules();
    void twins_data();
    void twins();
    void quoteListId();
    void marketButtons();
    void currentMarketClickShowsHomeOnly();
    void roleMenusKeepTheirPlaces();
    void backAndHistory();
    void carsModeMenuItems();
    void deleteConfirmation();
    void exportTexts();
    void importNotifyInCarsMode();
    void catalogChangedElsewhereChangesNothing();
    void placeholderCommandsShowOneBox();
};

void TestNavigator::treeBuild_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QList<int>>("ids");
    const QList<int> sell = Ids({20100, 20102, 20101, 195, 198, 151, 20106, 122, 20105, 20104, 20109});
    const QList<int> buy = Ids({20000, 20002, 20003, 196, 199, 20004, 20005});
    const QList<int> common = Ids({152, 130, 131, 20200, 118, 207, 124, 121, 192});
    const QList<int> affiliate = Ids({134, 137, 136, 138, 125, 126});
    const QList<int> all = QList<int>{185} + sell + buy + common + affiliate;
    QTest::newRow("parts Both") << 0 << "Both" << all;
    QTest::newRow("parts empty") << 0 << "" << all;
    QTest::newRow("parts Seller") << 0 << "Seller" << QList<int>{185} + sell + common + affiliate;
    QTest::newRow("parts Buyer") << 0 << "Buyer" << QList<int>{185} + buy + common;
    const QList<int> carSell = Ids({166, 161, 162, 170, 169, 155, 163});
    const QList<int> carBuy = Ids({167, 158, 159, 160});
    const QList<int> carCommon = Ids({20200, 118, 168, 182, 192});
    QTest::newRow("cars Both") << 1 << "Both" << QList<int>{188} + carSell + carBuy + carCommon;
    QTest::newRow("cars Seller") << 1 << "Seller" << QList<int>{188} + carSell + carCommon;
    QTest::newRow("cars Buyer") << 1 << "Buyer" << QList<int>{188} + carBuy + carCommon;
    QTest::newRow("cars empty") << 1 << "" << QList<int>{188} + carSell + carBuy + carCommon;
}

void TestNavigator::treeBuild()
{
    QFETCH(int, mode);
    QFETCH(QString, role);
    QFETCH(QList<int>, ids);
    NavigatorModel model(mode);
    model.Build(role);
    QCOMPARE(model.ItemIds(), ids);
    // The cars map knows two captions without items.
    QCOMPARE(model.HasEntry(NodeForSale), true);
    QCOMPARE(model.Contains(NodeForSale), mode == 0);
}

void TestNavigator::captions_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("fresh");
    QTest::addColumn<bool>("boldFlag");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("bold");
    QTest::newRow("total only") << 7 << 0 << true << "Incoming Leads  (7)" << false;
    QTest::newRow("new and total") << 7 << 2 << true << "Incoming Leads  (2/7)" << true;
    QTest::newRow("new without the flag") << 7 << 2 << false << "Incoming Leads  (2/7)" << false;
    QTest::newRow("big counts") << 100000 << 70000 << true << "Incoming Leads  (70000/100000)" << true;
}

void TestNavigator::captions()
{
    QFETCH(int, total);
    QFETCH(int, fresh);
    QFETCH(bool, boldFlag);
    QFETCH(QString, caption);
    QFETCH(bool, bold);
    TestApp env;
    CNavigatorTree tree(0);
    tree.RebuildTree("Both");
    QCOMPARE(tree.GetItemCaption(NodeIncomingLeads), QStringLiteral("Incoming Leads"));
    tree.SetItemCounter(NodeIncomingLeads, total, fresh, boldFlag);
    QCOMPARE(tree.GetItemCaption(NodeIncomingLeads), caption);
    QCOMPARE(tree.FindItemById(NodeIncomingLeads)->font(0).bold(), bold);
}

void TestNavigator::groupRemovalLeavesNoEntry()
{
    NavigatorModel model(0);
    model.Build("Both");
    model.RemoveGroup(NodeSell);
    for (int id : {20100, 20102, 20101, 195, 198, 151, 20106, 122, 20105, 20104, 20109}) {
        QVERIFY2(!model.HasEntry(id), qPrintable(QString::number(id)));
        QVERIFY(!model.Contains(id));
    }
    QVERIFY(model.Contains(NodeAffiliate));
    model.RemoveGroup(NodeBuy);
    for (int id : {20000, 20002, 20003, 196, 199, 20004, 20005})
        QVERIFY(!model.HasEntry(id));
    QVERIFY(model.Contains(NodeHome));
}

void TestNavigator::counterOutsideTreeReachesDashboard()
{
    FrameEnv env(0, "Buyer");
    env.panes.log.clear();
    env.frame->SetItemCounter(NodeIncomingLeads, 5, 1, true);  // the Sell branch is not built
    env.frame->SetItemCounter(NodeCarsIncomingLeads, 3, 0, false);
    QCOMPARE(env.panes.log, (QStringList{"SetCounter|20102|5|1|1", "SetCounter|161|3|0|0"}));
    QVERIFY(env.frame->PartsTree()->GetItemCaption(NodeIncomingLeads).isEmpty());
    // From a worker the call is queued and never waits.
    std::thread([&] { env.frame->SetItemCounter(NodeMessages, 9, 4, true); }).join();
    QCoreApplication::processEvents();
    QCOMPARE(env.frame->PartsTree()->GetItemCaption(NodeMessages), QStringLiteral("Messages  (4/9)"));
}

void TestNavigator::pageTable_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("kind");  // subscribe request kind
    QTest::addColumn<int>("pane");
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("address");  // "" for none; "doc:" + file for local pages
    QTest::newRow("home") << 185 << 0 << 184 << 0 << "Home" << "";
    QTest::newRow("buy welcome") << 20000 << 0 << 1 << 1 << "Buyer's Help" << "doc:b-welcome.html";
    QTest::newRow("incoming leads") << 20102 << 0 << 2 << 2 << "Incoming Leads" << "";
    QTest::newRow("pending sales") << 195 << 0 << 9 << 2 << "Pending Sales" << "";
    QTest::newRow("hot deals") << 130 << 0 << 6 << 5 << "Hot Deals" << "";
    QTest::newRow("messages") << 118 << 0 << 5 << 3 << "Messages" << "";
    QTest::newRow("catalog") << 20105 << 0 << 3 << 2 << "Catalog/Inventory" << "";
    QTest::newRow("specialty") << 20106 << 0 << 4 << 2 << "Specialty/Filter" << "";
    QTest::newRow("online shops") << 121 << 0 << 1 << 3 << "Online Shops" << "https://server.example/onlineshops.html";
    QTest::newRow("sponsors") << 192 << 0 << 1 << 3 << "Sponsors & Partners" << "https://server.example/sponsors.html";
    QTest::newRow("extended profile") << 122 << 0 << 1 << 2 << "My Extended Profile"
                                      << "https://server.example/topic_my/?session_id=S-9";
    QTest::newRow("marketplaces") << 124 << 0 << 1 << 3 << "Marketplaces"
                                  << "https://server.example/market_places/S-9/";
    QTest::newRow("marketplaces subscribe") << 124 << 1 << 1 << 3 << "Marketplaces"
                                            << "https://server.example/market_places/S-9/subsc_market?market_id=MP-1";
    QTest::newRow("marketplaces trial") << 124 << 2 << 1 << 3 << "Marketplaces"
                                        << "https://server.example/market_places/S-9/"
                                           "subsc_market?Function=payTrialMarketPlace&market_id=MP-1&role_buyer=1";
    QTest::newRow("subscription") << 207 << 0 << 1 << 3 << "Subscription"
                                  << "https://server.example/market_places/S-9/quick_seller_subscription/";
    QTest::newRow("refer a friend") << 125 << 0 << 1 << 3 << "Refer a Friend"
                                    << "https://server.example/referafriend/S-9/?market=parts";
    QTest::newRow("earn money keeps title") << 126 << 0 << 1 << 3 << "Refer a Friend" << "doc:earn-money.html";
}

void TestNavigator::pageTable()
{
    QFETCH(int, node);
    QFETCH(int, kind);
    QFETCH(int, pane);
    QFETCH(int, section);
    QFETCH(QString, title);
    QFETCH(QString, address);
    FrameEnv env(0);
    env.LogIn(true);
    theApp().GetSession().SetSessionId("S-9");
    env.frame->SetSubscribeRequest("MP-1", kind, true);
    if (node == 126)
        env.frame->OnNavigatorSelect(125);
    env.panes.doc->last.clear();
    // An address is built without complaint from Qt (a value for a missing placeholder).
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) {
        warnings << m;
    });
    env.frame->OnNavigatorSelect(node);
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.filter("QString::arg").isEmpty(), qPrintable(warnings.join('\n')));
    QCOMPARE(env.frame->GetPaneKind(), pane);
    QCOMPARE(env.frame->GetPageSection(), section);
    QCOMPARE(env.frame->GetPageTitle(), title);
    QCOMPARE(env.frame->CurrentNode(), node);
    if (address.startsWith("doc:"))
        QVERIFY2(env.panes.doc->last.endsWith("://doc/" + address.mid(4)), qPrintable(env.panes.doc->last));
    else if (!address.isEmpty())
        QCOMPARE(env.panes.doc->last, address);
    if (pane == CMainFrame::PanePartQueries)
        QCOMPARE(env.frame->CurrentList()->GetFolder(), node);
}

void TestNavigator::catalogDuringImport()
{
    FrameEnv env(0);
    QVERIFY(theTasksDispatcher().TryBeginTask(Korvant::TaskImport, 1000));
    env.frame->OnNavigatorSelect(NodePartsCatalog);
    theTasksDispatcher().EndTask(Korvant::TaskImport);
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PaneDocument));
    QVERIFY2(env.panes.doc->last.endsWith("://doc/catalog_stub.html"), qPrintable(env.panes.doc->log.join(";")));
    env.frame->OnNavigatorSelect(NodePartsCatalog);
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PanePartInventory));
    QCOMPARE(env.frame->GetNewButtonText(), QStringLiteral("New Record"));
}

void TestNavigator::failedLoginKeepsPage()
{
    FrameEnv env(0);
    env.LogIn(false);
    env.frame->PartsTree()->SelectItemById(NodeMessages);
    QCOMPARE(env.frame->CurrentNode(), int(NodeMessages));
    env.frame->PartsTree()->SelectItemById(NodeAffiliate);
    QCOMPARE(env.frame->CurrentNode(), int(NodeMessages));
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PaneMessages));
    QCOMPARE(env.frame->PartsTree()->currentItem()->data(0, Qt::UserRole).toInt(), int(NodeMessages));
}

void TestNavigator::enableRules_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::newRow("back with one") << int(CmdBack) << "history=1" << false << false;
    QTest::newRow("back with two") << int(CmdBack) << "history=2" << true << false;
    QTest::newRow("new on home") << int(CmdNew) << "node=185" << false << false;
    QTest::newRow("new on a page") << int(CmdNew) << "node=118" << true << false;
    QTest::newRow("home on home cars") << int(CmdHome) << "mode=1,node=188" << false << false;
    QTest::newRow("delete without list") << int(CmdDelete) << "" << false << false;
    QTest::newRow("delete allowed") << int(CmdDelete) << "list=7,can=3" << true << false;
    QTest::newRow("search on hot deals") << int(CmdSearch) << "list=7,rows=3" << false << false;
    QTest::newRow("search on queries") << int(CmdSearch) << "list=1,rows=3" << true << false;
    QTest::newRow("search on empty list") << int(CmdSearch) << "list=1,rows=0" << false << false;
    QTest::newRow("searchbar on queries") << int(CmdSearchBar) << "list=2,searchbar" << true << true;
    QTest::newRow("searchbar on orders") << int(CmdSearchBar) << "list=8" << false << false;
    QTest::newRow("status new checked") << int(CmdStatusNew) << "list=1,can=7,status=0" << true << true;
    QTest::newRow("status read unchecked") << int(CmdStatusRead) << "list=1,can=8,status=0" << true << false;
    QTest::newRow("status without selection") << int(CmdStatusNew) << "list=1,can=7" << false << false;
    QTest::newRow("completed on queries") << int(CmdStatusCompleted) << "list=1,can=11,status=5" << false << true;
    QTest::newRow("completed on orders") << int(CmdStatusCompleted) << "list=8,can=11,status=5" << true << true;
    QTest::newRow("replied never") << int(CmdStatusReplied) << "list=1,can=7,status=2" << false << true;
    QTest::newRow("status on inventory") << int(CmdStatusNew) << "list=3,can=7,status=0" << false << false;
    QTest::newRow("orders page in cars") << 195 << "mode=1" << false << false;
    QTest::newRow("orders page in parts") << 199 << "mode=0" << true << false;
    QTest::newRow("import while running") << int(CmdImportInventory) << "import" << false << false;
    QTest::newRow("relogin logged out") << int(CmdRelogin) << "" << false << false;
    QTest::newRow("relogin logged in") << int(CmdRelogin) << "login" << true << false;
    QTest::newRow("print setup") << int(CmdPrintSetup) << "login" << false << false;
    QTest::newRow("navigator shown") << int(CmdNavigator) << "navigator" << true << true;
    QTest::newRow("select all without list") << int(CmdSelectAll) << "" << false << false;
}

void TestNavigator::enableRules()
{
    QFETCH(int, id);
    QFETCH(QString, state);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    CommandState s;
    s.mode = 0;
    for (const QString &part : state.split(',', Qt::SkipEmptyParts)) {
        const QString key = part.section('=', 0, 0);
        const int value = part.section('=', 1).toInt();
        if (key == "history") s.historyLength = value;
        else if (key == "node") s.node = value;
        else if (key == "mode") s.mode = value;
        else if (key == "list") { s.hasList = true; s.listType = value; }
        else if (key == "can") s.actions.insert(value);
        else if (key == "rows") s.rows = value;
        else if (key == "status") s.selectedStatus = value;
        else if (key == "searchbar") s.searchBar = true;
        else if (key == "import") s.importRunning = true;
        else if (key == "login") s.loggedIn = true;
        else if (key == "navigator") s.navigatorVisible = true;
    }
    QCOMPARE(CommandRules::IsEnabled(id, s), enabled);
    QCOMPARE(CommandRules::IsChecked(id, s), checked);
}

void TestNavigator::twins_data()
{
    QTest::addColumn<int>("parts");
    QTest::addColumn<int>("cars");
    for (auto [p, c] : QList<std::pair<int, int>>{{20002, 158}, {20003, 159}, {20004, 160}, {20101, 162}, {20102, 161},
                                                  {20104, 163}, {20105, 155}, {20106, 169}, {124, 168}, {185, 188},
                                                  {195, 162}, {196, 159}, {118, 118}})
        QTest::addRow("%d", p) << p << c;
}

void TestNavigator::twins()
{
    QFETCH(int, parts);
    QFETCH(int, cars);
    QCOMPARE(CarsTwin(parts), cars);
}

void TestNavigator::quoteListId()
{
    TestApp env({.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}}});
    QVERIFY(theDatabase().init());
    SqlConnection &c = theDatabase().Connection();
    const QString insert = "INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE) VALUES (?, 'Q', ?, ?, ?)";
    const QList<QVariantList> rows = {{"A", 1, 1, 0}, {"B", 0, 1, 0}, {"C", 1, 0, 5}, {"D", 0, 0, 5},
                                      {"E", 1, 0, 0}, {"F", 0, 0, 1}, {"it's", 1, 0, 0}};
    for (const QVariantList &row : rows)
        c.Prepare(insert).Reset().BindAll(row).Exec();
    QCOMPARE(CMainFrame::GetQuoteListId("A"), 20004);
    QCOMPARE(CMainFrame::GetQuoteListId("B"), 20104);
    QCOMPARE(CMainFrame::GetQuoteListId("C"), 32837);
    QCOMPARE(CMainFrame::GetQuoteListId("D"), 105);
    QCOMPARE(CMainFrame::GetQuoteListId("E"), 20003);
    QCOMPARE(CMainFrame::GetQuoteListId("F"), 20101);
    QCOMPARE(CMainFrame::GetQuoteListId("it's"), 20003);
    QCOMPARE(CMainFrame::GetQuoteListId("' OR '1'='1"), -1);
    QCOMPARE(CMainFrame::GetQuoteListId("unknown"), -1);
    const QString car = "INSERT INTO Quotes_Cars (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE) VALUES (?, 'Q', ?, ?)";
    for (const QVariantList &row : QList<QVariantList>{{"a", 1, 1}, {"b", 1, 0}, {"c", 0, 1}, {"d", 0, 0}})
        c.Prepare(car).Reset().BindAll(row).Exec();
    QCOMPARE(CMainFrame::GetCarQuoteListId("a"), 160);
    QCOMPARE(CMainFrame::GetCarQuoteListId("b"), 159);
    QCOMPARE(CMainFrame::GetCarQuoteListId("c"), 163);
    QCOMPARE(CMainFrame::GetCarQuoteListId("d"), 162);
    QCOMPARE(CMainFrame::GetCarQuoteListId("x"), -1);
}

void TestNavigator::marketButtons()
{
    for (int market : {0, 1}) {
        FrameEnv env(market);
        env.frame->show();
        QCOMPARE(env.frame->GetMarketMode(), market);
        QVERIFY(env.frame->MarketControl()->CarsButton()->IsChecked() == (market == 1));
        QVERIFY(env.frame->MarketControl()->PartsButton()->IsChecked() == (market == 0));
        QCOMPARE(env.frame->CurrentTree(), market == 1 ? env.frame->CarsTree() : env.frame->PartsTree());
        QCOMPARE(env.frame->CurrentNode(), HomeNode(market));
        QCOMPARE(env.frame->GetNewButtonText(), market == 1 ? QStringLiteral("Buy a Car") : QStringLiteral("Buy a Part"));
        // A click on the other market switches; the other tree keeps its state.
        QTest::mouseClick(market == 1 ? env.frame->MarketControl()->PartsButton()
                                      : env.frame->MarketControl()->CarsButton(),
                          Qt::LeftButton);
        QCOMPARE(env.frame->GetMarketMode(), 1 - market);
        QCOMPARE(env.frame->CurrentNode(), HomeNode(1 - market));
        QCOMPARE(env.frame->GetMarketModeName(), market == 1 ? QStringLiteral("Parts") : QStringLiteral("Cars"));
    }
}

void TestNavigator::currentMarketClickShowsHomeOnly()
{
    FrameEnv env(0);
    env.frame->show();
    env.frame->PartsTree()->SelectItemById(NodeMessages);
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PaneMessages));
    QTest::mouseClick(env.frame->MarketControl()->PartsButton(), Qt::LeftButton);
    QCOMPARE(env.frame->GetMarketMode(), 0);
    QCOMPARE(env.frame->CurrentNode(), int(NodeHome));
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PaneDashboard));
    QVERIFY(env.frame->MarketControl()->PartsButton()->IsChecked());
}

void TestNavigator::roleMenusKeepTheirPlaces()
{
    FrameEnv env(0);
    const QStringList all{"&File", "&View", "&Action", "&Sell", "&Buy", "&Tools", "&Help"};
    QCOMPARE(env.MenuTitles(), all);
    FrameEnv::SetRole("Seller");
    env.frame->UpdateRoleMenus();
    QCOMPARE(env.MenuTitles(), (QStringList{"&File", "&View", "&Action", "&Sell", "&Tools", "&Help"}));
    FrameEnv::SetRole("Buyer");
    env.frame->UpdateRoleMenus();
    QCOMPARE(env.MenuTitles(), (QStringList{"&File", "&View", "&Action", "&Buy", "&Tools", "&Help"}));
    FrameEnv::SetRole("Both");
    env.frame->UpdateRoleMenus();
    QCOMPARE(env.MenuTitles(), all);
}

void TestNavigator::backAndHistory()
{
    FrameEnv env(0);
    env.frame->show();
    env.frame->ShowHome();
    QCOMPARE(env.frame->History(), QList<int>{185});
    QVERIFY(!env.frame->Action(CmdBack)->isEnabled());
    env.frame->PartsTree()->SelectItemById(NodeMessages);
    env.frame->PartsTree()->SelectItemById(NodeHotDeals);
    QCOMPARE(env.frame->History(), (QList<int>{185, 118, 130}));
    QVERIFY(env.frame->Action(CmdBack)->isEnabled());
    env.frame->RunCommand(CmdBack);
    QCOMPARE(env.frame->CurrentNode(), int(NodeMessages));
    QCOMPARE(env.frame->History(), (QList<int>{185, 118}));
    env.frame->RunCommand(CmdBack);
    QCOMPARE(env.frame->CurrentNode(), int(NodeHome));
    QVERIFY(!env.frame->Action(CmdBack)->isEnabled());
}

void TestNavigator::carsModeMenuItems()
{
    FrameEnv env(1);
    env.frame->show();
    env.frame->RunCommand(NodeIncomingLeads);
    QCOMPARE(env.frame->CurrentNode(), int(NodeCarsIncomingLeads));
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PaneCarQueries));
    env.frame->RunCommand(NodeOpenRequests);
    QCOMPARE(env.frame->CurrentNode(), int(NodeCarsOpenRequests));
    env.frame->UpdateCommandStates();
    QVERIFY(!env.frame->Action(NodePendingSales)->isEnabled());
    QVERIFY(!env.frame->Action(NodeConfirmedOrders)->isEnabled());
    env.frame->SwitchToParts();
    env.frame->UpdateCommandStates();
    QVERIFY(env.frame->Action(NodePendingSales)->isEnabled());
}

void TestNavigator::deleteConfirmation()
{
    FrameEnv env(0);
    env.frame->show();
    theSettings().SetInt(Setting::DeleteConfirm, 0);
    env.app.dialogs.defaultAnswer = MsgBox::IdNo;
    env.frame->PartsTree()->SelectItemById(NodeMyHotDeals);
    env.frame->OnDelete();
    QCOMPARE(env.app.dialogs.log.Count("MessageBox|Your Hot Deal(s) will be deleted"), 1);
    env.frame->PartsTree()->SelectItemById(NodeMessages);
    env.frame->OnDelete();
    QCOMPARE(env.app.dialogs.log.Count("MessageDlg|"), 0);
    theSettings().SetInt(Setting::DeleteConfirm, 1);
    env.frame->OnDelete();
    QCOMPARE(env.app.dialogs.log.Count("MessageDlg||The record(s) will be permanently deleted. Are you sure?"), 1);
}

void TestNavigator::exportTexts()
{
    FrameEnv env(0);
    QVERIFY(theDatabase().init());
    theDatabase().Connection().Exec("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME) VALUES ('A-1', 'Door'), ('A-2', 'Hood')");
    const QString good = env.app.DataFolder() + "export.csv";
    env.app.dialogs.QueueFileName(good);
    env.frame->RunCommand(CmdExportInventory);
    QCOMPARE(env.app.dialogs.log.Count(QStringLiteral("MessageBox|You have sucessully exported 2 records from your parts "
                                                      "inventory<%1>.")
                                           .arg(good)),
             1);
    env.app.dialogs.QueueFileName(env.app.DataFolder() + "no/such/folder/export.csv");
    env.frame->RunCommand(CmdExportInventory);
    QCOMPARE(env.app.dialogs.log.Count("MessageBox|Error of database exporting|Error"), 1);
}

void TestNavigator::importNotifyInCarsMode()
{
    FrameEnv env(1);
    env.frame->show();
    emit theApp().Signals().ImportNotify();
    QCoreApplication::processEvents();
    QCOMPARE(env.frame->GetMarketMode(), 0);
    QCOMPARE(env.frame->CurrentNode(), int(NodePartsCatalog));
    QCOMPARE(env.frame->GetPaneKind(), int(CMainFrame::PanePartInventory));
}

void TestNavigator::catalogChangedElsewhereChangesNothing()
{
    FrameEnv env(0);
    env.frame->PartsTree()->SelectItemById(NodeMessages);
    const QList<int> history = env.frame->History();
    env.frame->NotifyCatalogChanged();
    QCOMPARE(env.frame->CurrentNode(), int(NodeMessages));
    QCOMPARE(env.frame->History(), history);
    env.frame->PartsTree()->SelectItemById(NodePartsCatalog);
    env.frame->NotifyCatalogChanged();
    QCOMPARE(env.frame->History().count(int(NodePartsCatalog)), 2);
}

void TestNavigator::placeholderCommandsShowOneBox()
{
    FrameEnv env(0);
    env.frame->show();
    env.frame->PartsTree()->SelectItemById(NodeMessages);
    for (int id : {int(CmdOptions), int(CmdMemberLookup), int(CmdImportInventory), int(CmdContactUs), int(CmdNew),
                   int(CmdWriteComment), int(CmdNewHotDeal)}) {
        env.app.dialogs.log.Clear();
        env.frame->RunCommand(id);
        QVERIFY2(env.app.dialogs.log.Count("MessageBox|") == 1, qPrintable(QString::number(id)));
        QVERIFY(env.app.dialogs.log.Calls().first().contains("is not yet available."));
    }
}

KORVANT_TEST_MAIN(TestNavigator)
#include "tst_navigator.moc"
