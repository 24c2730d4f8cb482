#include "XMessageSet.h"

#include "KVDatabase.h"

XMessageSet::XMessageSet(KVDatabase *database) : XBaseSet(database, "Messages")
{
}

QString XMessageSet::GetIdText() const
{
    return GetText("ID");
}

void XMessageSet::AddFieldSearch(SqlExpr &, const QString &) const
{
}

SqlExpr XMessageSet::FormatParentFilter(const QString &contextId, const QString &contextType, const QString &ownerId)
{
    return SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND OWNER_ID = ? AND IS_PARENT = TRUE"),
                   {contextId, contextType, ownerId});
}

int XMessageSet::CountByContext(const QString &contextId, const QString &contextType, KVDatabase *database)
{
    XMessageSet set(database);
    return set.CountRecords(
        SqlExpr(QStringLiteral("CONTEXT_ID = ? AND CONTEXT_TYPE = ? AND IS_PARENT = TRUE"), {contextId, contextType}));
}
