#include "CommandRules.h"

#include "FrameTables.h"

using namespace FrameTables;

namespace CommandRules {

int StatusOf(int id)
{
    switch (id) {
    case CmdStatusNew: return 0;
    case CmdStatusRead: return 1;
    case CmdStatusReplied: return 2;
    case CmdStatusAutoReplied: return 3;
    case CmdStatusCompleted: return 5;
    case CmdStatusCancelled: return 6;
    default: return -1;
    }
}

namespace {

bool StatusListShown(const CommandState &s)
{
    switch (s.listType) {
    case 1: case 2: case 6: case 7: case 8: return s.hasList;
    default: return false;
    }
}

} // namespace

bool IsEnabled(int id, const CommandState &s)
{
    const auto can = [&s](int code) { return s.hasList && s.actions.contains(code); };
    switch (id) {
    case CmdHome: return s.node != HomeNode(s.mode);
    case CmdBack: return s.historyLength >= 2;
    case CmdWriteComment: return can(13);
    case CmdSearch: return s.hasList && (s.listType < 5 || s.listType > 8) && s.rows >= 1;
    case CmdSearchBar: return s.listType == 1 || s.listType == 2;
    case CmdDetails: return can(2);
    case CmdDelete: return can(3);
    case CmdNew: return s.node != NodeHome && s.node != NodeCarsHome;
    case CmdArchive: return can(4);
    case CmdRestore: return can(5);
    case CmdStatusNew: return StatusListShown(s) && s.selectedStatus >= 0 && can(7);
    case CmdStatusRead: return StatusListShown(s) && s.selectedStatus >= 0 && can(8);
    case CmdStatusCompleted: return StatusListShown(s) && s.selectedStatus >= 0 && s.listType == 8 && can(11);
    case CmdStatusCancelled: return StatusListShown(s) && s.selectedStatus >= 0 && can(12);
    case CmdStatusReplied:
    case CmdStatusAutoReplied: return false;
    case CmdRelogin: return s.loggedIn;
    case CmdLogin: return !s.loggedIn;
    case CmdLogout:
    case CmdMyProfile: return s.loggedIn;
    case CmdImportInventory: return !s.importRunning;
    case NodePendingSales:
    case NodeCompletedSales:
    case NodePurchaseOrders:
    case NodeConfirmedOrders: return s.mode == 0;
    case CmdPrint: return can(15);
    case CmdSelectAll: return s.hasList;
    case CmdMySubscriptions:
    case CmdPrintSetup:
    case CmdKorvantHelp:
    case CmdOnlineHelp: return false;
    default: return true;
    }
}

bool IsChecked(int id, const CommandState &s)
{
    switch (id) {
    case CmdNavigator: return s.navigatorVisible;
    case CmdDetailsBar: return s.detailsVisible;
    case CmdSearchBar: return s.searchBar;
    default: break;
    }
    const int status = StatusOf(id);
    return status >= 0 && StatusListShown(s) && s.selectedStatus == status;
}

} // namespace CommandRules
