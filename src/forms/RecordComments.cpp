#include "RecordComments.h"

#include "db/KVDatabase.h"
#include "dialogs/PaneInterfaces.h"

namespace RecordComments {

QString TableFor(int activeListType)
{
    switch (activeListType) {
    case ListPartQueries: return QStringLiteral("Queries");
    case ListCarQueries: return QStringLiteral("Queries_Cars");
    case ListHotDeals: return QStringLiteral("HotDeals");
    case ListOrders: return QStringLiteral("Orders");
    default: return QString();
    }
}

QString Read(int activeListType, const QString &id)
{
    const QString table = TableFor(activeListType);
    if (table.isEmpty() || id.isEmpty())
        return QString();
    return theDatabase().Connection().Scalar(QStringLiteral("SELECT COMMENTS FROM [%1] WHERE ID = ?").arg(table), {id})
        .toString();
}

bool Write(int activeListType, const QString &id, const QString &text)
{
    const QString table = TableFor(activeListType);
    if (table.isEmpty() || id.isEmpty())
        return false;
    theDatabase().Execute(QStringLiteral("UPDATE [%1] SET COMMENTS = ? WHERE ID = ?").arg(table), {text, id});
    return theDatabase().Connection().Changes() > 0;
}

} // namespace RecordComments
