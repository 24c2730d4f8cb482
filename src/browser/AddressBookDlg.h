#pragma once

// The address book: the member's groups as a tree, the selected group's
// members (profiles fetched from the server) as a list, and the small
// dialogs that create, edit and reassign. Changes that touch several rows run
// in one transaction.

#include <QDialog>
#include <QList>

class AddressBookGroupTree;
class ProfileFetcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;
class XAddressBookSet;
class XAddressBookUsers;
class XUserSearchListCtrl;

namespace AddressBook {
inline constexpr char MemberMimeType[] = "application/x-korvant-abook-member";

// Fills the tree with every group below the root group (made when missing),
// leaving out `excludeId` and its subtree; selects the root and returns its item.
QTreeWidgetItem *FillGroupTree(AddressBookGroupTree &tree, XAddressBookSet &groups, int excludeId = -1);
// The group and every group below it, children first.
QList<int> SubtreeChildrenFirst(XAddressBookSet &groups, int groupId);
// Deletes the groups, their members and the group rows in one transaction; false when nothing changed.
bool DeleteGroupTree(XAddressBookSet &groups, XAddressBookUsers &users, int groupId);
// Moves the member from one group to another in one transaction; a member
// already in the target ends up only there.
bool MoveMember(XAddressBookUsers &users, int fromGroup, int toGroup, const QString &passportId);
int GroupOf(const QTreeWidgetItem *item);
} // namespace AddressBook

class NewGroup : public QDialog
{
    Q_OBJECT
public:
    explicit NewGroup(QWidget *parent = nullptr);
    QString Name() const;
    void accept() override;

private:
    QLineEdit *m_name = nullptr;
};

class EditGroupDlg : public QDialog
{
    Q_OBJECT
public:
    explicit EditGroupDlg(QWidget *parent = nullptr);
    ~EditGroupDlg() override;

    void SetGroup(int id, int parentId, bool mayMove, const QString &name);
    QString Name() const;
    int ChosenParent() const { return m_chosenParent; }
    AddressBookGroupTree *Tree() const { return m_tree; }
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_name = nullptr;
    QLabel *m_label = nullptr;
    AddressBookGroupTree *m_tree = nullptr;
    XAddressBookSet *m_groups = nullptr;
    int m_id = 0;
    int m_parent = 0;
    bool m_mayMove = false;
    int m_chosenParent = 0;
};

class ReAssignUserDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ReAssignUserDlg(QWidget *parent = nullptr);
    void SetMember(int groupId, const QString &passportId);
    int ChosenGroup() const { return m_chosen; }
    AddressBookGroupTree *Tree() const { return m_tree; }
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    AddressBookGroupTree *m_tree = nullptr;
    int m_group = 0;
    QString m_passport;
    int m_chosen = 0;
};

class AddressBookDlg : public QDialog
{
    Q_OBJECT
public:
    explicit AddressBookDlg(QWidget *parent = nullptr);
    ~AddressBookDlg() override;

    int DoModal();
    int CurrentGroup() const { return m_current; }
    QString SelectedMember() const;
    AddressBookGroupTree *Tree() const { return m_tree; }
    XUserSearchListCtrl *Members() const { return m_list; }
    ProfileFetcher *Fetcher() const { return m_fetcher; }
    // Hooks the tests drive in place of the modal child dialogs.
    void SelectGroup(int groupId);

    void OnCreateGroup();
    void OnEditGroup();
    void OnDeleteGroup();
    void OnDeleteMember();
    void OnReassign();
    void OnDetails();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void BuildControls();
    void ShowMembers();
    void UpdateButtons();
    void OnTreeSelection();
    void ShowChangeFailed();
    void SetDropHighlight(QTreeWidgetItem *item);
    bool DropMember(QTreeWidgetItem *target, const QString &passportId);

    AddressBookGroupTree *m_tree = nullptr;
    XUserSearchListCtrl *m_list = nullptr;
    QPushButton *m_details = nullptr;
    QPushButton *m_deleteMember = nullptr;
    QPushButton *m_reassign = nullptr;
    QPushButton *m_createGroup = nullptr;
    QPushButton *m_deleteGroup = nullptr;
    QPushButton *m_editGroup = nullptr;
    XAddressBookSet *m_groups = nullptr;
    XAddressBookUsers *m_users = nullptr;
    ProfileFetcher *m_fetcher = nullptr;
    QTreeWidgetItem *m_dropItem = nullptr;
    int m_current = 0;
    int m_root = 0;
};
