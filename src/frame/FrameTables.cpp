#include "FrameTables.h"

#include "CMainFrame.h"

#include <QHash>

namespace FrameTables {

namespace {
using B = Branch;
} // namespace

const std::vector<TreeNode> &PartsTree()
{
    static const std::vector<TreeNode> rows = {
        {185, "Home", 0, 16, B::All},
        {20100, "Sell", 185, 1, B::Sell},
        {20102, "Incoming Leads", 20100, 5, B::Sell},
        {20101, "Replied Quotes", 20100, 5, B::Sell},
        {195, "Pending Sales", 20101, 5, B::Sell},
        {198, "Completed Sales", 20101, 5, B::Sell},
        {151, "My Store", 20100, 8, B::Sell},
        {20106, "Specialty/Filter", 151, 4, B::Sell},
        {122, "My Extended Profile", 151, 9, B::Sell},
        {20105, "Catalog/Inventory", 151, 2, B::Sell},
        {20104, "Archive", 20100, 3, B::Sell},
        {20109, "Seller's Guide", 20100, 6, B::Sell},
        {20000, "Buy", 185, 0, B::Buy},
        {20002, "Open Requests", 20000, 5, B::Buy},
        {20003, "Pending Quotes", 20000, 5, B::Buy},
        {196, "Purchase Orders", 20003, 5, B::Buy},
        {199, "Confirmed Orders", 20003, 5, B::Buy},
        {20004, "Archive", 20000, 3, B::Buy},
        {20005, "Buyer's Guide", 20000, 6, B::Buy},
        {152, "For Sale", 185, 15, B::All},
        {130, "Hot Deals", 152, 14, B::All},
        {131, "My Hot Deals", 130, 14, B::All},
        {20200, "General", 185, 3, B::All},
        {118, "Messages", 20200, 7, B::All},
        {207, "Subscription", 20200, 11, B::All},
        {124, "Marketplaces", 20200, 12, B::All},
        {121, "Online Shops", 20200, 8, B::All},
        {192, "Sponsors & Partners", 20200, 8, B::All},
        {134, "Earn Money/Affiliate", 185, 13, B::Sell},
        {137, "My Site Queries", 134, 5, B::Sell},
        {136, "Referred Subscribers", 134, 5, B::Sell},
        {138, "Payouts", 134, 5, B::Sell},
        {125, "Refer a Friend", 134, 11, B::Sell},
        {126, "Earn Money", 134, 13, B::Sell},
    };
    return rows;
}

const std::vector<TreeNode> &CarsTree()
{
    static const std::vector<TreeNode> rows = {
        {188, "Home", 0, 16, B::All},
        {166, "Sell", 188, 1, B::Sell},
        {161, "Incoming Leads", 166, 5, B::Sell},
        {162, "Replied Quotes", 166, 5, B::Sell},
        {170, "My Store", 166, 8, B::Sell},
        {169, "Specialty/Filter", 170, 4, B::Sell},
        {155, "Catalog/Inventory", 170, 2, B::Sell},
        {163, "Archive", 166, 3, B::Sell},
        {167, "Buy", 188, 0, B::Buy},
        {158, "Open Requests", 167, 5, B::Buy},
        {159, "Pending Quotes", 167, 5, B::Buy},
        {160, "Archive", 167, 3, B::Buy},
        {20200, "General", 188, 3, B::All},
        {118, "Messages", 20200, 7, B::All},
        {168, "Marketplaces", 20200, 12, B::All},
        {182, "Refer a Friend", 20200, 11, B::All},
        {192, "Sponsors & Partners", 20200, 8, B::All},
    };
    return rows;
}

const std::vector<TreeNode> &CarsExtraCaptions()
{
    static const std::vector<TreeNode> rows = {
        {152, "For Sale", 0, 15, B::All},
        {122, "My Extended Profile", 0, 9, B::All},
    };
    return rows;
}

bool BuildsBranch(const QString &role, Branch branch)
{
    switch (branch) {
    case Branch::All: return true;
    case Branch::Sell: return role != QLatin1String("Buyer");
    case Branch::Buy: return role != QLatin1String("Seller");
    }
    return true;
}

const std::vector<PageRow> &Pages()
{
    using K = PageKind;
    constexpr int PQ = CMainFrame::PanePartQueries, CQ = CMainFrame::PaneCarQueries, OL = CMainFrame::PaneOrders,
                  HD = CMainFrame::PaneHotDeals, ML = CMainFrame::PaneMessages;
    static const std::vector<PageRow> rows = [] {
        std::vector<PageRow> r = {
            {185, K::Dashboard, "", 0, "Home"},
            {188, K::Dashboard, "", 0, "Home"},
            {20000, K::Local, "b-welcome.html", 1, "Buyer's Help"},
            {167, K::Local, "b-car-welcome.html", 1, "Buyer's Help"},
            {20100, K::Local, "s-welcome.html", 2, "Seller's Guide"},
            {166, K::Local, "s-car-welcome.html", 2, "Seller's Guide"},
            {20002, K::List, "", 1, "Open Requests", false, PQ},
            {20003, K::List, "", 1, "Pending Quotes", false, PQ},
            {20004, K::List, "", 1, "Archive", false, PQ},
            {20101, K::List, "", 2, "Replied Quotes", false, PQ},
            {20104, K::List, "", 2, "Archive", false, PQ},
            {158, K::List, "", 1, "Open Requests", false, CQ},
            {159, K::List, "", 1, "Pending Quotes", false, CQ},
            {160, K::List, "", 1, "Archive", false, CQ},
            {162, K::List, "", 2, "Replied Quotes", false, CQ},
            {163, K::List, "", 2, "Archive", false, CQ},
            {137, K::List, "", 4, "My Site Queries", false, PQ},
            {195, K::List, "", 2, "Pending Sales", false, OL},
            {198, K::List, "", 2, "Completed Sales", false, OL},
            {196, K::List, "", 1, "Purchase Orders", false, OL},
            {199, K::List, "", 1, "Confirmed Orders", false, OL},
            {130, K::List, "", 5, "Hot Deals", false, HD},
            {131, K::List, "", 5, "My Hot Deals", false, HD},
            {118, K::List, "", 3, "Messages", false, ML},
            {20106, K::Speciality, "", 2, "Specialty/Filter", true},
            {169, K::Speciality, "", 2, "Specialty/Filter", true},
            {151, K::Local, "my-store.html", 2, "My Store"},
            {170, K::Local, "my-store-cars.html", 2, "My Store"},
            {152, K::Local, "for-sale.html", 5, "For Sale"},
            {20005, K::Local, "b-guide.html", 1, "Buyer's Guide"},
            {20109, K::Local, "s-guide.html", 2, "Seller's Guide"},
            {20200, K::Local, "general.html", 3, "General"},
            {126, K::Local, "earn-money.html", 3, nullptr},
            {121, K::ServerAddress, "%1/onlineshops.html", 3, "Online Shops"},
            {192, K::ServerAddress, "%1/sponsors.html", 3, "Sponsors & Partners"},
            {122, K::ServerAddress, "%1/topic_my/?session_id=%2", 2, "My Extended Profile", true},
            {124, K::ServerPage, "market_places", 3, "Marketplaces", true, 0, Param::Marketplace, "", true},
            {168, K::ServerPage, "car_market_places", 3, "Marketplaces", true, 0, Param::Marketplace, "", true},
            {207, K::ServerPage, "market_places", 3, "Subscription", true, 0, Param::Fixed,
             "quick_seller_subscription/", true},
            {134, K::ServerPage, "affiliate", 4, "Earn Money/Affiliate", true},
            {136, K::ServerPage, "my_affiliates", 4, "Referred Subscribers", true},
            {138, K::ServerPage, "payouts", 4, "Payouts", true},
            {125, K::ServerPage, "referafriend", 3, "Refer a Friend", true, 0, Param::Fixed, "?market=parts"},
            {182, K::ServerPage, "referafriend", 3, "Refer a Friend", true, 0, Param::Fixed, "?market=cars"},
        };
        PageRow leads{20102, K::List, "", 2, "Incoming Leads", false, PQ};
        leads.filterBar = true;
        r.push_back(leads);
        leads.node = 161;
        leads.pane = CQ;
        r.push_back(leads);
        PageRow catalog{20105, K::List, "", 2, "Catalog/Inventory", false, CMainFrame::PanePartInventory};
        catalog.newRecordButton = true;
        r.push_back(catalog);
        catalog.node = 155;
        catalog.pane = CMainFrame::PaneCarInventory;
        r.push_back(catalog);
        return r;
    }();
    return rows;
}

QString ServerAddressUrl(const char *content, const QString &server, const QString &session)
{
    QString url = QString::fromUtf8(content);
    // Filled one placeholder at a time: not every address names the session.
    const qsizetype at = url.indexOf(QLatin1String("%2"));
    if (at >= 0)
        url.replace(at, 2, session);
    return url.replace(QLatin1String("%1"), server);
}

PageRow Page(int node)
{
    for (const PageRow &row : Pages()) {
        if (row.node == node)
            return row;
    }
    return PageRow{node, PageKind::Nothing, "", -1, nullptr};
}

int CarsTwin(int partsNode)
{
    static const QHash<int, int> twins = {{20002, 158}, {20003, 159}, {20004, 160}, {20101, 162}, {20102, 161},
                                          {20104, 163}, {20105, 155}, {20106, 169}, {124, 168},   {185, 188},
                                          {195, 162},   {198, 162},   {196, 159},   {199, 159}};
    return twins.value(partsNode, partsNode);
}

const QList<MenuItem> &MainMenu()
{
    static const QList<MenuItem> menu = {
        {-1, "&File",
         {{CmdLogin, "&Login \tCtrl+L"},
          {CmdLogout, "L&ogout"},
          {CmdRelogin, "&Relogin"},
          {CmdMyProfile, "My &Profile"},
          {CmdMySubscriptions, "My &Subscriptions"},
          {CmdCheckNewVersion, "&Check New Version"},
          {0, ""},
          {-1, "Import...", {{CmdImportInventory, "Inventory"}}},
          {-1, "Export...", {{CmdExportInventory, "Inventory"}}},
          {0, ""},
          {CmdBackupData, "&Backup Data"},
          {CmdRestoreData, "R&estore Data"},
          {0, ""},
          {CmdPrintSetup, "Print &Setup..."},
          {CmdPrint, "&Print...  \tCtrl+P"},
          {0, ""},
          {CmdExit, "E&xit"}}},
        {-1, "&View", {{CmdNavigator, "&Navigator"}, {CmdDetailsBar, "&Details"}, {CmdSearchBar, "SearchBar"}}},
        {-1, "&Action",
         {{CmdNew, "&New ... \tCtrl+N"},
          {CmdDetails, "&Details ...\tCtrl+D"},
          {-1, "Set Status",
           {{CmdStatusNew, "New"},
            {CmdStatusRead, "Read"},
            {CmdStatusReplied, "Replied"},
            {CmdStatusAutoReplied, "Auto Replied"},
            {CmdStatusCompleted, "Completed"}}},
          {CmdDelete, "D&elete\tDel"},
          {CmdArchive, "&Archive"},
          {CmdRestore, "&Restore"},
          {CmdWriteComment, "Write Comment ...\tCtrl+W"},
          {CmdMemberLookup, "&Member Lookup"},
          {CmdAddressBook, "Address &Book..."},
          {CmdSelectAll, "Select All\tCtrl+A"}}},
        {-1, "&Sell",
         {{20102, "&Pending Queries"},
          {20101, "&Replied Quotes"},
          {195, "P&ending Sales"},
          {198, "C&ompleted Sales"},
          {20104, "&Archive"},
          {20105, "My &Catalog"},
          {20106, "&My Specialty"}}},
        {-1, "&Buy",
         {{20002, "&Open Queries"},
          {20003, "&Pending Quotes"},
          {196, "P&urchase Orders"},
          {199, "&Confirmed Orders"},
          {20004, "&Archive"}}},
        {-1, "&Tools",
         {{CmdSynchronize, "S&ynchronize \tF5"},
          {CmdSynchronizeMeta, "Synchronize &Meta\tCtrl+F5"},
          {CmdCompactDatabase, "Compact Database"},
          {CmdSearch, "&Search... \tCtrl+F"},
          {CmdOptions, "&Options... \tCtrl+O"}}},
        {-1, "&Help",
         {{CmdContactUs, "Contact Us"},
          {CmdHowItWorks, "How does it work"},
          {20109, "Seller's &Guide"},
          {20005, "Buyer's &Guide"},
          {CmdKorvantHelp, "Korvant Help"},
          {CmdOnlineHelp, "&Online Help"},
          {207, "&Subscription"},
          {CmdAbout, "&About Korvant"}}},
    };
    return menu;
}

const QList<Accelerator> &Accelerators()
{
    static const QList<Accelerator> keys = {
        {"Ctrl+A", CmdSelectAllKey}, {"Ctrl+D", CmdDetails},         {"Ctrl+F", CmdSearch},
        {"Ctrl+L", CmdLogin},        {"Ctrl+N", CmdNew},             {"Ctrl+O", CmdOptions},
        {"Ctrl+P", CmdPrint},        {"Del", CmdDelete},             {"F5", CmdSynchronize},
        {"Ctrl+F5", CmdSynchronizeMeta}, {"Ctrl+W", CmdWriteComment},
        {"F6", CmdNextPane},         {"Shift+F6", CmdPrevPane},
    };
    return keys;
}

QList<ToolButton> ToolBar(int mode, const QString &newLabel)
{
    Q_UNUSED(newLabel);
    return {{CmdBack, "Back"},
            {CmdNew, mode == 1 ? "Buy a Car" : "Part Query"},
            {CmdSearch, "Search"},
            {CmdDelete, "Delete"},
            {CmdSynchronize, "Refresh"}};
}

} // namespace FrameTables
