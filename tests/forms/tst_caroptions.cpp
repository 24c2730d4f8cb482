// The car option pages: the key list shown as boxes and taken back after
// clicks, the damage questions of a new record, and the trade-in summary
// with its refusal.

#include "CarFormsFixture.h"

#include "db/XInventoryCarsSet.h"
#include "db/XQueryCarsSet.h"
#include "forms/CarOptionPages.h"
#include "forms/CarOptionRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

Q_DECLARE_METATYPE(CarOptionRules::TradeIn)

namespace {

QStringList Checked(QWidget *page)
{
    QStringList keys;
    for (const QCheckBox *box : page->findChildren<QCheckBox *>()) {
        if (box->isChecked())
            keys << box->objectName();
    }
    keys.sort();
    return keys;
}

} // namespace

class TestCarOptions : public QObject
{
    Q_OBJECT

private slots:
    void optionKeysAreTheStoredOnes()
    {
        const QStringList keys = CarOptionRules::OptionKeys();
        QCOMPARE(keys.size(), 30);
        QCOMPARE(keys.first(), QStringLiteral("ac_front"));
        QCOMPARE(keys.last(), QStringLiteral("tow_package"));
        for (const char *spelled : {"power_steerin", "trinted_glass", "al_brakers", "soonroof_moonroof"})
            QVERIFY2(keys.contains(QLatin1String(spelled)), spelled);
    }

    void showAndTake_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("clicked");
        QTest::addColumn<QString>("taken");
        QTest::newRow("fog lights appended") << "alarm,tow_package" << QStringList{"alarm", "tow_package"}
                                             << QStringList{"fog_lights"} << "alarm,tow_package,fog_lights";
        QTest::newRow("empty list") << "" << QStringList{} << QStringList{"ac_front", "alarm"} << "ac_front,alarm";
        QTest::newRow("unchecking removes") << "alarm,tow_package" << QStringList{"alarm", "tow_package"}
                                            << QStringList{"alarm"} << "tow_package";
        QTest::newRow("unknown key stays") << "moon_gear,alarm" << QStringList{"alarm"} << QStringList{"alarm"}
                                           << "moon_gear";
        // Presence is a plain substring test: "cd_player" is inside the unknown key.
        QTest::newRow("inside another key") << "old_cd_player_x" << QStringList{"cd_player"} << QStringList{}
                                            << "old_cd_player_x";
    }
    void showAndTake()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, clicked);
        QFETCH(QString, taken);
        CarFormsFixture f;
        XQueryCarsSet query;
        query.AddNew();
        query.SetText("CAR_OPTIONS", stored);
        query.SetText("CAR_ADDOPTIONS", "roof rack");
        PropertySheet sheet(QStringLiteral("Sheet"));
        auto *page = new CarOptionsDlg(&query, 0);
        sheet.AddPage(page);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        shown.sort();
        QCOMPARE(Checked(page), shown);
        for (const QString &key : clicked)
            QTest::mouseClick(page->findChild<QCheckBox *>(key), Qt::LeftButton, {}, QPoint(4, 4));
        QCOMPARE(sheet.Commit(nullptr), 0);
        QCOMPARE(query.GetText("CAR_OPTIONS"), taken);
        QCOMPARE(query.GetText("CAR_ADDOPTIONS"), QStringLiteral("roof rack"));
    }

    void otherModesLeaveTheRecordAlone()
    {
        CarFormsFixture f;
        XQueryCarsSet query;
        query.AddNew();
        query.SetText("CAR_OPTIONS", "alarm");
        CarOptionsDlg page(&query, 7);
        page.findChild<QCheckBox *>("fog_lights")->setChecked(true);
        QCOMPARE(page.OnQuerySiblings(0), 0);
        QCOMPARE(query.GetText("CAR_OPTIONS"), QStringLiteral("alarm"));
    }

    void damageQuestionsOfANewRecord()
    {
        CarFormsFixture f;
        XInventoryCarsSet car;
        car.AddNew();
        DamageOptionsDlg page(&car, 1, true);
        for (const char *name : {"keyCombo", "startCombo", "runCombo"})
            QCOMPARE(page.findChild<QComboBox *>(name)->currentText(), QStringLiteral("Yes"));
        QCOMPARE(page.OnQuerySiblings(0), 0);
        QCOMPARE(car.GetText("DAMAGE_OPTIONS"), QStringLiteral("key,start,run"));

        // Refilled from elsewhere: no longer new, the stored answers show.
        car.SetText("DAMAGE_OPTIONS", "start");
        car.SetText("DAMAGE1", "Flood");
        page.Reload();
        QVERIFY(!page.IsNewRecord());
        QCOMPARE(page.findChild<QComboBox *>("keyCombo")->currentText(), QStringLiteral("No"));
        QCOMPARE(page.findChild<QComboBox *>("startCombo")->currentText(), QStringLiteral("Yes"));
        QCOMPARE(page.findChild<QComboBox *>("damage1Combo")->currentText(), QStringLiteral("Flood"));
        QComboBox *run = page.findChild<QComboBox *>("runCombo");
        run->setFocus();
        QTest::keyClicks(run, "Y");
        page.OnQuerySiblings(0);
        QCOMPARE(car.GetText("DAMAGE_OPTIONS"), QStringLiteral("start,run"));
    }

    void tradeInSummary_data()
    {
        QTest::addColumn<CarOptionRules::TradeIn>("trade");
        QTest::addColumn<QString>("summary");
        CarOptionRules::TradeIn t;
        t.year = "2001";
        t.make = "Ford";
        t.model = "Focus";
        t.mileage = "80000";
        QTest::newRow("mileage only") << t << "2001 Ford Focus , Mileage: 80000";
        t.subModel = "ZX3";
        t.condition = "Good";
        t.extColor = "Red";
        t.driveTrain = "FWD";
        t.engineSize = "2.0";
        t.notes = "one owner";
        QTest::newRow("several") << t
                                 << "2001 Ford Focus ZX3, Mileage: 80000, Condition: Good, Ext Color: Red, "
                                    "Drive Train: FWD, Notes: one owner";
    }
    void tradeInSummary()
    {
        QFETCH(CarOptionRules::TradeIn, trade);
        QFETCH(QString, summary);
        QCOMPARE(CarOptionRules::TradeInMissing(trade), QString());
        QCOMPARE(CarOptionRules::TradeInSummary(trade), summary);
    }

    void tradeInPageRefusesThenWrites()
    {
        CarFormsFixture f;
        XQueryCarsSet query;
        query.AddNew();
        query.SetText("TRADE_IN", "left before");
        PropertySheet sheet(QStringLiteral("Sheet"));
        auto *other = new PropertyPage(QStringLiteral("Main"));
        auto *trade = new CarTradeDlg(&query);
        sheet.AddPage(other);
        sheet.AddPage(trade);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QCOMPARE(sheet.Commit(other), 1);
        QCOMPARE(query.GetText("TRADE_IN"), QStringLiteral("left before"));
        QCOMPARE(sheet.ActivePage(), trade);
        const QStringList box = f.t.dialogs.log.Calls();
        QVERIFY(box.value(0).contains(" - Make must be selected\n - Model must be selected or entered\n"));

        auto *make = trade->findChild<QComboBox *>("tradeMakeCombo");
        make->setFocus();
        QTest::keyClicks(make, "Subaru");
        auto *model = trade->findChild<QComboBox *>("tradeModelCombo");
        QCOMPARE(model->currentText(), QStringLiteral("-- Select Or Type Model --"));
        QVERIFY(model->findText("Outback") > 0);
        model->lineEdit()->selectAll();
        QTest::keyClicks(model->lineEdit(), "Outback");
        QTest::keyClicks(trade->findChild<QLineEdit *>("tradeMileageEdit"), "120000");
        QCOMPARE(sheet.Commit(other), 0);
        QCOMPARE(query.GetText("TRADE_IN"), QStringLiteral("2000 Subaru Outback , Mileage: 120000"));
    }
};

KORVANT_TEST_MAIN(TestCarOptions)
#include "tst_caroptions.moc"
