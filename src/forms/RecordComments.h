#pragma once

// The member's note on a query, hot deal or order (the COMMENTS column),
// reached by the record's id and the kind of list that shows it.

#include <QString>

namespace RecordComments {

// The table of a list type that keeps comments; empty for the others.
QString TableFor(int activeListType);
QString Read(int activeListType, const QString &id);
// False when the list keeps no comments or no record has the id.
bool Write(int activeListType, const QString &id, const QString &text);

} // namespace RecordComments
