#pragma once

// The rules of the message form: one message to another member about a
// trading record (or a free "broadcast"), sent as "newMessage" and stored as
// part of the record's thread with that member. The first message of a
// thread is its parent row; a reply counts itself on the parent. The row, the
// parent and the record's "Replied" state are written in one transaction.

#include "SubmitPipeline.h"

#include "db/XMessageSet.h"

#include <QString>

class MessageForm : public SubmitForm
{
public:
    static constexpr int SubjectLimit = 128;
    static constexpr int BodyLimit = 8191;

    MessageForm() = default;

    QString contextId;
    QString contextType = QStringLiteral("broadcast");
    QString recipientId;
    QString recipientName;
    QString subject;
    QString body;

    bool IsBroadcast() const { return contextType == QLatin1String("broadcast"); }
    static SubmitSpec Spec(bool cars);
    FormOutcome Submit(SubmitPipeline &pipeline);

    // --- SubmitForm ---
    QString MissingFields() override { return QString(); }
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    XMarketPlace RefusingMarket() const override;

    XMessageSet &Row() { return m_row; }

private:
    XMessageSet m_row;
};
