#pragma once

#include "XBaseSet.h"

#include <QString>

inline constexpr int ABOOK_ROOT_TYPE = 101;
inline constexpr char ABookRootName[] = "My Address Book";
inline constexpr char ABookOldRootName[] = "General";

// A group's id and a member's passport id are different things; separate
// types keep a call with the two swapped from compiling.
struct ABookGroupId
{
    explicit constexpr ABookGroupId(int id) : value(id) {}
    int value;
    QString Text() const { return QString::number(value); }
    bool operator==(const ABookGroupId &) const = default;
};

struct PassportId
{
    explicit PassportId(const QString &id) : value(id) {}
    QString value;
    bool operator==(const PassportId &) const = default;
};

// The address book's groups: a tree by PARENT_ID ("0" for a top group), the
// root group marked by TYPE 101.
class XAddressBookSet : public XBaseSet
{
public:
    explicit XAddressBookSet(KVDatabase *database = nullptr);

    void SelectTopGroups();
    void SelectByParent(ABookGroupId parent);
    void SelectById(ABookGroupId id);
    void SelectRootGroup();
    bool AddRootGroup();
    // The new group's id, 0 when it could not be added.
    int AddGroup(ABookGroupId parent, const QString &name);
    // Renames the group and, unless `parent` is -1, moves it; false when there is no such group.
    bool UpdateGroup(ABookGroupId id, const QString &name, int parent = -1);
    // False when there is no such group. Members and subgroups stay (the dialog removes them).
    bool DeleteGroup(ABookGroupId id);
    // True when a root group exists; a root still named "General" is renamed first.
    bool RootGroupExists();

    int GetId() const { return GetInt(kId); }
    QString GetParentId() const { return GetText(kParentId); }
    QString GetName() const { return GetText(kName); }
    int GetType() const { return GetInt(kType); }

    const int m_rootType = ABOOK_ROOT_TYPE;
    const QString m_rootName = QLatin1String(ABookRootName);

private:
    enum { kId, kParentId, kName, kType };
};

// The members of the address book's groups: one row per member and group.
class XAddressBookUsers : public XBaseSet
{
public:
    explicit XAddressBookUsers(KVDatabase *database = nullptr);

    void SelectByGroup(ABookGroupId group);
    void DeleteByGroup(ABookGroupId group);
    // True when the member is in the group afterwards (an exact match is not added twice).
    bool AddUser(ABookGroupId group, const PassportId &passport);
    // Removes the exact match, if any; always true.
    bool RemoveUser(ABookGroupId group, const PassportId &passport);
    // Compared the way the SQL condition compares: without case and blanks around.
    bool IsUserInGroup(const PassportId &passport, ABookGroupId group);

    QString GetPassportId() const { return GetText(kPassportId); }
    QString GetGroupId() const { return GetText(kGroupId); }

private:
    enum { kPassportId, kGroupId };
    void SelectPair(ABookGroupId group, const PassportId &passport);
    bool CurrentIsExactly(ABookGroupId group, const PassportId &passport) const;
};
