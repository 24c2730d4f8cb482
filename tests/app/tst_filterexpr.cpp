#include "TestApp.h"
#include "TestEnv.h"

#include "app/FilterExpr.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(CarFilter)

namespace {

using Triples = std::vector<FilterExpr::Triple>;

CarFilter Categories(QStringList categories)
{
    CarFilter f;
    f.categories = std::move(categories);
    return f;
}

CarFilter Makes(std::vector<CarFilter::Make> makes)
{
    CarFilter f;
    f.makes = std::move(makes);
    return f;
}

QString Repeated(const QString &piece, int times)
{
    QString text;
    text.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

Q_DECLARE_METATYPE(Triples)

class TestFilterExpr : public QObject
{
    Q_OBJECT
private slots:
    // Text -> tree -> text, and a car filter -> text -> car filter -> text.
    void roundTrip_data()
    {
        QTest::addColumn<CarFilter>("filter");
        QTest::addColumn<QString>("text");

        QTest::newRow("no selection") << CarFilter() << "X,,X,,#EQ";
        QTest::newRow("two categories")
            << Categories({"Trucks", "Vans"}) << "@vi_category,,Trucks,,#EQ,,@vi_category,,Vans,,#EQ,,#OR";
        QTest::newRow("make with models")
            << Makes({{"Ford", {"F150", "Ranger"}}})
            << "@vi_make,,Ford,,#EQ,,@vi_model,,F150,,#EQ,,@vi_model,,Ranger,,#EQ,,#OR,,#AND";
        QTest::newRow("make with all models") << Makes({{"Ford", {}}}) << "@vi_make,,Ford,,#EQ";
        CarFilter mixed = Makes({{"Ford", {}}, {"Dodge", {"Ram"}}});
        mixed.categories = QStringList{"Trucks"};
        QTest::newRow("category and makes")
            << mixed
            << "@vi_category,,Trucks,,#EQ,,@vi_make,,Ford,,#EQ,,@vi_make,,Dodge,,#EQ,,@vi_model,,Ram,,#EQ,,#AND,,#OR,,#AND";
        CarFilter latest;
        latest.yearFrom = "1980";
        QTest::newRow("latest models: one year and a blank")
            << latest << "X,,X,,#EQ,,@vi_to_year,,1980,,#LT,,@vi_from_year,, ,,#GT,,#OR,,#NOT,,#AND";
        CarFilter years;
        years.yearFrom = "1970";
        years.yearTo = "2005";
        QTest::newRow("both years")
            << years << "X,,X,,#EQ,,@vi_to_year,,1970,,#LT,,@vi_from_year,,2005,,#GT,,#OR,,#NOT,,#AND";
        CarFilter prices;
        prices.priceFrom = "$5,000";
        prices.priceTo = "$20,000";
        QTest::newRow("prices")
            << prices << "X,,X,,#EQ,,@pi_max_price,,5000,,#LT,,@pi_min_price,,20000,,#GT,,#OR,,#NOT,,#AND";
        CarFilter upper;
        upper.priceTo = "$1,234,567";
        QTest::newRow("upper price only")
            << upper << "X,,X,,#EQ,,@pi_max_price,, ,,#LT,,@pi_min_price,,1234567,,#GT,,#OR,,#NOT,,#AND";
        CarFilter local = Categories({"Vans"});
        local.localOnly = true;
        local.zip = "10001";
        local.range = "50";
        QTest::newRow("zip group")
            << local << "@vi_category,,Vans,,#EQ,,@pi_zip,,10001,,#CZD,,50,,#LT,,#AND";
        CarFilter nothing;
        nothing.receiveNothing = true;
        QTest::newRow("do not receive") << nothing << "A,,B,,#EQ";
    }
    void roundTrip()
    {
        QFETCH(CarFilter, filter);
        QFETCH(QString, text);
        QCOMPARE(filter.ToText(), text);

        FilterExpr::Error error;
        const std::optional<FilterExpr> tree = FilterExpr::Parse(text, &error);
        QVERIFY2(tree, qPrintable(error.Text()));
        QCOMPARE(tree->ToText(), text);

        const CarFilter read = CarFilter::FromText(text);
        QCOMPARE(read, filter);
        QCOMPARE(read.ToText(), text);
    }

    void constantsParse()
    {
        for (const char *constant : {FilterExpr::kAll, FilterExpr::kNone, FilterExpr::kTrue}) {
            const auto tree = FilterExpr::Parse(QString::fromLatin1(constant));
            QVERIFY(tree);
            const FilterExpr::Node &root = tree->Nodes()[size_t(tree->Root())];
            QCOMPARE(root.kind, FilterExpr::Node::Operator);
            QCOMPARE(root.op, FilterExpr::Op::EQ);
        }
        const auto tree = FilterExpr::Parse("@si_state,,NY,,#EQ,,#NOT");
        QVERIFY(tree);
        const FilterExpr::Node &root = tree->Nodes()[size_t(tree->Root())];
        QCOMPARE(root.op, FilterExpr::Op::NOT);
        QCOMPARE(root.second, -1);
        const FilterExpr::Node &eq = tree->Nodes()[size_t(root.first)];
        QCOMPARE(tree->Nodes()[size_t(eq.first)].kind, FilterExpr::Node::Field);
        QCOMPARE(tree->Nodes()[size_t(eq.first)].text, QStringLiteral("si_state"));
        QCOMPARE(tree->Nodes()[size_t(eq.second)].text, QStringLiteral("NY"));
    }

    // Values the server could not read back are left out, with a log line.
    // The largest filters the car dialog writes read back whole: long lists
    // nest as deep as they are long.
    void largeFiltersReadBack_data()
    {
        QTest::addColumn<CarFilter>("filter");
        QStringList many;
        for (int i = 0; i < 1000; ++i)
            many << QStringLiteral("V%1").arg(i);
        QTest::newRow("256 categories") << Categories(many.mid(0, 256));
        std::vector<CarFilter::Make> makes;
        for (const QString &m : many.mid(0, 256))
            makes.push_back({m, {}});
        QTest::newRow("256 makes") << Makes(makes);
        QTest::newRow("one make, 1500 models") << Makes({{"Ford", many + many.mid(0, 500)}});
        CarFilter all = Categories(many);
        for (const QString &m : many.mid(0, 999))
            all.makes.push_back({m, {}});
        all.yearFrom = "1980";
        all.yearTo = "2005";
        all.priceFrom = "$1,000";
        all.priceTo = "$20,000";
        all.localOnly = true;
        all.zip = "97401";
        all.range = "50";
        QTest::newRow("1000 categories, 999 makes, every bound") << all;
    }
    void largeFiltersReadBack()
    {
        QFETCH(CarFilter, filter);
        const QString text = filter.ToText();
        FilterExpr::Error error;
        const auto tree = FilterExpr::Parse(text, &error);
        QVERIFY2(tree, qPrintable(error.Text()));
        QCOMPARE(tree->ToText(), text);
        QVERIFY(CarFilter::FromText(text) == filter);
    }

    void writerLeavesOut_data()
    {
        QTest::addColumn<CarFilter>("filter");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("logged");

        CarFilter zipUnchecked;
        zipUnchecked.zip = "10001";
        zipUnchecked.range = "50";
        QTest::newRow("zip without the box") << zipUnchecked << "X,,X,,#EQ" << false;
        CarFilter zipOnly;
        zipOnly.localOnly = true;
        zipOnly.zip = "10001";
        QTest::newRow("box without a range") << zipOnly << "X,,X,,#EQ" << false;
        CarFilter noPrice;
        noPrice.priceFrom = "$0";
        noPrice.priceTo = "No Maximum";
        QTest::newRow("placeholder prices") << noPrice << "X,,X,,#EQ" << false;
        CarFilter plus;
        plus.priceTo = "100,000+";
        QTest::newRow("open top price") << plus << "X,,X,,#EQ" << false;
        QTest::newRow("comma in a category")
            << Categories({"Vans, Large", "Trucks"}) << "@vi_category,,Trucks,,#EQ" << true;
        QTest::newRow("operator as a make with its models")
            << Makes({{"#AND", {"X"}}, {"Ford", {"@vi_make", "F150"}}})
            << "@vi_make,,Ford,,#EQ,,@vi_model,,F150,,#EQ,,#AND" << true;
        QTest::newRow("control character")
            << Categories({"Vans\nX", " Trucks "}) << "@vi_category,,Trucks,,#EQ" << true;
        CarFilter hostileYear;
        hostileYear.yearFrom = "19,80";
        QTest::newRow("comma in a year") << hostileYear << "X,,X,,#EQ" << true;
    }
    void writerLeavesOut()
    {
        QFETCH(CarFilter, filter);
        QFETCH(QString, text);
        QFETCH(bool, logged);
        TestApp t;
        QCOMPARE(filter.ToText(), text);
        QVERIFY(FilterExpr::Parse(text));
        QCOMPARE(t.LogText().contains("Left out of the car filter"), logged);
    }

    void normalizePrice_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("normal");
        QTest::newRow("no maximum") << "No Maximum" << "";
        QTest::newRow("open top") << "100,000+" << "";
        QTest::newRow("zero") << "$0" << "";
        QTest::newRow("money") << "$20,000" << "20000";
        QTest::newRow("above a million") << "$1,250,000" << "1250000";
        QTest::newRow("plain") << "15000" << "15000";
    }
    void normalizePrice()
    {
        QFETCH(QString, price);
        QFETCH(QString, normal);
        QCOMPARE(CarFilter::NormalizePrice(price), normal);
    }

    // Every hostile text is refused with the token at fault; none crashes or hangs.
    void hostile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("token");
        QTest::addColumn<QString>("reason");

        QTest::newRow("operator alone") << "#AND" << 0 << "#AND needs 2 arguments, has 0";
        QTest::newRow("not alone") << "#NOT" << 0 << "#NOT needs 1 arguments, has 0";
        QTest::newRow("two values") << "A,,B" << 1 << "2 values are left";
        QTest::newRow("unknown operator") << "A,,B,,#XOR" << 2 << "unknown operator \"#XOR\"";
        QTest::newRow("lower-case operator") << "A,,B,,#eq" << 2 << "unknown operator";
        QTest::newRow("empty") << "" << 0 << "the filter is empty";
        QTest::newRow("empty token") << "A,,,,B,,#EQ" << 1 << "empty token";
        QTest::newRow("trailing separator") << "A,,B,,#EQ,," << 3 << "empty token";
        QTest::newRow("odd comma") << "A,,,B,,#EQ" << 1 << "comma inside";
        QTest::newRow("at without a name") << "@,,B,,#EQ" << 0 << "\"@\" without a field name";
        QTest::newRow("control characters") << "A,,B\x01\x02,,#EQ" << 1 << "control character";
        QTest::newRow("nul") << QString("A,,B,,#EQ") + QChar(0) << 2 << "control character";
        QTest::newRow("10 MB of tokens") << Repeated("A,,", 10 * 1024 * 1024 / 3) << 87381 << "longer than";
        QTest::newRow("100000 nested #NOT")
            << "A" + Repeated(",,#NOT", 100000) << 43691 << "longer than";
        QTest::newRow("nested past the bound")
            << "A" + Repeated(",,#NOT", FilterExpr::kMaxDepth + 10) << FilterExpr::kMaxDepth << "nested deeper";
        QTest::newRow("too many tokens")
            << Repeated("A,,B,,#EQ,,", 3000) + "A" << FilterExpr::kMaxTokens << "more than";
    }
    void hostile()
    {
        QFETCH(QString, text);
        QFETCH(int, token);
        QFETCH(QString, reason);
        FilterExpr::Error error;
        QVERIFY(!FilterExpr::Parse(text, &error));
        QCOMPARE(error.token, token);
        QVERIFY2(error.reason.contains(reason), qPrintable(error.reason));
        QVERIFY(error.Text().startsWith(QStringLiteral("token %1: ").arg(token)));
        // The lenient readers go through the same texts quickly.
        (void)FilterExpr::ReadTriples(text);
        (void)CarFilter::FromText(text);
    }

    // Any text the parser takes prints back as it was; the rest is refused
    // with a token inside the text.
    void randomTextsAreStable()
    {
        const QStringList pieces{"@vi_make", "Ford", " ", "#EQ", "#AND", "#OR", "#NOT", "#CZD", "#LT", ",", "", "@", "#X"};
        QRandomGenerator random(20260);
        int parsed = 0;
        for (int round = 0; round < 3000; ++round) {
            QStringList tokens;
            const int count = 1 + int(random.bounded(12));
            for (int i = 0; i < count; ++i)
                tokens << pieces[int(random.bounded(qsizetype(pieces.size())))];
            const QString text = tokens.join(",,");
            FilterExpr::Error error;
            if (const auto tree = FilterExpr::Parse(text, &error)) {
                ++parsed;
                QCOMPARE(tree->ToText(), text);
            } else {
                QVERIFY2(error.token >= 0 && error.token <= int(text.count(",,")), qPrintable(text));
            }
        }
        QVERIFY(parsed > 50);
    }

    void nestingAtTheBoundPrints()
    {
        const QString text = "A" + Repeated(",,#NOT", FilterExpr::kMaxDepth - 1);
        const auto tree = FilterExpr::Parse(text);
        QVERIFY(tree);
        QCOMPARE(tree->ToText(), text);
    }

    void triples_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Triples>("triples");
        using T = FilterExpr::Triple;
        QTest::newRow("one") << "@vi_make,,Ford,,#EQ" << Triples{T{"vi_make", "Ford", "#EQ"}};
        QTest::newRow("joiners skipped")
            << "X,,X,,#EQ,,@vi_year,,1990,,#GT,,@vi_year,,2005,,#LT,,#AND,,#NOT,,#AND"
            << Triples{T{"vi_year", "1990", "#GT"}, T{"vi_year", "2005", "#LT"}};
        QTest::newRow("blank value trimmed")
            << "@vi_to_year,,1980,,#LT,,@vi_from_year,, ,,#GT"
            << Triples{T{"vi_to_year", "1980", "#LT"}, T{"vi_from_year", "", "#GT"}};
        QTest::newRow("zip and its range")
            << "@pi_zip,,10001,,#CZD,,50,,#LT,,#AND"
            << Triples{T{"pi_zip", "10001", "#CZD"}, T{"pi_zip", "50", "#LT"}};
        QTest::newRow("constant only") << "A,,B,,#EQ" << Triples{};
        QTest::newRow("cut short") << "@vi_make,,Ford" << Triples{};
        QTest::newRow("no at") << "vi_make,,Ford,,#EQ" << Triples{};
    }
    void triples()
    {
        QFETCH(QString, text);
        QFETCH(Triples, triples);
        QCOMPARE(FilterExpr::ReadTriples(text), triples);
    }
};

KORVANT_TEST_MAIN(TestFilterExpr)
#include "tst_filterexpr.moc"
