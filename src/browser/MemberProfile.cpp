#include "MemberProfile.h"

#include "db/XAddressBookSet.h"
#include "net/XmlUtil.h"

QStringList MemberProfile::Row(const XmlNode &profile)
{
    static const char *const fields[] = {"passport_id", "name", "company", "business_type",
                                         "city",        "state", "zip",    "country"};
    QStringList row;
    for (const char *field : fields)
        row << profile.ChildText(QLatin1String(field)).trimmed();
    return row;
}

QString MemberProfile::CannotFindText(const QString &serverMessage)
{
    const QString text = QStringLiteral("Cannot find the user.");
    return serverMessage.trimmed().isEmpty() ? text : text + QStringLiteral("\n\n") + serverMessage.trimmed();
}

int MemberProfile::RootGroupId()
{
    XAddressBookSet groups;
    if (!groups.RootGroupExists() && !groups.AddRootGroup())
        return 0;
    groups.SelectRootGroup();
    return groups.IsEOF() ? 0 : groups.GetId();
}

bool MemberProfile::AddToRoot(const QString &passportId)
{
    const int root = RootGroupId();
    if (root <= 0)
        return false;
    XAddressBookUsers users;
    const PassportId passport(passportId);
    // AddUser answers true for a member already there; the lookup says so instead.
    if (users.IsUserInGroup(passport, ABookGroupId(root)))
        return false;
    return users.AddUser(ABookGroupId(root), passport);
}
