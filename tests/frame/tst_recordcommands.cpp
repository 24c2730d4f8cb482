// The window's message and query commands on the record lists it shows:
// which record a new message is about, and a page's values for a new query.

#include "../views/ViewsFixture.h"
#include "TestEnv.h"

#include "app/XSLTransformer.h"
#include "frame/CMainFrame.h"
#include "frame/CNavigatorTree.h"
#include "frame/FrameCommands.h"
#include "frame/FrameFormHost.h"
#include "dialogs/NodeIds.h"
#include "frame/FrameTables.h"
#include "frame/IFrameDialogs.h"
#include "views/ViewsPaneFactory.h"

#include <QApplication>
#include <QTimer>

namespace {

class RecordingDialogs : public PlaceholderFrameDialogs
{
public:
    int NewQueryDlg(const QString &title, const QMap<QString, QString> &fields) override
    {
        QStringList pairs;
        for (auto it = fields.begin(); it != fields.end(); ++it)
            pairs << it.key() + '=' + it.value();
        log.Add("NewQueryDlg|" + title + '|' + pairs.join(','));
        return answer;
    }
    int NewMessageDlg(const MessageAddress &a) override
    {
        log.Add(QStringList{"NewMessageDlg", a.contextType, a.contextId, a.recipientId, a.subject}.join('|'));
        return answer;
    }
    int NewQuoteDlg() override
    {
        log.Add("NewQuoteDlg");
        throw std::bad_alloc();
    }
    int CarQuoteDetail(const QString &caption, const QString &quoteId, bool, int) override
    {
        log.Add("CarQuoteDetail|" + caption + '|' + quoteId);
        return answer;
    }
    int PrintOrderDlg() override
    {
        log.Add("PrintOrderDlg");
        return answer;
    }
    int PrintDetailPage(const QString &html) override
    {
        log.Add(html.contains("O2") ? "PrintDetailPage|O2" : "PrintDetailPage");
        return answer;
    }
    CallLog log;
    int answer = MsgBox::IdCancel;
};

} // namespace

class TestRecordCommands : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        TestApp::Options options = ViewsOptions();
        options.extra[GlobalSlot::XslTransformer] = [] { return std::make_unique<XSLTransformer>(); };
        m_app = std::make_unique<TestApp>(options);
        m_app->App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
        QVERIFY(theDatabase().init());
        m_frame = std::make_unique<CMainFrame>(m_views, &m_dialogs);
        m_views.SetListHost(m_frame.get());
        QVERIFY(m_frame->OnCreate());
        m_frame->resize(1000, 600);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_dialogs.log.Clear();
    }
    void cleanup()
    {
        m_frame.reset();
        m_app.reset();
    }

    // Send Message writes about the selected record; on Pending Sales the
    // order is read once written about; without a list it is a broadcast.
    void sendMessageAboutTheSelection()
    {
        AddDeal("H1", "Brake pads", true, 0, "2024-05-02 10:00:00", "C9");
        theDatabase().Execute("INSERT INTO Orders (ID, IS_INCOMING, STATUS_CODE, STATUS, POST_DATE, C_ID, P_NAME) "
                              "VALUES ('O1', 1, 0, 'New', '2024-05-01 10:00:00', 'B1', 'Door')");
        m_frame->SelectNode(130);
        XBaseListCtrl *deals = XBaseListCtrl::FromPane(m_frame->CurrentList());
        QVERIFY(deals);
        ClickRow(*deals, 0);
        m_frame->RunCommand(FrameTables::CmdSendMessage);
        QCOMPARE(m_dialogs.log.Calls(), QStringList{"NewMessageDlg|deal|H1|C9|Hot Deal #H1 - Brake pads"});
        QCOMPARE(Scalar("SELECT STATUS_CODE FROM HotDeals"), QString("0"));

        m_frame->SelectNode(195);
        XBaseListCtrl *orders = XBaseListCtrl::FromPane(m_frame->CurrentList());
        QVERIFY(orders && orders != deals);
        ClickRow(*orders, 0);
        m_dialogs.log.Clear();
        m_frame->RunCommand(FrameTables::CmdSendMessage);
        QCOMPARE(m_dialogs.log.Calls(), QStringList{"NewMessageDlg|order|O1|B1|Purchase Order #O1 - Door"});
        QCOMPARE(Scalar("SELECT STATUS_CODE || STATUS FROM Orders"), QString("1Read"));

        orders->DeselectAll();
        m_dialogs.log.Clear();
        m_frame->RunCommand(FrameTables::CmdSendMessage);
        QCOMPARE(m_dialogs.log.Calls(), QStringList{"NewMessageDlg|broadcast|||"});
    }

    // The deal page's link reads the deal and recounts, as a double-click does.
    void dealPageLinkMarksTheDealRead()
    {
        AddDeal("H1", "Brake pads", true, 0, "2024-05-02 10:00:00", "C9");
        m_frame->SelectNode(130);
        XBaseListCtrl *deals = XBaseListCtrl::FromPane(m_frame->CurrentList());
        QVERIFY(deals);
        ClickRow(*deals, 0);
        m_frame->TakeCountersDirty();
        bool viewer = false;
        QTimer::singleShot(0, m_frame.get(), [&] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                viewer = true;
                w->close();
            }
        });
        FrameCommands(*m_frame).ShowDealDetail();
        QVERIFY(viewer);
        QCOMPARE(Scalar("SELECT STATUS_CODE FROM HotDeals"), QString("1"));
        QVERIFY(m_frame->TakeCountersDirty());
    }

    // A click on the poll's pop-up shows the list as the poll left it, even
    // when no rule picks another page.
    void pollNotifyReloadsTheShownList()
    {
        m_frame->SelectNode(130);
        XBaseListCtrl *deals = XBaseListCtrl::FromPane(m_frame->CurrentList());
        QVERIFY(deals);
        QCOMPARE(deals->RowCount(), 0);
        AddDeal("H1", "Brake pads", true, 1, "2024-05-02 10:00:00", "C9");
        m_frame->OnPollNotify();
        QCOMPARE(deals->RowCount(), 1);
    }

    // The navigator is counted from the start, after a sent record whatever
    // page is shown, after an import and after the tree is rebuilt.
    void countersFollowTheRecords()
    {
        QVERIFY(m_frame->TakeCountersDirty());  // the first idle moment counts
        m_frame->SwitchToParts();
        FrameFormHost host;
        host.Attach(m_frame.get());
        m_frame->SelectNode(NodeOpenRequests);
        m_frame->TakeCountersDirty();
        host.RefreshOpenQueries(false);
        QVERIFY(m_frame->TakeCountersDirty());
        m_frame->SelectNode(131);
        m_frame->TakeCountersDirty();
        host.RefreshMyHotDeals(false);
        QVERIFY(m_frame->TakeCountersDirty());

        theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME) VALUES ('S1', 'Door'), ('S2', 'Hood')");
        m_frame->NotifyCatalogChanged();
        QCoreApplication::processEvents();
        QVERIFY2(m_frame->PartsTree()->GetItemCaption(NodePartsCatalog).endsWith("(2)"),
                 qPrintable(m_frame->PartsTree()->GetItemCaption(NodePartsCatalog)));

        m_frame->ReloadNavigator();
        QVERIFY2(m_frame->PartsTree()->GetItemCaption(NodePartsCatalog).endsWith("(2)"),
                 qPrintable(m_frame->PartsTree()->GetItemCaption(NodePartsCatalog)));
    }

    // A received order prints on the purchase-order form; a sent one prints its page.
    void printOrderByDirection()
    {
        theDatabase().Execute("INSERT INTO Orders (ID, IS_INCOMING, STATUS_CODE, STATUS, POST_DATE, C_ID, P_NAME) VALUES "
                              "('O1', 1, 1, 'Read', '2024-05-01 10:00:00', 'B1', 'Door'),"
                              "('O2', 0, 1, 'Read', '2024-05-01 10:00:00', 'S1', 'Hood')");
        m_frame->SwitchToParts();
        for (const auto &[node, expected] : {std::pair{195, "PrintOrderDlg"}, std::pair{196, "PrintDetailPage|O2"}}) {
            m_frame->SelectNode(node);
            XBaseListCtrl *orders = XBaseListCtrl::FromPane(m_frame->CurrentList());
            QVERIFY(orders);
            ClickRow(*orders, 0);
            m_dialogs.log.Clear();
            m_frame->RunCommand(FrameTables::CmdPrint);
            QCOMPARE(m_dialogs.log.Calls(), QStringList{expected});
        }
    }

    // The car quote's page link opens the quote detail under its own caption.
    void carQuoteDetailCaption()
    {
        theDatabase().Execute("INSERT INTO Queries_Cars (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE, MAKE) "
                              "VALUES ('C1', 0, 0, 2, '2024-05-01 10:00:00', 'Ford')");
        theDatabase().Execute("INSERT INTO Quotes_Cars (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE) "
                              "VALUES ('CQ1', 'C1', 1, 0, 0, '2024-05-02 10:00:00')");
        m_frame->SwitchToCars();
        m_frame->SelectNode(159);
        XBaseListCtrl *list = XBaseListCtrl::FromPane(m_frame->CurrentList());
        QVERIFY(list);
        QCOMPARE(list->model()->rowCount(), 2);
        ClickRow(*list, 1);
        m_dialogs.log.Clear();
        FrameCommands(*m_frame).ShowCarQuoteDetail();
        QCOMPARE(m_dialogs.log.Calls(), QStringList{"CarQuoteDetail|Quote Detail|CQ1"});
    }

    // A failing quote form leaves a trace and the window running.
    void sendQuoteSurvivesAFailingForm()
    {
        m_frame->SwitchToParts();
        FrameCommands commands(*m_frame);
        commands.SendQuote();
        QCOMPARE(m_dialogs.log.Calls(), QStringList{"NewQuoteDlg"});
        QVERIFY(m_app->LogText().contains("Unknown Error"));
    }

    // A page's "continue_query" values reach the part query form.
    void continueQueryFillsTheForm()
    {
        m_frame->SwitchToParts();
        m_dialogs.log.Clear();
        FrameCommands commands(*m_frame);
        commands.NewQuery("New Query", {{"year", "2004"}, {"make", "Ford"}});
        QCOMPARE(m_dialogs.log.Calls(), QStringList{"NewQueryDlg|New Query|make=Ford,year=2004"});
    }

private:
    std::unique_ptr<TestApp> m_app;
    PlaceholderPaneFactory m_placeholders;
    ViewsPaneFactory m_views{m_placeholders};
    RecordingDialogs m_dialogs;
    std::unique_ptr<CMainFrame> m_frame;
};

KORVANT_TEST_MAIN(TestRecordCommands)
#include "tst_recordcommands.moc"
