// The profile sheet, driven offscreen against the fake server: sign-up,
// editing, the checks of both page kinds and the restore on Cancel.

#include "FormsFixture.h"
#include "../dialogs/ModalHelper.h"

#include "db/XMessageSet.h"
#include "forms/ProfilePropertySheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

void Type(QWidget *root, const char *name, const QString &text)
{
    auto *edit = root->findChild<QLineEdit *>(QLatin1String(name));
    QVERIFY2(edit, name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void FillContact(QWidget *root, const QString &state)
{
    Type(root, "nameEdit", "Rae Seller");
    Type(root, "streetEdit", "1 Main St");
    Type(root, "cityEdit", "Springfield");
    Type(root, "zipEdit", "12345");
    Type(root, "phoneEdit", "555-0100");
    Type(root, "emailEdit", "rae@example.com");
    Type(root, "passwordEdit", "secret");
    Type(root, "confirmEdit", "secret");
    auto *states = root->findChild<QComboBox *>("stateCombo");
    states->setCurrentIndex(qMax(0, states->findText(state)));
}

void Click(QWidget *root, const char *name)
{
    auto *b = root->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY2(b && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void Tick(QWidget *page, const char *name)
{
    auto *box = page->findChild<QCheckBox *>(QLatin1String(name));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
}

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT
private slots:
    void newProfile_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("filter");
        QTest::newRow("with state") << "TX" << "@si_state,,TX,,#EQ";
        QTest::newRow("no state") << "" << "A,,A,,#EQ";
    }
    void newProfile()
    {
        QFETCH(QString, state);
        QFETCH(QString, filter);
        FormsFixture f;
        f.server.Script("newProfile", Answer(0, "<passport_id>P-555</passport_id>"));
        theProfile().Set(ProfileData{});
        ProfilePropertySheet sheet(&f.host, "Create New Profile", 0);
        sheet.show();
        QVERIFY(!sheet.findChild<QPushButton *>("extendedButton"));
        FillContact(sheet.Page(0), state);
        if (state.isEmpty()) {
            // An empty state passes only outside the two countries with states.
            auto *country = sheet.Page(0)->findChild<QComboBox *>("countryCombo");
            country->setCurrentIndex(country->findText("GERMANY"));
            QVERIFY(!sheet.Page(0)->findChild<QComboBox *>("stateCombo")->isEnabled());
        }
        Click(&sheet, "nextButton");
        QCOMPARE(sheet.ActiveIndex(), 1);
        Click(&sheet, "nextButton");
        QCOMPARE(sheet.ActiveIndex(), 2);
        QVERIFY(!sheet.findChild<QPushButton *>("nextButton")->isEnabled());
        Click(&sheet, "okButton");
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(f.Posts("newProfile"), 1);
        const QByteArray body = f.LastBody("newProfile");
        QVERIFY(body.contains("<name>Rae Seller</name>"));
        QVERIFY(body.contains("<role>Both</role>"));
        QVERIFY(body.contains("<car_role>Both</car_role>"));
        QVERIFY2(body.contains("<filter>" + filter.toUtf8() + "</filter>"), body.constData());
        QCOMPARE(theSettings().GetString(Setting::Password), QString("secret"));
        QCOMPARE(theApp().GetSession().PassportId(), QString("P-555"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM UserInfo WHERE PASSPORT_ID = 'P-555'"), 1);
        QVERIFY(f.Count("SELECT COUNT(*) FROM Messages") >= 1);
        QCOMPARE(f.host.log.Calls(), QStringList({"RebuildNavigator", "ApplyProfileMarketMode"}));
    }

    void findings_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("states");
        QTest::addColumn<QString>("text");
        QTest::newRow("good") << "" << "" << true << "";
        QTest::newRow("name") << "name" << "" << true << "- Name cannot be blank\n";
        QTest::newRow("email blank") << "email" << "" << true << "- Email cannot be blank\n";
        QTest::newRow("email no at") << "email" << "rae.example.com" << true << "- Email address is invalid\n";
        QTest::newRow("state, US") << "state" << "" << true << "- State cannot be blank\n";
        QTest::newRow("state, elsewhere") << "state" << "" << false << "";
        QTest::newRow("password") << "password" << "" << true
                                  << "- Password cannot be empty\n- Two copies of password do not match\n";
        QTest::newRow("mismatch") << "password" << "other" << true << "- Two copies of password do not match\n";
        QTest::newRow("all blank") << "all" << "" << true
                                   << "- Name cannot be blank\n- Email cannot be blank\n- Phone cannot be blank\n"
                                      "- Street cannot be blank\n- City cannot be blank\n- Zip cannot be blank\n"
                                      "- State cannot be blank\n- Password cannot be empty\n"
                                      "- Two copies of password do not match\n";
    }
    void findings()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, states);
        QFETCH(QString, text);
        ProfileData p;
        p.name = "N", p.email = "a@b", p.phone = "1", p.street = "s", p.city = "c", p.zip = "z", p.state = "TX";
        p.password = "pw";
        if (field == "all")
            p = ProfileData{};
        else if (field == "name")
            p.name = value;
        else if (field == "email")
            p.email = value;
        else if (field == "state")
            p.state = value;
        else if (field == "password")
            p.password = value;
        QCOMPARE(CSignupDlg::Findings(p, "pw", states), text);
    }

    void validationBoxKeepsSheetOpen()
    {
        FormsFixture f;
        theProfile().Set(ProfileData{});
        ProfilePropertySheet sheet(&f.host, "Create New Profile", 0);
        sheet.show();
        FillContact(sheet.Page(0), "TX");
        Type(sheet.Page(0), "emailEdit", "nobody");
        Type(sheet.Page(0), "confirmEdit", "other");
        Click(&sheet, "okButton");
        QVERIFY(sheet.isVisible());
        QCOMPARE(f.t.dialogs.log.Calls().filter("Validation Error"),
                 QStringList({QStringLiteral("MessageBox|- Email address is invalid\n- Two copies of password do not "
                                             "match\n\nPlease correct information and try again|Validation Error|%1")
                                  .arg(MsgBox::IconError)}));
        QCOMPARE(f.Posts("newProfile"), 0);
    }

    void refusedChangeKeepsTypedThenCancelRestores()
    {
        FormsFixture f;
        f.server.Script("changeProfile", Answer(17, {}, "refused"));
        ProfileData opened = theProfile().Get();
        opened.phone = "555-0100", opened.street = "1 Main St", opened.city = "X", opened.zip = "1";
        opened.country = "UNITED STATES", opened.state = "TX", opened.role = "Buyer";
        theProfile().Set(opened);
        theSettings().SetString(Setting::Password, "pw");
        ProfilePropertySheet sheet(&f.host, "Edit My Profile", 1);
        sheet.show();
        QVERIFY(sheet.findChild<QPushButton *>("extendedButton"));
        Type(sheet.Page(0), "nameEdit", "Changed Name");
        Click(&sheet, "okButton");
        QCOMPARE(f.Posts("changeProfile"), 1);
        QVERIFY(sheet.isVisible());
        QCOMPARE(f.t.dialogs.log.Calls().filter("Cannot update profile").size(), 1);
        QCOMPARE(sheet.Page(0)->findChild<QLineEdit *>("nameEdit")->text(), QString("Changed Name"));
        QCOMPARE(theProfile().Get().name, QString("Changed Name"));
        Click(&sheet, "cancelButton");
        QCOMPARE(theProfile().Get(), opened);
        QVERIFY(f.host.log.Calls().isEmpty());
    }

    void changeProfileSucceeds()
    {
        FormsFixture f;
        f.server.Script("changeProfile", Answer(0));
        ProfileData p = theProfile().Get();
        p.phone = "1", p.street = "s", p.city = "c", p.zip = "z", p.country = "GERMANY";
        theProfile().Set(p);
        theSettings().SetString(Setting::Password, "pw");
        ProfilePropertySheet sheet(&f.host, "Edit My Profile", 1);
        QCOMPARE(sheet.Page(0)->findChild<QLineEdit *>("confirmEdit")->text(), QString("pw"));
        ModalHelper::WhenModal("ProfilePropertySheet", [](QWidget *w) { Click(w, "okButton"); });
        QCOMPARE(sheet.DoModal(), 1);
        QVERIFY(f.LastBody("changeProfile").contains("<role>Both</role>"));
        QCOMPARE(f.host.log.Calls(),
                 QStringList({"RebuildNavigator", "ApplyProfileMarketMode", "ReloadNavigator", "UpdateRoleMenus"}));
    }

    // A page's "Edit Profile" opens the sheet on the page asked for, and the
    // pages before it still take part in the save.
    void opensOnTheStartPage()
    {
        FormsFixture f;
        f.server.Script("changeProfile", Answer(0));
        ProfileData p = theProfile().Get();
        p.phone = "1", p.street = "s", p.city = "c", p.zip = "z", p.country = "GERMANY";
        theProfile().Set(p);
        theSettings().SetString(Setting::Password, "pw");
        ProfilePropertySheet sheet(&f.host, "Edit Profile", 1, nullptr, 2);
        int shown = -1;
        ModalHelper::WhenModal("ProfilePropertySheet", [&](QWidget *w) {
            shown = sheet.ActiveIndex();
            QVERIFY(w->findChild<QPushButton *>("backButton")->isEnabled());
            QVERIFY(!w->findChild<QPushButton *>("nextButton")->isEnabled());
            Click(w, "okButton");
        });
        QCOMPARE(sheet.DoModal(), 1);
        QCOMPARE(shown, 2);
        QVERIFY(f.LastBody("changeProfile").contains("<name>Dana Buyer</name>"));
    }

    void startupSide_data()
    {
        QTest::addColumn<bool>("carsEnabled");
        QTest::addColumn<int>("market");
        QTest::addColumn<bool>("stillTicked");
        QTest::newRow("other side enabled") << true << 1 << false;
        QTest::newRow("other side off") << false << 0 << true;
    }
    void startupSide()
    {
        QFETCH(bool, carsEnabled);
        QFETCH(int, market);
        QFETCH(bool, stillTicked);
        FormsFixture f;
        theSettings().SetInt(Setting::DefaultMarket, 0);
        theProfile().Update([&](ProfileData &d) { d.carsEnabled = carsEnabled; });
        ProfilePropertySheet sheet(&f.host, "Edit My Profile", 1);
        sheet.show();
        sheet.SetActivePage(2);
        QWidget *parts = sheet.Page(2);
        QVERIFY(parts->findChild<QCheckBox *>("startupCheck")->isChecked());
        Tick(parts, "startupCheck");
        QCOMPARE(theSettings().GetInt(Setting::DefaultMarket), market);
        QCOMPARE(parts->findChild<QCheckBox *>("startupCheck")->isChecked(), stillTicked);
    }

    void noEnabledMarkets()
    {
        FormsFixture f;
        theProfile().Update([](ProfileData &d) { d.carsEnabled = false; });
        ProfilePropertySheet sheet(&f.host, "Edit My Profile", 1);
        sheet.show();
        sheet.SetActivePage(2);
        Tick(sheet.Page(2), "interestedCheck");
        Click(&sheet, "okButton");
        QVERIFY(sheet.isVisible());
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|- No enabled vertical markets. At least one vertiacal market must "
                                       "be enabled.\n\nPlease correct information and try again|Validation Error"),
                 1);
        QCOMPARE(f.Posts("changeProfile"), 0);
    }

    void referrer_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("id");
        QTest::newRow("eight digits") << "C:/Downloads/KorvantSetup-12345678.exe" << "12345678";
        QTest::newRow("long id cut") << "setup-1234567890.exe" << "12345678";
        QTest::newRow("no dash") << "KorvantSetup.exe" << "";
        QTest::newRow("dot before the id") << "a.b/setup-123" << "";
        QTest::newRow("empty") << "" << "";
    }
    void referrer()
    {
        QFETCH(QString, path);
        QFETCH(QString, id);
        QCOMPARE(CSignupDlg::ReferrerFromInstaller(path), id);
    }
};

KORVANT_TEST_MAIN(TestProfile)
#include "tst_profile.moc"
