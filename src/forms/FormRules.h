#pragma once

// What the trading forms' rules share about a field and about the record
// they send: when a box counts as unchosen, the columns of a record going out,
// and the server's id and time on the record it took.

#include <QString>

class XBaseSet;
class XRequest;

namespace FormRules {

// Empty, or a placeholder ("-- Select Make --"): nothing was chosen.
inline bool IsUnchosen(const QString &text)
{
    return text.isEmpty() || text.startsWith(u'-');
}

// Ours, new, posted now (and received now where the table keeps that date
// too), living `liveDays` days (0: the column is left alone).
void StampOutgoing(XBaseSet &row, bool receivedToo, int liveDays);

// The new id the answer carries under `idKey`, and its create time when it
// has one, into the sent record; returns the id.
QString StampAnswer(XBaseSet &row, const XRequest &answer, const QString &idKey);

} // namespace FormRules
