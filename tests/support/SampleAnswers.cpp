#include "SampleAnswers.h"

#include "TestEnv.h"

#include <QFile>

namespace SampleAnswers {

QStringList Operations()
{
    return {QStringLiteral("getMainInfo"),     QStringLiteral("getMetaInfo"),   QStringLiteral("getCarMetaInfo"),
            QStringLiteral("getMarketPlaces"), QStringLiteral("getProfile"),    QStringLiteral("newProfile"),
            QStringLiteral("changeProfile"),   QStringLiteral("login"),         QStringLiteral("logout")};
}

QString Path(const QString &fileName)
{
    return TestEnv::SourceDir() + QStringLiteral("/tests/fixtures/net/") + fileName;
}

QByteArray Load(const QString &fileName)
{
    QFile f(Path(fileName));
    if (!f.open(QIODevice::ReadOnly)) {
        qWarning("sample answer missing: %s", qPrintable(f.fileName()));
        return {};
    }
    return f.readAll();
}

FakeServer::Answer Answer(const QString &fileName)
{
    FakeServer::Answer a;
    a.body = Load(fileName);
    return a;
}

void Script(FakeServer &server, const QString &operation)
{
    server.Script(operation, Answer(operation + QStringLiteral(".xml")));
}

void ScriptAll(FakeServer &server)
{
    for (const QString &op : Operations())
        Script(server, op);
}

} // namespace SampleAnswers
