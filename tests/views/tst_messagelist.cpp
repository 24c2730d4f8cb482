#include "TestEnv.h"
#include "ViewsFixture.h"

#include "views/XMessageListCtrl.h"
#include "views/XQueryListCtrl.h"

#include <QDialog>
#include <QSignalSpy>

namespace {

void AddMessage(const QString &id, const QString &contextId, const QString &contextType, const QString &owner,
                bool parent, int status, const QString &date, const QString &market = {})
{
    theDatabase().Execute("INSERT INTO Messages (ID, CONTEXT_ID, CONTEXT_TYPE, OWNER_ID, OWNER_NAME, IS_PARENT, "
                          "STATUS_CODE, STATUS, MESSAGE_SUBJ, POST_DATE, LATEST_POST_DATE, MARKET_ID) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                          {id, contextId, contextType, owner, "Name " + owner, parent ? 1 : 0, status,
                           status == 0 ? "New" : "Read", "About " + contextId, date, date, market});
}

// A host whose SelectNode shows the node's query list, as the main window does.
class NavigatingHost : public FakeListHost
{
public:
    void SelectNode(int nodeId) override
    {
        log.Add(QStringLiteral("SelectNode|%1").arg(nodeId));
        node = nodeId;
        if (!queries)
            return;
        queries->SetFolder(nodeId);
        queries->Refill();
        queries->show();
    }
    XQueryListCtrl *queries = nullptr;
};

} // namespace

class TestMessageList : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
        m_host.log.Clear();
        m_host.queries = nullptr;
        m_host.node = 118;
    }
    void cleanup() { m_app.reset(); }

    void marksAndOrder()
    {
        AddMessage("M1", "D1", "deal", "P2", true, 0, "2024-05-01 10:00:00");
        AddMessage("M2", "Q1", "query", "P3", true, 1, "2024-05-03 10:00:00");
        AddMessage("M3", "B1", "broadcast", "P4", true, 1, "2024-05-02 10:00:00", "PERSONAL");
        AddMessage("M4", "Q1", "query", "P3", false, 1, "2024-05-04 10:00:00");
        XMessageListCtrl list(&m_host, nullptr);
        OpenFolder(list, 118);
        QCOMPARE(ColumnTexts(list, 2), (QStringList{"About Q1", "About B1", "About D1"}));
        QVERIFY(list.model()->index(0, 1).data(XBaseListCtrl::CellImageRole).isNull());
        QVERIFY(!list.model()->index(1, 1).data(XBaseListCtrl::CellImageRole).isNull());
        QVERIFY(!list.model()->index(2, 1).data(XBaseListCtrl::CellImageRole).isNull());
        QVERIFY(!list.model()->index(2, 0).data(Qt::FontRole).isNull());
    }

    // Deleting a thread removes its context's messages from its owner; the
    // context keeps its status, its counters follow.
    void deleteThread()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, "
                              "MESS_TOTAL_COUNT) VALUES ('Q1', 0, 0, 5, 'Completed', 2)");
        AddMessage("M1", "Q1", "query", "P2", true, 0, "2024-05-01 10:00:00");
        AddMessage("M2", "Q1", "query", "P2", false, 0, "2024-05-02 10:00:00");
        AddMessage("M3", "Q1", "query", "P3", true, 1, "2024-05-03 10:00:00");
        XMessageListCtrl list(&m_host, nullptr);
        OpenFolder(list, 118);
        QCOMPARE(ColumnTexts(list, 0), (QStringList{"Name P3", "Name P2"}));
        ClickRow(list, 1);
        QVERIFY(list.DeleteSelected());
        QCOMPARE(Scalar("SELECT GROUP_CONCAT(ID) FROM Messages"), QString("M3"));
        QCOMPARE(Scalar("SELECT STATUS_CODE || '/' || STATUS || '/' || MESS_TOTAL_COUNT FROM Queries"),
                 QString("5/Completed/1"));
        QCOMPARE(m_host.log.Count("RefreshCounters|6|118"), 1);

        ClickRow(list, 0);
        QTest::keyClick(&list, Qt::Key_Space);
        QCOMPARE(Scalar("SELECT STATUS FROM Messages WHERE ID = 'M3'"), QString("New"));
        QCOMPARE(Scalar("SELECT STATUS FROM Queries"), QString("Completed"));
    }

    void queryFolder_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<bool>("archived");
        QTest::addColumn<int>("parts");
        QTest::addColumn<int>("cars");
        QTest::newRow("new in") << 0 << true << false << 20102 << 161;
        QTest::newRow("read own") << 1 << false << false << 20002 << 158;
        QTest::newRow("replied in") << 2 << true << false << 20101 << 162;
        QTest::newRow("auto-replied own") << 3 << false << false << 20003 << 159;
        QTest::newRow("order in") << 4 << true << false << 104 << 161;
        QTest::newRow("order own") << 4 << false << false << 32836 << 158;
        QTest::newRow("completed in") << 5 << true << false << 105 << 161;
        QTest::newRow("completed own") << 5 << false << false << 32837 << 158;
        QTest::newRow("cancelled in") << 6 << true << false << 20102 << 161;
        QTest::newRow("archived in") << 3 << true << true << 20104 << 163;
        QTest::newRow("archived own") << 0 << false << true << 20004 << 160;
    }
    void queryFolder()
    {
        QFETCH(int, status);
        QFETCH(bool, incoming);
        QFETCH(bool, archived);
        QFETCH(int, parts);
        QFETCH(int, cars);
        for (const char *table : {"Queries", "Queries_Cars"})
            theDatabase().Execute(QStringLiteral("INSERT INTO [%1] (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE) "
                                                 "VALUES ('Q''1', ?, ?, ?)")
                                      .arg(QLatin1String(table)),
                                  {incoming ? 1 : 0, archived ? 1 : 0, status});
        QCOMPARE(XMessageListCtrl::GetQueryFolder("Q'1"), parts);
        QCOMPARE(XMessageListCtrl::GetCarQueryFolder("Q'1"), cars);
        QCOMPARE(XMessageListCtrl::GetQueryFolder("none"), -1);
    }

    // The thread's query is shown on its page and selected; a missing one says so.
    void openQuery()
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) VALUES "
                              "('Q1', 1, 0, 3, '2024-05-01 10:00:00'), ('Q0', 1, 0, 2, '2024-05-02 10:00:00')");
        AddMessage("M1", "Q1", "query", "P2", true, 0, "2024-05-01 10:00:00");
        AddMessage("M2", "QX", "query", "P2", true, 0, "2024-05-02 10:00:00");
        XQueryListCtrl queries(&m_host, nullptr);
        m_host.queries = &queries;
        XMessageListCtrl list(&m_host, nullptr);
        OpenFolder(list, 118);
        ClickRow(list, 1);
        list.OpenQuery();
        QVERIFY(m_host.log.Calls().contains("SelectNode|20101"));
        QCOMPARE(queries.RowId(queries.GetSelectedItem()), QString("Q1"));
        ClickRow(list, 0);
        list.OpenQuery();
        QCOMPARE(m_app->dialogs.log.Calls().filter("MessageBox|"), QStringList{"MessageBox|Query not found|Korvant|64"});
    }

    // Enter in a dialog-hosted list only reports the row; outside it answers the thread.
    void enterInDialog()
    {
        AddMessage("M1", "Q1", "query", "P2", true, 0, "2024-05-01 10:00:00");
        QDialog dialog;
        XMessageListCtrl list(&m_host, &dialog);
        list.SetDialogMode(true);
        list.SetFolder(118);
        list.Refill();
        dialog.resize(600, 300);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy entered(&list, &XMessageListCtrl::rowEntered);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(entered.size(), 1);
        QVERIFY(m_host.log.Calls().filter("Compose").isEmpty());
    }

private:
    std::unique_ptr<TestApp> m_app;
    NavigatingHost m_host;
};

KORVANT_TEST_MAIN(TestMessageList)
#include "tst_messagelist.moc"
