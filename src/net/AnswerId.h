#pragma once

#include "XmlUtil.h"

#include <QString>

// A record fetched by its id ("getQuery", "getOrder", ...) must be the one
// asked for: an answer naming another id would be stored on the wrong record.
// True when `record` names no id in its `idElement` child or names `askedId`;
// a mismatch is logged with the operation.
bool AnswerIsFor(const XmlNode &record, const QString &idElement, const QString &askedId, const QString &operation);

// What a member reads when an answer was refused for naming another record.
QString AnotherRecordText(const QString &recordWord);
