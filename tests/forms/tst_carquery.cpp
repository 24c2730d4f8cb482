// The car query sheet: its rules on the record (amounts, continue parameters,
// private ids, missing fields, the stale trade-in) and the sheet driven with
// clicks and keys against the fake server.

#include "CarFormsFixture.h"
#include "../dialogs/ModalHelper.h"

#include "forms/CarOptionPages.h"
#include "forms/CarQueryForm.h"
#include "forms/NewQueryCarsPropSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace CarForms;

namespace {

void Click(QWidget *w, const char *name)
{
    QAbstractButton *button = Child<QAbstractButton>(w, name);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

struct OpenSheet
{
    explicit OpenSheet(CarFormsFixture &f) : sheet(&f.host, QStringLiteral("Cars - New Query"))
    {
        theSettings().SetInt(Setting::SendQueryConfirm, 0);
        sheet.show();
        if (!QTest::qWaitForWindowExposed(&sheet))
            qFatal("sheet not shown");
    }
    void FillCar()
    {
        Choose(&sheet, "makeCombo", "Subaru");
        Choose(&sheet, "modelCombo", "Outback");
    }
    void Submit() { QTest::mouseClick(sheet.OkButton(), Qt::LeftButton); }
    NewQueryCarsPropSheet sheet;
};

} // namespace

class TestCarQuery : public QObject
{
    Q_OBJECT

private slots:
    void amounts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("sent");
        const int price = int(CarQueryForm::Amount::Price);
        const int mileage = int(CarQueryForm::Amount::Mileage);
        const int within = int(CarQueryForm::Amount::Within);
        QTest::newRow("$0") << price << "$0" << "";
        QTest::newRow("no maximum price") << price << "No Maximum" << "";
        QTest::newRow("100,000+ price") << price << "100,000+" << "";
        QTest::newRow("$20,000") << price << "$20,000" << "20000";
        QTest::newRow("$1,000,000") << price << "$1,000,000" << "1000000";
        QTest::newRow("mileage 0") << mileage << "0" << "";
        QTest::newRow("mileage no maximum") << mileage << "No Maximum" << "";
        QTest::newRow("100,000+ mileage") << mileage << "100,000+" << "";
        QTest::newRow("1,500,000 miles") << mileage << "1,500,000" << "1500000";
        QTest::newRow("All") << within << "All" << "";
        QTest::newRow("50 miles") << within << "50" << "50";
    }
    void amounts()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        QFETCH(QString, sent);
        QCOMPARE(CarQueryForm::Normalize(CarQueryForm::Amount(kind), shown), sent);
    }

    void continueParams()
    {
        CarFormsFixture f;
        CarQueryForm form;
        form.Query().SetText("MAKE", "Ford");
        form.InitFromParams({{"categ", "Pre%20Owned"}, {"year_fr", "1999"}, {"year_to", "2004"},
                             {"price_fr", "5000"}, {"price_to", "20000"}, {"make", "--"},
                             {"model", "Range%20Rover"}});
        const XQueryCarsSet &q = form.Query();
        QCOMPARE(q.GetText("CATEGORY"), QStringLiteral("Pre Owned"));
        QCOMPARE(q.GetText("MIN_YEAR") + "-" + q.GetText("MAX_YEAR"), QStringLiteral("1999-2004"));
        QCOMPARE(q.GetText("MIN_PRICE") + "-" + q.GetText("MAX_PRICE"), QStringLiteral("5000-20000"));
        QCOMPARE(q.GetText("MAKE"), QStringLiteral("Ford"));
        QCOMPARE(q.GetText("MODEL"), QStringLiteral("Range Rover"));
        QVERIFY(form.ContinueMode());
    }

    void missingFieldsListTheTradeInQuestion()
    {
        CarFormsFixture f;
        CarQueryForm form;
        QCOMPARE(form.MissingFields(), QStringLiteral("- Make\n- Model\n- Trade In\n"));
        form.Query().SetText("MAKE", "Ford");
        form.Query().SetText("MODEL", "Focus");
        form.SetTradeIn(CarQueryForm::TradeIn::No);
        QCOMPARE(form.MissingFields(), QString());
    }

    void privateQuerySendsPersonalIdAndStoresPersonal()
    {
        CarFormsFixture f;
        CarQueryForm form(&f.host);
        form.SetPrivate("Lee Seller", "P2000");
        form.Query().SetText("MAKE", "Ford");
        form.Query().SetText("MODEL", "Focus");
        form.SetTradeIn(CarQueryForm::TradeIn::No);
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QVERIFY(f.LastBody("newCarQuery").contains("<market_id>PERSONAL_P2000</market_id>"));
        QVERIFY(f.LastBody("newCarQuery").contains("<live_time>30</live_time>"));
        QCOMPARE(f.Text("SELECT ID || '/' || MARKET_ID || '/' || MARKET_NAME FROM Queries_Cars"),
                 QStringLiteral("CQ-31/PERSONAL/Lee Seller"));
        QCOMPARE(f.host.log.Calls(), QStringList{"RefreshCarOpenRequests|1"});
    }

    void opensModalAndSubmitsFromTheLastPage()
    {
        CarFormsFixture f;
        theSettings().SetInt(Setting::SendQueryConfirm, 0);
        NewQueryCarsPropSheet sheet(&f.host, QStringLiteral("Cars - New Query"));
        ModalHelper::WhenModal("NewQueryCarsPropSheet", [](QWidget *w) {
            Choose(w, "makeCombo", "Ford");
            Choose(w, "modelCombo", "Focus");
            Click(w, "tradeNoRadio");
            QLineEdit *zip = Child<QLineEdit>(w, "zipEdit");
            zip->setFocus();
            QTest::keyClick(zip, Qt::Key_Return);  // to the options page, the last one
            QWidget *alarm = Child<QWidget>(w, "alarm");
            alarm->setFocus();
            QTest::keyClick(alarm, Qt::Key_Return);  // Submit
        });
        QCOMPARE(sheet.DoModal(), int(MsgBox::IdOk));
        QCOMPARE(f.Posts("newCarQuery"), 1);
        QCOMPARE(f.Text("SELECT MAKE || '/' || MODEL FROM Queries_Cars"), QStringLiteral("Ford/Focus"));
    }

    // Send To offers the cars marketplaces with the default chosen; a private query goes to its member only.
    void sendToOffersCarMarketsOrTheMember_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("markets");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("marketplaces") << "" << "Cars - New Query" << QStringList{"Car Exchange"} << true;
        QTest::newRow("private") << "Lee Seller" << "Private Query For Lee Seller" << QStringList{} << false;
    }
    void sendToOffersCarMarketsOrTheMember()
    {
        QFETCH(QString, member);
        QFETCH(QString, title);
        QFETCH(QStringList, markets);
        QFETCH(bool, enabled);
        CarFormsFixture f;
        NewQueryCarsPropSheet sheet(&f.host, QStringLiteral("Cars - New Query"));
        if (!member.isEmpty())
            sheet.MainPage()->SetPrivate(member, "P2000");
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QComboBox *market = Child<QComboBox>(&sheet, "marketCombo");
        QStringList shown;
        for (int i = 0; i < market->count(); ++i)
            shown << market->itemText(i);
        QCOMPARE(shown, markets);
        QCOMPARE(market->currentText(), markets.value(0));
        QCOMPARE(market->isEnabled(), enabled);
        QCOMPARE(sheet.windowTitle(), title);
    }

    void tradeInPageJoinsOnceAndLeaves()
    {
        CarFormsFixture f;
        OpenSheet s(f);
        QCOMPARE(s.sheet.PageCount(), 2);
        Click(&s.sheet, "tradeNoRadio");  // without the page: nothing changes
        QCOMPARE(s.sheet.PageCount(), 2);
        Click(&s.sheet, "tradeYesRadio");
        Click(&s.sheet, "tradeYesRadio");
        QCOMPARE(s.sheet.PageCount(), 3);
        QCOMPARE(s.sheet.Page(2), s.sheet.TradeInPage());
        QVERIFY(s.sheet.NextButton()->isEnabled());
        Click(&s.sheet, "tradeNoRadio");
        QCOMPARE(s.sheet.PageCount(), 2);
    }

    void damageOnlyForDamagedCategories()
    {
        CarFormsFixture f;
        OpenSheet s(f);
        QComboBox *category = Child<QComboBox>(&s.sheet, "categoryCombo");
        QComboBox *damage = Child<QComboBox>(&s.sheet, "damageCombo");
        QCOMPARE(category->currentText(), QStringLiteral("Pre-Owned"));
        QVERIFY(!damage->isVisible());
        Choose(&s.sheet, "categoryCombo", "Salvage");
        QVERIFY(damage->isVisible());
        QCOMPARE(damage->currentText(), QStringLiteral("Hail"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);  // a new keyboard search
        Choose(&s.sheet, "categoryCombo", "New");
        QVERIFY(!damage->isVisible());
        QCOMPARE(damage->currentIndex(), 0);
    }

    void enterPagesExceptInNotes()
    {
        CarFormsFixture f;
        OpenSheet s(f);
        QPlainTextEdit *notes = Child<QPlainTextEdit>(&s.sheet, "notesEdit");
        notes->setFocus();
        QTest::keyClick(notes, Qt::Key_Return);
        QCOMPARE(s.sheet.ActiveIndex(), 0);
        QLineEdit *zip = Child<QLineEdit>(&s.sheet, "zipEdit");
        QCOMPARE(zip->text(), QStringLiteral("10001"));
        zip->setFocus();
        QTest::keyClick(zip, Qt::Key_Return);
        QCOMPARE(s.sheet.ActiveIndex(), 1);
        QVERIFY(!s.sheet.NextButton()->isEnabled());
        QVERIFY(s.sheet.BackButton()->isEnabled());
        QCOMPARE(f.Posts("newCarQuery"), 0);
    }

    void unansweredTradeInSendsNothing()
    {
        CarFormsFixture f;
        OpenSheet s(f);
        s.FillCar();
        s.Submit();
        QVERIFY(s.sheet.isVisible());
        QCOMPARE(f.Posts("newCarQuery"), 0);
        QVERIFY(f.t.dialogs.log.Calls().value(0).contains("- Trade In\n"));
        QVERIFY(!f.t.dialogs.log.Calls().value(0).contains("- Make\n"));
    }

    void refusingTradeInPageSendsNothing()
    {
        CarFormsFixture f;
        OpenSheet s(f);
        s.FillCar();
        Click(&s.sheet, "tradeYesRadio");
        s.Submit();
        QVERIFY(s.sheet.isVisible());
        QCOMPARE(s.sheet.ActivePage(), s.sheet.TradeInPage());
        QCOMPARE(f.Posts("newCarQuery"), 0);
        QVERIFY(f.t.dialogs.log.Calls().value(0).contains(" - Make must be selected\n"));
    }

    void sendsOptionsTradeInAndAmounts()
    {
        CarFormsFixture f;
        OpenSheet s(f);
        s.FillCar();
        Choose(&s.sheet, "minPriceCombo", "$5");
        Choose(&s.sheet, "maxPriceCombo", "$1,");
        Choose(&s.sheet, "maxMileageCombo", "100");
        Click(&s.sheet, "tradeYesRadio");
        QTest::mouseClick(s.sheet.NextButton(), Qt::LeftButton);
        Click(&s.sheet, "alarm");
        Click(&s.sheet, "fog_lights");
        QTest::mouseClick(s.sheet.NextButton(), Qt::LeftButton);
        QCOMPARE(s.sheet.ActivePage(), s.sheet.TradeInPage());
        Choose(&s.sheet, "tradeMakeCombo", "Ford");
        Choose(&s.sheet, "tradeModelCombo", "Focus");
        s.Submit();
        QVERIFY(!s.sheet.isVisible());
        QCOMPARE(s.sheet.result(), int(QDialog::Accepted));
        QCOMPARE(f.Posts("newCarQuery"), 1);
        const QByteArray body = f.LastBody("newCarQuery");
        QVERIFY(body.contains("<options>alarm,fog_lights</options>"));
        QVERIFY(body.contains("<min_price>5000</min_price>"));
        QVERIFY(body.contains("<max_price>1000000</max_price>"));
        QVERIFY(body.contains("<max_mileage/>") || body.contains("<max_mileage></max_mileage>"));
        QVERIFY(body.contains("<market_id>MC-200</market_id>"));
        QVERIFY(!body.contains("C_EMAIL") && !body.contains("dana@example.com"));
        QCOMPARE(f.Text("SELECT TRADE_IN FROM Queries_Cars WHERE ID = 'CQ-31'"), QStringLiteral("2000 Ford Focus "));
        QCOMPARE(f.Text("SELECT LIVE_TIME FROM Queries_Cars"), QStringLiteral("30"));
        QCOMPARE(f.host.log.Calls(), QStringList{"RefreshCarOpenRequests|1"});
    }

    void staleTradeInIsNotSentAfterNo()
    {
        CarFormsFixture f;
        f.server.Enqueue("newCarQuery", Answer(7, {}, "Try again later"));
        OpenSheet s(f);
        s.FillCar();
        Click(&s.sheet, "tradeYesRadio");
        s.sheet.SetActivePage(2);
        Choose(&s.sheet, "tradeMakeCombo", "Ford");
        Choose(&s.sheet, "tradeModelCombo", "Focus");
        s.Submit();  // the server fails: the summary stays in the record
        QVERIFY(s.sheet.isVisible());
        QCOMPARE(f.Posts("newCarQuery"), 1);
        QVERIFY(f.LastBody("newCarQuery").contains("2000 Ford Focus"));
        s.sheet.SetActivePage(0);
        Click(&s.sheet, "tradeNoRadio");
        s.Submit();
        QVERIFY(!s.sheet.isVisible());
        QCOMPARE(f.Posts("newCarQuery"), 2);
        QVERIFY(!f.LastBody("newCarQuery").contains("Ford Focus"));
        QCOMPARE(f.Text("SELECT TRADE_IN FROM Queries_Cars"), QString());
    }
};

KORVANT_TEST_MAIN(TestCarQuery)
#include "tst_carquery.moc"
