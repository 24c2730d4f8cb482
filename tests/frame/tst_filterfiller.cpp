// The filter bars' lists filled from a real database file: order, " Any"
// first, placeholders, and a list whose query fails.

#include "FilterFixture.h"
#include "TestEnv.h"

#include "frame/FilterListFiller.h"

#include <QTest>

namespace {

int IndexOf(const FilterListFiller &f, int id)
{
    return f.Spec().IndexOf(id);
}

QStringList Entries(const FilterListFiller &f, int id)
{
    return f.List(IndexOf(f, id)).entries;
}

void Choose(FilterListFiller &f, int id, const QString &text)
{
    const int index = IndexOf(f, id);
    const int entry = f.List(index).entries.indexOf(text);
    QVERIFY2(entry >= 0, qPrintable(text));
    f.Select(index, entry);
}

} // namespace

class TestFilterFiller : public QObject
{
    Q_OBJECT
private slots:
    void emptyDatabase_data();
    void emptyDatabase();
    void partsLists();
    void yearsGreatestFirst();
    void ratingsOfNullAndEmpty();
    void leadingBlankSortsAfterAny();
    void carNullMakeAddsNothing();
    void midnightBelongsToItsDay();
    void quoteInMakeFindsItsRow();
    void dependentListsFollowTheirParent();
    void showAllResets();
    void failingListIsLoggedAndSkipped();
    void failingDateListShowsItsBox();
};

void TestFilterFiller::emptyDatabase_data()
{
    QTest::addColumn<bool>("cars");
    QTest::newRow("parts") << false;
    QTest::newRow("cars") << true;
}

void TestFilterFiller::emptyDatabase()
{
    QFETCH(bool, cars);
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    FilterListFiller f(cars ? FilterBars::Cars() : FilterBars::Parts());
    f.FillLists();
    for (int i = 0; i < f.Count(); ++i) {
        const FilterControlSpec &c = f.Spec().controls[size_t(i)];
        const FilterListState &list = f.List(i);
        QCOMPARE(list.current, 0);
        if (c.parentId) {
            QCOMPARE(list.entries, QStringList{c.placeholder});
            QVERIFY(!list.enabled);
        } else {
            QCOMPARE(list.entries, QStringList{" Any"});
            QVERIFY(list.enabled);
        }
    }
    QCOMPARE(f.Filter(false), SqlExpr(FilterBars::BaseCondition));
    if (!cars)
        QCOMPARE(f.Texts(), (QStringList{" Any", " Any", " Any", " Any", "Select Make", " Any", "Select Category", " Any"}));
}

void TestFilterFiller::partsLists()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    using namespace FilterBars;
    QCOMPARE(Entries(f, IdDate), (QStringList{" Any", "2008-05-17", "2008-05-10", "2008-05-03", "2008-04-28"}));
    QCOMPARE(Entries(f, IdRating), (QStringList{" Any", "0 Stars", "3 Stars", "5 Stars"}));
    QCOMPARE(Entries(f, IdYear), (QStringList{" Any", "2009", "2006", "2004", "2001", "1998"}));
    QCOMPARE(Entries(f, IdMake), (QStringList{" Any", "Ford", "Honda", "O'Neil", "Toyota"}));
    QCOMPARE(Entries(f, IdCategory), (QStringList{" Any", "Body", "Engine", "Lighting"}));
    QCOMPARE(Entries(f, IdState), (QStringList{" Any", "CA", "OH", "TX", "WA"}));
    QCOMPARE(Entries(f, IdModel), QStringList{"Select Make"});
    QCOMPARE(Entries(f, IdPart), QStringList{"Select Category"});
}

void TestFilterFiller::yearsGreatestFirst()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddPartQuery({"Q1", "2008-05-01 10:00:00", "2004"});
    AddPartQuery({"Q2", "2008-05-01 10:00:00", "2009"});
    AddPartQuery({"Q3", "2008-05-01 10:00:00", "2006"});
    AddPartQuery({"Q4", "2008-05-01 10:00:00", QVariant()});
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    QCOMPARE(Entries(f, FilterBars::IdYear), (QStringList{" Any", "2009", "2006", "2004"}));
}

void TestFilterFiller::ratingsOfNullAndEmpty()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddPartQuery({"Q1", "2008-05-01 10:00:00", {}, {}, {}, {}, {}, {}, QVariant()});
    AddPartQuery({"Q2", "2008-05-01 10:00:00", {}, {}, {}, {}, {}, {}, ""});
    AddPartQuery({"Q3", "2008-05-01 10:00:00", {}, {}, {}, {}, {}, {}, "0"});
    AddPartQuery({"Q4", "2008-05-01 10:00:00", {}, {}, {}, {}, {}, {}, "3"});
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    QCOMPARE(Entries(f, FilterBars::IdRating), (QStringList{" Any", "0 Stars", "3 Stars"}));
    Choose(f, FilterBars::IdRating, "0 Stars");
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), (QStringList{"Q1", "Q2", "Q3"}));
    Choose(f, FilterBars::IdRating, "3 Stars");
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), QStringList{"Q4"});
}

void TestFilterFiller::leadingBlankSortsAfterAny()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddPartQuery({"Q1", "2008-05-01 10:00:00", {}, "Ford"});
    AddPartQuery({"Q2", "2008-05-01 10:00:00", {}, " Aardvark"});
    AddPartQuery({"Q3", "2008-05-01 10:00:00", {}, "aston"});
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    QCOMPARE(Entries(f, FilterBars::IdMake), (QStringList{" Any", " Aardvark", "aston", "Ford"}));
}

void TestFilterFiller::carNullMakeAddsNothing()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    FilterListFiller f(FilterBars::Cars());
    f.FillLists();
    using namespace FilterBars;
    QCOMPARE(Entries(f, IdMake), (QStringList{" Any", "Ford", "Honda"}));
    QCOMPARE(Entries(f, IdYear), (QStringList{" Any", "2003", "2001", "1999"}));
    QCOMPARE(Entries(f, IdMaxYear), (QStringList{" Any", "2008", "2005"}));
    QCOMPARE(Entries(f, IdRating), (QStringList{" Any", "0 Stars", "2 Stars", "4 Stars"}));
    QCOMPARE(Entries(f, IdCategory), (QStringList{" Any", "Coupe", "Sedan", "SUV"}));
    Choose(f, IdYear, "2001");
    QCOMPARE(MatchingIds("Queries_Cars", f.Filter(false)), QStringList{"C1"});
}

void TestFilterFiller::midnightBelongsToItsDay()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    AddPartQuery({"Q9", "2008-05-18 00:00:00", "2004"});
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    Choose(f, FilterBars::IdDate, "2008-05-17");
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), (QStringList{"Q1", "Q2"}));
    Choose(f, FilterBars::IdDate, "2008-05-18");
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), QStringList{"Q9"});
}

void TestFilterFiller::quoteInMakeFindsItsRow()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    Choose(f, FilterBars::IdMake, "O'Neil");
    QCOMPARE(Entries(f, FilterBars::IdModel), (QStringList{" Any", "Roadster"}));
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), QStringList{"Q3"});
}

void TestFilterFiller::dependentListsFollowTheirParent()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    using namespace FilterBars;
    Choose(f, IdMake, "Ford");
    QCOMPARE(Entries(f, IdModel), (QStringList{" Any", "Focus", "Fusion"}));
    QVERIFY(f.List(IndexOf(f, IdModel)).enabled);
    Choose(f, IdModel, "Fusion");
    Choose(f, IdCategory, "Body");
    QCOMPARE(Entries(f, IdPart), (QStringList{" Any", "Door", "Fender", "Hood"}));
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), QStringList{});
    Choose(f, IdMake, " Any");
    QCOMPARE(Entries(f, IdModel), QStringList{"Select Make"});
    QVERIFY(!f.List(IndexOf(f, IdModel)).enabled);
    QCOMPARE(f.Filter(false).text, "P_CATEGORY = ? AND " + BaseCondition);
    QCOMPARE(MatchingIds("Queries", f.Filter(false)), (QStringList{"Q1", "Q3", "Q5"}));
}

void TestFilterFiller::showAllResets()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    FilterListFiller f(FilterBars::Parts());
    f.FillLists();
    using namespace FilterBars;
    Choose(f, IdDate, "2008-05-03");
    Choose(f, IdMake, "O'Neil");
    Choose(f, IdModel, "Roadster");
    Choose(f, IdCategory, "Body");
    Choose(f, IdState, "OH");
    f.OnShowAll();
    QCOMPARE(f.Texts(), (QStringList{" Any", " Any", " Any", " Any", "Select Make", " Any", "Select Category", " Any"}));
    QVERIFY(!f.List(IndexOf(f, IdModel)).enabled);
    QVERIFY(!f.List(IndexOf(f, IdPart)).enabled);
    QCOMPARE(f.Filter(false), SqlExpr(BaseCondition));
    QCOMPARE(f.Filter(true), SqlExpr(BaseCondition));
    // The lists keep their entries.
    QCOMPARE(Entries(f, IdMake).size(), 5);
}

void TestFilterFiller::failingListIsLoggedAndSkipped()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    int runs = 0;
    FilterListFiller f(FilterBars::Parts(), [&runs](const SqlExpr &q) {
        ++runs;
        if (q.text.startsWith("SELECT DISTINCT V_MAKE"))
            throw DbException(1, "Can not execute the statement", "SQLite test", "no such column: V_MAKE");
        return FilterListFiller::RunOnConnection(q);
    });
    f.FillLists();
    QCOMPARE(runs, 6);
    using namespace FilterBars;
    QCOMPARE(Entries(f, IdMake), QStringList{" Any"});
    QCOMPARE(Entries(f, IdState), (QStringList{" Any", "CA", "OH", "TX", "WA"}));
    QCOMPARE(Entries(f, IdCategory).size(), 4);
    QCOMPARE(Entries(f, IdModel), QStringList{"Select Make"});
    const QString log = t.LogText();
    QCOMPARE(log.count("DB Error"), 1);
    QVERIFY2(log.contains("PartsFilterBar Make list: no such column: V_MAKE"), qPrintable(log));
    QCOMPARE(t.dialogs.log.Count("MessageBox"), 0);
}

void TestFilterFiller::failingDateListShowsItsBox()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
    auto failingDate = [](const SqlExpr &q) -> QVariantList {
        if (q.text.contains("substr(POST_DATE"))
            throw DbException(11, "Can not execute the statement", "SQLite test", "database disk image is malformed");
        return FilterListFiller::RunOnConnection(q);
    };
    FilterListFiller parts(FilterBars::Parts(), failingDate);
    parts.FillLists();
    QCOMPARE(Entries(parts, FilterBars::IdDate), QStringList{" Any"});
    QCOMPARE(Entries(parts, FilterBars::IdState).size(), 5);
    QCOMPARE(t.dialogs.log.Calls(),
             QStringList{QStringLiteral("MessageBox|database disk image is malformed|Error|%1").arg(MsgBox::IconError)});
    // The cars bar only logs.
    FilterListFiller cars(FilterBars::Cars(), failingDate);
    cars.FillLists();
    QCOMPARE(t.dialogs.log.Count("MessageBox"), 1);
    QCOMPARE(t.LogText().count("DB Error"), 2);

    // Anything else in the parts date list: the unknown-error box, and the fill goes on.
    FilterListFiller odd(FilterBars::Parts(), [](const SqlExpr &q) -> QVariantList {
        if (q.text.contains("substr(POST_DATE"))
            throw 42;
        return FilterListFiller::RunOnConnection(q);
    });
    odd.FillLists();
    QCOMPARE(t.dialogs.log.Calls().last(),
             QStringLiteral("MessageBox|CRestrictionBar::GetDateList unknown error|Error|%1").arg(MsgBox::IconError));
    QCOMPARE(Entries(odd, FilterBars::IdMake).size(), 5);
}

KORVANT_TEST_MAIN(TestFilterFiller)
#include "tst_filterfiller.moc"
