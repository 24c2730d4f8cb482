// The parts speciality written to the filter language and read back.

#include "TestApp.h"
#include "TestEnv.h"

#include "app/PartFilter.h"

#include <QTest>

Q_DECLARE_METATYPE(PartFilter)

namespace {

PartFilter With(std::function<void(PartFilter &)> set)
{
    PartFilter f;
    set(f);
    return f;
}

constexpr int kYear = 2026;

} // namespace

class TestPartFilter : public QObject
{
    Q_OBJECT
private slots:
    // Selections -> text -> selections -> text.
    void roundTrip_data()
    {
        QTest::addColumn<PartFilter>("filter");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing chosen") << PartFilter{} << "X,,X,,#EQ";
        QTest::newRow("receive nothing")
            << With([](PartFilter &f) { f.receiveNothing = true; }) << "A,,B,,#EQ";
        QTest::newRow("two types, one state")
            << With([](PartFilter &f) { f.businessTypes = {"Body Shop", "Jobber"}, f.states = {"TX"}; })
            << "@bi_business_type,,Body Shop,,#EQ,,@bi_business_type,,Jobber,,#EQ,,#OR,,@si_state,,TX,,#EQ,,#AND";
        QTest::newRow("makes with and without models")
            << With([](PartFilter &f) { f.makes = {{"Ford", {"Focus", "Mustang"}}, {"Honda", {}}, {"Toyota", {"Camry"}}}; })
            << "@vi_make,,Ford,,#EQ,,@vi_model,,Focus,,#EQ,,@vi_model,,Mustang,,#EQ,,#OR,,#AND,,"
               "@vi_make,,Honda,,#EQ,,@vi_make,,Toyota,,#EQ,,@vi_model,,Camry,,#EQ,,#AND,,#OR,,#OR";
        QTest::newRow("every clause")
            << With([](PartFilter &f) {
                   f.businessTypes = {"Jobber"}, f.states = {"CA", "NV"}, f.conditions = {"New"},
                   f.categories = {"Electrical"}, f.makes = {{"Ford", {}}};
               })
            << "@bi_business_type,,Jobber,,#EQ,,@si_state,,CA,,#EQ,,@si_state,,NV,,#EQ,,#OR,,"
               "@pi_type,,New,,#EQ,,@pi_category,,Electrical,,#EQ,,@vi_make,,Ford,,#EQ,,#AND,,#AND,,#AND,,#AND";
        QTest::newRow("till is one more, from one less")
            << With([](PartFilter &f) { f.yearFrom = 1980, f.yearTill = 1990; })
            << "X,,X,,#EQ,,@vi_year,,1991,,#LT,,#AND,,@vi_year,,1979,,#GT,,#AND";
        QTest::newRow("till only, after a clause")
            << With([](PartFilter &f) { f.states = {"TX"}, f.yearTill = 1970; })
            << "@si_state,,TX,,#EQ,,@vi_year,,1971,,#LT,,#AND";
    }
    void roundTrip()
    {
        QFETCH(PartFilter, filter);
        QFETCH(QString, text);
        QCOMPARE(filter.ToText(kYear), text);
        QVERIFY(FilterExpr::Parse(text));
        const PartFilter read = PartFilter::FromText(text);
        QCOMPARE(read.ToText(kYear), text);
        QVERIFY(read == filter);
    }

    // -1 is this year; it reads back as the year itself and writes the same text.
    void currentYear()
    {
        const PartFilter f = With([](PartFilter &f) { f.yearFrom = -1, f.yearTill = -1; });
        const QString text = f.ToText(kYear);
        QCOMPARE(text, QString("X,,X,,#EQ,,@vi_year,,2027,,#LT,,#AND,,@vi_year,,2025,,#GT,,#AND"));
        const PartFilter read = PartFilter::FromText(text);
        QCOMPARE(read.yearFrom, kYear);
        QCOMPARE(read.yearTill, kYear);
        QCOMPARE(read.ToText(kYear), text);
    }

    // Server metadata that is not one token never reaches the expression.
    void hostileValuesLeftOut()
    {
        TestApp t;
        const PartFilter f = With([](PartFilter &f) {
            f.states = {"T,,X", "TX"};
            f.categories = {"@pi_type", "#OR"};
            f.makes = {{"Ford", {"Focus,,@vi_make", "Ka"}}, {"Mazda\n", {}}, {"#AND", {"X"}}};
        });
        const QString text = f.ToText(kYear);
        QCOMPARE(text, QString("@si_state,,TX,,#EQ,,@vi_make,,Ford,,#EQ,,@vi_model,,Ka,,#EQ,,#AND,,"
                               "@vi_make,,Mazda,,#EQ,,#OR,,#AND"));
        QVERIFY(FilterExpr::Parse(text));
        QVERIFY(t.LogText().contains("Left out of the parts filter"));
    }

    // What the reader takes from texts the wizard did not write.
    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<PartFilter>("filter");
        QTest::newRow("condition Any is no condition")
            << "@pi_type,,Any,,#EQ,,@pi_type,,Used,,#EQ,,#OR" << With([](PartFilter &f) { f.conditions = {"Used"}; });
        QTest::newRow("rating") << "@bi_qualification,,3,,#GT" << With([](PartFilter &f) { f.rating = ">3"; });
        QTest::newRow("model before any make") << "@vi_model,,Focus,,#EQ,,@vi_make,,Ford,,#EQ,,#AND"
                                               << With([](PartFilter &f) { f.makes = {{"Ford", {}}}; });
        QTest::newRow("year not a number") << "@vi_year,,19x,,#LT,,@vi_year,,2001,,#GT"
                                           << With([](PartFilter &f) { f.yearFrom = 2002; });
        QTest::newRow("cleaned by the profile fetch") << "X,,X,,#EQ,,@si_state,,OH,,#EQ,,#AND"
                                                      << With([](PartFilter &f) { f.states = {"OH"}; });
        QTest::newRow("garbage") << ",,,,@,,#,,@@" << PartFilter{};
    }
    void reads()
    {
        QFETCH(QString, text);
        QFETCH(PartFilter, filter);
        QVERIFY(PartFilter::FromText(text) == filter);
    }
};

KORVANT_TEST_MAIN(TestPartFilter)
#include "tst_partfilter.moc"
