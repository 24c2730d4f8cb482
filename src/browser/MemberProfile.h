#pragma once

// A member's public profile as the member lists show it, and the address
// book's root group, shared by the member lookup and the address book.

#include <QStringList>

class XmlNode;

namespace MemberProfile {
// "passport_id", "name", "company", "business_type", "city", "state", "zip",
// "country" of a "profile" element, in the lists' column order.
QStringList Row(const XmlNode &profile);
// "Cannot find the user." and the server's words, when it gave any.
QString CannotFindText(const QString &serverMessage);
// The root group's id, the group made first when missing; 0 when it could not be made.
int RootGroupId();
// Adds the member to the root group; false when he is already there or the database refused.
bool AddToRoot(const QString &passportId);
} // namespace MemberProfile
