// Faults switched while the test marketplace serves: an operation misbehaves
// from its next request on, gets its usual answer back with "ok", and the
// others never notice; a control file is followed as it changes.

#include "FakeServer.h"
#include "TestEnv.h"
#include "testserver/FaultControl.h"

#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <httplib.h>

#include <thread>

namespace {

struct Reply
{
    int status = 0;  // 0: no answer in time
    QByteArray body;
    QByteArray contentType;
};

Reply Post(const FakeServer &server, const char *operation, int timeoutSeconds = 5)
{
    httplib::Client client("127.0.0.1", server.Port());
    client.set_read_timeout(timeoutSeconds, 0);
    const std::string body = std::string("<kv_request operation=\"") + operation + "\"/>";
    const httplib::Result r = client.Post("/kvp", body, "text/xml");
    if (!r)
        return {};
    return {r->status, QByteArray::fromStdString(r->body), QByteArray::fromStdString(r->get_header_value("Content-Type"))};
}

bool WellFormed(const QByteArray &body)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd())
        xml.readNext();
    return !xml.hasError();
}

const QByteArray Polled = FakeServer::Response(0, "<query_list/>");
const QByteArray LoggedIn = FakeServer::Response(0, "<session_id>S1</session_id>");

} // namespace

class TestFaultControl : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FakeServer> m_server;

private slots:
    void init()
    {
        m_server = std::make_unique<FakeServer>();
        // "poll" decided by a responder, "login" by a scripted answer.
        m_server->SetResponder(QStringLiteral("poll"), [](const FakeServer::Request &) {
            FakeServer::Answer a;
            a.body = Polled;
            return std::optional<FakeServer::Answer>(a);
        });
        FakeServer::Answer login;
        login.body = LoggedIn;
        m_server->Script(QStringLiteral("login"), login);
        QVERIFY(m_server->Start() > 0);
    }
    void cleanup() { m_server.reset(); }

    void modesComeAndGo_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("contains");
        QTest::addColumn<bool>("wellFormed");

        QTest::newRow("poll garbage") << "poll" << "garbage" << 200 << QByteArray("<kv_response") << false;
        QTest::newRow("poll http500") << "poll" << "http500" << 500 << QByteArray("Internal Server Error") << true;
        QTest::newRow("poll code4") << "poll" << "code4" << 200 << QByteArray("result_code=\"4\"") << true;
        QTest::newRow("login html") << "login" << "html" << 200 << QByteArray("Bad Gateway") << false;
        QTest::newRow("login cut-short") << "login" << "cut-short" << 0 << QByteArray() << false;
    }
    void modesComeAndGo()
    {
        QFETCH(QString, operation);
        QFETCH(QString, mode);
        QFETCH(int, status);
        QFETCH(QByteArray, contains);
        QFETCH(bool, wellFormed);
        const QByteArray op = operation.toLatin1();
        const QByteArray usual = operation == u"poll" ? Polled : LoggedIn;
        const char *other = operation == u"poll" ? "login" : "poll";
        const QByteArray otherUsual = operation == u"poll" ? LoggedIn : Polled;

        FaultControl control(*m_server);
        QCOMPARE(Post(*m_server, op).body, usual);
        QVERIFY(control.Set(operation, mode));
        const Reply faulty = Post(*m_server, op);
        QCOMPARE(faulty.status, status);
        if (!contains.isEmpty())
            QVERIFY2(faulty.body.contains(contains), faulty.body.constData());
        if (status == 200)
            QCOMPARE(WellFormed(faulty.body), wellFormed);
        QCOMPARE(Post(*m_server, other).body, otherUsual);

        // Set again, then back: the usual answer, not a copy of the fault.
        QVERIFY(control.Set(operation, mode));
        QVERIFY(control.Set(operation, QStringLiteral("ok")));
        const Reply back = Post(*m_server, op);
        QCOMPARE(back.status, 200);
        QCOMPARE(back.body, usual);
    }

    void refusedLinesChangeNothing()
    {
        FaultControl control(*m_server);
        const QStringList refused =
            control.Apply("# a comment\n\npoll=nonsense\n=silent\npoll\nlogin=none\nlogin = http500 \n");
        QCOMPARE(refused, QStringList({"poll=nonsense", "=silent", "poll", "login=none"}));
        QCOMPARE(Post(*m_server, "poll").body, Polled);
        QCOMPARE(Post(*m_server, "login").status, 500);
    }

    // A session that expired once: result code 4, then the usual answers.
    void code4Once()
    {
        FaultControl control(*m_server);
        QVERIFY(control.Apply("poll=code4-once\n").isEmpty());
        QVERIFY(Post(*m_server, "poll").body.contains("result_code=\"4\""));
        QCOMPARE(Post(*m_server, "poll").body, Polled);
        QCOMPARE(Post(*m_server, "poll").body, Polled);
    }

    // A request hung on a silent answer does not hold back the next one once
    // the operation is back to normal.
    void silentThenOk()
    {
        FaultControl control(*m_server);
        QVERIFY(control.Set(QStringLiteral("poll"), QStringLiteral("silent")));
        Reply hung;
        std::thread waiting([&] { hung = Post(*m_server, "poll", 2); });
        QTRY_COMPARE(m_server->RequestsFor(QStringLiteral("poll")).size(), 1);
        QVERIFY(control.Set(QStringLiteral("poll"), QStringLiteral("ok")));
        QCOMPARE(Post(*m_server, "poll").body, Polled);
        waiting.join();
        QCOMPARE(hung.status, 0);
    }

    void followsTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("control"));
        const auto write = [&](const QByteArray &text) {
            QFile f(path + QStringLiteral(".new"));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
            f.close();
            QFile::remove(path);
            QVERIFY(QFile::rename(f.fileName(), path));
        };
        FaultControl control(*m_server);
        QStringList applied;
        control.Watch(path, [&](const QString &line) { applied << line; }, 20);

        write("poll=garbage\n");
        QTRY_COMPARE(applied, QStringList({"poll=garbage"}));
        QCOMPARE(Post(*m_server, "poll").body, FaultControl::GarbageBody());

        write("poll=ok\nlogin=http500\n");
        QTRY_COMPARE(applied.size(), 3);
        QCOMPARE(applied.mid(1), QStringList({"poll=ok", "login=http500"}));
        QCOMPARE(Post(*m_server, "poll").body, Polled);
        QCOMPARE(Post(*m_server, "login").status, 500);

        // A file that goes away names nothing: what was set stays set.
        QFile::remove(path);
        QTest::qWait(100);
        QCOMPARE(applied.size(), 3);
        QCOMPARE(Post(*m_server, "login").status, 500);
    }
};

KORVANT_TEST_MAIN(TestFaultControl)
#include "tst_faultcontrol.moc"
