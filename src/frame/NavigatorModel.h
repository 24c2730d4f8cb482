#pragma once

#include "FrameTables.h"

#include <QHash>
#include <QList>
#include <QString>

// One navigator tree without widgets: the nodes a member's role builds for a
// market, the node map with captions and counters, the caption and bold
// rules and the removal of a group. Main thread only.
class NavigatorModel
{
public:
    struct NodeInfo
    {
        QString caption;
        int total = 0;
        int fresh = 0;
    };
    struct Item
    {
        int id;
        int parent;
        int image;
    };

    explicit NavigatorModel(int mode) : m_mode(mode) {}
    int Mode() const { return m_mode; }

    // Fills the map and the item list from the mode's table; sets the built flag.
    void Build(const QString &role);
    void Clear();
    bool IsBuilt() const { return m_built; }
    void ResetBuilt() { m_built = false; }

    const QList<Item> &Items() const { return m_items; }
    bool Contains(int id) const;
    QList<int> ItemIds() const;
    // A copy; an unknown node reads as an empty entry (and is created).
    NodeInfo GetNodeInfo(int id);
    bool HasEntry(int id) const { return m_map.contains(id); }
    // Stores the counters; false when the node has no item (nothing to show).
    bool SetCounter(int id, int total, int fresh);
    // "%s  (%d/%d)" with new records, else "%s  (%d)"; the plain caption before any counter.
    QString ItemCaption(int id) const;
    static QString FormatCaption(const QString &caption, int total, int fresh, bool counted);
    static bool IsBold(int fresh, bool boldFlag) { return fresh != 0 && boldFlag; }
    // Removes a group (20000 Buy or 20100 Sell) with its whole branch, map entries included.
    void RemoveGroup(int groupId);
    QList<int> Children(int id) const;

private:
    int m_mode;
    bool m_built = false;
    QList<Item> m_items;
    QHash<int, NodeInfo> m_map;
    QHash<int, bool> m_counted;
};
