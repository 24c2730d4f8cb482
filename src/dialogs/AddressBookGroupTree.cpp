#include "AddressBookGroupTree.h"

#include <QApplication>
#include <QStyle>

namespace {
constexpr int KindRole = Qt::UserRole + 1;
constexpr int DataRole = Qt::UserRole + 2;
} // namespace

AddressBookGroupTree::AddressBookGroupTree(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
}

void AddressBookGroupTree::InitImageList()
{
    const QIcon book = style()->standardIcon(QStyle::SP_DirIcon);
    m_icons = {book, book};
    setIconSize(QSize(16, 16));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
}

QTreeWidgetItem *AddressBookGroupTree::InsertGroupItem(const QString &text, int image, int selectedImage,
                                                       ItemKind kind, qint64 data, QTreeWidgetItem *parent,
                                                       QTreeWidgetItem *insertAfter)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setData(0, KindRole, int(kind));
    item->setData(0, DataRole, data);
    if (image >= 0 && image < m_icons.size()) {
        QIcon icon = m_icons[image];
        if (selectedImage >= 0 && selectedImage < m_icons.size())
            icon.addPixmap(m_icons[selectedImage].pixmap(16, 16), QIcon::Selected);
        item->setIcon(0, icon);
    }
    if (parent) {
        const int at = insertAfter ? parent->indexOfChild(insertAfter) + 1 : parent->childCount();
        parent->insertChild(at < 1 && insertAfter ? parent->childCount() : at, item);
    } else {
        const int at = insertAfter ? indexOfTopLevelItem(insertAfter) + 1 : topLevelItemCount();
        insertTopLevelItem(at < 1 && insertAfter ? topLevelItemCount() : at, item);
    }
    m_items.insert({int(kind), data}, item);
    return item;
}

AddressBookGroupTree::Key AddressBookGroupTree::KeyOf(const QTreeWidgetItem *item)
{
    return {item->data(0, KindRole).toInt(), item->data(0, DataRole).toLongLong()};
}

void AddressBookGroupTree::DeleteItemTree(QTreeWidgetItem *item)
{
    if (!item)
        return;
    while (item->childCount() > 0)
        DeleteItemTree(item->child(0));
    auto it = m_items.find(KeyOf(item));
    if (it != m_items.end() && it.value() == item)
        m_items.erase(it);
    delete item;
}
