#include "NavigatorModel.h"

void NavigatorModel::Clear()
{
    m_items.clear();
    m_map.clear();
    m_counted.clear();
}

void NavigatorModel::Build(const QString &role)
{
    Clear();
    const auto &table = m_mode == 1 ? FrameTables::CarsTree() : FrameTables::PartsTree();
    for (const auto &row : table) {
        if (FrameTables::BuildsBranch(role, row.branch))
            m_map.insert(row.id, {QString::fromUtf8(row.caption), 0, 0});
    }
    if (m_mode == 1) {
        for (const auto &row : FrameTables::CarsExtraCaptions())
            m_map.insert(row.id, {QString::fromUtf8(row.caption), 0, 0});
    }
    for (const auto &row : table) {
        if (FrameTables::BuildsBranch(role, row.branch))
            m_items.append({row.id, row.parent, row.image});
    }
    m_built = true;
}

bool NavigatorModel::Contains(int id) const
{
    for (const Item &item : m_items) {
        if (item.id == id)
            return true;
    }
    return false;
}

QList<int> NavigatorModel::ItemIds() const
{
    QList<int> ids;
    for (const Item &item : m_items)
        ids << item.id;
    return ids;
}

QList<int> NavigatorModel::Children(int id) const
{
    QList<int> ids;
    for (const Item &item : m_items) {
        if (item.parent == id)
            ids << item.id;
    }
    return ids;
}

NavigatorModel::NodeInfo NavigatorModel::GetNodeInfo(int id)
{
    return m_map[id];
}

bool NavigatorModel::SetCounter(int id, int total, int fresh)
{
    if (!Contains(id))
        return false;
    NodeInfo &info = m_map[id];
    info.total = total;
    info.fresh = fresh;
    m_counted[id] = true;
    return true;
}

QString NavigatorModel::FormatCaption(const QString &caption, int total, int fresh, bool counted)
{
    if (!counted)
        return caption;
    if (fresh != 0)
        return QStringLiteral("%1  (%2/%3)").arg(caption).arg(fresh).arg(total);
    return QStringLiteral("%1  (%2)").arg(caption).arg(total);
}

QString NavigatorModel::ItemCaption(int id) const
{
    if (!Contains(id))
        return QString();
    const NodeInfo info = m_map.value(id);
    return FormatCaption(info.caption, info.total, info.fresh, m_counted.value(id));
}

void NavigatorModel::RemoveGroup(int groupId)
{
    if (!Contains(groupId))
        return;
    QList<int> branch{groupId};
    for (int i = 0; i < branch.size(); ++i)
        branch += Children(branch[i]);
    for (int id : branch) {
        m_map.remove(id);
        m_counted.remove(id);
    }
    m_items.removeIf([&](const Item &item) { return branch.contains(item.id); });
}
