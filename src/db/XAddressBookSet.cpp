#include "XAddressBookSet.h"

#include "KVDatabase.h"

namespace {
const QStringList kGroupColumns = {QStringLiteral("ID"), QStringLiteral("PARENT_ID"), QStringLiteral("NAME"),
                                   QStringLiteral("TYPE")};
const QStringList kUserColumns = {QStringLiteral("PASSPORT_ID"), QStringLiteral("GROUP_ID")};
} // namespace

// --- groups ----------------------------------------------------------------------------

XAddressBookSet::XAddressBookSet(KVDatabase *database) : XBaseSet(database, "ABookGroups", kGroupColumns) {}

void XAddressBookSet::SelectTopGroups()
{
    Select(FormatTextCondition(QStringLiteral("PARENT_ID"), QStringLiteral("="), QStringLiteral("0")));
}

void XAddressBookSet::SelectByParent(ABookGroupId parent)
{
    Select(FormatTextCondition(QStringLiteral("PARENT_ID"), QStringLiteral("="), parent.Text()));
}

void XAddressBookSet::SelectById(ABookGroupId id)
{
    Select(FormatNumberCondition(QStringLiteral("ID"), QStringLiteral("="), id.value));
}

void XAddressBookSet::SelectRootGroup()
{
    Select(FormatNumberCondition(QStringLiteral("TYPE"), QStringLiteral("="), ABOOK_ROOT_TYPE));
}

bool XAddressBookSet::AddRootGroup()
{
    if (!CanAppend() || !m_pDatabase->CanUpdate())
        return false;
    AddNew();
    SetText(kParentId, QStringLiteral("0"));
    SetText(kName, m_rootName);
    SetInt(kType, m_rootType);
    return Update();
}

int XAddressBookSet::AddGroup(ABookGroupId parent, const QString &name)
{
    if (!CanAppend() || !m_pDatabase->CanUpdate())
        return 0;
    AddNew();
    SetText(kParentId, parent.Text());
    SetText(kName, name);
    if (!Update())
        return 0;
    const int id = int(GetLastInsertId());
    // The set is left on the newest groups first, as its callers expect.
    Select(SqlExpr(), QStringLiteral("ID DESC"));
    return id;
}

bool XAddressBookSet::UpdateGroup(ABookGroupId id, const QString &name, int parent)
{
    SelectById(id);
    if (IsEOF() || IsDeleted() || !CanUpdate() || !m_pDatabase->CanUpdate())
        return false;
    Edit();
    SetText(kName, name);
    if (parent != -1)
        SetText(kParentId, QString::number(parent));
    return Update();
}

bool XAddressBookSet::DeleteGroup(ABookGroupId id)
{
    SelectById(id);
    if (IsEOF() || IsDeleted())
        return false;
    Delete();
    MoveFirst();
    return true;
}

bool XAddressBookSet::RootGroupExists()
{
    SelectRootGroup();
    if (!IsEOF()) {
        MoveFirst();
        if (GetName() == QLatin1String(ABookOldRootName) && GetType() == ABOOK_ROOT_TYPE)
            UpdateGroup(ABookGroupId(GetId()), m_rootName, -1);
    }
    SelectRootGroup();
    return GetRecordCount() > 0;
}

// --- members ------------------------------------------------------------------------------

XAddressBookUsers::XAddressBookUsers(KVDatabase *database) : XBaseSet(database, "ABookUsers", kUserColumns) {}

void XAddressBookUsers::SelectByGroup(ABookGroupId group)
{
    Select(FormatTextCondition(QStringLiteral("GROUP_ID"), QStringLiteral("="), group.Text()));
}

void XAddressBookUsers::DeleteByGroup(ABookGroupId group)
{
    SelectByGroup(group);
    if (IsEOF())
        return;
    for (MoveFirst(); !IsEOF(); MoveNext()) {
        if (!IsDeleted())
            Delete();
    }
}

void XAddressBookUsers::SelectPair(ABookGroupId group, const PassportId &passport)
{
    Select(FormatTextCondition(QStringLiteral("GROUP_ID"), QStringLiteral("="), group.Text()) +
           SqlExpr(QStringLiteral(" AND ")) +
           FormatTextCondition(QStringLiteral("PASSPORT_ID"), QStringLiteral("="), passport.value));
}

bool XAddressBookUsers::CurrentIsExactly(ABookGroupId group, const PassportId &passport) const
{
    return !IsEOF() && !IsBOF() && !IsDeleted() && GetGroupId() == group.Text() && GetPassportId() == passport.value;
}

bool XAddressBookUsers::AddUser(ABookGroupId group, const PassportId &passport)
{
    SelectPair(group, passport);
    for (; !IsEOF(); MoveNext()) {
        if (CurrentIsExactly(group, passport))
            return true;
    }
    if (!CanAppend() || !m_pDatabase->CanUpdate())
        return false;
    AddNew();
    SetText(kGroupId, group.Text());
    SetText(kPassportId, passport.value);
    return Update();
}

bool XAddressBookUsers::RemoveUser(ABookGroupId group, const PassportId &passport)
{
    SelectPair(group, passport);
    for (; !IsEOF(); MoveNext()) {
        if (CurrentIsExactly(group, passport)) {
            Delete();
            break;
        }
    }
    return true;
}

bool XAddressBookUsers::IsUserInGroup(const PassportId &passport, ABookGroupId group)
{
    SelectPair(group, passport);
    return GetRecordCount() > 0;
}
