#pragma once

#include "FakeServer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The sample answers of the fake marketplace server, kept as small XML files
// under tests/fixtures/net/ (one per operation: "<operation>.xml").
namespace SampleAnswers {
// Operations that have a sample answer.
QStringList Operations();
QString Path(const QString &fileName);
// The file's bytes; empty (and a test warning) when it cannot be read.
QByteArray Load(const QString &fileName);
// A 200 answer carrying the file.
FakeServer::Answer Answer(const QString &fileName);
// Scripts every operation with its sample answer.
void ScriptAll(FakeServer &server);
// Scripts one operation with its sample answer.
void Script(FakeServer &server, const QString &operation);
} // namespace SampleAnswers
