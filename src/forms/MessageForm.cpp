#include "MessageForm.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/Utils.h"
#include "db/KVDatabase.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QDateTime>

SubmitSpec MessageForm::Spec(bool cars)
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newMessage");
    spec.failureCaption = QStringLiteral("Cannot send the message");
    spec.recordWord = QStringLiteral("message");
    spec.sender = RefusalSender::Message;
    spec.marketMode = cars ? Korvant::MarketCars : Korvant::MarketParts;
    return spec;
}

FormOutcome MessageForm::Submit(SubmitPipeline &pipeline)
{
    return pipeline.Run(*this, Spec(contextType.contains(QLatin1String("cars"), Qt::CaseInsensitive)));
}

bool MessageForm::Prepare()
{
    if (recipientId.isEmpty()) {
        theApp().ShowMessageBox(QStringLiteral("The recipient not defined."), QStringLiteral("Korvant"),
                                MsgBox::IconWarning);
        return false;
    }
    if (IsBroadcast() && contextId.isEmpty())
        contextId = Utils::GenerateRandomDigits();
    m_row.AddNew();
    m_row.SetText("CONTEXT_ID", contextId);
    m_row.SetText("CONTEXT_TYPE", contextType);
    m_row.SetText("OWNER_ID", recipientId);
    m_row.SetText("OWNER_NAME", recipientName);
    m_row.SetBool("IS_INCOMING", false);
    m_row.SetText("STATUS", QStringLiteral("Read"));
    m_row.SetInt("STATUS_CODE", 1);
    m_row.SetInt("LIVE_TIME", 7);
    m_row.SetText("MESSAGE_SUBJ", subject.left(SubjectLimit));
    m_row.SetText("MESSAGE_BODY", body.left(BodyLimit));
    if (IsBroadcast()) {
        m_row.SetText("MARKET_ID", QStringLiteral("PERSONAL"));
        m_row.SetText("MARKET_NAME", recipientName);
    } else {
        m_row.SetMarketFromContext();
    }
    return true;
}

void MessageForm::BuildRequest(XRequest &request)
{
    m_row.BuildMessageXml(request);
}

void MessageForm::Store(const XRequest &answer)
{
    m_row.SetText("ID", answer.GetResponseText(QStringLiteral("message_id")));
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    m_row.SetDate("POST_DATE", created > 0 ? QDateTime::fromSecsSinceEpoch(created)
                                           : QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch()));
    // Decided here, inside the store's transaction: a poll may have opened
    // the thread since the form was filled.
    const SqlExpr parent = XMessageSet::FormatParentFilter(contextId, contextType, recipientId);
    XMessageSet parents;
    const bool threadExists = parents.CountRecords(parent) > 0;
    m_row.SetBool("IS_PARENT", !threadExists);
    if (threadExists) {
        theDatabase().Execute(QStringLiteral("UPDATE [Messages] SET OUTCOMING_COUNT = COALESCE(OUTCOMING_COUNT, 0) + 1, "
                                             "LATEST_POST_DATE = ?, STATUS_CODE = 1, STATUS = 'Read' WHERE ") +
                                  parent.text,
                              QVariantList{m_row.GetFieldValue("POST_DATE")} + parent.args);
    } else {
        m_row.SetInt("OUTCOMING_COUNT", 1);
        m_row.SetInt("INCOMING_COUNT", 0);
        m_row.SetFieldValue("LATEST_POST_DATE", m_row.GetFieldValue("POST_DATE"));
    }
    m_row.Update();
    XMessageSet::MarkContextReplied(contextId, contextType);
}

XMarketPlace MessageForm::RefusingMarket() const
{
    XMarketPlace market;
    market.marketId = m_row.GetText("MARKET_ID");
    return market;
}
