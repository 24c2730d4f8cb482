#include "../browser/RecordingCommands.h"
#include "../browser/WebTestUtil.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/FilterExpr.h"
#include "browser/WebHost.h"
#include "net/XProfile.h"
#include "views/ListRegistry.h"
#include "views/SpecialityBrowser.h"
#include "views/ViewsPaneFactory.h"

#include <QApplication>

#include <thread>

using WebTest::Eval;
using WebTest::WaitLoaded;

namespace {

// "name=text" for every element below the root, in order.
QStringList Lines(const XmlDoc &doc)
{
    QStringList out;
    for (const XmlNode &n : doc.Root().Children())
        out << n.Name() + '=' + n.Text();
    return out;
}

TestApp::Options WithProfile()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }}};
    return o;
}

void UseShippedSheets(TestApp &t)
{
    t.App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
}

QString CarText()
{
    CarFilter f;
    f.categories = QStringList{"Trucks"};
    f.makes = {{"Ford", {"F150"}}};
    f.yearFrom = "1970";
    f.yearTo = "2005";
    f.priceFrom = "$5,000";
    f.priceTo = "$20,000";
    f.localOnly = true;
    f.zip = "10001";
    f.range = "50";
    return f.ToText();
}

} // namespace

class TestSpeciality : public QObject
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
    void init() { m_frame.log.Clear(); }

    void converters_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QStringList>("lines");

        const QString partYears = "@vi_year,,1990,,#GT,,@vi_year,,2005,,#LT,,#AND";
        QTest::newRow("parts: empty") << 0 << "" << "2026" << QStringList{};
        QTest::newRow("parts: none")
            << 0 << "A,,B,,#EQ" << "2026"
            << QStringList{"originate_state=None", "pi_type=None", "pi_category=None", "vi_make=None",
                           "vi_model=None", "years=None"};
        QTest::newRow("parts: both years") << 0 << partYears << "2026" << QStringList{"years=1991 - 2004"};
        QTest::newRow("parts: from") << 0 << "@vi_year,,2000,,#GT" << "2026" << QStringList{"years=from 2001"};
        QTest::newRow("parts: from present") << 0 << "@vi_year,,2000,,#GT" << "2001" << QStringList{"years=from Present"};
        QTest::newRow("parts: till") << 0 << "@vi_year,,2010,,#LT" << "2026" << QStringList{"years=till 2009"};
        QTest::newRow("parts: till present") << 0 << "@vi_year,,2027,,#LT" << "2026" << QStringList{"years=till Present"};
        QTest::newRow("parts: any condition") << 0 << "@pi_type,,Any,,#EQ" << "2026" << QStringList{};
        QTest::newRow("parts: conditions in order")
            << 0
            << "@si_state,,IL,,#EQ,,@bi_business_type,,Jobber,,#EQ,,#AND,,@pi_type,,Used,,#EQ,,#AND,,"
               "@vi_make,,Ford,,#EQ,,@vi_model,,F150,,#EQ,,#AND,,#AND,,@pi_category,,Engine,,#EQ,,#AND"
            << "2026"
            << QStringList{"originate_state=IL", "pi_type=Used", "vi_make=Ford", "vi_model=F150", "pi_category=Engine"};
        QTest::newRow("parts: unknown field") << 0 << "@make,,Ford,,#EQ" << "2026" << QStringList{};
        QTest::newRow("parts: hostile year") << 0 << "@vi_year,,19x0,,#GT" << "2026" << QStringList{};

        QTest::newRow("cars: none")
            << 1 << "A,,B,,#EQ" << "2026"
            << QStringList{"vi_category=None", "vi_make=None", "vi_model=None", "years=None", "price=None",
                           "location=None"};
        QTest::newRow("cars: no condition") << 1 << "X,,X,,#EQ" << "2026" << QStringList{"price=Any"};
        QTest::newRow("cars: every group")
            << 1 << CarText() << "2026"
            << QStringList{"vi_category=Trucks", "vi_make=Ford", "vi_model=F150", "years=1970 - 2005",
                           "price=$5,000 - $20,000", "location=Zip: 10001 Range: 50 Miles"};
        CarFilter latest;
        latest.yearFrom = "1980";
        latest.priceTo = "$20,000";
        QTest::newRow("cars: one bound each") << 1 << latest.ToText() << "2026"
                                              << QStringList{"years=from 1980", "price=To $20,000"};
        QTest::newRow("cars: zip without a range")
            << 1 << "X,,X,,#EQ,,@pi_zip,,10001,,#CZD" << "2026" << QStringList{"price=Any"};
    }
    void converters()
    {
        QFETCH(int, mode);
        QFETCH(QString, filter);
        QFETCH(QString, year);
        QFETCH(QStringList, lines);
        const XmlDoc doc = SpecialityBrowser::BuildXml(mode, filter, year);
        QCOMPARE(doc.Root().Name(), mode == 1 ? QString("specialities_cars") : QString("specialities"));
        QCOMPARE(Lines(doc), lines);
    }

    // The page through the shipped sheet: the lines, hostile text as text, the edit link.
    void pageShowsTheLines()
    {
        TestApp t(WithProfile());
        UseShippedSheets(t);
        theProfile().Update([](ProfileData &d) {
            d.carFilter = CarText();
            d.filter = "@vi_make,,<b id='x'>Ford</b>,,#EQ,,@vi_make,,Dodge,,#EQ,,#OR";
        });
        SpecialityBrowser browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowSpeciality(1); }));
        QCOMPARE(Eval(browser, "document.getElementById('location').textContent").toString(),
                 QString("Zip: 10001 Range: 50 Miles"));
        QCOMPARE(Eval(browser, "document.getElementById('price').textContent").toString(), QString("$5,000 - $20,000"));
        QCOMPARE(Eval(browser, "document.querySelector('a.command').getAttribute('href')").toString(),
                 QString("app:edit-speciality-cars"));

        QVERIFY(WaitLoaded(browser, [&] { browser.ShowSpeciality(0); }));
        QCOMPARE(Eval(browser, "document.getElementById('vi_make').textContent").toString(),
                 QString("<b id='x'>Ford</b>, Dodge"));
        QCOMPARE(Eval(browser, "document.getElementById('x') === null").toBool(), true);
        QCOMPARE(Eval(browser, "document.getElementById('years').textContent").toString(), QString("Any"));
        QVERIFY(t.dialogs.log.Calls().isEmpty());
    }

    // The edit links run; any other command of the page is dropped and nothing loads.
    void onlyTheEditLinksRun()
    {
        TestApp t(WithProfile());
        UseShippedSheets(t);
        SpecialityBrowser browser(nullptr);
        QVERIFY(WaitLoaded(browser, [&] { browser.ShowSpeciality(0); }));
        const QUrl page = browser.Page()->url();
        Eval(browser, "document.querySelector('a.command').click()");
        QTRY_COMPARE(m_frame.log.Calls(), QStringList{"EditSpecialty|0"});
        Eval(browser, "var a=document.createElement('a');a.href='app:messages';a.id='m';document.body.appendChild(a);"
                      "a.click();");
        QTest::qWait(300);
        QCOMPARE(m_frame.log.Calls(), QStringList{"EditSpecialty|0"});
        QCOMPARE(browser.Page()->url(), page);
    }

    // A profile read on a worker thread re-renders the page shown, on the main thread.
    void profileChangeReRenders()
    {
        TestApp t(WithProfile());
        UseShippedSheets(t);
        PlaceholderPaneFactory placeholders;
        ViewsPaneFactory views(placeholders);
        std::unique_ptr<ISpecialityPane> pane = views.CreateSpeciality(nullptr);
        auto *browser = dynamic_cast<SpecialityBrowser *>(pane.get());
        QVERIFY(browser);
        QVERIFY(WaitLoaded(*browser, [&] { pane->ShowSpeciality(0); }));
        theProfile().Update([](ProfileData &d) { d.filter = "@vi_make,,Subaru,,#EQ"; });
        QVERIFY(WaitLoaded(*browser, [&] {
            std::thread worker([] { ListRegistry::Instance().BuildSpecialityFilterXml(); });
            worker.join();
        }));
        QCOMPARE(Eval(*browser, "document.getElementById('vi_make').textContent").toString(), QString("Subaru"));
        pane.reset();
        // A pane gone is not touched.
        ListRegistry::Instance().BuildSpecialityFilterXml();
        QTest::qWait(50);
    }
};

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    TestSpeciality test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_speciality.moc"
