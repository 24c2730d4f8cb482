#pragma once

// The main window's tables as data: the two navigator trees, the page of
// every node, the parts/cars twins, the menu bar, the tool bar and the
// accelerators. Widgets are built from these; tests read them directly.

#include "dialogs/NodeIds.h"
#include "dialogs/PaneInterfaces.h"

#include <QList>
#include <QString>

#include <vector>

namespace FrameTables {

// Which branches of a tree a member's role builds.
enum class Branch { All, Sell, Buy };
struct TreeNode
{
    int id;
    const char *caption;
    int parent;  // 0: the root
    int image;
    Branch branch;
};
const std::vector<TreeNode> &PartsTree();
const std::vector<TreeNode> &CarsTree();
// Caption entries of nodes that the cars map knows without an item.
const std::vector<TreeNode> &CarsExtraCaptions();
// "Seller" has no Buy branch, "Buyer" no Sell branch; "Both" and anything else have both.
bool BuildsBranch(const QString &role, Branch branch);

enum class PageKind {
    Dashboard,     // Home, refreshed
    Local,         // a page of the program's doc folder
    ServerAddress, // "<server>/<content>", or the extended profile with the session
    ServerPage,    // "<server>/<page>/<session>/<parameter>"
    List,          // a record list on the node
    Speciality,    // the specialty browser on the mode's filter
    Nothing,       // the node has no page of its own
};
enum class Param { None, Marketplace, Fixed };
struct PageRow
{
    int node;
    PageKind kind;
    const char *content;   // file, address format or server page name
    int section;           // PageSection
    const char *title;     // null: the title stays
    bool loginFirst = false;
    int pane = 0;          // CMainFrame pane kind for lists
    Param param = Param::None;
    const char *fixedParam = "";
    bool clearsNewMarkets = false;
    bool newRecordButton = false;
    bool filterBar = false;
};
// The page of a node; a row of kind Nothing for a node without one.
PageRow Page(int node);
// A server address page's "%1" (server) and "%2" (session), where the address has them.
QString ServerAddressUrl(const char *content, const QString &server, const QString &session);
const std::vector<PageRow> &Pages();

// The cars page that stands for a parts page in cars mode; the node itself otherwise.
int CarsTwin(int partsNode);
// Home of a market mode.
inline int HomeNode(int mode) { return mode == 1 ? NodeCarsHome : NodeHome; }

// Command ids of the menus, keys and tool bar.
enum Command : int {
    CmdActivate = 101,
    CmdHome = 187,
    CmdBack = 193,
    CmdNewCarCatalogRecord = 165,
    CmdMyProfile = 32771,
    CmdMySubscriptions = 32772,
    CmdCheckNewVersion = 32773,
    CmdPrintSetup = 32774,
    CmdWriteComment = 32780,
    CmdSearch = 32781,
    CmdSynchronize = 32782,
    CmdOptions = 32783,
    CmdKorvantHelp = 32784,
    CmdOnlineHelp = 32785,
    CmdNavigator = 32794,
    CmdDetails = 32803,
    CmdDelete = 32804,
    CmdNew = 32820,
    CmdArchive = 32822,
    CmdRestore = 32823,
    CmdStatusNew = 32827,
    CmdStatusCompleted = 32828,
    CmdStatusCancelled = 32829,
    CmdStatusReplied = 32830,
    CmdStatusRead = 32831,
    CmdStatusAutoReplied = 32833,
    CmdLogin = 32834,
    CmdLogout = 32835,
    CmdContactUs = 32843,
    CmdSendMessage = 32844,
    CmdSynchronizeMeta = 32852,
    CmdRelogin = 32853,
    CmdMemberLookup = 32854,
    CmdAddressBook = 32890,    // our own: no page of the window opened the address book
    CmdNewHotDeal = 32855,
    CmdExportInventory = 32857,
    CmdImportInventory = 32861,
    CmdCompactDatabase = 32862,
    CmdHowItWorks = 32863,
    CmdSelectAllKey = 32864,
    CmdSelectAll = 32865,
    CmdSearchBar = 32871,
    CmdBackupData = 32872,
    CmdRestoreData = 32873,
    CmdPrint = 57607,
    CmdNextPane = 57680,
    CmdPrevPane = 57681,
    CmdAbout = 57664,
    CmdExit = 57665,
    CmdDetailsBar = 59411,
};

struct MenuItem
{
    int id;              // 0: separator; -1: a sub-menu
    const char *text;    // "&Login \tCtr+L": the text after the tab is the key shown
    QList<MenuItem> items{};
};
// Menu 128: "&File", "&View", "&Action", "&Sell", "&Buy", "&Tools", "&Help".
const QList<MenuItem> &MainMenu();
struct Accelerator
{
    const char *key;  // QKeySequence text
    int id;
};
const QList<Accelerator> &Accelerators();
struct ToolButton
{
    int id;
    const char *text;
};
// Back, New (the mode's label), Search, Delete, Refresh.
QList<ToolButton> ToolBar(int mode, const QString &newLabel);

} // namespace FrameTables
