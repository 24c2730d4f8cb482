// The submit road against the fake server and a temporary database: the
// routing by result code, the re-login, the refusal notice, the error box,
// the silent login failure and the store in one transaction.

#include "FormsFixture.h"

#include "forms/HotDealForm.h"
#include "forms/OrderForm.h"
#include "forms/OrderUpdateDlg.h"
#include "forms/PartQueryForm.h"
#include "forms/ServerRefusal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

class TestPipeline : public QObject
{
    Q_OBJECT

    // A complete query to the default marketplace.
    static void Fill(PartQueryForm &form)
    {
        XQuerySet &q = form.Query();
        q.SetText("MARKET_NAME", "National Parts Exchange");
        q.SetText("V_MAKE", "Ford");
        q.SetText("V_MODEL", "Focus");
        q.SetText("P_TYPE", "Used");
        q.SetText("P_CATEGORY", "Engine");
        q.SetText("P_NAME", "Starter");
    }

private slots:
    void sentQueryIsStoredWithServerIdAndDate()
    {
        FormsFixture f;
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QCOMPARE(f.Posts("newQuery"), 1);
        QVERIFY(f.LastBody("newQuery").contains("Starter"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 1);
        QCOMPARE(f.Text("SELECT ID FROM Queries"), QString("Q-77"));
        QCOMPARE(f.Text("SELECT POST_DATE FROM Queries"), QString("2009-03-04 05:06:07"));
        QCOMPARE(f.Text("SELECT MARKET_ID FROM Queries"), QString("MP-100"));
        QCOMPARE(f.Count("SELECT IS_INCOMING + STATUS_CODE FROM Queries"), 0);
        QCOMPARE(f.Count("SELECT LIVE_TIME FROM Queries"), 14);
        QCOMPARE(f.Text("SELECT C_NAME FROM Queries"), QString("Dana Buyer"));
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith("MessageDlg||" + QString::fromLatin1(PartQueryForm::SuccessText)));
        QCOMPARE(f.host.log.Calls(), QStringList{"RefreshOpenQueries|1"});
    }

    void noticeOffShowsNothing()
    {
        FormsFixture f;
        theSettings().SetInt(Setting::SendQueryConfirm, 0);
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QVERIFY(f.t.dialogs.log.Calls().isEmpty());
    }

    void expiredSessionLogsInAgainAndStoresOnce()
    {
        FormsFixture f;
        f.server.Enqueue("newQuery", Answer(4, {}, "Session expired"));
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QCOMPARE(f.Posts("newQuery"), 2);
        QCOMPARE(f.Posts("login"), 1);
        QCOMPARE(theApp().GetSession().SessionId(), QString("S-2"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 1);
    }

    void refusal_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("hostCall");
        QTest::addColumn<int>("outcome");
        const QString market = "ShowMarketSubscription|MP-100|";
        for (int code : {110, 112}) {
            const QByteArray c = QByteArray::number(code);
            QTest::newRow(c + " subscribe") << code << 0 << market + "1|0" << int(FormOutcome::RefusedClosed);
            QTest::newRow(c + " passes") << code << 1 << market + "2|1" << int(FormOutcome::RefusedClosed);
            QTest::newRow(c + " visitor") << code << 2 << QString() << int(FormOutcome::Refused);
        }
    }
    void refusal()
    {
        QFETCH(int, code);
        QFETCH(int, choice);
        QFETCH(QString, hostCall);
        QFETCH(int, outcome);
        FormsFixture f;
        f.server.Script("newQuery", Answer(code, {}, "Not subscribed"));
        f.t.dialogs.QueueAnswer(choice);
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(int(form.Submit(pipeline)), outcome);
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        const QString notice =
            ServerRefusal::NoticeText(RefusalSender::Query).replace("%s", "National Parts Exchange");
        QCOMPARE(boxes[0], QString("SubscribeMsgDlg|%1|%2").arg(notice).arg(code == 112));
        QCOMPARE(f.host.log.Calls(), hostCall.isEmpty() ? QStringList() : QStringList{hostCall});
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 0);
    }

    // Orders and deals are refused in their own words, with what the server
    // said, and never offer the passes a buyer's query would.
    void refusalWordingBySender_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("serverWords");
        QTest::newRow("newQuery") << 0 << "query" << false;
        QTest::newRow("newOrder") << 1 << "purchase order" << true;
        QTest::newRow("newOrderUpdate") << 2 << "order update" << true;
        QTest::newRow("newDeal") << 3 << "hot deal" << true;
    }
    void refusalWordingBySender()
    {
        QFETCH(int, which);
        QFETCH(QString, word);
        QFETCH(bool, serverWords);
        struct Blank : SubmitForm
        {
            QString MissingFields() override { return {}; }
            void BuildRequest(XRequest &) override {}
            void Store(const XRequest &) override {}
            XMarketPlace RefusingMarket() const override { return {}; }
        } form;
        const SubmitSpec spec[] = {PartQueryForm::Spec(), OrderForm::Spec(), OrderUpdateDlg::Spec("Robin"),
                                   HotDealForm::Spec()};
        FormsFixture f;
        f.server.Script(spec[which].operation, Answer(110, {}, "Membership ended on May 1"));
        f.t.dialogs.QueueAnswer(ServerRefusal::BuyPasses);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(pipeline.Run(form, spec[which]), FormOutcome::RefusedClosed);
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("SubscribeMsgDlg|The marketplace \"\" did not accept your " + word + ":"),
                 qPrintable(boxes[0]));
        QCOMPARE(boxes[0].contains("Membership ended on May 1"), serverWords);
        QCOMPARE(f.host.log.Calls(), QStringList{QString("ShowMarketSubscription||2|%1").arg(serverWords ? 0 : 1)});
    }

    void unknownMarketplaceGivesEmptyNameAndId()
    {
        FormsFixture f;
        f.server.Script("newQuery", Answer(110));
        f.t.dialogs.QueueAnswer(0);
        PartQueryForm form(&f.host);
        Fill(form);
        form.Query().SetText("MARKET_NAME", "Gone Market");
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::RefusedClosed);
        QVERIFY(f.t.dialogs.log.Calls()[0].contains("marketplace \"\" did not"));
        QCOMPARE(f.host.log.Calls(), QStringList{"ShowMarketSubscription||1|0"});
    }

    void otherCodeShowsServerMessage()
    {
        FormsFixture f;
        f.server.Script("newQuery", Answer(7, {}, "Query limit reached"));
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Failed);
        QCOMPARE(f.t.dialogs.log.Calls(),
                 QStringList{QString("MessageBox|Query limit reached|Cannot send the query|%1").arg(MsgBox::IconError)});
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 0);
        QVERIFY(f.host.log.Calls().isEmpty());
    }

    // A send the server never answers: after a moment a box offers Cancel,
    // which ends the transfer; the member learns that the server may have the
    // query, nothing is stored, and the next send goes out.
    void hangingSendIsCancelledFromItsBox()
    {
        FormsFixture f;
        f.server.Enqueue("newQuery", FakeServer::FaultAnswer(FakeServer::Fault::SilentAfterHeaders));
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QTimer clicker;
        QObject::connect(&clicker, &QTimer::timeout, [&clicker] {
            auto *button = qApp->findChild<QPushButton *>("cancelSendButton");
            for (QWidget *w : QApplication::topLevelWidgets())
                if (!button && w->objectName() == "sendWaitBox" && w->isVisible())
                    button = w->findChild<QPushButton *>("cancelSendButton");
            if (button && button->isEnabled()) {
                QTest::mouseClick(button, Qt::LeftButton);
                clicker.stop();
            }
        });
        clicker.start(50);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(form.Submit(pipeline), FormOutcome::Failed);
        QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!clicker.isActive());
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("MessageBox|The request was cancelled.\n\nThe server may have received your query"),
                 qPrintable(boxes[0]));
        QVERIFY(!boxes[0].contains("cannot connect"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 0);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 1);
    }

    void failedLoginSendsAndShowsNothing()
    {
        FormsFixture f;
        theApp().GetSession().SetLoggedIn(false);
        f.t.login.onLogin = [] { return false; };
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::LoginFailed);
        QCOMPARE(f.Posts("newQuery"), 0);
        QVERIFY(f.t.dialogs.log.Calls().isEmpty());
        QVERIFY(f.host.log.Calls().isEmpty());
    }

    void missingFieldsAreListedAndNothingSent()
    {
        FormsFixture f;
        PartQueryForm form(&f.host);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Invalid);
        QCOMPARE(f.Posts("newQuery"), 0);
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains("- Make\n- Model\n- Part category\n- Part type\n- Part name\n"));
        QVERIFY(boxes[0].contains("|Submission Error|"));
    }

    void storeFailingAfterSendIsToldAndNeverResent()
    {
        FormsFixture f;
        theDatabase().Execute("CREATE TRIGGER refuse BEFORE INSERT ON Queries BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        PartQueryForm form(&f.host);
        Fill(form);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::SentNotStored);
        QCOMPARE(f.Posts("newQuery"), 1);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 0);
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith("MessageBox|Your query was sent, but it could not be stored"));
        QVERIFY(f.host.log.Calls().isEmpty());
    }
};

KORVANT_TEST_MAIN(TestPipeline)
#include "tst_pipeline.moc"
