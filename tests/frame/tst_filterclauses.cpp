// The filter bars' SQL: the condition of the selections and the list
// queries, with every chosen value bound.

#include "TestEnv.h"

#include "frame/FilterClauseBuilder.h"

#include <QTest>

Q_DECLARE_METATYPE(SqlExpr)

namespace {

const QString Base = FilterBars::BaseCondition;

// Texts per list of the parts bar, named by label; the rest " Any".
QStringList Selections(const FilterBarSpec &spec, const QList<QPair<QString, QString>> &chosen)
{
    QStringList texts;
    for (const FilterControlSpec &c : spec.controls)
        texts << (c.parentId ? c.placeholder : FilterBars::AnyEntry);
    for (const auto &[label, text] : chosen)
        for (size_t i = 0; i < spec.controls.size(); ++i)
            if (spec.controls[i].label == label)
                texts[int(i)] = text;
    return texts;
}

} // namespace

class TestFilterClauses : public QObject
{
    Q_OBJECT
private slots:
    void where_data();
    void where();
    void listQueries_data();
    void listQueries();
};

void TestFilterClauses::where_data()
{
    QTest::addColumn<bool>("cars");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("args");

    const auto &parts = FilterBars::Parts();
    const auto &cars = FilterBars::Cars();
    QTest::newRow("nothing chosen") << false << Selections(parts, {}) << Base << QVariantList{};
    QTest::newRow("empty lists") << false << QStringList{} << Base << QVariantList{};
    QTest::newRow("date and make")
        << false << Selections(parts, {{"Date", "2008-05-17"}, {"Make", "Ford"}})
        << "POST_DATE >= ? AND POST_DATE < date(?, '+1 day') AND V_MAKE = ? AND " + Base
        << QVariantList{"2008-05-17", "2008-05-17", "Ford"};
    QTest::newRow("make with a quote")
        << false << Selections(parts, {{"Make", "O'Neil"}}) << "V_MAKE = ? AND " + Base << QVariantList{"O'Neil"};
    QTest::newRow("0 stars") << false << Selections(parts, {{"Rating", "0 Stars"}})
                             << "(QFY_LEVEL IS NULL OR QFY_LEVEL = '' OR QFY_LEVEL = ?) AND " + Base
                             << QVariantList{"0"};
    QTest::newRow("3 stars") << false << Selections(parts, {{"Rating", "3 Stars"}}) << "QFY_LEVEL = ? AND " + Base
                             << QVariantList{"3"};
    QTest::newRow("placeholders ignored")
        << false << Selections(parts, {{"Model", "Select Make"}, {"Part", "Select Category"}, {"State", "OH"}})
        << "C_STATE = ? AND " + Base << QVariantList{"OH"};
    QTest::newRow("every parts list in order")
        << false
        << QStringList{"2008-05-03", "5 Stars", "2004", "Ford", "Focus", "Body", "Door", "TX"}
        << "POST_DATE >= ? AND POST_DATE < date(?, '+1 day') AND QFY_LEVEL = ? AND V_YEAR = ? AND V_MAKE = ? AND "
           "V_MODEL = ? AND P_CATEGORY = ? AND P_NAME = ? AND C_STATE = ? AND " + Base
        << QVariantList{"2008-05-03", "2008-05-03", "5", "2004", "Ford", "Focus", "Body", "Door", "TX"};
    QTest::newRow("car min year is equality")
        << true << Selections(cars, {{"Min Year", "2001"}}) << "MIN_YEAR = ? AND " + Base << QVariantList{"2001"};
    QTest::newRow("car category, no dependent list")
        << true << Selections(cars, {{"Category", "SUV"}, {"Max Year", "2005"}})
        << "MAX_YEAR = ? AND CATEGORY = ? AND " + Base << QVariantList{"2005", "SUV"};
    QTest::newRow("car make and model")
        << true << Selections(cars, {{"Make", "O'Neil"}, {"Model", "Roadster"}})
        << "MAKE = ? AND MODEL = ? AND " + Base << QVariantList{"O'Neil", "Roadster"};
    QTest::newRow("hostile text stays a value")
        << false << Selections(parts, {{"State", "x' OR 1=1 --"}}) << "C_STATE = ? AND " + Base
        << QVariantList{"x' OR 1=1 --"};
}

void TestFilterClauses::where()
{
    QFETCH(bool, cars);
    QFETCH(QStringList, texts);
    QFETCH(QString, sql);
    QFETCH(QVariantList, args);
    const SqlExpr e = FilterClauseBuilder(cars ? FilterBars::Cars() : FilterBars::Parts()).Build(texts);
    QCOMPARE(e.text, sql);
    QCOMPARE(e.args, args);
}

void TestFilterClauses::listQueries_data()
{
    QTest::addColumn<bool>("cars");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("args");

    QTest::newRow("parts date") << false << int(FilterBars::IdDate) << QString()
                                << "SELECT DISTINCT substr(POST_DATE, 1, 10) FROM Queries WHERE " + Base +
                                       " AND POST_DATE IS NOT NULL"
                                << QVariantList{};
    QTest::newRow("parts rating") << false << int(FilterBars::IdRating) << QString()
                                  << "SELECT DISTINCT QFY_LEVEL FROM Queries WHERE " + Base << QVariantList{};
    QTest::newRow("model of O'Neil")
        << false << int(FilterBars::IdModel) << "O'Neil"
        << "SELECT DISTINCT V_MODEL FROM Queries WHERE V_MAKE = ? AND " + Base + " AND V_MODEL IS NOT NULL"
        << QVariantList{"O'Neil"};
    QTest::newRow("part of a category")
        << false << int(FilterBars::IdPart) << "Body"
        << "SELECT DISTINCT P_NAME FROM Queries WHERE P_CATEGORY = ? AND " + Base + " AND P_NAME IS NOT NULL"
        << QVariantList{"Body"};
    QTest::newRow("car max year") << true << int(FilterBars::IdMaxYear) << QString()
                                  << "SELECT DISTINCT MAX_YEAR FROM Queries_Cars WHERE " + Base +
                                         " AND MAX_YEAR IS NOT NULL"
                                  << QVariantList{};
    QTest::newRow("car model")
        << true << int(FilterBars::IdModel) << "Ford"
        << "SELECT DISTINCT MODEL FROM Queries_Cars WHERE MAKE = ? AND " + Base + " AND MODEL IS NOT NULL"
        << QVariantList{"Ford"};
}

void TestFilterClauses::listQueries()
{
    QFETCH(bool, cars);
    QFETCH(int, id);
    QFETCH(QString, parent);
    QFETCH(QString, sql);
    QFETCH(QVariantList, args);
    const FilterBarSpec &spec = cars ? FilterBars::Cars() : FilterBars::Parts();
    const SqlExpr e = FilterClauseBuilder(spec).ListQuery(spec.IndexOf(id), parent);
    QCOMPARE(e.text, sql);
    QCOMPARE(e.args, args);
}

KORVANT_TEST_MAIN(TestFilterClauses)
#include "tst_filterclauses.moc"
