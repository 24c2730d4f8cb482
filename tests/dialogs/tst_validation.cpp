#include "ModalHelper.h"

#include "TestEnv.h"

#include "dialogs/DataExchange.h"
#include "dialogs/FieldValidation.h"

#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>

#include <limits>

using namespace FieldValidation;

class TestValidation : public QObject
{
    Q_OBJECT
private slots:
    void decimalField_data();
    void decimalField();
    void wholeNumberField_data();
    void wholeNumberField();
    void failureKeepsValue();
    void textChecks_data();
    void textChecks();
    void greaterThanZero();
    void loadingFormats();
    void typedFieldShowsOneBox();
};

void TestValidation::decimalField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("blanks around") << "  12.5  " << true << 12.5;
    QTest::newRow("tabs around") << "\t7\t" << true << 7.0;
    QTest::newRow("comma") << "12,5" << false << 0.0;
    QTest::newRow("no leading digit") << ".5" << false << 0.0;
    QTest::newRow("zero") << "0" << true << 0.0;
    QTest::newRow("zero point zero") << "0.0" << true << 0.0;
    QTest::newRow("empty") << "" << true << 0.0;
    QTest::newRow("blank") << "   " << true << 0.0;
    QTest::newRow("negative") << "-3.25" << true << -3.25;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("overflow") << "1e400" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("trailing letter") << "12a" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("minus zero") << "-0" << false << 0.0;
    QTest::newRow("wide digits") << QString::fromUtf8("\xef\xbc\x91\xef\xbc\x92") << false << 0.0;
}

void TestValidation::decimalField()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const auto parsed = ParseDoubleText(text);
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(*parsed, value);
}

void TestValidation::wholeNumberField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("max") << "2147483647" << true << std::numeric_limits<qint32>::max();
    QTest::newRow("above max") << "2147483648" << false << 0;
    QTest::newRow("min") << "-2147483648" << true << std::numeric_limits<qint32>::min();
    QTest::newRow("below min") << "-2147483649" << false << 0;
    QTest::newRow("decimal") << "12.5" << false << 0;
    QTest::newRow("empty") << "" << true << 0;
    QTest::newRow("blanks") << " 42 " << true << 42;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("two signs") << "+-7" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("letters") << "7x" << false << 0;
}

void TestValidation::wholeNumberField()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const auto parsed = ParseLongText(text);
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(*parsed, value);
}

void TestValidation::failureKeepsValue()
{
    double d = 3.5;
    QCOMPARE(RequiredDouble(u"12,5", QStringLiteral("Price"), true, d),
             QStringLiteral("Required Field: \"Price\" (numbers only)"));
    QCOMPARE(RequiredDouble(u"x", QStringLiteral("Price"), false, d), QStringLiteral("\"Price\" (numbers only)"));
    QCOMPARE(d, 3.5);
    QVERIFY(RequiredDouble(u" 12.5 ", QStringLiteral("Price"), true, d).isEmpty());
    QCOMPARE(d, 12.5);

    qint32 n = 9;
    QCOMPARE(RequiredLong(u"2147483648", QStringLiteral("Quantity"), true, n),
             QStringLiteral("Required Field: \"Quantity\" (numbers only)"));
    QCOMPARE(RequiredLong(u"12.5", QStringLiteral("Quantity"), false, n),
             QStringLiteral("\"Quantity\" (whole numbers only)"));
    QCOMPARE(n, 9);
}

void TestValidation::textChecks_data()
{
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("placeholder") << "selected" << "-- Select --" << "\"Make\" must be selected.";
    QTest::newRow("typed dash") << "selected" << "-12" << "\"Make\" must be selected.";
    QTest::newRow("nothing chosen") << "selected" << "" << "\"Make\" must be selected.";
    QTest::newRow("placeholder or entered") << "selectedOrEntered" << "-- Select --"
                                            << "\"Make\" must be selected or entered.";
    QTest::newRow("chosen") << "selected" << "Ford" << "";
    QTest::newRow("empty") << "entered" << "" << "\"Make\" must be entered.";
    QTest::newRow("entered") << "entered" << "x" << "";
}

void TestValidation::textChecks()
{
    QFETCH(QString, check);
    QFETCH(QString, text);
    QFETCH(QString, message);
    const QString name = QStringLiteral("Make");
    QString got;
    if (check == u"selected")
        got = MustBeSelected(name, false, text);
    else if (check == u"selectedOrEntered")
        got = MustBeSelected(name, true, text);
    else
        got = MustBeEntered(name, text);
    QCOMPARE(got, message);
}

void TestValidation::greaterThanZero()
{
    const QString msg = QStringLiteral("\"Price\" must be entered and greater than 0.");
    QCOMPARE(GreaterThanZeroDouble(QStringLiteral("Price"), 0.0), msg);
    QCOMPARE(GreaterThanZeroDouble(QStringLiteral("Price"), -1.0), msg);
    QVERIFY(GreaterThanZeroDouble(QStringLiteral("Price"), 0.01).isEmpty());
    QCOMPARE(GreaterThanZeroLong(QStringLiteral("Price"), 0), msg);
    QVERIFY(GreaterThanZeroLong(QStringLiteral("Price"), 1).isEmpty());
}

void TestValidation::loadingFormats()
{
    QDialog dlg;
    auto *edit = new QLineEdit(&dlg);
    DataExchange load(&dlg, false);
    double d = 0.1 + 0.2;
    QVERIFY(DDX_RequiredDouble(load, edit, QStringLiteral("Price"), true, d));
    QCOMPARE(edit->text(), QStringLiteral("0.3"));
    qint32 n = -42;
    QVERIFY(DDX_RequiredLong(load, edit, QStringLiteral("Quantity"), true, n));
    QCOMPARE(edit->text(), QStringLiteral("-42"));
}

// A person types a comma into a price field and presses OK: one box, the
// focus back on the field, the value untouched, later checks silent.
void TestValidation::typedFieldShowsOneBox()
{
    QDialog dlg;
    auto *price = new QLineEdit(&dlg);
    price->setObjectName(QStringLiteral("priceEdit"));
    auto *other = new QLineEdit(&dlg);
    auto *layout = new QVBoxLayout(&dlg);
    layout->addWidget(price);
    layout->addWidget(other);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClicks(price, QStringLiteral("12,5"));
    other->setFocus();

    QString shown;
    int boxes = 0;
    ModalHelper::WhenModal(QStringLiteral("validationErrorBox"), [&](QWidget *box) {
        ++boxes;
        shown = ModalHelper::BoxText(box) + u'|' + box->windowTitle();
        ModalHelper::ClickBox(box, QMessageBox::Ok);
    });
    DataExchange dx(&dlg, true);
    double value = 7;
    QVERIFY(!DDX_RequiredDouble(dx, price, QStringLiteral("Price"), true, value));
    QVERIFY(!DDV_MustBeEntered(dx, QStringLiteral("Other"), QString(), other));
    QVERIFY(dx.Failed());
    QCOMPARE(boxes, 1);
    QCOMPARE(shown, QStringLiteral("Required Field: \"Price\" (numbers only)|Validation Error"));
    QCOMPARE(value, 7.0);
    QCOMPARE(dlg.focusWidget(), price);
    QVERIFY(ModalHelper::Misses().isEmpty());
}

KORVANT_TEST_MAIN(TestValidation)
#include "tst_validation.moc"
