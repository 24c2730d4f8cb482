#pragma once

// What each record list remembers per folder for the whole run (never
// written to disk): the rows to select again and the sort.

#include "app/Globals.h"

#include <QHash>
#include <QPair>
#include <QString>

#include <optional>

struct ListState
{
    QString neighbourKey;
    bool neighbourLevel = true;
    QString focusKey;
    bool focusLevel = true;
    int sortColumn = 0;
    bool sortAscending = false;
};

// One map for every list, in slot ListStates. A list's key is its folder and
// whether it is hosted in a dialog, kept apart (folder 130 in a dialog is
// not folder 131).
class ListStateMap : public GlobalObject
{
public:
    using Key = QPair<int, bool>;

    std::optional<ListState> Lookup(const Key &key) const;
    void Store(const Key &key, const ListState &state) { m_states.insert(key, state); }
    void Remove(const Key &key) { m_states.remove(key); }
    int Count() const { return int(m_states.size()); }

    // The installed map; without one (a list outside the program) a map of the process.
    static ListStateMap &Instance();

private:
    QHash<Key, ListState> m_states;
};
