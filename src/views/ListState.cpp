#include "ListState.h"

std::optional<ListState> ListStateMap::Lookup(const Key &key) const
{
    auto it = m_states.find(key);
    if (it == m_states.end())
        return std::nullopt;
    return *it;
}

ListStateMap &ListStateMap::Instance()
{
    if (auto *installed = Globals::As<ListStateMap>(GlobalSlot::ListStates))
        return *installed;
    static ListStateMap fallback;
    return fallback;
}
