#include "NetTestUtil.h"
#include "TestEnv.h"

#include "net/VersionControl.h"

class TestVersion : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }

    void newerVersion_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("newer");
        QTest::newRow("build up") << "2.5.120" << "2.5.119" << true;
        QTest::newRow("same") << "2.5.120" << "2.5.120" << false;
        QTest::newRow("major only") << "3" << "2.5.100" << true;
        QTest::newRow("older major, higher minor") << "2.6.0" << "3.0.1" << false;
        QTest::newRow("older minor, higher build") << "2.5.121" << "2.6.1" << false;
        QTest::newRow("minor up") << "3.2.0" << "3.1.52" << true;
        QTest::newRow("older") << "3.1.51" << "3.1.52" << false;
        QTest::newRow("empty") << "" << "3.1.52" << false;
        QTest::newRow("garbage") << "abc" << "0.0.0" << false;
    }
    void newerVersion()
    {
        QFETCH(QString, offered);
        QFETCH(QString, running);
        QFETCH(bool, newer);
        QCOMPARE(VersionControl::IsNewerVersion(offered, running), newer);
    }

    void readNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("third");
        QTest::newRow("three") << "2.5.120" << 2 << 5 << 120;
        QTest::newRow("one") << "3" << 3 << 3 << 0;
        QTest::newRow("two") << "2.5" << 2 << 5 << 5;
        QTest::newRow("blank") << "" << 0 << 0 << 0;
    }
    void readNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, third);
        const VersionControl::Numbers n = VersionControl::ReadNumbers(text);
        QCOMPARE(n.first, first);
        QCOMPARE(n.second, second);
        QCOMPARE(n.third, third);
    }

    void updateRequired_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("meta");
        QTest::addColumn<bool>("required");
        QTest::newRow("server 8.0") << "8.0" << "1" << true;
        QTest::newRow("server 7.9") << "7.9" << "1" << false;
        QTest::newRow("meta 3") << "7.0" << "3" << true;
        QTest::newRow("meta 2.9") << "7.0" << "2.9" << false;
        QTest::newRow("empty") << "" << "" << false;
    }
    void updateRequired()
    {
        QFETCH(QString, server);
        QFETCH(QString, meta);
        QFETCH(bool, required);
        QCOMPARE(VersionControl::UpdateRequiredBy(server, meta), required);
    }

    void dbVersion() { QCOMPARE(GetClientDbVersion(), QString("98")); }

    void checkAgainstServer_data()
    {
        QTest::addColumn<QByteArray>("inner");
        QTest::addColumn<bool>("required");
        QTest::addColumn<bool>("offered");
        QTest::newRow("sample") << QByteArray() << false << false;
        QTest::newRow("new client") << QByteArray("<server_version>7.1</server_version><client_version>9.0.0"
                                                  "</client_version><meta_version>2</meta_version>")
                                    << false << true;
        QTest::newRow("server too new") << QByteArray("<server_version>8.0</server_version>") << true << false;
    }
    void checkAgainstServer()
    {
        QFETCH(QByteArray, inner);
        QFETCH(bool, required);
        QFETCH(bool, offered);
        ServerFixture f;
        if (!inner.isEmpty())
            f.server.Script("getMainInfo", FakeServer::Answer{FakeServer::Response(0, inner)});
        VersionControl vc;
        QVERIFY(vc.CheckVersion());
        QCOMPARE(vc.IsUpdateRequired(), required);
        QCOMPARE(vc.IsNewVersionAvailable(), offered);
        QCOMPARE(f.t.dialogs.log.Calls(), QStringList());
    }

    void failureOffersRetryWhileWarned()
    {
        ServerFixture f;
        FakeServer::Answer down{"down"};
        down.status = 503;
        f.server.Script("getMainInfo", down);
        f.t.dialogs.QueueAnswer(MsgBox::IdOk);     // Retry
        f.t.dialogs.QueueAnswer(MsgBox::IdCancel); // Ignore
        VersionControl vc;
        QVERIFY(!vc.CheckVersion());
        QVERIFY(!vc.IsUpdateRequired() && !vc.IsNewVersionAvailable());
        QCOMPARE(f.Posts("getMainInfo"), 2);
        QCOMPARE(f.t.dialogs.log.Count("MessageDlg2|Cannot retrieve main info|HTTP Error: 503 "), 2);

        // Once the member ticked the box, a failed check ends at once.
        *theApp().ShowErrorsFlag() = 0;
        f.t.dialogs.log.Clear();
        VersionControl again;
        QVERIFY(!again.CheckVersion());
        QCOMPARE(f.t.dialogs.log.Calls(), QStringList());
        QCOMPARE(f.Posts("getMainInfo"), 3);
    }
};

KORVANT_TEST_MAIN(TestVersion)
#include "tst_version.moc"
