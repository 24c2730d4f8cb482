#pragma once

// What a new message is about and to whom, as its opener fills the message
// form: the record (context), the other member and the subject line.

#include <QString>

struct MessageAddress
{
    QString contextId;
    QString contextType = QStringLiteral("broadcast");
    QString recipientId;
    QString recipientName;
    QString subject;
};
