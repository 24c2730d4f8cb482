#include "ModalHelper.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "dialogs/LinkMessageDlg.h"
#include "dialogs/MessageDlg.h"
#include "dialogs/PayMessageDlg.h"
#include "dialogs/SubscribeMsgDlg.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>

using ModalHelper::Click;
using ModalHelper::WhenModal;

class TestMessageBoxes : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u','))); }
    void dontShowFlag_data();
    void dontShowFlag();
    void noFlagHidesCheckBox();
    void buttonModes();
    void captionFallsBackToTitle();
    void longerTextGrowsBox();
    void linkBox_data();
    void linkBox();
    void subscribeChoice_data();
    void subscribeChoice();
    void payBox();
    void serverTextIsPlain_data();
    void serverTextIsPlain();
};

// action: "ok" | "second" | "esc"
void TestMessageBoxes::dontShowFlag_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("flag");  // 7: left alone
    QTest::newRow("confirm OK ticked") << 1 << true << "ok" << 1 << 0;
    QTest::newRow("confirm OK clear") << 1 << false << "ok" << 1 << 1;
    QTest::newRow("confirm No ticked") << 1 << true << "second" << 2 << 7;
    QTest::newRow("confirm Esc ticked") << 1 << true << "esc" << 2 << 7;
    QTest::newRow("warning Retry ticked") << 2 << true << "ok" << 1 << 0;
    QTest::newRow("warning Ignore ticked") << 2 << true << "second" << 2 << 0;
    QTest::newRow("warning Ignore clear") << 2 << false << "second" << 2 << 1;
    QTest::newRow("warning Esc ticked") << 2 << true << "esc" << 2 << 0;
}

void TestMessageBoxes::dontShowFlag()
{
    QFETCH(int, kind);
    QFETCH(bool, tick);
    QFETCH(QString, action);
    QFETCH(int, result);
    QFETCH(int, flag);
    TestApp t;
    int value = 7;
    std::unique_ptr<FlagMessageBox> box;
    if (kind == 1)
        box = std::make_unique<MessageDlg>(QStringLiteral("Send"), QStringLiteral("Send the quote?"), &value, true,
                                           MsgBox::IconResQuestion);
    else
        box = std::make_unique<MessageDlg2>(QStringLiteral("Server"), QStringLiteral("No answer."), &value, true,
                                            MsgBox::IconResWarning);
    WhenModal(box->objectName(), [&](QWidget *w) {
        auto *check = w->findChild<QCheckBox *>(QStringLiteral("dontShowAgain"));
        QVERIFY(check && check->isVisible() && !check->isChecked());
        if (tick)
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
        QCOMPARE(check->isChecked(), tick);
        if (action == u"ok")
            Click(w, "okButton");
        else if (action == u"second")
            Click(w, "secondButton");
        else
            QTest::keyClick(w, Qt::Key_Escape);
    });
    QCOMPARE(box->DoModal(), result);
    QCOMPARE(value, flag);
    // A stored choice is saved with the settings at once.
    QCOMPARE(QFile::exists(t.SettingsFile()), flag != 7);
}

void TestMessageBoxes::noFlagHidesCheckBox()
{
    TestApp t;
    MessageDlg box(QStringLiteral("Delete"), QStringLiteral("Delete the record?"), nullptr, true,
                   MsgBox::IconResQuestion);
    WhenModal(box.objectName(), [&](QWidget *w) {
        QVERIFY(!w->findChild<QCheckBox *>(QStringLiteral("dontShowAgain"))->isVisible());
        Click(w, "okButton");
    });
    QCOMPARE(box.DoModal(), 1);
    MessageDlg2 box2(QString(), QStringLiteral("x"), nullptr, true, MsgBox::IconResWarning);
    WhenModal(box2.objectName(), [&](QWidget *w) { Click(w, "secondButton"); });
    QCOMPARE(box2.DoModal(), 2);
}

void TestMessageBoxes::buttonModes()
{
    TestApp t;
    int flag = 1;
    struct Case
    {
        std::unique_ptr<FlagMessageBox> box;
        QString first, second;
    };
    Case cases[4];
    cases[0] = {std::make_unique<MessageDlg>(QString(), QStringLiteral("a"), &flag, true, 0), "Yes", "No"};
    cases[1] = {std::make_unique<MessageDlg2>(QString(), QStringLiteral("a"), &flag, true, 0), "Retry", "Ignore"};
    cases[2] = {std::make_unique<MessageDlg>(QString(), QStringLiteral("a"), &flag, false, 0), "OK", QString()};
    cases[3] = {std::make_unique<MessageDlg2>(QString(), QStringLiteral("a"), &flag, false, 0), "OK", QString()};
    for (Case &c : cases) {
        c.box->show();
        auto *ok = c.box->findChild<QPushButton *>(QStringLiteral("okButton"));
        auto *second = c.box->findChild<QPushButton *>(QStringLiteral("secondButton"));
        QCOMPARE(ok->text(), c.first);
        QCOMPARE(second->isVisible(), !c.second.isEmpty());
        if (!c.second.isEmpty())
            QCOMPARE(second->text(), c.second);
        else  // the one button sits in the middle
            QVERIFY(qAbs(ok->geometry().center().x() - c.box->rect().center().x()) <= 2);
    }
}

void TestMessageBoxes::captionFallsBackToTitle()
{
    TestApp t;
    MessageDlg named(QStringLiteral("Cannot send the quote"), QStringLiteral("x"), nullptr, false, 0);
    QCOMPARE(named.windowTitle(), QStringLiteral("Cannot send the quote"));
    MessageDlg unnamed(QString(), QStringLiteral("x"), nullptr, false, 0);
    QCOMPARE(unnamed.windowTitle(), QGuiApplication::applicationDisplayName());
    QVERIFY(!unnamed.windowTitle().isEmpty());
}

void TestMessageBoxes::longerTextGrowsBox()
{
    TestApp t;
    int flag = 1;
    MessageDlg shortBox(QString(), QStringLiteral("Short."), &flag, true, MsgBox::IconResQuestion);
    MessageDlg longBox(QString(), QStringLiteral("A much longer message. ").repeated(30), &flag, true,
                       MsgBox::IconResQuestion);
    shortBox.show();
    longBox.show();
    QVERIFY(longBox.height() > shortBox.height());
    // The check box and the buttons stay below the text.
    for (MessageDlg *box : {&shortBox, &longBox}) {
        const QWidget *text = box->findChild<QLabel *>(QStringLiteral("messageText"));
        const QWidget *check = box->findChild<QCheckBox *>(QStringLiteral("dontShowAgain"));
        const QWidget *ok = box->findChild<QPushButton *>(QStringLiteral("okButton"));
        QVERIFY(check->geometry().top() >= text->geometry().bottom());
        QVERIFY(ok->geometry().top() >= check->geometry().bottom());
        QVERIFY(box->rect().contains(ok->geometry()));
    }
}

void TestMessageBoxes::linkBox_data()
{
    QTest::addColumn<bool>("yesNo");
    QTest::addColumn<bool>("twoButtons");
    QTest::addColumn<QString>("linkUrl");
    QTest::addColumn<QString>("accept");
    QTest::addColumn<QString>("decline");
    QTest::addColumn<bool>("linkShown");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");  // empty: hidden
    QTest::newRow("no address") << false << true << "" << "Update Now" << "Update Later" << false << "Update Now"
                                << "Update Later";
    QTest::newRow("with address") << false << true << "https://market.example/notes.html" << "" << "" << true
                                  << "OK" << "Cancel";
    QTest::newRow("yes no") << true << false << "https://market.example/notes.html" << "A" << "B" << true << "Yes"
                            << "No";
    QTest::newRow("single") << false << false << "" << "" << "" << false << "OK" << "";
}

void TestMessageBoxes::linkBox()
{
    QFETCH(bool, yesNo);
    QFETCH(bool, twoButtons);
    QFETCH(QString, linkUrl);
    QFETCH(QString, accept);
    QFETCH(QString, decline);
    QFETCH(bool, linkShown);
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestApp t;
    LinkMessageDlg box(QString(), QStringLiteral("A new version is ready."), yesNo, twoButtons,
                       MsgBox::IconResWarning);
    box.SetLink(QStringLiteral("Release Notes"), linkUrl);
    box.SetAcceptText(accept);
    box.SetDeclineText(decline);
    WhenModal(box.objectName(), [&](QWidget *w) {
        auto *link = w->findChild<QLabel *>(QStringLiteral("linkLabel"));
        QCOMPARE(link->isVisible(), linkShown);
        if (linkShown)
            QCOMPARE(link->text(), QStringLiteral("Release Notes"));
        auto *ok = w->findChild<QPushButton *>(QStringLiteral("okButton"));
        auto *sec = w->findChild<QPushButton *>(QStringLiteral("secondButton"));
        QCOMPARE(ok->text(), first);
        QCOMPARE(sec->isVisible(), !second.isEmpty());
        if (!second.isEmpty()) {
            QCOMPARE(sec->text(), second);
            Click(w, "secondButton");
        } else {
            Click(w, "okButton");
        }
    });
    QCOMPARE(box.DoModal(), second.isEmpty() ? 1 : 2);
}

void TestMessageBoxes::subscribeChoice_data()
{
    QTest::addColumn<bool>("disablePasses");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("choice");
    QTest::newRow("110 subscribe") << false << "subscribeButton" << 0;
    QTest::newRow("110 passes") << false << "buyPassesButton" << 1;
    QTest::newRow("110 visitor") << false << "visitorButton" << 2;
    QTest::newRow("112 subscribe") << true << "subscribeButton" << 0;
    QTest::newRow("112 visitor") << true << "visitorButton" << 2;
    QTest::newRow("escape") << false << "esc" << 2;
}

void TestMessageBoxes::subscribeChoice()
{
    QFETCH(bool, disablePasses);
    QFETCH(QString, action);
    QFETCH(int, choice);
    SubscribeMsgDlg dlg;
    // Server text is shown as it is, never as markup.
    dlg.SetMessage(QStringLiteral("<b>Your plan</b> does not cover this market."));
    dlg.SetDisableBuyPasses(disablePasses);
    QCOMPARE(dlg.GetChoice(), -1);
    WhenModal(dlg.objectName(), [&](QWidget *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("Service Interruption"));
        auto *text = w->findChild<QLabel *>(QStringLiteral("messageText"));
        QCOMPARE(text->textFormat(), Qt::PlainText);
        QCOMPARE(w->findChild<QPushButton *>(QStringLiteral("buyPassesButton"))->isEnabled(), !disablePasses);
        if (action == u"esc")
            QTest::keyClick(w, Qt::Key_Escape);
        else
            Click(w, action.toLatin1().constData());
    });
    QCOMPARE(dlg.DoModal(), choice);
    QCOMPARE(dlg.GetChoice(), choice);
}

void TestMessageBoxes::payBox()
{
    PayMessageDlg dlg(QStringLiteral("Payment"), QStringLiteral("Choose a plan to go on."));
    WhenModal(dlg.objectName(), [&](QWidget *w) {
        QCOMPARE(w->findChild<QPushButton *>(QStringLiteral("okButton"))->text(),
                 QStringLiteral("Choose Payment Plan"));
        Click(w, "okButton");
    });
    QCOMPARE(dlg.DoModal(), 1);
    WhenModal(dlg.objectName(), [&](QWidget *w) { Click(w, "cancelButton"); });
    QCOMPARE(dlg.DoModal(), 2);
}

void TestMessageBoxes::serverTextIsPlain_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("MessageDlg") << 0;
    QTest::newRow("MessageDlg2") << 1;
    QTest::newRow("LinkMessageDlg") << 2;
}

// What the server says is shown as it is, never as markup.
void TestMessageBoxes::serverTextIsPlain()
{
    QFETCH(int, kind);
    const QString text = QStringLiteral("<img src=\"x\"><b>Refused</b> &amp; <a href=\"http://x\">here</a>");
    std::unique_ptr<QDialog> box;
    if (kind == 0)
        box = std::make_unique<MessageDlg>(QString(), text, nullptr, true, MsgBox::IconResWarning);
    else if (kind == 1)
        box = std::make_unique<MessageDlg2>(QString(), text, nullptr, true, MsgBox::IconResWarning);
    else
        box = std::make_unique<LinkMessageDlg>(QString(), text, true, true, MsgBox::IconResWarning);
    auto *label = box->findChild<QLabel *>(QStringLiteral("messageText"));
    QVERIFY(label);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), text);
}

KORVANT_TEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
