#pragma once

#include <QSet>

// What the main window's commands need to know to be enabled or checked.
struct CommandState
{
    bool hasList = false;      // a list pane is shown
    int listType = 0;          // ActiveListType
    QSet<int> actions;         // the action codes the shown list allows on its selection
    int selectedStatus = -1;   // STATUS_CODE of the selection, negative without one
    int rows = 0;
    int node = -1;             // the current node
    int historyLength = 0;
    int mode = -1;
    bool loggedIn = false;
    bool importRunning = false;
    bool navigatorVisible = false;
    bool detailsVisible = false;
    bool searchBar = false;    // View > SearchBar checked
};

namespace CommandRules {

// The action codes a list answers: details, delete, archive, restore, status
// New, Read, Completed, Cancelled, write comment, print.
inline const int ActionCodes[] = {2, 3, 4, 5, 7, 8, 11, 12, 13, 15};

bool IsEnabled(int id, const CommandState &state);
bool IsChecked(int id, const CommandState &state);
// The status a Set Status item stands for (-1 for other commands).
int StatusOf(int id);

} // namespace CommandRules
