// The test server's script across runs: a server started again for the same
// member goes on where the last one stopped, instead of sending the first
// poll's records a second time.

#include "FakeServer.h"
#include "testserver/MarketScript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMarketScript : public QObject
{
    Q_OBJECT
private slots:
    void restartedServerSendsNothingTwice()
    {
        QFile sample(QStringLiteral(KORVANT_TOOLS_SAMPLES "/poll.xml"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QByteArray firstPoll = sample.readAll();
        QTemporaryDir dir;
        const QString state = dir.filePath("server.state");
        FakeServer server;
        QStringList seen;
        for (int run = 0; run < 2; ++run) {
            MarketScript market(server, firstPoll);
            market.RememberIn(state);
            for (int poll = 0; poll < 2; ++poll) {
                const QByteArray body = market.Poll({})->body;
                for (const char *id : {"Q-1001", "D-6002"}) {
                    if (body.contains(id)) {
                        QVERIFY2(!seen.contains(id), id);
                        seen << id;
                    }
                }
            }
        }
        QCOMPARE(seen, (QStringList{"Q-1001", "D-6002"}));
    }

    // A member's hot deals each get an id of their own, across restarts too:
    // one id twice is refused by the client's store.
    void dealIdsNeverRepeat()
    {
        QTemporaryDir dir;
        FakeServer server;
        QStringList ids;
        for (int run = 0; run < 2; ++run) {
            MarketScript market(server, QByteArray());
            market.RememberIn(dir.filePath("server.state"));
            for (int deal = 0; deal < 2; ++deal) {
                const QByteArray body = market.NewDeal({})->body;
                const qsizetype at = body.indexOf("<deal_id>") + 9;
                ids << QString::fromLatin1(body.mid(at, body.indexOf("</deal_id>") - at));
            }
        }
        QCOMPARE(ids, (QStringList{"HD-7001", "HD-7002", "HD-7003", "HD-7004"}));
    }
};

QTEST_GUILESS_MAIN(TestMarketScript)
#include "tst_marketscript.moc"
