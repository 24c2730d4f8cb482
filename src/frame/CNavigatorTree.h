#pragma once

#include "NavigatorModel.h"

#include <QTreeWidget>

// One navigator tree over its model: items carry the node id in
// Qt::UserRole; a new selection reports the node (nodeSelected).
class CNavigatorTree : public QTreeWidget
{
    Q_OBJECT
public:
    CNavigatorTree(int mode, QWidget *parent = nullptr);

    NavigatorModel &Model() { return m_model; }
    int CurrentNode() const { return m_current; }
    void SetCurrentNode(int id) { m_current = id; }

    // Builds unless built; the role of the tree's market.
    void RebuildTree(const QString &role);
    void ForceRebuild(const QString &role);
    void ResetBuilt() { m_model.ResetBuilt(); }
    QTreeWidgetItem *FindItemById(int id) const;
    // Selects the node, which shows its page; false when it is not in the tree.
    bool SelectItemById(int id);
    // Sets the counters and the bold state of a node's item.
    void SetItemCounter(int id, int total, int fresh, bool bold);
    void SetItemBold(int id, bool bold);
    QString GetItemCaption(int id) const;
    void RemoveGroup(int groupId);

signals:
    void nodeSelected(int id);

private:
    void Fill();

    NavigatorModel m_model;
    int m_current = -1;
    bool m_filling = false;
};
