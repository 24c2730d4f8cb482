#include "ModalHelper.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/LoginDlg.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

using ModalHelper::Click;
using ModalHelper::WhenModal;

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u','))); }
    void showsPassportAndCaption();
    void failedLoginLeavesPasswordAndSettings();
    void emptyPasswordGivesValidationBox();
    void successStoresChoice_data();
    void successStoresChoice();
    void seventeenthCharacterRefused();
    void forgotLinksOpenServerPage();
    void retrieveProfileSetsPassport();
};

namespace {
void PrepareSession(TestApp &t)
{
    Q_UNUSED(t);
    theApp().GetSession().SetPassportId(QStringLiteral("P-1001"));
    theApp().GetSession().SetPassword(QStringLiteral("old-pass"));
    theSettings().SetString(Setting::ServerURL, QStringLiteral("https://market.example/kv"));
    theSettings().SetInt(Setting::AutoLogin, 1);
    theSettings().SetString(Setting::Password, QStringLiteral("stored-pass"));
    QVERIFY(theSettings().Save());
}
} // namespace

void TestLogin::showsPassportAndCaption()
{
    TestApp t;
    PrepareSession(t);
    CLoginDlg dlg(1);
    QCOMPARE(dlg.windowTitle(), QGuiApplication::applicationDisplayName() + QStringLiteral(" Login"));
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("passportId"))->text(), QStringLiteral("P-1001"));
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("statusText"))->text(), QStringLiteral("Authorization required."));
    QVERIFY(!dlg.findChild<QCheckBox *>(QStringLiteral("autoLoginCheck"))->isChecked());
}

void TestLogin::failedLoginLeavesPasswordAndSettings()
{
    TestApp t;
    PrepareSession(t);
    QFile::remove(t.SettingsFile());
    QString passwordDuringLogin;
    t.login.onLogin = [&] {
        passwordDuringLogin = theApp().GetSession().Password();
        return false;
    };
    CLoginDlg dlg(2);
    QString statusAfter;
    WhenModal(dlg.objectName(), [&](QWidget *w) {
        QTest::keyClicks(w->findChild<QLineEdit *>(QStringLiteral("passwordEdit")), QStringLiteral("wrong-pass"));
        QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("autoLoginCheck")), Qt::LeftButton, {},
                          QPoint(4, 4));
        Click(w, "loginButton");
        // Still open for another try.
        QVERIFY(w->isVisible());
        statusAfter = w->findChild<QLabel *>(QStringLiteral("statusText"))->text();
        Click(w, "cancelButton");
    });
    QCOMPARE(dlg.DoModal(), 2);
    QCOMPARE(t.login.calls.load(), 1);
    QCOMPARE(passwordDuringLogin, QStringLiteral("wrong-pass"));
    QCOMPARE(statusAfter, QStringLiteral("Please provide your credentials."));
    QCOMPARE(theApp().GetSession().Password(), QStringLiteral("old-pass"));
    QCOMPARE(theSettings().GetString(Setting::Password), QStringLiteral("stored-pass"));
    QCOMPARE(theSettings().GetInt(Setting::AutoLogin), 1);
    QVERIFY(!QFile::exists(t.SettingsFile()));  // nothing written
}

void TestLogin::emptyPasswordGivesValidationBox()
{
    TestApp t;
    PrepareSession(t);
    CLoginDlg dlg(1);
    QString boxText;
    bool stillOpen = false;
    WhenModal(dlg.objectName(), [&](QWidget *w) {
        WhenModal(QStringLiteral("validationErrorBox"), [&](QWidget *box) {
            boxText = box->windowTitle() + u'|' + ModalHelper::BoxText(box);
            ModalHelper::ClickBox(box, QMessageBox::Ok);
        });
        Click(w, "loginButton");
        stillOpen = w->isVisible();
        Click(w, "cancelButton");
    });
    QCOMPARE(dlg.DoModal(), 2);
    QVERIFY(stillOpen);
    QCOMPARE(boxText, QStringLiteral("Validation Error|\"Password\" must be entered."));
    QCOMPARE(t.login.calls.load(), 0);
}

void TestLogin::successStoresChoice_data()
{
    QTest::addColumn<bool>("tick");
    QTest::addColumn<int>("autoLogin");
    QTest::addColumn<QString>("storedPassword");
    QTest::newRow("auto-login ticked") << true << 1 << "new-pass";
    QTest::newRow("auto-login clear") << false << 0 << "stored-pass";
}

void TestLogin::successStoresChoice()
{
    QFETCH(bool, tick);
    QFETCH(int, autoLogin);
    QFETCH(QString, storedPassword);
    TestApp t;
    PrepareSession(t);
    QFile::remove(t.SettingsFile());
    CLoginDlg dlg(1);
    WhenModal(dlg.objectName(), [&](QWidget *w) {
        QTest::keyClicks(w->findChild<QLineEdit *>(QStringLiteral("passwordEdit")), QStringLiteral("new-pass"));
        if (tick)
            QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("autoLoginCheck")), Qt::LeftButton, {},
                              QPoint(4, 4));
        Click(w, "loginButton");
    });
    QCOMPARE(dlg.DoModal(), 1);
    QCOMPARE(theApp().GetSession().Password(), QStringLiteral("new-pass"));
    QVERIFY(theApp().GetSession().IsLoggedIn());
    QCOMPARE(theSettings().GetInt(Setting::AutoLogin), autoLogin);
    QCOMPARE(theSettings().GetString(Setting::Password), storedPassword);
    QVERIFY(QFile::exists(t.SettingsFile()));
}

void TestLogin::seventeenthCharacterRefused()
{
    TestApp t;
    CLoginDlg dlg(1);
    dlg.show();
    auto *edit = dlg.findChild<QLineEdit *>(QStringLiteral("passwordEdit"));
    QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrst"));
    QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnop"));
}

void TestLogin::forgotLinksOpenServerPage()
{
    TestApp t;
    PrepareSession(t);
    QList<QUrl> opened;
    const auto previous = GuiUtils::SetUrlOpener([&](const QUrl &url) {
        opened << url;
        return true;
    });
    CLoginDlg login(1);
    login.show();
    auto *link = login.findChild<QLabel *>(QStringLiteral("forgotLink"));
    QCOMPARE(link->text(), QStringLiteral("Forgot Password?"));
    QCOMPARE(link->toolTip(), QStringLiteral("Click Here to retrieve the password"));
    QTest::mouseClick(link, Qt::LeftButton);
    RetrProfileDlg retrieve;
    retrieve.show();
    auto *link2 = retrieve.findChild<QLabel *>(QStringLiteral("forgotLink"));
    QCOMPARE(link2->text(), QStringLiteral("Forgot Passport ID?"));
    QTest::mouseClick(link2, Qt::LeftButton);
    GuiUtils::SetUrlOpener(previous);
    const QUrl expected(QStringLiteral("https://market.example/kv/forgot_password.html"));
    QCOMPARE(opened, QList<QUrl>({expected, expected}));
}

void TestLogin::retrieveProfileSetsPassport()
{
    TestApp t;
    RetrProfileDlg dlg;
    QString boxText;
    WhenModal(dlg.objectName(), [&](QWidget *w) {
        WhenModal(QStringLiteral("passportRequiredBox"), [&](QWidget *box) {
            boxText = ModalHelper::BoxText(box);
            ModalHelper::ClickBox(box, QMessageBox::Ok);
        });
        Click(w, "okButton");
        QTest::keyClicks(w->findChild<QLineEdit *>(QStringLiteral("passportEdit")), QStringLiteral("P-2002"));
        Click(w, "okButton");
    });
    QCOMPARE(dlg.DoModal(), 1);
    QCOMPARE(boxText, QStringLiteral("Passport ID must be entered."));
    QCOMPARE(theApp().GetSession().PassportId(), QStringLiteral("P-2002"));
}

KORVANT_TEST_MAIN(TestLogin)
#include "tst_login.moc"
