#include "../browser/RecordingCommands.h"
#include "../browser/WebTestUtil.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSLTransformer.h"
#include "browser/WebHost.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "views/DashboardBrowser.h"

#include <QApplication>
#include <QFile>

using WebTest::Eval;
using WebTest::WaitLoaded;

namespace {

DashboardBrowser::Lists SampleLists()
{
    DashboardBrowser::Lists lists;
    lists.categories = {{"New", "1"}, {"Pre-Owned", "2"}, {"Salvage", "3"}};
    lists.makes = {{"Ford", "1"}, {"Subaru", "4"}};
    lists.prices = {{"$1,000", "1"}, {"$2,000", "2"}};
    return lists;
}

QStringList Texts(const XmlNode &list)
{
    QStringList out;
    for (const XmlNode &item : list.Children())
        out << item.Text();
    return out;
}

QStringList Defaults(const XmlNode &list)
{
    QStringList out;
    for (const XmlNode &item : list.Children()) {
        if (item.Attr("default") == "1")
            out << item.Text();
    }
    return out;
}

// The globals a real dashboard reads: profile, both metadata from the sample
// answers' files, the style sheets as they ship.
TestApp::Options DashboardOptions()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
               {GlobalSlot::Meta, [] { return std::make_unique<XMetaData>(); }},
               {GlobalSlot::MetaCars, [] { return std::make_unique<XMetaDataCars>(); }},
               {GlobalSlot::XslTransformer, [] { return std::make_unique<XSLTransformer>(); }}};
    return o;
}

void PrepareDashboard(TestApp &t)
{
    const QString source = qEnvironmentVariable("KORVANT_SOURCE_DIR");
    t.App().SetModuleFolder(source + "/res/");
    QVERIFY(QFile::copy(source + "/tests/fixtures/net/getMetaInfo.xml", t.DataFolder() + "meta.xml"));
    QVERIFY(QFile::copy(source + "/tests/fixtures/net/getCarMetaInfo.xml", t.DataFolder() + "meta_car.xml"));
    theMeta().init();
    theMetaCars().init();
}

} // namespace

class TestDashboard : public QObject
{
    Q_OBJECT

    std::unique_ptr<WebHost> m_host;
    RecordingCommands m_frame;

private slots:
    void initTestCase()
    {
        m_host = std::make_unique<WebHost>();
        m_host->SetFrameCommands(&m_frame);
    }
    void cleanupTestCase() { m_host.reset(); }
    void init()
    {
        m_frame.log.Clear();
        m_frame.marketMode = 0;
        m_frame.specialtyAnswer = false;
    }

    void filterXml_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("shown");
        QTest::newRow("2026") << 2026 << 2027 << 2026;
        QTest::newRow("clock before 2005") << 2003 << 2006 << 2005;
        QTest::newRow("no clock") << 0 << 2006 << 2005;
    }
    void filterXml()
    {
        QFETCH(int, year);
        QFETCH(int, first);
        QFETCH(int, shown);
        ProfileData profile;
        profile.carFilter = "@vi_make,,Ford,,#EQ";
        profile.filter = "A,,B,,#EQ";

        const XmlDoc cars = DashboardBrowser::BuildXml(1, year, SampleLists(), profile);
        QCOMPARE(cars.Root().Name(), QString("dashboard-cars"));
        const XmlNode filter = cars.Root().Select("filter");
        QStringList names;
        for (const XmlNode &n : filter.Children())
            names << n.Name();
        QCOMPARE(names, (QStringList{"category", "makes", "years_fr", "years_to", "price_fr", "price_to", "vi_make",
                                     "price"}));
        QCOMPARE(Defaults(filter.Select("category")), QStringList{"Pre-Owned"});
        QCOMPARE(filter.Select("makes/item[2]").Attr("value"), QString("4"));
        for (const char *list : {"years_fr", "years_to"}) {
            const QStringList years = Texts(filter.Select(list));
            QCOMPARE(years.first(), QString::number(first));
            QCOMPARE(years.last(), QString("1950"));
            QCOMPARE(years.size(), first - 1950 + 1);
            QCOMPARE(Defaults(filter.Select(list)), QStringList{QString::number(shown)});
        }
        QCOMPARE(Texts(filter.Select("price_fr")), (QStringList{"$0", "$1,000", "$2,000"}));
        QCOMPARE(Texts(filter.Select("price_to")), (QStringList{"$1,000", "$2,000"}));

        const XmlDoc parts = DashboardBrowser::BuildXml(0, year, SampleLists(), profile);
        QCOMPARE(parts.Root().Name(), QString("dashboard-parts"));
        const XmlNode partFilter = parts.Root().Select("filter");
        QCOMPARE(partFilter.Children().at(0).Name(), QString("years"));
        QCOMPARE(Texts(partFilter.Select("makes")), (QStringList{"Ford", "Subaru"}));
        QCOMPARE(partFilter.Select("years/item[1]").Text(), QString::number(first));
        QCOMPARE(partFilter.Select("vi_make").Text(), QString("None"));
    }

    void commands_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("dialogOk");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("known");
        QTest::addColumn<bool>("refreshed");

        QTest::newRow("parts messages") << 0 << "messages" << false << QStringList{"Select|118"} << true << false;
        QTest::newRow("cars messages") << 1 << "messages" << false << QStringList{"Select|118"} << true << false;
        QTest::newRow("cars bg3 only cancels") << 1 << "bg3" << false << QStringList{} << true << false;
        QTest::newRow("parts bg3") << 0 << "bg3" << false << QStringList{"Select|32836"} << true << false;
        QTest::newRow("parts help") << 0 << "b_help" << false << QStringList{"Select|20000"} << true << false;
        QTest::newRow("cars help") << 1 << "b_help" << false << QStringList{"Select|167"} << true << false;
        QTest::newRow("parts bg1") << 0 << "bg1" << false << QStringList{"NewQuery|Parts - New Query|"} << true << false;
        QTest::newRow("parts continue")
            << 0 << "continue_query" << false << QStringList{"NewQuery|New Query|make=4"} << true << false;
        QTest::newRow("cars continue")
            << 1 << "continue_query" << false << QStringList{"NewQuery|Cars - New Query|make=4"} << true << false;
        QTest::newRow("parts filter changed")
            << 0 << "change_filter" << true << QStringList{"RunSpecialtyDialog|0"} << true << true;
        QTest::newRow("cars filter cancelled")
            << 1 << "change_filter" << false << QStringList{"RunSpecialtyDialog|1"} << true << false;
        QTest::newRow("cars add") << 1 << "add_inv" << false << QStringList{"NewCatalogRecord|1"} << true << false;
        QTest::newRow("parts add") << 0 << "add_inv" << false << QStringList{"NewCatalogRecord|0"} << true << false;
        QTest::newRow("export") << 1 << "inv_export" << false << QStringList{"ExportInventory"} << true << false;
        QTest::newRow("import") << 0 << "inv_import" << false << QStringList{"ShowInventoryImport"} << true << false;
        QTest::newRow("profile") << 1 << "edit_profile" << false << QStringList{"EditMyProfile"} << true << false;
        QTest::newRow("lookup") << 0 << "member_lookup" << false << QStringList{"MemberLookup"} << true << false;
        QTest::newRow("deal") << 1 << "new_deal" << false << QStringList{"NewHotDeal"} << true << false;
        QTest::newRow("parts-only command in cars") << 1 << "purchase_orders" << false << QStringList{} << false << false;
        QTest::newRow("unknown") << 0 << "format_disk" << false << QStringList{} << false << false;
        QTest::newRow("case matters") << 0 << "Messages" << false << QStringList{} << false << false;
    }
    void commands()
    {
        QFETCH(int, mode);
        QFETCH(QString, command);
        QFETCH(bool, dialogOk);
        QFETCH(QStringList, calls);
        QFETCH(bool, known);
        QFETCH(bool, refreshed);
        m_frame.marketMode = mode;
        m_frame.specialtyAnswer = dialogOk;
        bool refresh = false;
        QCOMPARE(DashboardBrowser::RunCommand(mode, command, AppParams{{"make", "4"}}, m_frame,
                                              [&refresh] { refresh = true; }),
                 known);
        QCOMPARE(m_frame.log.Calls(), calls);
        QCOMPARE(refresh, refreshed);
    }

    void specialityText_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("text");
        const QString more = ", ...&#160;&#160;<a href='javascript:changeFilter();'>more</a>";
        QTest::newRow("none") << QStringList{} << "Any";
        QTest::newRow("one") << QStringList{"Ford"} << "Ford";
        QTest::newRow("five") << QStringList{"a", "b", "c", "d", "e"} << "a, b, c, d, e";
        QTest::newRow("six") << QStringList{"a", "b", "c", "d", "e", "f"} << "a, b, c, d, e" + more;
        QTest::newRow("hostile")
            << QStringList{"<img src=x onerror=alert(1)>", "A&B \"q\"", "c", "d", "e", "<a href='javascript:x()'>"}
            << "&lt;img src=x onerror=alert(1)&gt;, A&amp;B &quot;q&quot;, c, d, e" + more;
    }
    void specialityText()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, text);
        QCOMPARE(DashboardBrowser::SpecialityText(values), text);
    }

    void counterNumbers()
    {
        QCOMPARE(DashboardBrowser::CounterNumber(20002), 1);
        QCOMPARE(DashboardBrowser::CounterNumber(118), 13);
        QCOMPARE(DashboardBrowser::CounterNumber(168), 24);
        QCOMPARE(DashboardBrowser::CounterNumber(185), 0);
        QVERIFY(DashboardBrowser::ListYear() >= 2005);
    }

    // The cars page in the web engine: counters, the models of a chosen make,
    // the speciality box and a link.
    void carsPage()
    {
        TestApp t(DashboardOptions());
        PrepareDashboard(t);
        m_frame.marketMode = 1;
        DashboardBrowser browser(nullptr);
        browser.SetCounter(159, 3, 0, false);  // before the page: shown once it is up
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowDashboard(1); }));
        QVERIFY2(t.dialogs.log.Calls().isEmpty(), qPrintable(t.dialogs.log.Calls().join('\n')));
        QTRY_COMPARE(Eval(browser, "document.getElementById('counter18').textContent").toString(), QString("(3)"));

        browser.SetCounter(158, 5, 2, true);
        browser.SetCounter(185, 9, 9, true);  // no counter on the page
        QTRY_COMPARE(Eval(browser, "document.getElementById('counter17').textContent").toString(), QString("(5/2)"));
        QCOMPARE(Eval(browser, "document.getElementById('counter17').style.fontWeight").toString(), QString("bold"));

        QCOMPARE(Eval(browser, "document.getElementById('price_from').options[0].text").toString(), QString("$0"));
        QCOMPARE(Eval(browser, "document.getElementById('year_from').value").toString(),
                 QString::number(DashboardBrowser::ListYear()));
        QCOMPARE(Eval(browser, "document.getElementById('model').options.length").toInt(), 1);

        // A member's choice, in the page's own world.
        Eval(browser, "var m=document.getElementById('make');m.value='4';m.dispatchEvent(new Event('change'));",
             QWebEngineScript::MainWorld);
        QTRY_COMPARE(Eval(browser, "Array.from(document.getElementById('model').options).map(o=>o.text).join('|')")
                         .toString(),
                     QString("--Please Select Model --|Impreza|Outback"));

        theProfile().Update([](ProfileData &d) {
            d.carFilter = "@vi_category,,<img id='bad' src=x>,,#EQ";
            for (int i = 0; i < 6; ++i)
                d.carFilter += QStringLiteral(",,@vi_category,,C%1,,#EQ,,#OR").arg(i);
        });
        browser.UpdateSpecialities();
        QTRY_VERIFY(Eval(browser, "document.getElementById('vi_category').textContent").toString().startsWith(
            "<img id='bad' src=x>, C0, C1, C2, C3, ..."));
        QCOMPARE(Eval(browser, "document.getElementById('bad') === null").toBool(), true);
        QCOMPARE(Eval(browser, "document.querySelector('#vi_category a').getAttribute('href')").toString(),
                 QString("javascript:changeFilter();"));

        const QUrl page = browser.Page()->url();
        Eval(browser, "document.querySelector('a[href=\"app:messages\"]').click()");
        QTRY_COMPARE(m_frame.log.Calls(), QStringList{"Select|118"});
        QCOMPARE(browser.Page()->url(), page);
    }

    // Made later, the page is built when its view is made, from the profile as
    // it is then, with the counters kept meanwhile; the make list still
    // reaches the program.
    void pageMadeLater()
    {
        TestApp t(DashboardOptions());
        PrepareDashboard(t);
        theProfile().Update([](ProfileData &d) { d.filter = "@vi_make,,Ford,,#EQ"; });
        DashboardBrowser browser(nullptr, CWebBrowser2::ViewCreation::Later);
        browser.ShowDashboard(0);
        browser.SetCounter(20002, 7, 0, false);
        theProfile().Update([](ProfileData &d) { d.filter = "@vi_make,,Subaru,,#EQ"; });
        browser.UpdateSpecialities();
        QVERIFY(!browser.ViewMade());
        QVERIFY(WaitLoaded(browser, [] {}));
        QCOMPARE(Eval(browser, "document.getElementById('vi_make').textContent").toString(), QString("Subaru"));
        QTRY_COMPARE(Eval(browser, "document.getElementById('counter1').textContent").toString(), QString("(7)"));
        Eval(browser, "var m=document.getElementById('make');m.value='1';m.dispatchEvent(new Event('change'));",
             QWebEngineScript::MainWorld);
        QTRY_COMPARE(Eval(browser, "document.getElementById('model').options.length").toInt(), 3);
    }

    void partsPage()
    {
        TestApp t(DashboardOptions());
        PrepareDashboard(t);
        theProfile().Update([](ProfileData &d) { d.filter = "@vi_make,,Ford,,#EQ,,@vi_year,,2000,,#GT,,#AND"; });
        DashboardBrowser browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowDashboard(0); }));
        QCOMPARE(Eval(browser, "document.getElementById('vi_make').textContent").toString(), QString("Ford"));
        QCOMPARE(Eval(browser, "document.getElementById('years').textContent").toString(), QString("from 2001"));
        QCOMPARE(Eval(browser, "document.getElementById('category') === null").toBool(), true);
        // Labels in the member's words, not the filter's codes.
        QCOMPARE(Eval(browser, "document.getElementById('pi_type').previousElementSibling.textContent").toString(),
                 QString("Part condition"));
        browser.SetCounter(20002, 7, 0, false);
        QTRY_COMPARE(Eval(browser, "document.getElementById('counter1').textContent").toString(), QString("(7)"));
        Eval(browser, "var m=document.getElementById('make');m.value='1';m.dispatchEvent(new Event('change'));",
             QWebEngineScript::MainWorld);
        QTRY_COMPARE(Eval(browser, "document.getElementById('model').options.length").toInt(), 3);
    }
};

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    TestDashboard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dashboard.moc"
