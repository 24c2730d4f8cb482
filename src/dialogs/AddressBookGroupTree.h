#pragma once

// The address book's groups with their members, as a tree. The dialogs that
// fill it keep a map from (kind, record id) to the item.

#include <QHash>
#include <QPair>
#include <QTreeWidget>

class AddressBookGroupTree : public QTreeWidget
{
    Q_OBJECT

public:
    enum ItemKind : int { Group = 0, Member = 1 };
    using Key = QPair<int, qint64>;

    explicit AddressBookGroupTree(QWidget *parent = nullptr);

    // The tree's 16 x 16 icons: the same book twice (normal and selected).
    void InitImageList();
    // Inserts an item carrying (kind, data) under the parent (top level for
    // null) after `insertAfter` (at the end for null) and maps it.
    QTreeWidgetItem *InsertGroupItem(const QString &text, int image, int selectedImage, ItemKind kind, qint64 data,
                                     QTreeWidgetItem *parent = nullptr, QTreeWidgetItem *insertAfter = nullptr);
    // Deletes the item's children depth first, then the item, each with its map entry.
    void DeleteItemTree(QTreeWidgetItem *item);
    QTreeWidgetItem *FindItem(ItemKind kind, qint64 data) const { return m_items.value({kind, data}); }
    static Key KeyOf(const QTreeWidgetItem *item);
    int MapCount() const { return int(m_items.size()); }

private:
    QHash<Key, QTreeWidgetItem *> m_items;
    QList<QIcon> m_icons;
};
