#include "Globals.h"

#include <array>

namespace {
std::array<std::unique_ptr<GlobalObject>, static_cast<size_t>(GlobalSlot::Count)> g_slots;
}

void Globals::Install(GlobalSlot slot, std::unique_ptr<GlobalObject> object)
{
    const auto index = static_cast<size_t>(slot);
    if (index >= g_slots.size())
        throw std::logic_error("global slot out of range");
    if (g_slots[index])
        throw std::logic_error("global slot already filled");
    for (size_t i = index + 1; i < g_slots.size(); ++i) {
        if (g_slots[i])
            throw std::logic_error("global objects must be built in their fixed order");
    }
    g_slots[index] = std::move(object);
}

GlobalObject *Globals::Get(GlobalSlot slot)
{
    const auto index = static_cast<size_t>(slot);
    return index < g_slots.size() ? g_slots[index].get() : nullptr;
}

void Globals::Teardown()
{
    for (size_t i = g_slots.size(); i-- > 0;)
        g_slots[i].reset();
}
