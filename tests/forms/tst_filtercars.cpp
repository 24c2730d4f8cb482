// The car filter dialog: year modes, the list rules, a filter read back and
// saved unchanged keeping its text, the zip code's characters, and a server
// that does not take the filter.

#include "CarFormsFixture.h"

#include "../dialogs/ModalHelper.h"
#include "forms/FilterCarsDlg.h"
#include "forms/ProfilePropertySheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

using namespace CarForms;

namespace {

void ClickRow(QListWidget *list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

QStringList Selected(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            texts << list->item(i)->text();
    }
    return texts;
}

void SetFilter(const QString &text)
{
    theProfile().Update([&](ProfileData &d) { d.carFilter = text; });
}

} // namespace

class TestFilterCars : public QObject
{
    Q_OBJECT

private slots:
    void yearModes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("fromEnabled");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("toEnabled");
        QTest::addColumn<QString>("to");
        QTest::newRow("latest") << "Latest Models" << true << "1980" << false << " ";
        QTest::newRow("antique") << "Antique Models" << false << " " << true << "1970";
        QTest::newRow("others") << "Others" << true << "1970" << true << "2005";
        QTest::newRow("any") << "Any" << false << " " << false << " ";
    }
    void yearModes()
    {
        QFETCH(QString, mode);
        QFETCH(bool, fromEnabled);
        QFETCH(QString, from);
        QFETCH(bool, toEnabled);
        QFETCH(QString, to);
        CarFormsFixture f;
        SetFilter(QString());
        FilterCarsDlg dlg(nullptr, 0);
        dlg.show();
        QComboBox *modes = Child<QComboBox>(&dlg, "yearModeCombo");
        modes->setFocus();
        QTest::keyClicks(modes, mode.left(3));
        QCOMPARE(modes->currentText(), mode);
        QSpinBox *fromSpin = Child<QSpinBox>(&dlg, "yearFromSpin");
        QSpinBox *toSpin = Child<QSpinBox>(&dlg, "yearToSpin");
        QCOMPARE(fromSpin->isEnabled(), fromEnabled);
        QCOMPARE(fromSpin->text(), from);
        QCOMPARE(toSpin->isEnabled(), toEnabled);
        QCOMPARE(toSpin->text(), to);
    }

    void everyMakeIsAnyMake()
    {
        CarFormsFixture f;
        SetFilter(QString());
        FilterCarsDlg dlg(nullptr, 0);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QListWidget *makes = Child<QListWidget>(&dlg, "makeList");
        QListWidget *models = Child<QListWidget>(&dlg, "modelList");
        QCOMPARE(Selected(makes), QStringList{"-- Any --"});
        ClickRow(makes, 1);
        QCOMPARE(Selected(makes), QStringList{"Ford"});
        QCOMPARE(models->item(1)->text(), QStringLiteral("--- Ford ---"));
        ClickRow(makes, 2);
        QCOMPARE(Selected(makes), (QStringList{"Ford", "Subaru"}));
        ClickRow(makes, 3);
        QCOMPARE(Selected(makes), QStringList{"-- Any --"});
        QCOMPARE(models->count(), 1);
        QCOMPARE(dlg.Filter().ToText(), QStringLiteral("X,,X,,#EQ"));
    }

    void savedUnchangedKeepsItsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("yearMode");
        QTest::newRow("latest models")
            << "X,,X,,#EQ,,@vi_to_year,,1980,,#LT,,@vi_from_year,, ,,#GT,,#OR,,#NOT,,#AND" << "Latest Models";
        QTest::newRow("other years")
            << "X,,X,,#EQ,,@vi_to_year,,1990,,#LT,,@vi_from_year,,1995,,#GT,,#OR,,#NOT,,#AND" << "Others";
        QTest::newRow("a model under two makes")
            << "@vi_make,,Ford,,#EQ,,@vi_model,,Sport,,#EQ,,#AND,,@vi_make,,Subaru,,#EQ,,#OR" << "Any";
        QTest::newRow("$1,000,000")
            << "X,,X,,#EQ,,@pi_max_price,,1000000,,#LT,,@pi_min_price,, ,,#GT,,#OR,,#NOT,,#AND" << "Any";
        QTest::newRow("zip group") << "X,,X,,#EQ,,@pi_zip,,10001,,#CZD,,50,,#LT,,#AND" << "Any";
        QTest::newRow("nothing") << "A,,B,,#EQ" << "Any";
        QTest::newRow("categories")
            << "@vi_category,,Pre-Owned,,#EQ,,@vi_category,,Salvage/Damaged,,#EQ,,#OR" << "Any";
    }
    void savedUnchangedKeepsItsText()
    {
        QFETCH(QString, text);
        QFETCH(QString, yearMode);
        CarFormsFixture f;
        SetFilter(text);
        FilterCarsDlg dlg(nullptr, 0);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(Child<QComboBox>(&dlg, "yearModeCombo")->currentText(), yearMode);
        QTest::mouseClick(Child<QPushButton>(&dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(theProfile().Get().carFilter, text);
        QCOMPARE(f.Posts("changeProfile"), 0);
    }

    void zipTakesLettersDigitsBlanksAndDashes()
    {
        CarFormsFixture f;
        FilterCarsDlg dlg(nullptr, 0);
        dlg.show();
        QCOMPARE(Child<QLineEdit>(&dlg, "zipEdit")->text(), QStringLiteral("10001"));
        QTest::mouseClick(Child<QCheckBox>(&dlg, "localCheck"), Qt::LeftButton, {}, QPoint(4, 4));
        QLineEdit *zip = Child<QLineEdit>(&dlg, "zipEdit");
        QVERIFY(zip->isEnabled());
        zip->selectAll();
        QTest::keyClicks(zip, "SW1A 2,,@#AA-9");
        QCOMPARE(zip->text(), QStringLiteral("SW1A 2AA-9"));
        Child<QComboBox>(&dlg, "rangeCombo")->setCurrentText("100");
        QCOMPARE(dlg.Filter().ToText(), QStringLiteral("X,,X,,#EQ,,@pi_zip,,SW1A 2AA-9,,#CZD,,100,,#LT,,#AND"));
    }

    void failingChangeProfileRestoresTheFilter()
    {
        CarFormsFixture f;
        f.server.Script("changeProfile", Answer(1, {}, "Profile locked"));
        SetFilter("A,,B,,#EQ");
        FilterCarsDlg dlg(nullptr, 1);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(Child<QCheckBox>(&dlg, "receiveNothingCheck"), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseClick(Child<QPushButton>(&dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(f.Posts("changeProfile"), 1);
        QVERIFY(f.LastBody("changeProfile").contains("<car_filter>X,,X,,#EQ</car_filter>"));
        QCOMPARE(theProfile().Get().carFilter, QStringLiteral("A,,B,,#EQ"));
        QVERIFY(f.t.dialogs.log.Calls().join('|').contains("Can't set specialty"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void profileCarsPageKeepsTheFilterForItsFinish()
    {
        CarFormsFixture f;
        SetFilter("X,,X,,#EQ");
        ProfileCarsDlg page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        ModalHelper::WhenModal("FilterCarsDlg", [](QWidget *dlg) {
            QTest::mouseClick(Child<QCheckBox>(dlg, "receiveNothingCheck"), Qt::LeftButton, {}, QPoint(4, 4));
            QTest::mouseClick(Child<QPushButton>(dlg, "okButton"), Qt::LeftButton);
        });
        QTest::mouseClick(Child<QPushButton>(&page, "specialityButton"), Qt::LeftButton);
        QCOMPARE(theProfile().Get().carFilter, QStringLiteral("A,,B,,#EQ"));
        QCOMPARE(f.Posts("changeProfile"), 0);
    }
};

KORVANT_TEST_MAIN(TestFilterCars)
#include "tst_filtercars.moc"
