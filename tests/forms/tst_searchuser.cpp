// Member lookup against the fake server: the e-mail or passport choice, the
// criteria request, the status line, and adding a found member to the
// address book.

#include "FormsFixture.h"

#include "../dialogs/ModalHelper.h"

#include "browser/WebHost.h"
#include "db/XAddressBookSet.h"
#include "dialogs/XUserSearchListCtrl.h"
#include "forms/SearchUserDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWebEngineView>

namespace {
const QByteArray Profile(const QByteArray &id, const QByteArray &name)
{
    return "<profile><passport_id>" + id + "</passport_id><name>" + name +
           "</name><company>Acme</company><business_type>Body Shop</business_type><city>Austin</city>"
           "<state>TX</state><zip>73301</zip><country>UNITED STATES</country></profile>";
}
} // namespace

class TestSearchUser : public QObject
{
    Q_OBJECT

    static void Click(SearchUserDlg &dlg, const char *name)
    {
        auto *b = dlg.findChild<QAbstractButton *>(name);
        QVERIFY2(b, name);
        // A radio button takes clicks on its mark and its text only.
        const QPoint at = qobject_cast<QRadioButton *>(b) ? QPoint(8, b->height() / 2) : b->rect().center();
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }

    static void Found(FormsFixture &f, SearchUserDlg &dlg)
    {
        f.server.Script("getProfile", Answer(0, Profile("2000", "Lee Seller")));
        dlg.show();
        QTest::keyClicks(dlg.findChild<QLineEdit *>("passportEdit"), "2000");
        Click(dlg, "searchButton");
        QCOMPARE(dlg.Results()->RowCount(), 1);
    }

private slots:
    void cleanup() { QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u','))); }

    // The found member's extended profile, from the button and from Enter on the list;
    // the cars side has no such page.
    void detailsShowTheExtendedProfile()
    {
        FormsFixture f;
        SearchUserDlg dlg(&f.host);
        Found(f, dlg);
        QStringList seen;
        auto look = [&seen](QWidget *w) {
            auto *view = w->findChild<QWebEngineView *>();
            QVERIFY(view);
            QTRY_VERIFY(!view->url().isEmpty());
            seen << w->windowTitle() + "|" + view->url().query();
            ModalHelper::Click(w, "close");
        };
        ModalHelper::WhenModal("BrowserDlg", look);
        Click(dlg, "detailsButton");
        ModalHelper::WhenModal("BrowserDlg", look);
        dlg.Results()->setFocus();
        QTest::keyClick(dlg.Results(), Qt::Key_Return);
        QCOMPARE(seen, QStringList(2, "Extended Profile of Lee Seller|owner_id=2000"));
        QVERIFY(dlg.isVisible());

        f.t.frame.marketMode = 1;
        SearchUserDlg cars(&f.host);
        cars.show();
        QVERIFY(!cars.findChild<QPushButton *>("detailsButton")->isVisible());
        QCOMPARE(cars.findChild<QPushButton *>("privateQueryButton")->text(), QString("Private Car Query"));
    }

    // In the cars market the private query is the car query sheet, addressed to the found member.
    void privateCarQueryOpensTheSheet()
    {
        FormsFixture f;
        f.t.frame.marketMode = 1;
        SearchUserDlg dlg(&f.host);
        Found(f, dlg);
        QString title;
        ModalHelper::WhenModal("NewQueryCarsPropSheet", [&](QWidget *w) {
            title = w->windowTitle();
            qobject_cast<QDialog *>(w)->reject();
        });
        Click(dlg, "privateQueryButton");
        QCOMPARE(title, QString("Private Query For Lee Seller"));
    }

    // A private message to the found member goes out as a broadcast, and only a
    // sent one refreshes the window's list.
    void privateMessage_data()
    {
        QTest::addColumn<bool>("send");
        QTest::newRow("sent") << true;
        QTest::newRow("cancelled") << false;
    }
    void privateMessage()
    {
        QFETCH(bool, send);
        FormsFixture f;
        SearchUserDlg dlg(&f.host);
        Found(f, dlg);
        QString to;
        ModalHelper::WhenModal("NewMessageDlg", [&](QWidget *w) {
            to = w->findChild<QLabel *>("toLine")->text();
            if (!send) {
                ModalHelper::Click(w, "cancelButton");
                return;
            }
            QTest::keyClicks(w->findChild<QLineEdit *>("subjectEdit"), "Hello");
            QWidget *body = w->findChild<QWidget *>("bodyEdit");
            body->setFocus();
            QTest::keyClicks(body, "Do you have a door?");
            ModalHelper::Click(w, "submitButton");
        });
        Click(dlg, "privateMessageButton");
        QCOMPARE(to, QString("Lee Seller, 2000"));
        QCOMPARE(f.Posts("newMessage"), send ? 1 : 0);
        // The lists reload; the last poll's plan is not run again.
        QCOMPARE(f.host.log.Calls().contains("RefreshAfterMessage"), send);
        QVERIFY(!f.t.frame.log.Calls().contains("RefreshListAfterRequest"));
        if (send) {
            QVERIFY(f.LastBody("newMessage").contains("2000"));
            QVERIFY(f.Count("SELECT COUNT(*) FROM Messages WHERE CONTEXT_TYPE = 'broadcast'") >= 1);
            QCOMPARE(f.Count("SELECT COUNT(*) FROM Messages WHERE CONTEXT_TYPE <> 'broadcast'"), 0);
            QVERIFY(f.Count("SELECT COUNT(*) FROM Messages WHERE MESSAGE_SUBJ = 'Hello'") >= 1);
        }
    }

    void emailOrPassport_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("param");
        QTest::newRow("a@b") << "a@b" << "email";
        QTest::newRow("@ab") << "@ab" << "passport_id";
        QTest::newRow("a") << "a" << "passport_id";
        QTest::newRow("ab@") << "ab@" << "email";
        QTest::newRow("digits") << "1000234" << "passport_id";
    }
    void emailOrPassport()
    {
        QFETCH(QString, text);
        QFETCH(QString, param);
        FormsFixture f;
        f.server.Script("getProfile", Answer(0, Profile("2000", "Lee Seller")));
        SearchUserDlg dlg(&f.host);
        dlg.show();
        QTest::keyClicks(dlg.findChild<QLineEdit *>("passportEdit"), text);
        QVERIFY(!dlg.ResultsShown());
        Click(dlg, "searchButton");
        const QByteArray body = f.LastBody("getProfile");
        QVERIFY2(body.contains("<" + param.toUtf8() + ">" + text.toUtf8() + "</"), body);
        QCOMPARE(dlg.Results()->RowCount(), 1);
        QCOMPARE(dlg.Results()->GetSelectedText(1), QString("Lee Seller"));
        QVERIFY(dlg.ResultsShown());
        QCOMPARE(dlg.StatusText(), QString("1 users were found matching your criteria."));
        QVERIFY(!dlg.StatusIsRed());
    }

    void passportAnswersNoSuchMemberOrFailure()
    {
        FormsFixture f;
        f.server.Script("getProfile", Answer(350, {}, "no such user"));
        SearchUserDlg dlg(&f.host);
        dlg.show();
        QTest::keyClicks(dlg.findChild<QLineEdit *>("passportEdit"), "9999");
        Click(dlg, "searchButton");
        QCOMPARE(dlg.StatusText(), QString("Sorry, no users were found matching your criteria."));
        QVERIFY(dlg.StatusIsRed());
        QVERIFY(f.t.dialogs.log.Calls().isEmpty());

        f.server.Script("getProfile", Answer(17, {}, "database down"));
        Click(dlg, "searchButton");
        QCOMPARE(f.t.dialogs.log.Calls().value(0),
                 QString("MessageBox|Cannot find the user.\n\ndatabase down|Korvant|%1").arg(int(MsgBox::IconError)));
        QCOMPARE(dlg.Results()->RowCount(), 0);
        QVERIFY(!dlg.ResultsShown());
    }

    void emptyPassportAsksForIt()
    {
        FormsFixture f;
        SearchUserDlg dlg(&f.host);
        dlg.show();
        Click(dlg, "searchButton");
        QCOMPARE(f.Posts("getProfile"), 0);
        QVERIFY(f.t.dialogs.log.Calls().value(0).startsWith("MessageBox|Passport ID or Email must be entered.|"));
    }

    void onlyTheMarketplaceSendsNothing()
    {
        FormsFixture f;
        WriteSearchableMarkets();
        SearchUserDlg dlg(&f.host);
        dlg.show();
        Click(dlg, "byCriteriaRadio");
        QVERIFY(dlg.findChild<QComboBox *>("marketCombo")->isEnabled());
        QVERIFY(!dlg.findChild<QLineEdit *>("passportEdit")->isEnabled());
        Click(dlg, "searchButton");
        QCOMPARE(f.Posts("findProfiles"), 0);
        QCOMPARE(dlg.StatusText(), QString("Please specify search criteria"));
        QVERIFY(dlg.StatusIsRed());
    }

    void criteriaGoInOrderAndTheLimitIsReported()
    {
        FormsFixture f;
        WriteSearchableMarkets();
        f.server.Script("findProfiles", Answer(0, "<profile_list limit=\"2\">" + Profile("2000", "Lee") +
                                                      Profile("2001", "Kim") + "</profile_list>"));
        SearchUserDlg dlg(&f.host);
        dlg.show();
        Click(dlg, "byCriteriaRadio");
        QTest::keyClicks(dlg.findChild<QLineEdit *>("companyEdit"), "Acme");
        QTest::keyClicks(dlg.findChild<QLineEdit *>("nameEdit"), "Lee & Co");
        dlg.findChild<QComboBox *>("stateCombo")->setCurrentText("TX");
        Click(dlg, "searchButton");
        const QByteArray body = f.LastBody("findProfiles");
        QVERIFY2(body.contains("<market_id>MP-100</market_id><fields><name>Lee &amp; Co</name><state>TX</state>"
                               "<company>Acme</company></fields>"),
                 body);
        QCOMPARE(dlg.Results()->RowCount(), 2);
        QCOMPARE(dlg.StatusText(),
                 QString("More than 2 users were found matching your criteria. Please refine your search."));

        f.server.Script("findProfiles", Answer(0, "<profile_list limit=\"5\">" + Profile("2000", "Lee") +
                                                      "</profile_list>"));
        Click(dlg, "searchButton");
        QCOMPARE(dlg.StatusText(), QString("1 users were found matching your criteria."));

        f.server.Script("findProfiles", Answer(0, "<profile_list limit=\"5\"/>"));
        Click(dlg, "searchButton");
        QCOMPARE(dlg.StatusText(), QString("Sorry, no users were found matching your criteria."));
        QVERIFY(!dlg.ResultsShown());

        Click(dlg, "newSearchButton");
        QVERIFY(dlg.findChild<QLineEdit *>("nameEdit")->text().isEmpty());
        QCOMPARE(dlg.findChild<QComboBox *>("stateCombo")->currentIndex(), 0);
        QVERIFY(dlg.StatusText().isEmpty());
    }

    void noSearchableMarketplaceOffersSubscription_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("host");
        QTest::newRow("yes") << int(MsgBox::IdYes) << QStringList{"SelectNavigatorItem|124"};
        QTest::newRow("no") << int(MsgBox::IdNo) << QStringList{};
    }
    void noSearchableMarketplaceOffersSubscription()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, host);
        FormsFixture f;
        f.t.dialogs.QueueAnswer(answer);
        SearchUserDlg dlg(&f.host);
        dlg.show();
        Click(dlg, "byCriteriaRadio");
        QVERIFY(f.t.dialogs.log.Calls().value(0).contains("|Service Interruption|"));
        QCOMPARE(f.host.log.Calls(), host);
        QCOMPARE(dlg.isVisible(), answer != MsgBox::IdYes);
        if (answer == MsgBox::IdNo)
            QVERIFY(dlg.findChild<QRadioButton *>("byPassportRadio")->isChecked());
    }

    void secondAddIsRefused()
    {
        FormsFixture f;
        f.server.Script("getProfile", Answer(0, Profile("2000", "Lee Seller")));
        SearchUserDlg dlg(&f.host);
        dlg.show();
        QTest::keyClicks(dlg.findChild<QLineEdit *>("passportEdit"), "2000");
        Click(dlg, "searchButton");
        Click(dlg, "addToAddressBookButton");
        Click(dlg, "addToAddressBookButton");
        const QStringList calls = f.t.dialogs.log.Calls();
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls[0].startsWith("MessageBox|User added to Address Book|Information|"));
        QVERIFY(calls[1].startsWith("MessageBox|User don't added to Address Book|Information|"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM ABookUsers"), 1);
        QCOMPARE(f.Text("SELECT NAME FROM ABookGroups WHERE TYPE = 101"), QString("My Address Book"));
    }
};

int main(int argc, char *argv[])
{
    // Details opens a web view.
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    TestSearchUser test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_searchuser.moc"
