#include "DbFixture.h"
#include "TestEnv.h"

#include "app/Constants.h"
#include "db/XMessageSet.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

namespace {

TestApp::Options WithProfileAndDatabase()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
               {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

QByteArray MessageXml(const QString &id, const QString &contextType, const QString &contextId, const QString &owner,
                      const QString &time = QStringLiteral("2024-03-05 10:00:00"))
{
    XmlDoc doc = XmlDoc::Create(QStringLiteral("message"));
    XmlNode m = doc.Root();
    m.AddChild("message_id", id);
    m.AddChild("context_type", contextType);
    m.AddChild("context_id", contextId);
    m.AddChild("owner_id", owner);
    m.AddChild("live_time", "30");
    m.AddChild("subject", "About " + contextId);
    m.AddChild("body", "Body of " + id);
    m.AddChild("create_time", time);
    m.AddChild("contact_info").AddChild("name", "Name of " + owner);
    return doc.ToXml(false);
}

// Reads and stores one received message as the poll does.
void Receive(const QByteArray &xml)
{
    const XmlDoc doc = XmlDoc::Parse(xml);
    XMessageSet set;
    set.AddNew();
    set.ReadMessageXml(nullptr, doc.Root());
    set.Update();
}

void Receive(const QString &id, const QString &type, const QString &contextId, const QString &owner,
             const QString &time = QStringLiteral("2024-03-05 10:00:00"))
{
    Receive(MessageXml(id, type, contextId, owner, time));
}

void AddRecord(const char *table, const QString &id, const QString &status, int code,
               const QVariantMap &more = {})
{
    XBaseSet set(nullptr, table);
    set.AddNew();
    set.SetText("ID", id);
    set.SetText("STATUS", status);
    set.SetInt("STATUS_CODE", code);
    for (auto it = more.begin(); it != more.end(); ++it)
        set.SetFieldValue(it.key().toLatin1().constData(), it.value());
    QVERIFY(set.Update());
}

struct Row
{
    QVariantMap v;
    QString s(const char *c) const { return v.value(c).toString(); }
    int i(const char *c) const { return v.value(c).toInt(); }
};

Row Fetch(const char *table, const QString &where, const QVariantList &args = {})
{
    XBaseSet set(nullptr, table);
    set.Select(SqlExpr(where, args));
    Row r;
    if (set.IsEOF())
        return r;
    for (int i = 0; i < set.GetFieldCount(); ++i)
        r.v.insert(set.GetFieldName(i), set.GetFieldValue(i));
    return r;
}

Row Parent(const QString &type, const QString &contextId, const QString &owner)
{
    const SqlExpr f = XMessageSet::FormatParentFilter(contextId, type, owner);
    return Fetch("Messages", f.text, f.args);
}

int Count(const QString &sql, const QVariantList &args = {})
{
    return theDatabase().ExecuteScalar(sql, args);
}

// The record's counters are the counts of its threads.
void VerifyCounters(const char *table, const QString &type, const QString &id)
{
    const Row r = Fetch(table, "ID = ?", {id});
    QCOMPARE(r.i("MESS_TOTAL_COUNT"), XMessageSet::CountByContext(id, type));
    QCOMPARE(r.i("MESS_NEW_COUNT"),
             Count("SELECT COUNT(*) FROM Messages WHERE IS_PARENT = 1 AND STATUS_CODE = 0 AND CONTEXT_ID = ? AND "
                   "CONTEXT_TYPE = ?",
                   {id, type}));
}

} // namespace

class TestMessages : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithProfileAndDatabase());
        QVERIFY(theDatabase().init());
        theProfile().Update([](ProfileData &d) {
            d.name = "Me Myself";
            d.signature = "My signature";
        });
        theApp().GetSession().SetPassportId("me");
    }
    void cleanup() { m_app.reset(); }

    void threadsAndCounters()
    {
        AddRecord("Queries", "Q1", "Read", 1);

        Receive("m1", "query", "Q1", "A", "2024-03-05 10:00:00");
        Row p = Parent("query", "Q1", "A");
        QCOMPARE(p.s("ID"), QString("m1"));
        QCOMPARE(p.i("INCOMING_COUNT"), 1);
        QCOMPARE(p.i("OUTCOMING_COUNT"), 0);
        QCOMPARE(p.s("LATEST_POST_DATE"), QString("2024-03-05 10:00:00"));
        QCOMPARE(p.s("OWNER_NAME"), QString("Name of A"));
        VerifyCounters("Queries", "query", "Q1");
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("MESS_TOTAL_COUNT"), 1);
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").s("STATUS"), QString("Replied"));
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("STATUS_CODE"), 2);

        // The member reads the thread; the next message makes it new again.
        theDatabase().Execute("UPDATE Messages SET STATUS = 'Read', STATUS_CODE = 1 WHERE ID = 'm1'");
        XMessageSet::RefreshContextCounters("Q1", "query");
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("MESS_NEW_COUNT"), 0);

        Receive("m2", "query", "Q1", "A", "2024-03-06 11:30:00");
        p = Parent("query", "Q1", "A");
        QCOMPARE(p.s("ID"), QString("m1"));
        QCOMPARE(p.i("INCOMING_COUNT"), 2);
        QCOMPARE(p.s("STATUS"), QString("New"));
        QCOMPARE(p.i("STATUS_CODE"), 0);
        QCOMPARE(p.s("LATEST_POST_DATE"), QString("2024-03-06 11:30:00"));
        const Row child = Fetch("Messages", "ID = 'm2'");
        QCOMPARE(child.i("IS_PARENT"), 0);
        QCOMPARE(child.i("IS_INCOMING"), 1);
        VerifyCounters("Queries", "query", "Q1");
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("MESS_TOTAL_COUNT"), 1);

        // Another member about the same query: a second thread; threads are counted, not messages.
        Receive("m3", "query", "Q1", "B");
        QCOMPARE(Parent("query", "Q1", "B").s("ID"), QString("m3"));
        VerifyCounters("Queries", "query", "Q1");
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("MESS_TOTAL_COUNT"), 2);
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("MESS_NEW_COUNT"), 2);
        QCOMPARE(XMessageSet::CountByContext("Q1", "query"), 2);
        QCOMPARE(Count("SELECT COUNT(*) FROM Messages"), 3);
    }

    // The counters a stored message writes are those a count afterwards finds,
    // whatever the threads held before: read, new, of no state, several
    // senders, a sender's name in another case.
    void countersMatchARecountAfterAnyMix()
    {
        AddRecord("Queries", "Q1", "Read", 1);
        AddRecord("Queries", "Q2", "New", 0);
        const char *const senders[] = {"A", "B", "a", "C"};
        quint32 seed = 7;
        auto next = [&seed](quint32 n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % n;
        };
        for (int i = 0; i < 60; ++i) {
            const QString context = next(2) ? "Q1" : "Q2";
            Receive(QString("m%1").arg(i), "query", context, senders[next(4)]);
            VerifyCounters("Queries", "query", context);
            switch (next(4)) {
            case 0:  // the member reads a thread
                theDatabase().Execute("UPDATE Messages SET STATUS = 'Read', STATUS_CODE = 1 WHERE IS_PARENT = 1 AND "
                                      "ID = (SELECT ID FROM Messages WHERE IS_PARENT = 1 ORDER BY random() LIMIT 1)");
                break;
            case 1:  // a parent of no state
                theDatabase().Execute("UPDATE Messages SET STATUS_CODE = NULL WHERE IS_PARENT = 1 AND "
                                      "ID = (SELECT ID FROM Messages WHERE IS_PARENT = 1 ORDER BY random() LIMIT 1)");
                break;
            default:
                break;
            }
        }
        QVERIFY(Fetch("Queries", "ID = 'Q1'").i("MESS_TOTAL_COUNT") > 0);
    }

    void undatedMessageKeepsThreadDate()
    {
        AddRecord("Queries", "Q1", "Read", 1);
        Receive("m1", "query", "Q1", "A", "2024-03-05 10:00:00");
        Receive("m2", "query", "Q1", "A", "");
        const Row p = Parent("query", "Q1", "A");
        QCOMPARE(p.i("INCOMING_COUNT"), 2);
        QCOMPARE(p.s("LATEST_POST_DATE"), QString("2024-03-05 10:00:00"));
    }

    void everyContextTableIsCounted_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("statusAfter");
        QTest::newRow("quote") << "Quotes" << "quote" << "Replied";
        QTest::newRow("car query") << "Queries_Cars" << "query_cars" << "Replied";
        QTest::newRow("car quote") << "Quotes_Cars" << "quote_cars" << "Replied";
        QTest::newRow("deal") << "HotDeals" << "deal" << "Replied";
        QTest::newRow("order keeps its state") << "Orders" << "order" << "Completed";
    }
    void everyContextTableIsCounted()
    {
        QFETCH(QString, table);
        QFETCH(QString, type);
        QFETCH(QString, statusAfter);
        const QByteArray t = table.toLatin1();
        AddRecord(t.constData(), "R1", "Completed", 5);
        Receive("m1", type, "R1", "A");
        Receive("m2", type, "R1", "A");
        Receive("m3", type, "R1", "B");
        const Row r = Fetch(t.constData(), "ID = 'R1'");
        QCOMPARE(r.s("STATUS"), statusAfter);
        QCOMPARE(r.i("STATUS_CODE"), statusAfter == "Replied" ? 2 : 5);
        QCOMPARE(r.i("MESS_TOTAL_COUNT"), 2);
        VerifyCounters(t.constData(), type, "R1");
    }

    void contextIdWithAQuote()
    {
        const QString id = "Q'1; DROP TABLE Queries; --";
        AddRecord("Queries", id, "New", 0);
        Receive("m1", "query", id, "O'Brien");
        Receive("m2", "query", id, "O'Brien");
        QCOMPARE(Parent("query", id, "O'Brien").i("INCOMING_COUNT"), 2);
        QCOMPARE(Fetch("Queries", "ID = ?", {id}).i("MESS_TOTAL_COUNT"), 1);
        VerifyCounters("Queries", "query", id);
    }

    void unknownOrBroadcastContextTouchesNoRecord_data()
    {
        QTest::addColumn<QString>("type");
        QTest::newRow("broadcast") << "broadcast";
        QTest::newRow("table name") << "Queries";
        QTest::newRow("hostile") << "query] SET STATUS = 'x' --";
        QTest::newRow("empty") << "";
    }
    void unknownOrBroadcastContextTouchesNoRecord()
    {
        QFETCH(QString, type);
        AddRecord("Queries", "Q1", "Read", 1);
        Receive("m1", type, "Q1", "A");
        QCOMPARE(Count("SELECT COUNT(*) FROM Messages WHERE ID = 'm1' AND IS_PARENT = 1"), 1);
        const Row q = Fetch("Queries", "ID = 'Q1'");
        QCOMPARE(q.s("STATUS"), QString("Read"));
        QCOMPARE(q.i("MESS_TOTAL_COUNT"), 0);
        QVERIFY(XMessageSet::ContextTable(type).isEmpty());
    }

    void redeliveredMessageChangesNothing()
    {
        AddRecord("Quotes", "T1", "New", 0);
        Receive("m1", "quote", "T1", "A");
        QVERIFY_THROWS_EXCEPTION(DbException, Receive("m1", "quote", "T1", "A"));
        QCOMPARE(Parent("quote", "T1", "A").i("INCOMING_COUNT"), 1);
        QCOMPARE(Count("SELECT COUNT(*) FROM Messages"), 1);
        VerifyCounters("Quotes", "quote", "T1");
    }

    void storingNestsInTheCallersTransaction()
    {
        AddRecord("Queries", "Q1", "Read", 1);
        {
            SqlTransaction poll(theDatabase().Connection());
            Receive("m1", "query", "Q1", "A");
            Receive("m2", "query", "Q1", "A");
            poll.Rollback();
        }
        QCOMPARE(Count("SELECT COUNT(*) FROM Messages"), 0);
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").s("STATUS"), QString("Read"));
        {
            SqlTransaction poll(theDatabase().Connection());
            Receive("m1", "query", "Q1", "A");
            poll.Commit();
        }
        VerifyCounters("Queries", "query", "Q1");
        QCOMPARE(Fetch("Queries", "ID = 'Q1'").i("MESS_TOTAL_COUNT"), 1);
    }

    void counterRefreshKeepsTheRecordsState()
    {
        AddRecord("Quotes", "T1", "Completed", 5);
        Receive("m1", "quote", "T1", "A");
        theDatabase().Execute("UPDATE Quotes SET STATUS = 'Completed', STATUS_CODE = 5 WHERE ID = 'T1'");
        theDatabase().Execute("DELETE FROM Messages WHERE ID = 'm1'");
        XMessageSet::RefreshContextCounters("T1", "quote");
        const Row r = Fetch("Quotes", "ID = 'T1'");
        QCOMPARE(r.s("STATUS"), QString("Completed"));
        QCOMPARE(r.i("STATUS_CODE"), 5);
        QCOMPARE(r.i("MESS_TOTAL_COUNT"), 0);
        QCOMPARE(r.i("MESS_NEW_COUNT"), 0);
    }

    void marketComesFromTheContextRecord_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("marketId");
        QTest::addColumn<QString>("marketName");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("query in a market") << "query" << "M7" << "Parts West" << "Parts West";
        QTest::newRow("personal query") << "query" << "PERSONAL" << "ignored" << "Bob Seller";
        QTest::newRow("car quote") << "quote_cars" << "M9" << "Cars East" << "Cars East";
    }
    void marketComesFromTheContextRecord()
    {
        QFETCH(QString, type);
        QFETCH(QString, marketId);
        QFETCH(QString, marketName);
        QFETCH(QString, expectedName);
        const QString table = XMessageSet::ContextTable(type);
        AddRecord(table.toLatin1().constData(), "R1", "New", 0,
                  {{"MARKET_ID", marketId}, {"MARKET_NAME", marketName}, {"C_NAME", "Bob Seller"}});
        Receive("m1", type, "R1", "A");
        const Row m = Fetch("Messages", "ID = 'm1'");
        QCOMPARE(m.s("MARKET_ID"), marketId);
        QCOMPARE(m.s("MARKET_NAME"), expectedName);

        Receive("m2", type, "missing", "A");  // no such record: no market
        QCOMPARE(Fetch("Messages", "ID = 'm2'").s("MARKET_ID"), QString());
    }

    void folderShowsTheMarketModesThreads_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("types");
        QTest::newRow("parts") << 0 << QStringList{"broadcast", "deal", "order", "query", "quote"};
        QTest::newRow("cars") << 1 << QStringList{"broadcast", "deal", "order", "query_cars", "quote_cars"};
    }
    void folderShowsTheMarketModesThreads()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, types);
        int n = 0;
        for (const char *type : Korvant::ContextTypeNames) {
            Receive(QString("p%1").arg(n), type, "C1", "A");
            Receive(QString("c%1").arg(n++), type, "C1", "A");  // a child: never listed
        }
        m_app->frame.marketMode = mode;
        XMessageSet set;
        set.GetFolderFilter(150);
        set.Open();
        QStringList shown;
        for (set.MoveFirst(); !set.IsEOF(); set.MoveNext())
            shown << set.GetText("CONTEXT_TYPE");
        shown.sort();
        QCOMPARE(shown, types);
    }

    void carsContext()
    {
        XMessageSet set;
        set.AddNew();
        set.SetText("CONTEXT_TYPE", "quote_cars");
        QVERIFY(set.IsCarsContext());
        set.SetText("CONTEXT_TYPE", "quote");
        QVERIFY(!set.IsCarsContext());
    }

    void messageRequest()
    {
        XMessageSet set;
        set.AddNew();
        set.SetText("CONTEXT_ID", "Q1");
        set.SetText("CONTEXT_TYPE", "query");
        set.SetInt("LIVE_TIME", 30);
        set.SetText("MESSAGE_SUBJ", "Price & delivery");
        set.SetText("MESSAGE_BODY", "<b>Is it still there?</b>");
        set.SetText("OWNER_ID", "12345678");
        XRequest request("newMessage");
        set.BuildMessageXml(request);
        QCOMPARE(request.GetRequestRoot().Select("message").ToXml(),
                 QByteArray("<message><recipients><passport_id>12345678</passport_id></recipients>"
                            "<context_id>Q1</context_id><context_type>query</context_type><live_time>30</live_time>"
                            "<subject>Price &amp; delivery</subject>"
                            "<body>&lt;b&gt;Is it still there?&lt;/b&gt;</body></message>"));
    }

    void threadXml_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<bool>("reply");
        QTest::newRow("another member") << "A" << true;
        QTest::newRow("own passport") << "me" << false;
    }
    void threadXml()
    {
        QFETCH(QString, owner);
        QFETCH(bool, reply);
        Receive("m1", "deal", "D1", owner, "2024-03-05 10:00:00");
        Receive("m2", "deal", "D1", owner, "2024-03-07 09:15:00");
        Receive("x", "deal", "D1", "other", "2024-03-08 09:15:00");  // another thread
        {
            XBaseSet sent(nullptr, "Messages");
            sent.AddNew();
            sent.SetText("ID", "s1");
            sent.SetText("CONTEXT_ID", "D1");
            sent.SetText("CONTEXT_TYPE", "deal");
            sent.SetText("OWNER_ID", owner);
            sent.SetBool("IS_INCOMING", false);
            sent.SetText("MESSAGE_BODY", "My answer");
            sent.SetDate("POST_DATE", QDateTime(QDate(2024, 3, 6), QTime(8, 0)));
            QVERIFY(sent.Update());
        }
        XMessageSet set;
        set.Select(XMessageSet::FormatParentFilter("D1", "deal", owner));
        QVERIFY(!set.IsEOF());
        XmlDoc doc = XmlDoc::Create("message-details");
        set.BuildThreadXml(doc.Root());
        const QString flag = reply ? " reply=\"1\"" : "";
        QCOMPARE(QString::fromUtf8(doc.Root().ToXml()),
                 "<message-details context-type=\"deal\"" + flag + ">"
                 "<message incoming=\"1\"><sender-name>Name of " + owner + "</sender-name>"
                 "<post-date>2024-03-07 09:15</post-date><message-body>Body of m2</message-body></message>"
                 "<message><sender-name>Me Myself</sender-name><post-date>2024-03-06 08:00</post-date>"
                 "<message-body>My answer</message-body></message>"
                 "<message incoming=\"1\"><sender-name>Name of " + owner + "</sender-name>"
                 "<post-date>2024-03-05 10:00</post-date><message-body>Body of m1</message-body></message>"
                 "</message-details>");
    }

    void welcomeMessages()
    {
        XMessageSet set;
        set.AddWelcomeMessages();
        set.SetSort("POST_DATE DESC");
        set.Requery();
        QCOMPARE(set.GetRecordCount(), 2);
        QStringList subjects;
        QDateTime first;
        for (set.MoveFirst(); !set.IsEOF(); set.MoveNext()) {
            QCOMPARE(set.GetText("CONTEXT_TYPE"), QString("broadcast"));
            QCOMPARE(set.GetText("OWNER_ID"), QString("00000001"));
            QVERIFY(set.GetBool("IS_PARENT"));
            QVERIFY(set.GetBool("IS_INCOMING"));
            QCOMPARE(set.GetInt("STATUS_CODE"), 0);
            QCOMPARE(set.GetText("STATUS"), QString("New"));
            QVERIFY(QRegularExpression("^\\d{8}$").match(set.GetText("ID")).hasMatch());
            QVERIFY(QRegularExpression("^\\d{8}$").match(set.GetText("CONTEXT_ID")).hasMatch());
            QCOMPARE(set.GetDate("LATEST_POST_DATE"), set.GetDate("POST_DATE"));
            QVERIFY(set.GetText("MESSAGE_BODY").startsWith("Me Myself,"));
            subjects << set.GetText("MESSAGE_SUBJ");
            if (!first.isValid())
                first = set.GetDate("POST_DATE");
            else
                QCOMPARE(set.GetDate("POST_DATE").secsTo(first), 1);
        }
        QCOMPARE(subjects, (QStringList{"Welcome to Korvant", "Selling on Korvant is FREE for you"}));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestMessages)
#include "tst_messages.moc"
