// Under a real display (xvfb-run): the account dialogs as a member sees them,
// every page of both sheets, the specialty wizard's pages, the address book
// with a group of members and the member lookup with results. Each picture is
// saved to the build's screenshots folder and checked not to be blank.

#include "FormsFixture.h"

#include "browser/AddressBookDlg.h"
#include "browser/ProfileFetcher.h"
#include "db/XAddressBookSet.h"
#include "dialogs/AddressBookGroupTree.h"
#include "dialogs/CWizardScopeDlg.h"
#include "dialogs/OptionsPropSheet.h"
#include "dialogs/XUserSearchListCtrl.h"
#include "forms/ProfilePropertySheet.h"
#include "forms/SearchUserDlg.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

namespace {

QByteArray Profile(const QByteArray &id, const QByteArray &name, const QByteArray &company, const QByteArray &city)
{
    return "<profile><passport_id>" + id + "</passport_id><name>" + name + "</name><company>" + company +
           "</company><business_type>Auto Recycler</business_type><city>" + city +
           "</city><state>TX</state><zip>73301</zip><country>UNITED STATES</country></profile>";
}

void Save(QWidget &w, const QString &name)
{
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(150);
    const QImage image = w.grab().toImage();
    QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
    QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/%1.png").arg(name)));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("%1: %2 colours").arg(name).arg(colours.size())));
}

void Pick(QWidget &root, const char *list, const QStringList &texts)
{
    auto *w = root.findChild<QListWidget *>(QLatin1String(list));
    QVERIFY2(w, list);
    for (const QString &text : texts) {
        const auto items = w->findItems(text, Qt::MatchExactly);
        QVERIFY2(!items.isEmpty(), qPrintable(text));
        w->scrollToItem(items.first());
        QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, w->visualItemRect(items.first()).center());
    }
}

} // namespace

class ShotAccount : public QObject
{
    Q_OBJECT
private slots:
    void profileSheet()
    {
        FormsFixture f;
        ProfileData p = theProfile().Get();
        p.phone = "555-0100", p.street = "1 Main St", p.city = "Austin", p.zip = "73301", p.state = "TX";
        p.country = "UNITED STATES", p.company = "Dana's Body Shop", p.role = "Both", p.carRole = "Both";
        p.signature = "Dana - parts desk";
        theProfile().Set(p);
        theSettings().SetString(Setting::Password, "pw");
        ProfilePropertySheet sheet(&f.host, "Parts - Edit My Profile", 1);
        sheet.show();
        const char *names[] = {"profile_contact", "profile_cars", "profile_parts"};
        for (int i = 0; i < sheet.PageCount(); ++i) {
            sheet.SetActivePage(i);
            Save(sheet, names[i]);
        }
    }

    void optionsSheet()
    {
        FormsFixture f;
        OptionsPropSheet sheet;
        sheet.show();
        for (int i = 0; i < sheet.PageCount(); ++i) {
            sheet.SetActivePage(i);
            Save(sheet, QStringLiteral("options_%1").arg(i + 1));
        }
    }

    void wizard()
    {
        FormsFixture f;
        theProfile().Update([](ProfileData &d) {
            d.filter = "@bi_business_type,,Body Shop,,#EQ,,@bi_business_type,,Jobber,,#EQ,,#OR,,"
                       "@si_state,,TX,,#EQ,,#AND";
        });
        CWizardScopeDlg dlg(nullptr, 1);
        dlg.show();
        Save(dlg, "wizard_business");
        dlg.SetPage(CWizardScopeDlg::VehiclePage);
        Pick(dlg, "makeList", {"Ford", "Toyota"});
        Pick(dlg, "modelList", {"Mustang"});
        Pick(dlg, "yearTemplateList", {"Latest models"});
        Save(dlg, "wizard_vehicle");
        dlg.SetPage(CWizardScopeDlg::PartPage);
        Pick(dlg, "conditionList", {"Used", "New"});
        Pick(dlg, "categoryList", {"Engine"});
        Save(dlg, "wizard_part");
    }

    void addressBook()
    {
        FormsFixture f;
        f.server.SetResponder("getProfile", [](const FakeServer::Request &r) -> std::optional<FakeServer::Answer> {
            const int at = r.body.indexOf("<passport_id>") + 13;
            const QByteArray id = r.body.mid(at, r.body.indexOf("</passport_id>") - at);
            static const QMap<QByteArray, QByteArray> names = {
                {"2001", "Lee Seller"}, {"2002", "Kim Parts"}, {"2003", "Ray Salvage"}};
            return Answer(0, Profile(id, names.value(id, "Member " + id), "Acme Auto", "Austin"));
        });
        XAddressBookSet groups;
        groups.AddRootGroup();
        groups.SelectRootGroup();
        const int root = groups.GetId();
        const int sellers = groups.AddGroup(ABookGroupId(root), "Sellers");
        groups.AddGroup(ABookGroupId(root), "Body shops");
        XAddressBookUsers users;
        for (const char *id : {"2001", "2002", "2003"})
            users.AddUser(ABookGroupId(sellers), PassportId(id));
        AddressBookDlg dlg;
        dlg.show();
        dlg.SelectGroup(sellers);
        QVERIFY(QTest::qWaitFor([&] { return !dlg.Fetcher()->Busy() && dlg.Members()->RowCount() == 3; }, 5000));
        dlg.Tree()->expandAll();
        dlg.Members()->SelectItem(0);
        Save(dlg, "addressbook");
    }

    void memberLookup()
    {
        FormsFixture f;
        WriteSearchableMarkets();
        f.server.Script("findProfiles",
                        Answer(0, "<profile_list limit=\"50\">" + Profile("2001", "Lee Seller", "Acme Auto", "Austin") +
                                      Profile("2002", "Kim Parts", "Kim's Yard", "Dallas") +
                                      Profile("2003", "Ray Salvage", "Ray &amp; Sons", "El Paso") + "</profile_list>"));
        SearchUserDlg dlg(&f.host);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *criteria = dlg.findChild<QRadioButton *>("byCriteriaRadio");
        QTest::mouseClick(criteria, Qt::LeftButton, {}, QPoint(8, criteria->height() / 2));
        QTest::keyClicks(dlg.findChild<QLineEdit *>("cityEdit"), "Austin");
        QTest::mouseClick(dlg.findChild<QPushButton *>("searchButton"), Qt::LeftButton);
        QTRY_VERIFY2(dlg.Results()->RowCount() == 3, qPrintable(dlg.StatusText()));
        dlg.Results()->SelectItem(0);
        Save(dlg, "memberlookup");
    }
};

KORVANT_TEST_MAIN(ShotAccount)
#include "shot_account.moc"
