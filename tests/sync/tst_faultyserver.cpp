// The poller and a foreground request against a server that misbehaves:
// each ends within its time-outs, says what went wrong in plain words,
// stores nothing, and the next normal exchange works.

#include "SyncFixture.h"
#include "TestEnv.h"

#include <QElapsedTimer>

namespace {

constexpr int ConnectMs = 1000;
constexpr int TotalMs = 2000;

QByteArray Query(const QByteArray &id)
{
    return "<query><query_id>" + id + "</query_id><owner_id>B1</owner_id><create_time>2024-03-01 10:00:00</create_time>"
           "<live_time>30</live_time><part_info><name>Door</name><quantity>1</quantity></part_info></query>";
}

} // namespace

class TestFaultyServer : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        XRequest::SetDefaultTimeouts(30000, 300000);
        XRequest::SetLowSpeedTime(60);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("poller");
        QTest::addColumn<QString>("status");  // what the member reads

        const QList<QPair<QString, QString>> faults = {
            {"silent", "The server did not answer in time."},
            {"trickle", "The server did not answer in time."},
            {"endless", "The server's answer was too large."},
            {"huge-body", "The server's answer was too large."},
            {"huge-header", "The server's answer was too large."},
            {"html", "The server answered with a web page instead of its data."},
            {"cut-short", "The connection was closed before the whole answer arrived."},
            {"http500", "HTTP Error: 500 Internal Server Error"},
            {"code4", "Your session has expired. [Code: 4]"},
            {"redirect-loop", "The server sent the request on to other addresses too many times."},
            {"redirect-file", "The server sent the request on to an address that is not a web address."},
        };
        for (const auto &[fault, status] : faults) {
            QTest::newRow(qPrintable(fault + " poller")) << fault << true << status;
            QTest::newRow(qPrintable(fault + " foreground")) << fault << false << status;
        }
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(bool, poller);
        QFETCH(QString, status);

        SyncFixture f;
        theSettings().SetInt(Setting::AutoReply, 0);
        theSettings().SetInt(Setting::AutoReplyCars, 0);
        f.server.Script("poll", Ok("<query_list>" + Query("Q1") + "</query_list>"));
        thePoller().Poll();
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 1);
        const QByteArray before = DatabaseDigest();

        // An endless body ends at the size limit, which a slow (sanitized,
        // loaded) build reaches only after the usual time limit.
        const int totalMs = fault == QLatin1String("endless") ? 5 * TotalMs : TotalMs;
        XRequest::SetDefaultTimeouts(ConnectMs, totalMs);
        XRequest::SetLowSpeedTime(1);
        const std::optional<FakeServer::Fault> mode = FakeServer::FaultByName(fault);
        QVERIFY(mode);
        const QString operation = poller ? "poll" : "getQuery";
        f.server.Script(operation, FakeServer::FaultAnswer(*mode));
        f.t.frame.log.Clear();

        QElapsedTimer timer;
        timer.start();
        QString shown;
        if (poller) {
            thePoller().Poll();
            const QStringList texts = f.t.frame.log.Calls().filter("SetStatusText|Polling request error: ");
            QCOMPARE(texts.size(), 1);
            shown = texts.first();
            QCOMPARE(f.t.frame.log.Count("SetNewCounts"), 0);
        } else {
            XRequest r(operation);
            QVERIFY(!r.SendWithRelogin());
            shown = r.GetStatusText();
        }
        const qint64 took = timer.elapsed();
        QVERIFY2(took < totalMs + 2000, qPrintable(QString("%1 ms").arg(took)));
        QVERIFY2(shown.contains(status), qPrintable(shown));
        QVERIFY2(shown.size() < 700, qPrintable(QString::number(shown.size())));
        // The connection worked: the member is not sent to check the network.
        QVERIFY2(!shown.contains("cannot connect to the network"), qPrintable(shown));
        QCOMPARE(DatabaseDigest(), before);

        // The program goes on: a normal foreground request and a normal poll.
        f.server.Script(operation, Ok("<x>1</x>"));
        XRequest next("getQuery");
        QVERIFY2(next.SendWithRelogin(), qPrintable(next.GetStatusText()));
        f.server.Script("poll", Ok("<query_list>" + Query("Q2") + "</query_list>"));
        thePoller().Poll();
        QCOMPARE(thePoller().GetNewQueries(), 1);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries WHERE ID = 'Q2'"), 1);
    }
};

KORVANT_TEST_MAIN(TestFaultyServer)
#include "tst_faultyserver.moc"
