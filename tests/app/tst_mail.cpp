#include "TestApp.h"
#include "TestEnv.h"

#include "app/CMailMsg.h"

namespace {
// A stand-in for xdg-email that records its arguments (NUL-separated) and exits with the given code.
QString FakeTool(const QString &folder, int exitCode)
{
    const QString path = folder + "/xdg-email";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.args\"\nexit "
            + QByteArray::number(exitCode) + "\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QStringList RecordedArguments(const QString &tool)
{
    QFile f(tool + ".args");
    if (!f.open(QIODevice::ReadOnly))
        return {"<not run>"};
    QByteArray all = f.readAll();
    all.chop(1);
    QStringList args;
    for (const QByteArray &a : all.split('\0'))
        args << QString::fromUtf8(a);
    return args;
}
} // namespace

class TestMail : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { CMailMsg::SetProgram(QString()); }

    void sendsArgumentList()
    {
        TestApp t;
        const QString tool = FakeTool(TestEnv::NewFolder(), 0);
        CMailMsg::SetProgram(tool);
        const QString dir = TestEnv::NewFolder();
        const QString dump = dir + "/crash dump.zip";

        CMailMsg msg;
        QVERIFY(msg.LoadMapi());
        msg.SetFrom("member@example.com", "Member");
        msg.AddTo("support@korvant.example", "Support");
        msg.AddCc("b@example.com", "B");
        msg.AddCc("a@example.com", "first name");
        msg.AddCc("a@example.com", "last name wins");
        msg.AddBcc("-x@example.com", "looks like an option");
        msg.AddAttachment(dump, "dump.zip");
        msg.SetSubject("Error report");
        msg.SetBody("Line one\nit's $(not) `a` shell; \"quoted\"");
        QVERIFY(msg.Send());

        const QStringList expected = {"--utf8", "--subject", "Error report",
                                      "--body", "Line one\nit's $(not) `a` shell; \"quoted\"",
                                      "--cc", "a@example.com", "--cc", "b@example.com",
                                      "--attach", dump, "support@korvant.example"};
        QCOMPARE(RecordedArguments(tool), expected);
        QCOMPARE(msg.Arguments(), expected);
    }

    void toolFromEnvironment()
    {
        TestApp t;
        const QString tool = FakeTool(TestEnv::NewFolder(), 0);
        qputenv("KORVANT_XDG_EMAIL", tool.toUtf8());
        CMailMsg msg;
        msg.AddTo("a@example.com", "A");
        const bool sent = msg.Send();
        qunsetenv("KORVANT_XDG_EMAIL");
        QVERIFY(sent);
        QCOMPARE(RecordedArguments(tool), QStringList({"--utf8", "a@example.com"}));
        QCOMPARE(CMailMsg::Program(), QStringLiteral("xdg-email"));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("missing path") << "path";
        QTest::newRow("name not on PATH") << "name";
        QTest::newRow("tool refuses") << "exit";
    }
    void failures()
    {
        QFETCH(QString, failure);
        TestApp t;
        const QString folder = TestEnv::NewFolder();
        if (failure == "path")
            CMailMsg::SetProgram(folder + "/xdg-email");
        else if (failure == "name")
            CMailMsg::SetProgram("korvant-no-such-mail-tool");
        else
            CMailMsg::SetProgram(FakeTool(folder, 3));

        CMailMsg msg;
        QCOMPARE(msg.LoadMapi(), failure == "exit");
        msg.AddTo("a@example.com", "A");
        msg.AddAttachment(folder + "/dump.zip", "dump.zip");
        QVERIFY(!msg.Send());
        if (failure != "exit")
            QCOMPARE(msg.Arguments(), QStringList({"--utf8"}));
    }
};

KORVANT_TEST_MAIN(TestMail)
#include "tst_mail.moc"
