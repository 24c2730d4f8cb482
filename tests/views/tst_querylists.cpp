#include "FakeServer.h"
#include "TestEnv.h"
#include "ViewsFixture.h"

#include "app/XSettings.h"
#include "net/NetInit.h"
#include "views/XQueryListCtrl.h"

namespace {

void AddQuery(const char *table, const QString &id, bool incoming, int status, const QString &date,
              bool archived = false, const QString &name = QStringLiteral("Lee"))
{
    theDatabase().Execute(QStringLiteral("INSERT INTO [%1] (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, "
                                         "POST_DATE, C_NAME, MARKET_ID, MARKET_NAME) VALUES (?, ?, ?, ?, ?, ?, ?, "
                                         "'MP-1', 'Parts Market')")
                              .arg(QLatin1String(table)),
                          {id, incoming ? 1 : 0, archived ? 1 : 0, status, QStringLiteral("S%1").arg(status), date, name});
}

void AddQuote(const char *table, const QString &id, const QString &queryId, bool incoming, int status,
              const QString &date, bool archived = false)
{
    theDatabase().Execute(QStringLiteral("INSERT INTO [%1] (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, "
                                         "STATUS, POST_DATE, C_NAME) VALUES (?, ?, ?, ?, ?, ?, ?, 'Kim')")
                              .arg(QLatin1String(table)),
                          {id, queryId, incoming ? 1 : 0, archived ? 1 : 0, status, QStringLiteral("S%1").arg(status),
                           date});
}

QString State(const char *table, const QString &id)
{
    return Scalar(QStringLiteral("SELECT STATUS_CODE || '/' || STATUS || '/' || IS_ARCHIVE FROM [%1] WHERE ID = ?")
                      .arg(QLatin1String(table)),
                  {id});
}

// Clicks the plus or minus sign of a row.
void ClickSign(XBaseListCtrl &list, int row)
{
    const QRect r = list.visualRect(list.model()->index(row, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(r.left() + 5, r.center().y()));
}

// An own query Q1 (replied) with two incoming quotes, an own query Q2 without
// quotes, both in Pending Quotes; an incoming query Q3 (New) with an own quote
// in Pending Queries; an incoming query Q4 (replied) with an own New quote in
// Replied Quotes.
void Sample(const QueryListRules &rules)
{
    AddQuery(rules.queryTable, "Q1", false, 2, "2024-05-02 10:00:00");
    AddQuery(rules.queryTable, "Q2", false, 3, "2024-05-01 10:00:00");
    AddQuery(rules.queryTable, "Q3", true, 0, "2024-05-03 10:00:00");
    AddQuote(rules.quoteTable, "A", "Q1", true, 0, "2024-05-02 11:00:00");
    AddQuote(rules.quoteTable, "B", "Q1", true, 1, "2024-05-02 12:00:00");
    AddQuote(rules.quoteTable, "Q2x", "Q3", false, 2, "2024-05-03 11:00:00");
    AddQuery(rules.queryTable, "Q4", true, 2, "2024-04-03 10:00:00");
    AddQuote(rules.quoteTable, "E", "Q4", false, 0, "2024-04-03 11:00:00");
}

// Records what a list opens.
struct OpeningHost : FakeListHost
{
    void NewQuoteForSelection() override { log.Add("NewQuoteForSelection"); }
    void SendCarQuote() override { log.Add("SendCarQuote"); }
    void NewOrderForQuote(const QString &queryId, const QString &quoteId) override
    {
        log.Add("NewOrderForQuote|" + queryId + "|" + quoteId);
    }
    void SelectNode(int nodeId) override { log.Add(QStringLiteral("SelectNode|%1").arg(nodeId)); }
    void RefreshCounters(int, int) override {}
};

} // namespace

class TestQueryLists : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
        m_host.log.Clear();
    }
    void cleanup() { m_app.reset(); }

    // Opening a query inserts its quotes newest first under it; closing
    // removes exactly those. A query without quotes has no sign.
    void expandAndCollapse()
    {
        Sample(QueryListRules::Parts());
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        list.SetFolder(20003);
        list.SetExpandAll(false);
        list.Refill();
        ShowList(&list);
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "Q2"}));
        QCOMPARE(list.model()->index(0, 0).data(XBaseListCtrl::SignRole).toInt(), 1);
        QCOMPARE(list.model()->index(1, 0).data(XBaseListCtrl::SignRole).toInt(), 0);
        QCOMPARE(list.LastStatements().size(), 2);

        ClickSign(list, 0);
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "B", "A", "Q2"}));
        QCOMPARE(list.model()->index(1, 0).data(XBaseListCtrl::IndentRole).toInt(), 1);
        QVERIFY(list.model()->index(0, 0).data(XBaseListCtrl::TintRole).toBool());
        QCOMPARE(list.model()->index(0, 0).data(XBaseListCtrl::SignRole).toInt(), 2);
        ClickSign(list, 3);  // no quotes: nothing
        QCOMPARE(list.RowCount(), 4);
        ClickSign(list, 0);
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "Q2"}));

        // Expand-all after a reload, in a handful of statements.
        list.SetExpandAll(true);
        list.Refill();
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "B", "A", "Q2"}));
        QCOMPARE(list.LastStatements().size(), 2);
        QCOMPARE(list.horizontalHeader()->sectionSize(0), 122);
        // Q1 is own with a New quote: bold; the quote row A (incoming, New) too.
        QVERIFY(!list.model()->index(0, 1).data(Qt::FontRole).isNull());
        QVERIFY(!list.model()->index(2, 1).data(Qt::FontRole).isNull());
        QVERIFY(list.model()->index(1, 1).data(Qt::FontRole).isNull());
    }

    void flatFolderHasNoSigns()
    {
        Sample(QueryListRules::Parts());
        m_host.node = 20102;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20102);
        QCOMPARE(ColumnTexts(list, 13), QStringList{"Q3"});
        QVERIFY(!list.IsTreeMode());
        QCOMPARE(list.model()->index(0, 0).data(XBaseListCtrl::SignRole).toInt(), 0);
        ClickSign(list, 0);
        QCOMPARE(list.RowCount(), 1);
        QCOMPARE(list.horizontalHeader()->sectionSize(0), 95);
    }

    // A query found below opened queries; a remembered quote found again
    // under expand-all; else the row above the old selection or row 0.
    void locateAndRestore()
    {
        Sample(QueryListRules::Parts());
        AddQuery("Queries", "Q0", false, 2, "2024-04-30 10:00:00");
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        QVERIFY(list.ExpandAll());
        QVERIFY(list.LocateQuery("q2", true, false));
        QCOMPARE(list.GetSelectedItem(), 3);
        QVERIFY(list.LocateQuote("A", true, false));
        QCOMPARE(list.GetSelectedItem(), 2);
        list.Refill();
        QCOMPARE(list.SelectedRows(), QList<int>{2});

        // Without expand-all the quote row is not shown: the neighbour (row 1) instead.
        list.SetExpandAll(false);
        list.Refill();
        QCOMPARE(list.SelectedRows(), QList<int>{0});
        QVERIFY(list.LocateQuote("B", true, true));  // opens Q1
        QCOMPARE(list.GetSelectedItem(), 1);
        QVERIFY(!list.LocateQuote("nope", true, true));
        QCOMPARE(list.SelectedRows(), QList<int>{0});
    }

    // The note goes to the selected row's own table: a query row to its query,
    // a quote row to its quote, through the call the window makes on any list.
    void commentsByLevel()
    {
        AddQuery("Queries", "X1", false, 2, "2024-05-02 10:00:00");
        AddQuote("Quotes", "X1", "X1", true, 0, "2024-05-02 11:00:00");
        m_host.node = 20003;
        XQueryListCtrl queries(&m_host, nullptr);
        XBaseListCtrl &list = queries;
        OpenFolder(list, 20003);
        QVERIFY(queries.ExpandAll());
        ClickRow(list, 1);
        QVERIFY(list.SetComments("on the quote"));
        ClickRow(list, 0);
        QVERIFY(list.SetComments("on the query"));
        QCOMPARE(Scalar("SELECT COMMENTS FROM Quotes"), QString("on the quote"));
        QCOMPARE(Scalar("SELECT COMMENTS FROM Queries"), QString("on the query"));
        QCOMPARE(list.GetComments(), QString("on the query"));
    }

    // Ordering a new quote: the order's "Po" stays, the quote is not marked Read over it.
    void orderedQuoteKeepsItsOrderStatus()
    {
        struct OrderingHost : FakeListHost
        {
            void NewOrderForQuote(const QString &queryId, const QString &quoteId) override
            {
                log.Add("NewOrderForQuote|" + queryId + "|" + quoteId);
                theDatabase().Execute(QStringLiteral("UPDATE Quotes SET STATUS_CODE = 4, STATUS = 'Po' WHERE ID = ?"),
                                      {quoteId});
            }
        } host;
        AddQuery("Queries", "Q1", false, 2, "2024-05-02 10:00:00");
        AddQuote("Quotes", "A", "Q1", true, 0, "2024-05-02 11:00:00");
        host.node = 20003;
        XQueryListCtrl list(&host, nullptr);
        OpenFolder(list, 20003);
        ClickRow(list, 1);
        QTest::keyClick(&list, Qt::Key_Return);
        QVERIFY(host.log.Calls().contains("NewOrderForQuote|Q1|A"));
        QCOMPARE(State("Quotes", "A"), QString("4/Po/0"));
    }

    // Enter (as a double-click) opens the quote form on a lead only while its
    // page offers "Send quote": an answered lead, even one answered since the
    // list was filled, shows the member's quote instead. Parts and cars alike.
    void enterOnAnsweredLeadOpensNoSecondQuote_data()
    {
        QTest::addColumn<bool>("cars");
        QTest::addColumn<int>("leads");
        QTest::addColumn<int>("replied");
        QTest::addColumn<QString>("form");
        QTest::newRow("parts") << false << 20102 << 20101 << "NewQuoteForSelection";
        QTest::newRow("cars") << true << 161 << 162 << "SendCarQuote";
    }
    void enterOnAnsweredLeadOpensNoSecondQuote()
    {
        QFETCH(bool, cars);
        QFETCH(int, leads);
        QFETCH(int, replied);
        QFETCH(QString, form);
        const QueryListRules &rules = cars ? QueryListRules::Cars() : QueryListRules::Parts();
        Sample(rules);
        OpeningHost host;
        const auto make = [&]() -> std::unique_ptr<XQueryListCtrl> {
            if (cars)
                return std::make_unique<XQueryCarsListCtrl>(&host, nullptr);
            return std::make_unique<XQueryListCtrl>(&host, nullptr);
        };

        host.node = leads;
        std::unique_ptr<XQueryListCtrl> list = make();
        OpenFolder(*list, leads);
        QCOMPARE(list->RowId(list->GetSelectedItem()), QString("Q3"));
        QTest::keyClick(list.get(), Qt::Key_Return);
        QCOMPARE(host.log.Calls(), QStringList{form});
        // Quoted from the form: the row still says New until the next refill.
        theDatabase().Execute(QStringLiteral("UPDATE [%1] SET STATUS_CODE = 2, STATUS = 'Replied' WHERE ID = 'Q3'")
                                  .arg(QLatin1String(rules.queryTable)));
        QTest::keyClick(list.get(), Qt::Key_Return);
        QCOMPARE(host.log.Calls(), QStringList{form});

        host.node = replied;
        list = make();
        list->SetFolder(replied);
        list->SetExpandAll(false);
        list->Refill();
        ShowList(list.get());
        QCOMPARE(ColumnTexts(*list, cars ? 15 : 13), (QStringList{"Q3", "Q4"}));  // closed
        QVERIFY(list->LocateQuery(QStringLiteral("Q4"), true, false));
        QTest::keyClick(list.get(), Qt::Key_Return);
        QCOMPARE(host.log.Calls(), QStringList{form});
        QCOMPARE(list->RowId(list->GetSelectedItem()), QString("E"));
        QCOMPARE(list->SelectedRows().size(), 1);
    }

    // Enter on an incoming quote already ordered shows the order, not a second order form.
    void enterOnOrderedQuoteOpensNoSecondOrder()
    {
        AddQuery("Queries", "Q1", false, 2, "2024-05-02 10:00:00");
        AddQuote("Quotes", "A", "Q1", true, 1, "2024-05-02 11:00:00");
        AddQuote("Quotes", "B", "Q1", true, 4, "2024-05-02 12:00:00");
        OpeningHost host;
        host.node = 20003;
        XQueryListCtrl list(&host, nullptr);
        OpenFolder(list, 20003);
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "B", "A"}));
        ClickRow(list, 1);  // status 4
        QTest::keyClick(&list, Qt::Key_Return);
        ClickRow(list, 2);
        theDatabase().Execute("INSERT INTO Orders (ID, CONTEXT_ID, CONTEXT_TYPE, IS_INCOMING, STATUS_CODE, STATUS) "
                              "VALUES ('PO-1', 'A', 'quote', 0, 1, 'Read')");
        QTest::keyClick(&list, Qt::Key_Return);
        QVERIFY2(host.log.Calls().filter("NewOrderForQuote").isEmpty(), qPrintable(host.log.Calls().join(", ")));
        QCOMPARE(host.log.Calls().filter("SelectNode|").size(), 1);  // the order's page; B's order is not stored
        theDatabase().Execute("DELETE FROM Orders");
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(host.log.Calls().filter("NewOrderForQuote"), QStringList{"NewOrderForQuote|Q1|A"});
    }

    // A query and a quote with one id are two remembered rows.
    void levelKeysNeverCollide()
    {
        AddQuery("Queries", "X1", false, 2, "2024-05-02 10:00:00");
        AddQuote("Quotes", "X1", "X1", true, 0, "2024-05-02 11:00:00");
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        ClickRow(list, 1);
        list.Refill();
        QCOMPARE(list.SelectedRows(), QList<int>{1});
        QVERIFY(!list.IsSelectedTopLevel());
    }

    void setStatus_data()
    {
        QTest::addColumn<bool>("cars");
        QTest::addColumn<int>("folder");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("changed");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("quoteA");
        for (bool cars : {false, true}) {
            const char *side = cars ? "cars " : "parts ";
            const int replied = cars ? 162 : 20101, pending = cars ? 159 : 20003;
            QTest::addRow("%sread in replied quotes", side) << cars << replied << "0|E" << 1 << 0 << "2/S2/0" << "0/S0/0";
            QTest::addRow("%spending quotes skips the query", side) << cars << pending << "1|Q1" << 0 << 0 << "2/S2/0" << "0/S0/0";
            QTest::addRow("%spending quotes marks the quote", side) << cars << pending << "0|A" << 1 << 1 << "2/S2/0" << "1/Read/0";
            QTest::addRow("%sreplied does not cascade", side) << cars << pending << "1|Q1" << 2 << 1 << "2/Replied/0" << "0/S0/0";
            QTest::addRow("%scompleted cascades", side) << cars << pending << "1|Q1" << 5 << 3 << "5/Completed/0" << "5/Completed/0";
        }
    }
    void setStatus()
    {
        QFETCH(bool, cars);
        QFETCH(int, folder);
        QFETCH(QString, key);
        QFETCH(int, code);
        QFETCH(int, changed);
        QFETCH(QString, query);
        QFETCH(QString, quoteA);
        const QueryListRules &rules = cars ? QueryListRules::Cars() : QueryListRules::Parts();
        Sample(rules);
        m_host.node = folder;
        std::unique_ptr<XQueryListCtrl> list = cars ? std::make_unique<XQueryCarsListCtrl>(&m_host, nullptr)
                                                    : std::make_unique<XQueryListCtrl>(&m_host, nullptr);
        OpenFolder(*list, folder);
        bool top = true;
        QString id;
        QVERIFY(XTreeListCtrl::SplitKey(key, &top, &id));
        QVERIFY(top ? list->LocateQuery(id, true, false) : list->LocateQuote(id, true, false));
        const QStringList texts = {"New", "Read", "Replied", "", "Purchase Order", "Completed"};
        QCOMPARE(list->SetStatus(code, texts[code]), changed);
        QCOMPARE(State(rules.queryTable, top && id != "Q1" ? id : "Q1"), query);
        QCOMPARE(State(rules.quoteTable, "A"), quoteA);
    }

    // Archiving a query and a quote archives the query with its quotes only,
    // New becoming Read with its text; a failure at the second key changes nothing.
    void archiveAndFailure()
    {
        Sample(QueryListRules::Parts());
        AddQuery("Queries", "Q'4", false, 0, "2024-04-01 10:00:00");
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        theDatabase().Execute("UPDATE Queries SET STATUS_CODE = 2 WHERE ID = 'Q''4'");
        list.Refill();
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "B", "A", "Q2", "Q'4"}));
        ClickRow(list, 0);
        ClickRow(list, 3, Qt::ControlModifier);
        ClickRow(list, 2, Qt::ControlModifier);
        QVERIFY(list.CanDo(XBaseListCtrl::OpDelete));
        theDatabase().Execute("CREATE TRIGGER fail AFTER UPDATE ON Queries WHEN NEW.ID = 'Q2' "
                              "BEGIN SELECT RAISE(ABORT, 'injected'); END");
        QVERIFY_THROWS_EXCEPTION(DbException, list.SetArchived(true));
        QCOMPARE(State("Queries", "Q1"), QString("2/S2/0"));
        QCOMPARE(State("Quotes", "A"), QString("0/S0/0"));
        theDatabase().Execute("DROP TRIGGER fail");
        QCOMPARE(list.SetArchived(true), 4);
        QCOMPARE(State("Queries", "Q1"), QString("2/S2/1"));
        QCOMPARE(State("Quotes", "A"), QString("1/Read/1"));
        QCOMPARE(State("Quotes", "B"), QString("1/S1/1"));
        QCOMPARE(State("Queries", "Q'4"), QString("2/S0/0"));
    }

    // Status and delete, as archive, change every selected key or none: a
    // failure at the second key leaves the first as it was.
    void statusAndDeleteAreWhole_data()
    {
        QTest::addColumn<bool>("deleting");
        QTest::newRow("status") << false;
        QTest::newRow("delete") << true;
    }
    void statusAndDeleteAreWhole()
    {
        QFETCH(bool, deleting);
        Sample(QueryListRules::Parts());
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        QCOMPARE(ColumnTexts(list, 13), (QStringList{"Q1", "B", "A", "Q2"}));
        ClickRow(list, 0);
        ClickRow(list, 3, Qt::ControlModifier);
        const auto snapshot = [] {
            return Scalar("SELECT GROUP_CONCAT(ID || '/' || STATUS_CODE || '/' || STATUS, ' ') FROM Queries") + " | " +
                   Scalar("SELECT GROUP_CONCAT(ID || '/' || STATUS_CODE || '/' || STATUS, ' ') FROM Quotes");
        };
        const QString before = snapshot();
        theDatabase().Execute(deleting ? "CREATE TRIGGER fail BEFORE DELETE ON Queries WHEN OLD.ID = 'Q2' "
                                         "BEGIN SELECT RAISE(ABORT, 'injected'); END"
                                       : "CREATE TRIGGER fail AFTER UPDATE ON Queries WHEN NEW.ID = 'Q2' "
                                         "BEGIN SELECT RAISE(ABORT, 'injected'); END");
        if (deleting)
            QVERIFY(!list.DeleteSelected());
        else
            QVERIFY_THROWS_EXCEPTION(DbException, list.SetStatus(5, "Completed"));
        QCOMPARE(snapshot(), before);
    }

    // The last quote of a replied query deleted: the query is Read again.
    void deleteLastQuote()
    {
        AddQuery("Queries", "Q'1", false, 2, "2024-05-02 10:00:00");
        AddQuery("Queries", "Q5", false, 3, "2024-05-01 10:00:00");
        AddQuote("Quotes", "A'1", "Q'1", true, 1, "2024-05-02 11:00:00");
        AddQuote("Quotes", "C", "Q5", true, 1, "2024-05-02 11:00:00");
        AddQuote("Quotes", "D", "Q5", true, 1, "2024-05-02 12:00:00");
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        QVERIFY(list.LocateQuote("A'1", true, false));
        QVERIFY(list.LocateQuote("D", false, false));
        QVERIFY(list.DeleteSelected());
        QCOMPARE(State("Queries", "Q'1"), QString("1/Read/0"));
        QCOMPARE(State("Queries", "Q5"), QString("3/S3/0"));
        QCOMPARE(Scalar("SELECT GROUP_CONCAT(ID) FROM Quotes"), QString("C"));
        QCOMPARE(m_host.log.Count("RefreshCounters|1|20003"), 1);
    }

    void canDo_data()
    {
        QTest::addColumn<int>("folder");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("allowed");  // of 3 4 5 6 7 8 9 10 11 12 14
        QTest::newRow("own replied query") << 20003 << "1|Q1" << "3 4 10 11 12";
        QTest::newRow("incoming quote in pending quotes") << 20003 << "0|A" << "3 8 14";
        QTest::newRow("incoming new query") << 20102 << "1|Q3" << "3 4 6 8 9 10 11 12 14";
        QTest::newRow("outgoing quote in replied quotes") << 20101 << "0|E" << "3 6";
        QTest::newRow("archived query") << 20104 << "1|Q9" << "3 5 6 14";
    }
    void canDo()
    {
        QFETCH(int, folder);
        QFETCH(QString, key);
        QFETCH(QString, allowed);
        Sample(QueryListRules::Parts());
        AddQuery("Queries", "Q9", true, 1, "2024-01-01 10:00:00", true);
        m_host.node = folder;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, folder);
        bool top = true;
        QString id;
        XTreeListCtrl::SplitKey(key, &top, &id);
        QVERIFY(top ? list.LocateQuery(id, true, false) : list.LocateQuote(id, true, false));
        QStringList got;
        for (int op : {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14})
            if (list.CanDo(op))
                got << QString::number(op);
        QCOMPARE(got.join(' '), allowed);
    }

    // Rows that cannot be read draw empty with one "Error" box per refill,
    // however many cells fail.
    void cellReadErrorOneBoxPerRefill()
    {
        Sample(QueryListRules::Parts());
        m_host.node = 20003;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20003);
        list.show();
        for (int refill = 1; refill <= 2; ++refill) {
            theDatabase().Execute("ALTER TABLE Queries RENAME TO QueriesGone");
            list.Cursor().DropCache();
            list.viewport()->repaint();
            list.viewport()->repaint();
            QCoreApplication::processEvents();
            QCOMPARE(m_app->dialogs.log.Count("MessageBox|"), refill);
            QCOMPARE(m_app->dialogs.log.Calls().filter("MessageBox|").constLast().section(u'|', 2, 2), QString("Error"));
            theDatabase().Execute("ALTER TABLE QueriesGone RENAME TO Queries");
            list.Refill();
        }
    }

    void cells()
    {
        AddQuery("Queries", "Q1", false, 2, "2024-05-02 10:30:00");
        AddQuote("Quotes", "A", "Q1", true, 1, "2024-05-02 11:00:00");
        AddQuote("Quotes", "B", "Q1", true, 1, "2024-05-02 12:00:00");
        theDatabase().Execute("UPDATE Queries SET P_MAX_PRICE = 0");
        theDatabase().Execute("UPDATE Quotes SET P_PRICE = 12.5, MESS_TOTAL_COUNT = CASE ID WHEN 'A' THEN 70000 ELSE 3 END");
        AddQuery("Queries_Cars", "C1", false, 2, "2024-05-02 10:30:00");
        theDatabase().Execute("UPDATE Queries_Cars SET MIN_YEAR = '2010', MAX_YEAR = '2014', MODEL = 'Corolla', "
                              "SUBMODEL = 'LE', MIN_PRICE = '3000', MAX_MILEAGE = '150000', TRADE_IN = 'Civic'");
        m_host.node = 20003;
        XQueryListCtrl parts(&m_host, nullptr);
        OpenFolder(parts, 20003);
        QCOMPARE(parts.model()->index(0, 0).data().toString(), QString("05-02 10:30"));
        QCOMPARE(parts.model()->index(0, 11).data().toString(), QString("Any"));
        QCOMPARE(ColumnTexts(parts, 1), (QStringList{"", "3", ""}));
        QCOMPARE(parts.model()->index(1, 11).data().toString(), QString("$12.50"));
        m_host.node = 159;
        XQueryCarsListCtrl cars(&m_host, nullptr);
        OpenFolder(cars, 159);
        QCOMPARE(cars.model()->index(0, 4).data().toString(), QString("2010 - 2014"));
        QCOMPARE(cars.model()->index(0, 6).data().toString(), QString("Corolla LE"));
        QCOMPARE(cars.model()->index(0, 7).data().toString(), QString("$3,000+"));
        QCOMPARE(cars.model()->index(0, 8).data().toString(), QString("150000-"));
        QCOMPARE(cars.model()->index(0, 13).data().toString(), QString("yes"));
    }

    // Space marks the selected row and moves on; in Replied Quotes Read does nothing.
    void spaceKey()
    {
        Sample(QueryListRules::Parts());
        m_host.node = 20102;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20102);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(State("Queries", "Q3"), QString("1/Read/0"));
        QCOMPARE(State("Quotes", "Q2x"), QString("1/Read/0"));
        QCOMPARE(m_host.log.Count("RefreshCounters|1|20102"), 1);
    }

    void requestContactInfo_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("warning");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("answeredId");  // the answer's own "query_id", if any
        QTest::newRow("stored") << 0 << 0 << true << "" << "";
        QTest::newRow("stored, its own id") << 0 << 0 << true << "" << "Q3";
        QTest::newRow("another query's answer")
            << 0 << 0 << false
            << "MessageBox|The server answered with another query's information. Nothing was changed; please try "
               "again.|Cannot get the contact information|16"
            << "Q9";
        QTest::newRow("reminder") << 0 << 600 << true << "MessageBox|Great news!" << "";
        QTest::newRow("110") << 110 << 0 << false << "SubscribeMsgDlg|Your current subscription with the \"Parts Market\""
                             << "";
        QTest::newRow("112") << 112 << 0 << false << "SubscribeMsgDlg|" << "";
        QTest::newRow("other") << 9 << 0 << false << "MessageBox|No such query|Cannot get the contact information|16"
                               << "";
    }
    void requestContactInfo()
    {
        QFETCH(int, code);
        QFETCH(int, warning);
        QFETCH(bool, ok);
        QFETCH(QString, box);
        QFETCH(QString, answeredId);
        NetInit net;
        FakeServer server;
        server.Start();
        theSettings().SetString(Setting::ServerURL, server.Url());
        theApp().GetSession().SetPassportId("P1000");
        theApp().GetSession().LoggedIn("S-1");
        FakeServer::Answer answer;
        QByteArray body = FakeServer::Response(
            code, code ? QByteArray() : QByteArray("<query><contact_info><name>Alex Buyer</name><phone>555-0110</phone>"
                                                   "<city>Salem</city></contact_info></query>"),
            code ? "No such query" : QByteArray());
        if (warning)
            body.replace("result_code=\"0\"", "result_code=\"0\" warning_code=\"600\"");
        if (!answeredId.isEmpty())
            body.replace("<query>", "<query><query_id>" + answeredId.toUtf8() + "</query_id>");
        answer.body = body;
        server.Script("getQuery", answer);
        AddQuery("Queries", "Q3", true, 0, "2024-05-03 10:00:00", false, "A.");
        m_host.node = 20102;
        XQueryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20102);
        QCOMPARE(list.RequestContactInfo(false), ok);
        QVERIFY(server.RequestsFor("getQuery")[0].body.contains("<query_id>Q3</query_id>"));
        QCOMPARE(Scalar("SELECT C_NAME || '/' || IFNULL(C_CITY, '') FROM Queries"),
                 ok ? QString("Alex Buyer/Salem") : QString("A./"));
        const QStringList calls = m_app->dialogs.log.Calls();
        if (box.isEmpty())
            QVERIFY(calls.filter("MessageBox|").isEmpty());
        else
            QVERIFY2(!calls.filter(box).isEmpty(), qPrintable(calls.join('\n')));
        if (code == 112)
            QVERIFY(calls.filter("SubscribeMsgDlg|").first().endsWith("|1"));
        server.Stop();
    }

private:
    std::unique_ptr<TestApp> m_app;
    FakeListHost m_host;
};

KORVANT_TEST_MAIN(TestQueryLists)
#include "tst_querylists.moc"
