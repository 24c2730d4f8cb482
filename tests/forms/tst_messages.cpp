// The message form: threads (parent row, replies counted on it), the
// broadcast's context id, bound ids, the store's single transaction, and the
// dialog's Submit and Subject rules.

#include "FormsFixture.h"

#include "forms/MessageForm.h"
#include "forms/NewMessageDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

class TestMessages : public QObject
{
    Q_OBJECT

    static FormOutcome Send(FormsFixture &f, const QString &contextId, const QString &type = "query",
                            const QString &answerId = "M-9", const QByteArray &time = "2009-03-04 05:06:07")
    {
        f.server.Script("newMessage", Answer(0, "<message_id>" + answerId.toUtf8() + "</message_id><create_time>" +
                                                    time + "</create_time>"));
        MessageForm form;
        form.contextId = contextId;
        form.contextType = type;
        form.recipientId = "P2000";
        form.recipientName = "Lee Seller";
        form.subject = "Your quote";
        form.body = "Is it still available?";
        SubmitPipeline pipeline(&f.host);
        return form.Submit(pipeline);
    }

    static void AddQuery(const QString &id)
    {
        theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, STATUS, STATUS_CODE, MARKET_ID, MARKET_NAME) "
                              "VALUES (?, 0, 'New', 0, 'MP-100', 'National Parts Exchange')",
                              {id});
    }

private slots:
    void firstMessageOpensTheThreadAndARepliesCountsOnIt()
    {
        FormsFixture f;
        AddQuery("Q-1");
        QCOMPARE(Send(f, "Q-1"), FormOutcome::Sent);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Messages WHERE IS_PARENT = 1"), 1);
        QCOMPARE(f.Count("SELECT OUTCOMING_COUNT FROM Messages WHERE IS_PARENT = 1"), 1);
        QCOMPARE(f.Count("SELECT INCOMING_COUNT FROM Messages WHERE IS_PARENT = 1"), 0);
        QCOMPARE(f.Text("SELECT MARKET_ID FROM Messages"), QString("MP-100"));
        QCOMPARE(f.Text("SELECT STATUS FROM Queries WHERE ID = 'Q-1'"), QString("Replied"));
        QVERIFY(f.LastBody("newMessage").contains("<passport_id>P2000</passport_id>"));

        theDatabase().Execute("UPDATE Messages SET STATUS = 'New', STATUS_CODE = 0");
        QCOMPARE(Send(f, "Q-1", "query", "M-10", "2009-03-05 10:11:12"), FormOutcome::Sent);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Messages"), 2);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Messages WHERE IS_PARENT = 0 AND ID = 'M-10'"), 1);
        QCOMPARE(f.Count("SELECT OUTCOMING_COUNT FROM Messages WHERE IS_PARENT = 1"), 2);
        QCOMPARE(f.Text("SELECT STATUS || '/' || STATUS_CODE FROM Messages WHERE IS_PARENT = 1"), QString("Read/1"));
        QCOMPARE(f.Text("SELECT LATEST_POST_DATE FROM Messages WHERE IS_PARENT = 1"), QString("2009-03-05 10:11:12"));
    }

    void contextIdWithAQuoteIsBound()
    {
        FormsFixture f;
        AddQuery("Q'1");
        QCOMPARE(Send(f, "Q'1"), FormOutcome::Sent);
        QCOMPARE(Send(f, "Q'1", "query", "M-10"), FormOutcome::Sent);
        QCOMPARE(f.Count("SELECT OUTCOMING_COUNT FROM Messages WHERE IS_PARENT = 1 AND CONTEXT_ID = ?", {"Q'1"}), 2);
    }

    void broadcastGetsEightDigitId()
    {
        FormsFixture f;
        QCOMPARE(Send(f, QString(), "broadcast"), FormOutcome::Sent);
        const QString id = f.Text("SELECT CONTEXT_ID FROM Messages");
        QVERIFY2(QRegularExpression("^[0-8]{8}$").match(id).hasMatch(), qPrintable(id));
        QCOMPARE(f.Text("SELECT MARKET_ID || '/' || MARKET_NAME FROM Messages"), QString("PERSONAL/Lee Seller"));
    }

    void failedStoreOfAReplyLeavesTheParentAlone()
    {
        FormsFixture f;
        AddQuery("Q-1");
        QCOMPARE(Send(f, "Q-1"), FormOutcome::Sent);
        theDatabase().Execute("CREATE TRIGGER refuse BEFORE INSERT ON Messages WHEN NEW.IS_PARENT = 0 "
                              "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        QCOMPARE(Send(f, "Q-1", "query", "M-10", "2009-03-05 10:11:12"), FormOutcome::SentNotStored);
        QCOMPARE(f.Posts("newMessage"), 2);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Messages"), 1);
        QCOMPARE(f.Count("SELECT OUTCOMING_COUNT FROM Messages WHERE IS_PARENT = 1"), 1);
        QCOMPARE(f.Text("SELECT LATEST_POST_DATE FROM Messages"), QString("2009-03-04 05:06:07"));
    }

    void missingRecipientStops()
    {
        FormsFixture f;
        MessageForm form;
        form.body = "x";
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Invalid);
        QCOMPARE(f.Posts("newMessage"), 0);
        QVERIFY(f.t.dialogs.log.Calls().value(0).startsWith("MessageBox|The recipient not defined.|"));
    }

    void refusalLooksTheMarketUpById()
    {
        FormsFixture f;
        AddQuery("Q-1");
        f.server.Script("newMessage", Answer(112));
        f.t.dialogs.QueueAnswer(1);
        MessageForm form;
        form.contextId = "Q-1";
        form.contextType = "query";
        form.recipientId = "P2000";
        form.body = "hello";
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::RefusedClosed);
        QVERIFY(f.t.dialogs.log.Calls().value(0).endsWith("|1"));
        QCOMPARE(f.host.log.Calls(), QStringList{"ShowMarketSubscription|MP-100|2|0"});
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Messages"), 0);
    }

    void dialogSubmitNeedsBodyAndSubject()
    {
        FormsFixture f;
        NewMessageDlg dlg(&f.host);
        dlg.SetContextType("broadcast");
        dlg.SetRecipientId("00000001");
        dlg.SetRecipientName("Korvant, LLC");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *submit = dlg.findChild<QPushButton *>("submitButton");
        auto *subject = dlg.findChild<QLineEdit *>("subjectEdit");
        auto *body = dlg.findChild<QPlainTextEdit *>("bodyEdit");
        QVERIFY(!submit->isEnabled());
        QVERIFY(subject->isEnabled());
        QTest::keyClicks(body, "Please call me");
        QVERIFY(submit->isEnabled());
        QTest::keyClicks(subject, "   ");
        QTest::mouseClick(submit, Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(f.Posts("newMessage"), 0);
        QVERIFY(f.t.dialogs.log.Calls().value(0).startsWith("MessageBox|The \"Subject\" must be entered|"));
        subject->clear();
        QTest::keyClicks(subject, "Help");
        QTest::mouseClick(submit, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.Posts("newMessage"), 1);
        QCOMPARE(f.Text("SELECT MESSAGE_SUBJ || '/' || MESSAGE_BODY FROM Messages"), QString("Help/Please call me"));
    }

    void replySubjectIsFixed()
    {
        FormsFixture f;
        NewMessageDlg dlg(&f.host);
        dlg.SetContextId("Q-1");
        dlg.SetContextType("query");
        dlg.SetRecipientId("P2000");
        dlg.SetRecipientName("Lee");
        dlg.SetSubject("RE: Starter");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *subject = dlg.findChild<QLineEdit *>("subjectEdit");
        QVERIFY(!subject->isEnabled());
        QCOMPARE(subject->text(), QString("RE: Starter"));
        QCOMPARE(dlg.findChild<QLabel *>("toLine")->text(), QString("Lee, P2000"));
    }
};

KORVANT_TEST_MAIN(TestMessages)
#include "tst_messages.moc"
