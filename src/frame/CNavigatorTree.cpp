#include "CNavigatorTree.h"

#include <QStyle>

namespace {

QStyle::StandardPixmap ImagePixmap(int image)
{
    switch (image) {
    case 16: return QStyle::SP_DirHomeIcon;
    case 2: return QStyle::SP_FileDialogDetailedView;
    case 3: return QStyle::SP_DirClosedIcon;
    case 5: return QStyle::SP_FileDialogListView;
    case 6: return QStyle::SP_DialogHelpButton;
    case 7: return QStyle::SP_MessageBoxInformation;
    case 8: case 12: return QStyle::SP_DriveNetIcon;
    case 14: case 15: return QStyle::SP_DialogApplyButton;
    default: return QStyle::SP_DirIcon;
    }
}

} // namespace

CNavigatorTree::CNavigatorTree(int mode, QWidget *parent) : QTreeWidget(parent), m_model(mode)
{
    setObjectName(mode == 1 ? QStringLiteral("CarsTree") : QStringLiteral("PartsTree"));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item && !m_filling)
            emit nodeSelected(item->data(0, Qt::UserRole).toInt());
    });
}

void CNavigatorTree::RebuildTree(const QString &role)
{
    if (m_model.IsBuilt())
        return;
    m_model.Build(role);
    Fill();
}

void CNavigatorTree::ForceRebuild(const QString &role)
{
    m_model.ResetBuilt();
    RebuildTree(role);
}

void CNavigatorTree::Fill()
{
    m_filling = true;
    clear();
    QHash<int, QTreeWidgetItem *> items;
    // A style icon looks in the icon theme each time it is made: once per kind.
    QHash<int, QIcon> icons;
    for (const NavigatorModel::Item &node : m_model.Items()) {
        QTreeWidgetItem *parentItem = items.value(node.parent);
        auto *item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setData(0, Qt::UserRole, node.id);
        item->setText(0, m_model.ItemCaption(node.id));
        const QStyle::StandardPixmap pixmap = ImagePixmap(node.image);
        auto icon = icons.find(pixmap);
        if (icon == icons.end())
            icon = icons.insert(pixmap, style()->standardIcon(pixmap));
        item->setIcon(0, *icon);
        items.insert(node.id, item);
    }
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *root = topLevelItem(i);
        root->setExpanded(true);
        for (int c = 0; c < root->childCount(); ++c)
            root->child(c)->setExpanded(true);
    }
    m_filling = false;
    SelectItemById(m_model.Mode() == 1 ? NodeCarsHome : NodeHome);
}

QTreeWidgetItem *CNavigatorTree::FindItemById(int id) const
{
    QTreeWidgetItemIterator it(const_cast<CNavigatorTree *>(this));
    for (; *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == id)
            return *it;
    }
    return nullptr;
}

bool CNavigatorTree::SelectItemById(int id)
{
    QTreeWidgetItem *item = FindItemById(id);
    if (!item)
        return false;
    setCurrentItem(item);
    return true;
}

void CNavigatorTree::SetItemCounter(int id, int total, int fresh, bool bold)
{
    if (!m_model.SetCounter(id, total, fresh))
        return;
    if (QTreeWidgetItem *item = FindItemById(id)) {
        item->setText(0, m_model.ItemCaption(id));
        QFont f = item->font(0);
        f.setBold(NavigatorModel::IsBold(fresh, bold));
        item->setFont(0, f);
    }
}

void CNavigatorTree::SetItemBold(int id, bool bold)
{
    if (QTreeWidgetItem *item = FindItemById(id)) {
        QFont f = item->font(0);
        f.setBold(bold);
        item->setFont(0, f);
    }
}

QString CNavigatorTree::GetItemCaption(int id) const
{
    const QTreeWidgetItem *item = FindItemById(id);
    return item ? item->text(0) : QString();
}

void CNavigatorTree::RemoveGroup(int groupId)
{
    QTreeWidgetItem *item = FindItemById(groupId);
    m_model.RemoveGroup(groupId);
    delete item;
}
