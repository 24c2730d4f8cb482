#include "FormRules.h"

#include "db/XBaseSet.h"
#include "net/XRequest.h"

#include <QDateTime>

namespace FormRules {

void StampOutgoing(XBaseSet &row, bool receivedToo, int liveDays)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    row.SetBool("IS_INCOMING", false);
    row.SetText("STATUS", QStringLiteral("New"));
    row.SetInt("STATUS_CODE", 0);
    row.SetDate("POST_DATE", now);
    if (receivedToo)
        row.SetDate("RECIVE_DATE", now);
    if (liveDays > 0)
        row.SetInt("LIVE_TIME", liveDays);
}

QString StampAnswer(XBaseSet &row, const XRequest &answer, const QString &idKey)
{
    const QString id = answer.GetResponseText(idKey);
    row.SetText("ID", id);
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    if (created > 0)
        row.SetDate("POST_DATE", QDateTime::fromSecsSinceEpoch(created));
    return id;
}

} // namespace FormRules
