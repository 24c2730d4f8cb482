#include "AddressBookDlg.h"

#include "BrowserDlg.h"
#include "MemberProfile.h"
#include "ProfileFetcher.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "db/KVDatabase.h"
#include "db/SqlDb.h"
#include "db/XAddressBookSet.h"
#include "dialogs/AddressBookGroupTree.h"
#include "dialogs/XUserSearchListCtrl.h"

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
struct GroupRow
{
    int id;
    QString name;
    int type;
};

QList<GroupRow> Children(XAddressBookSet &groups, int parent)
{
    QList<GroupRow> rows;
    if (parent == 0)
        groups.SelectTopGroups();
    else
        groups.SelectByParent(ABookGroupId(parent));
    for (; !groups.IsEOF(); groups.MoveNext())
        if (!groups.IsDeleted())
            rows.append({groups.GetId(), groups.GetName(), groups.GetType()});
    return rows;
}

void InsertChildren(AddressBookGroupTree &tree, XAddressBookSet &groups, QTreeWidgetItem *parent, int parentId,
                    int excludeId)
{
    for (const GroupRow &row : Children(groups, parentId)) {
        if (row.id == excludeId)
            continue;
        QTreeWidgetItem *item =
            tree.InsertGroupItem(row.name, 1, 1, AddressBookGroupTree::Group, row.id, parent, nullptr);
        InsertChildren(tree, groups, item, row.id, excludeId);
    }
}

// The member rows carry the member's passport id; the tree takes them as drops.
class MemberList : public XUserSearchListCtrl
{
public:
    using XUserSearchListCtrl::XUserSearchListCtrl;

protected:
    QStringList mimeTypes() const override { return {QLatin1String(AddressBook::MemberMimeType)}; }
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override
    {
        if (items.isEmpty())
            return nullptr;
        auto *data = new QMimeData;
        data->setData(QLatin1String(AddressBook::MemberMimeType), items.first()->text(0).toUtf8());
        return data;
    }
};

QPushButton *Button(QWidget *parent, const QString &text, const char *name)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

AddressBookGroupTree *GroupTree(QWidget *parent, const char *name)
{
    auto *tree = new AddressBookGroupTree(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setHeaderHidden(true);
    tree->InitImageList();
    return tree;
}

QTreeWidgetItem *GroupItem(AddressBookGroupTree &tree, int id)
{
    return tree.FindItem(AddressBookGroupTree::Group, id);
}
} // namespace

// --- shared --------------------------------------------------------------------------------

int AddressBook::GroupOf(const QTreeWidgetItem *item)
{
    return item ? int(AddressBookGroupTree::KeyOf(item).second) : 0;
}

QTreeWidgetItem *AddressBook::FillGroupTree(AddressBookGroupTree &tree, XAddressBookSet &groups, int excludeId)
{
    tree.clear();
    // clear() leaves the map's entries dangling; deleting through the tree keeps it true.
    while (tree.topLevelItemCount() > 0)
        tree.DeleteItemTree(tree.topLevelItem(0));
    if (!groups.RootGroupExists())
        groups.AddRootGroup();
    QTreeWidgetItem *root = nullptr;
    for (const GroupRow &row : Children(groups, 0)) {
        if (row.id == excludeId)
            continue;
        const int image = row.type == ABOOK_ROOT_TYPE ? 0 : 1;
        QTreeWidgetItem *item =
            tree.InsertGroupItem(row.name, image, image, AddressBookGroupTree::Group, row.id, nullptr, nullptr);
        InsertChildren(tree, groups, item, row.id, excludeId);
        if (row.type == ABOOK_ROOT_TYPE && !root)
            root = item;
    }
    if (root) {
        tree.setCurrentItem(root);
        root->setExpanded(true);
    }
    return root;
}

QList<int> AddressBook::SubtreeChildrenFirst(XAddressBookSet &groups, int groupId)
{
    QList<int> ids;
    for (const GroupRow &row : Children(groups, groupId))
        ids += SubtreeChildrenFirst(groups, row.id);
    ids.append(groupId);
    return ids;
}

bool AddressBook::DeleteGroupTree(XAddressBookSet &groups, XAddressBookUsers &users, int groupId)
{
    try {
        const QList<int> ids = SubtreeChildrenFirst(groups, groupId);
        SqlTransaction transaction(theDatabase().Connection());
        for (int id : ids) {
            users.DeleteByGroup(ABookGroupId(id));
            groups.DeleteGroup(ABookGroupId(id));
        }
        transaction.Commit();
        return true;
    } catch (const DbException &) {
        return false;
    }
}

bool AddressBook::MoveMember(XAddressBookUsers &users, int fromGroup, int toGroup, const QString &passportId)
{
    if (fromGroup == toGroup || toGroup <= 0)
        return false;
    const PassportId passport(passportId);
    try {
        SqlTransaction transaction(theDatabase().Connection());
        if (!users.RemoveUser(ABookGroupId(fromGroup), passport))
            return false;
        if (!users.IsUserInGroup(passport, ABookGroupId(toGroup)) && !users.AddUser(ABookGroupId(toGroup), passport))
            return false;
        transaction.Commit();
        return true;
    } catch (const DbException &) {
        return false;
    }
}

// --- NewGroup ------------------------------------------------------------------------------

NewGroup::NewGroup(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NewGroup"));
    setWindowTitle(QStringLiteral("Create new group"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Name:"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    layout->addWidget(m_name);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &NewGroup::accept);
    connect(box, &QDialogButtonBox::rejected, this, &NewGroup::reject);
}

namespace {

// NewGroup and EditGroupDlg refuse an empty name alike.
bool GroupNameGiven(const QString &name, QWidget *field)
{
    if (!name.isEmpty())
        return true;
    theApp().ShowMessageBox(QStringLiteral("- Name of group must be entered!\n\nPlease correct information and "
                                           "try again"),
                            QStringLiteral("Validation Error"), MsgBox::IconError);
    field->setFocus();
    return false;
}

} // namespace

QString NewGroup::Name() const
{
    return m_name->text().trimmed();
}

void NewGroup::accept()
{
    if (!GroupNameGiven(Name(), m_name))
        return;
    QDialog::accept();
}

// --- EditGroupDlg --------------------------------------------------------------------------

EditGroupDlg::EditGroupDlg(QWidget *parent) : QDialog(parent), m_groups(new XAddressBookSet)
{
    setObjectName(QStringLiteral("EditGroupDlg"));
    setWindowTitle(QStringLiteral("Edit Group"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Name:"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    layout->addWidget(m_name);
    m_label = new QLabel(QStringLiteral("Change parent group:"), this);
    layout->addWidget(m_label);
    m_tree = GroupTree(this, "parentTree");
    layout->addWidget(m_tree, 1);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &EditGroupDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &EditGroupDlg::reject);
    resize(300, 360);
}

EditGroupDlg::~EditGroupDlg()
{
    delete m_groups;
}

void EditGroupDlg::SetGroup(int id, int parentId, bool mayMove, const QString &name)
{
    m_id = id;
    m_parent = parentId;
    m_chosenParent = parentId;
    m_mayMove = mayMove;
    m_name->setText(name);
}

QString EditGroupDlg::Name() const
{
    return m_name->text().trimmed();
}

void EditGroupDlg::showEvent(QShowEvent *event)
{
    m_label->setEnabled(m_mayMove);
    m_tree->setEnabled(m_mayMove);
    if (m_mayMove) {
        AddressBook::FillGroupTree(*m_tree, *m_groups, m_id);
        if (QTreeWidgetItem *parent = GroupItem(*m_tree, m_parent)) {
            m_tree->setCurrentItem(parent);
            parent->setExpanded(true);
        }
    }
    QDialog::showEvent(event);
}

void EditGroupDlg::accept()
{
    if (!GroupNameGiven(Name(), m_name))
        return;
    if (m_mayMove && m_tree->currentItem())
        m_chosenParent = AddressBook::GroupOf(m_tree->currentItem());
    QDialog::accept();
}

// --- ReAssignUserDlg -----------------------------------------------------------------------

ReAssignUserDlg::ReAssignUserDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReAssignUserDlg"));
    setWindowTitle(QStringLiteral("ReAssign User"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select group:"), this));
    m_tree = GroupTree(this, "groupTree");
    layout->addWidget(m_tree, 1);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &ReAssignUserDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &ReAssignUserDlg::reject);
    resize(300, 360);
}

void ReAssignUserDlg::SetMember(int groupId, const QString &passportId)
{
    m_group = groupId;
    m_chosen = groupId;
    m_passport = passportId;
}

void ReAssignUserDlg::showEvent(QShowEvent *event)
{
    XAddressBookSet groups;
    AddressBook::FillGroupTree(*m_tree, groups);
    if (QTreeWidgetItem *item = GroupItem(*m_tree, m_group)) {
        m_tree->setCurrentItem(item);
        item->setExpanded(true);
    }
    QDialog::showEvent(event);
}

void ReAssignUserDlg::accept()
{
    if (m_tree->currentItem())
        m_chosen = AddressBook::GroupOf(m_tree->currentItem());
    QDialog::accept();
}

// --- AddressBookDlg ------------------------------------------------------------------------

AddressBookDlg::AddressBookDlg(QWidget *parent)
    : QDialog(parent), m_groups(new XAddressBookSet), m_users(new XAddressBookUsers)
{
    setObjectName(QStringLiteral("AddressBookDlg"));
    setWindowTitle(QStringLiteral("Address Book"));
    m_fetcher = new ProfileFetcher(this);
    BuildControls();
    QTreeWidgetItem *root = AddressBook::FillGroupTree(*m_tree, *m_groups);
    m_root = AddressBook::GroupOf(root);
    m_current = m_root;
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &AddressBookDlg::OnTreeSelection);
    ShowMembers();
    UpdateButtons();
}

AddressBookDlg::~AddressBookDlg()
{
    delete m_users;
    delete m_groups;
}

void AddressBookDlg::BuildControls()
{
    auto *layout = new QVBoxLayout(this);
    auto *panes = new QHBoxLayout;
    m_tree = GroupTree(this, "groupTree");
    m_tree->setAcceptDrops(true);
    m_tree->viewport()->setAcceptDrops(true);
    m_tree->viewport()->installEventFilter(this);
    panes->addWidget(m_tree, 1);
    m_list = new MemberList(this);
    m_list->setObjectName(QStringLiteral("memberList"));
    m_list->InitColumns();
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    panes->addWidget(m_list, 3);
    layout->addLayout(panes, 1);

    auto *buttons = new QHBoxLayout;
    m_details = Button(this, QStringLiteral("Details"), "detailsButton");
    m_deleteMember = Button(this, QStringLiteral("Delete"), "deleteMemberButton");
    m_reassign = Button(this, QStringLiteral("Reassign To Another Group"), "reassignButton");
    m_createGroup = Button(this, QStringLiteral("Create New Group"), "createGroupButton");
    m_deleteGroup = Button(this, QStringLiteral("Delete Group"), "deleteGroupButton");
    m_editGroup = Button(this, QStringLiteral("Edit Group"), "editGroupButton");
    QPushButton *close = Button(this, QStringLiteral("Close"), "closeButton");
    for (QPushButton *b : {m_createGroup, m_editGroup, m_deleteGroup, m_details, m_deleteMember, m_reassign})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_details, &QPushButton::clicked, this, &AddressBookDlg::OnDetails);
    connect(m_deleteMember, &QPushButton::clicked, this, &AddressBookDlg::OnDeleteMember);
    connect(m_reassign, &QPushButton::clicked, this, &AddressBookDlg::OnReassign);
    connect(m_createGroup, &QPushButton::clicked, this, &AddressBookDlg::OnCreateGroup);
    connect(m_deleteGroup, &QPushButton::clicked, this, &AddressBookDlg::OnDeleteGroup);
    connect(m_editGroup, &QPushButton::clicked, this, &AddressBookDlg::OnEditGroup);
    connect(close, &QPushButton::clicked, this, &AddressBookDlg::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &AddressBookDlg::UpdateButtons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &AddressBookDlg::OnDetails);
    connect(m_fetcher, &ProfileFetcher::rowReady, this, [this](const QStringList &row) { m_list->AddRow(row); });
    connect(m_fetcher, &ProfileFetcher::failed, this, [](const QString &, const QString &message) {
        theApp().ShowMessageBox(MemberProfile::CannotFindText(message), QStringLiteral("Korvant"),
                                MsgBox::IconError);
    });
    resize(760, 420);
}

int AddressBookDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void AddressBookDlg::done(int result)
{
    m_fetcher->Cancel();
    QDialog::done(result);
}

QString AddressBookDlg::SelectedMember() const
{
    return m_list->selectedItems().size() == 1 ? m_list->GetSelectedText(0) : QString();
}

void AddressBookDlg::ShowMembers()
{
    m_list->DeleteAllRows();
    QStringList ids;
    m_users->SelectByGroup(ABookGroupId(m_current));
    for (; !m_users->IsEOF(); m_users->MoveNext())
        if (!m_users->IsDeleted())
            ids << m_users->GetPassportId();
    m_fetcher->Fetch(ids);
}

void AddressBookDlg::UpdateButtons()
{
    const bool member = !SelectedMember().isEmpty();
    m_details->setEnabled(member);
    m_deleteMember->setEnabled(member);
    m_reassign->setEnabled(member);
    const bool group = m_current > 0 && m_current != m_root;
    m_editGroup->setEnabled(group);
    m_deleteGroup->setEnabled(group);
}

void AddressBookDlg::OnTreeSelection()
{
    QTreeWidgetItem *item = m_tree->currentItem();
    if (!item)
        return;
    m_current = AddressBook::GroupOf(item);
    m_list->clearSelection();
    ShowMembers();
    UpdateButtons();
}

void AddressBookDlg::SelectGroup(int groupId)
{
    if (QTreeWidgetItem *item = GroupItem(*m_tree, groupId))
        m_tree->setCurrentItem(item);
}

void AddressBookDlg::OnCreateGroup()
{
    NewGroup dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const int id = m_groups->AddGroup(ABookGroupId(m_current), dlg.Name());
    QTreeWidgetItem *parent = GroupItem(*m_tree, m_current);
    if (id < 1 || !parent)
        return;
    m_tree->InsertGroupItem(dlg.Name(), 1, 1, AddressBookGroupTree::Group, id, parent, nullptr);
    parent->setExpanded(true);
    m_tree->setCurrentItem(parent);
}

void AddressBookDlg::OnEditGroup()
{
    QTreeWidgetItem *item = GroupItem(*m_tree, m_current);
    if (!item || m_current == m_root)
        return;
    const int parentId = AddressBook::GroupOf(item->parent());
    const QTreeWidgetItem *rootItem = GroupItem(*m_tree, m_root);
    const bool mayMove = parentId != m_root || (rootItem && rootItem->childCount() > 1);
    EditGroupDlg dlg(this);
    dlg.SetGroup(m_current, parentId, mayMove, item->text(0));
    if (dlg.exec() != QDialog::Accepted)
        return;
    const int newParent = mayMove ? dlg.ChosenParent() : -1;
    if (!m_groups->UpdateGroup(ABookGroupId(m_current), dlg.Name(), newParent))
        return;
    item->setText(0, dlg.Name());
    if (newParent == -1 || newParent == parentId)
        return;
    const int id = m_current;
    QTreeWidgetItem *root = AddressBook::FillGroupTree(*m_tree, *m_groups);
    m_root = AddressBook::GroupOf(root);
    SelectGroup(id);
}

void AddressBookDlg::OnDeleteGroup()
{
    QTreeWidgetItem *item = GroupItem(*m_tree, m_current);
    if (!item || m_current == m_root)
        return;
    const QString text = QStringLiteral("Trying to delete group '") + item->text(0) + QStringLiteral("'\n\n") +
                         QStringLiteral("If you press OK \n") + QStringLiteral("\t- group will be deleted!\n") +
                         QStringLiteral("\t- all users will be deleted!\n") +
                         QStringLiteral("\t- all child groups will be deleted!\n");
    if (theApp().ShowMessageBox(text, QStringLiteral("Group Deleting Confirmation"),
                                MsgBox::YesNo | MsgBox::IconWarning) != MsgBox::IdYes)
        return;
    if (!AddressBook::DeleteGroupTree(*m_groups, *m_users, m_current)) {
        ShowChangeFailed();
        return;
    }
    QTreeWidgetItem *parent = item->parent();
    m_tree->DeleteItemTree(item);
    if (parent)
        m_tree->setCurrentItem(parent);
}

void AddressBookDlg::OnDeleteMember()
{
    const QString passport = SelectedMember();
    if (passport.toLongLong() <= 0)
        return;
    const QString text = QStringLiteral("Trying to remove user... \n\n") + QStringLiteral("If you press OK \n") +
                         QStringLiteral("\t- user information will be removed from group!\n");
    if (theApp().ShowMessageBox(text, QStringLiteral("User Removing Confirmation"),
                                MsgBox::YesNo | MsgBox::IconWarning) != MsgBox::IdYes)
        return;
    m_users->RemoveUser(ABookGroupId(m_current), PassportId(passport));
    ShowMembers();
    UpdateButtons();
}

void AddressBookDlg::OnReassign()
{
    const QString passport = SelectedMember();
    if (passport.isEmpty())
        return;
    ReAssignUserDlg dlg(this);
    dlg.SetMember(m_current, passport);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (dlg.ChosenGroup() != m_current && !AddressBook::MoveMember(*m_users, m_current, dlg.ChosenGroup(), passport))
        ShowChangeFailed();
    ShowMembers();
    UpdateButtons();
}

void AddressBookDlg::ShowChangeFailed()
{
    theApp().ShowMessageBox(QStringLiteral("The address book could not be changed."), QStringLiteral("Address Book"),
                            MsgBox::IconError);
}

void AddressBookDlg::OnDetails()
{
    const QString passport = SelectedMember();
    if (!passport.isEmpty())
        BrowserDlg::ShowExtendedProfile(this, passport, m_list->GetSelectedText(1));
}

void AddressBookDlg::SetDropHighlight(QTreeWidgetItem *item)
{
    if (m_dropItem == item)
        return;
    if (m_dropItem && GroupItem(*m_tree, AddressBook::GroupOf(m_dropItem)) == m_dropItem)
        m_dropItem->setBackground(0, QBrush());
    m_dropItem = item;
    if (m_dropItem) {
        m_dropItem->setBackground(0, palette().highlight());
        if (m_dropItem->childCount() > 0)
            m_dropItem->setExpanded(true);
    }
}

bool AddressBookDlg::DropMember(QTreeWidgetItem *target, const QString &passportId)
{
    const int group = AddressBook::GroupOf(target);
    if (!target || group == m_current || passportId.isEmpty())
        return false;
    if (!AddressBook::MoveMember(*m_users, m_current, group, passportId)) {
        ShowChangeFailed();
        return false;
    }
    ShowMembers();
    UpdateButtons();
    return true;
}

bool AddressBookDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_tree->viewport())
        return QDialog::eventFilter(watched, event);
    const QLatin1String type(AddressBook::MemberMimeType);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!drag->mimeData()->hasFormat(type))
            return false;
        SetDropHighlight(m_tree->itemAt(drag->position().toPoint()));
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::DragLeave:
        SetDropHighlight(nullptr);
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        SetDropHighlight(nullptr);
        if (!drop->mimeData()->hasFormat(type))
            return false;
        // Only a single selected row is moved, as in the list the drag came from.
        const QString passport = SelectedMember();
        if (passport.isEmpty() || passport != QString::fromUtf8(drop->mimeData()->data(type)))
            return true;
        if (DropMember(m_tree->itemAt(drop->position().toPoint()), passport))
            drop->acceptProposedAction();
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}
