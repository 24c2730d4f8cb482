#include "AnswerId.h"

#include "app/AppCore.h"

bool AnswerIsFor(const XmlNode &record, const QString &idElement, const QString &askedId, const QString &operation)
{
    const XmlNode id = record.Select(idElement);
    if (id.IsNull())
        return true;
    const QString answered = id.Text().trimmed();
    if (answered == askedId)
        return true;
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("the answer names %1 \"%2\", not the \"%3\" asked for; refused")
                          .arg(idElement, CutToChars(answered, 100), askedId),
                      operation, 1);
    return false;
}

QString AnotherRecordText(const QString &recordWord)
{
    return QStringLiteral("The server answered with another %1's information. Nothing was changed; please try again.")
        .arg(recordWord);
}
