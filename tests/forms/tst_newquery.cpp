// The part query form: its rules on the record (validation, continue
// parameters, the category and part-name boxes) and the dialog driven with
// clicks and keys.

#include "FormsFixture.h"

#include "forms/NewQueryDlg.h"
#include "forms/PartNameController.h"
#include "forms/PartQueryForm.h"
#include "net/ItemSink.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace {

template<class T>
T *Child(QWidget *dlg, const char *name)
{
    T *w = dlg->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Chooses an item of a box as a member does: focus, then type its text.
void Choose(QWidget *dlg, const char *name, const QString &text)
{
    QComboBox *box = Child<QComboBox>(dlg, name);
    if (box->isEditable()) {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), text);
    } else {
        box->setFocus();
        QTest::keyClicks(box, text);
    }
}

void Type(QWidget *dlg, const char *name, const QString &text)
{
    QLineEdit *edit = Child<QLineEdit>(dlg, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void FillQuery(QWidget *dlg)
{
    Choose(dlg, "makeCombo", "Ford");
    Choose(dlg, "modelCombo", "Focus");
    Choose(dlg, "categoryCombo", "Engine");
    Choose(dlg, "partNameCombo", "Starter");
}

} // namespace

class TestNewQuery : public QObject
{
    Q_OBJECT

private slots:
    void validation_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lines");
        QTest::newRow("complete") << "Ford" << "Typed Model" << "2000" << "Engine" << "Used" << "Starter" << "";
        QTest::newRow("make placeholder") << "-- Select Make --" << "Focus" << "2000" << "ALL PARTS" << "Used"
                                          << "Starter" << "- Make\n";
        QTest::newRow("model placeholder") << "Ford" << "-- Select Or Type Model --" << "2000" << "Engine" << "New"
                                           << "Starter" << "- Model\n";
        QTest::newRow("year empty") << "Ford" << "Focus" << "" << "Engine" << "Used" << "Starter" << "- Year\n";
        QTest::newRow("category placeholder") << "Ford" << "Focus" << "2000" << "-- Select Part Category --"
                                              << "Used" << "Starter" << "- Part category\n";
        QTest::newRow("type and name") << "Ford" << "Focus" << "1999" << "Engine" << ""
                                       << "-- Select Or Type Part Name --" << "- Part type\n- Part name\n";
    }
    void validation()
    {
        QFETCH(QString, make);
        QFETCH(QString, model);
        QFETCH(QString, year);
        QFETCH(QString, category);
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(QString, lines);
        FormsFixture f;
        PartQueryForm form;
        XQuerySet &q = form.Query();
        q.SetText("V_MAKE", make);
        q.SetText("V_MODEL", model);
        q.SetText("V_YEAR", year);
        q.SetText("P_CATEGORY", category);
        q.SetText("P_TYPE", type);
        q.SetText("P_NAME", name);
        QCOMPARE(form.MissingFields(), lines);
    }

    void continueParams_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("partType");
        QTest::addColumn<QString>("wantMake");
        QTest::addColumn<QString>("wantModel");
        QTest::addColumn<QString>("wantType");
        QTest::newRow("blanks") << "Land%20Rover" << "Range%20Rover%20Sport" << "2" << "Land Rover"
                                << "Range Rover Sport" << "Remanufactured";
        QTest::newRow("placeholder make kept") << "-- Select Make --" << "" << "3" << "Honda"
                                               << PartQueryForm::ModelPlaceholder << "New";
        QTest::newRow("other type") << "Ford" << "Focus" << "9" << "Ford" << "Focus" << "Used";
    }
    void continueParams()
    {
        QFETCH(QString, make);
        QFETCH(QString, model);
        QFETCH(QString, partType);
        QFETCH(QString, wantMake);
        QFETCH(QString, wantModel);
        QFETCH(QString, wantType);
        FormsFixture f;
        PartQueryForm form;
        form.Query().SetText("V_MAKE", "Honda");
        form.InitFromParams({{"year", "1998"}, {"make", make}, {"model", model}, {"part_type", partType}});
        QCOMPARE(form.Query().GetText("V_YEAR"), QString("1998"));
        QCOMPARE(form.Query().GetText("V_MAKE"), wantMake);
        QCOMPARE(form.Query().GetText("V_MODEL"), wantModel);
        QCOMPARE(form.Query().GetText("P_TYPE"), wantType);
        QVERIFY(form.ContinueMode());
    }

    void privateQuerySendsPersonalIdAndStoresPersonal()
    {
        FormsFixture f;
        PartQueryForm form(&f.host);
        form.SetPrivate("Lee Seller", "P2000");
        XQuerySet &q = form.Query();
        q.SetText("V_MAKE", "Ford");
        q.SetText("V_MODEL", "Focus");
        q.SetText("P_TYPE", "Used");
        q.SetText("P_CATEGORY", "Engine");
        q.SetText("P_NAME", "Starter");
        SubmitPipeline pipeline(&f.host);
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QVERIFY(f.LastBody("newQuery").contains("PERSONAL_P2000"));
        QCOMPARE(f.Text("SELECT MARKET_ID FROM Queries"), QString("PERSONAL"));
        QCOMPARE(f.Text("SELECT MARKET_NAME FROM Queries"), QString("Lee Seller"));
        QCOMPARE(f.host.log.Calls(), QStringList{"RefreshOpenQueries|0"});
    }

    void partNameBringsItsCategory()
    {
        FormsFixture f;
        ItemList condition, category, name;
        condition.AddItem("Used");
        condition.SetCurrentIndex(0);
        PartNameController parts(condition, category, name);
        parts.ConditionChanged("Engine", QString());
        QCOMPARE(category.Texts(), (QStringList{"-- Select Part Category --", "ALL PARTS", "Engine", "Body"}));
        QCOMPARE(category.ItemData(1), qint64(-1));
        QCOMPARE(category.Text(), QString("Engine"));
        QCOMPARE(name.Texts(), (QStringList{"-- Select Or Type Part Name --", "Engine Assembly", "Starter"}));
        // Among all parts, one typed exactly brings its category along.
        category.SetCurrentIndex(1);
        parts.CategoryChanged();
        QCOMPARE(name.Count(), 5);
        name.SetText("Driver's Door");
        parts.NameChanged();
        QCOMPARE(category.Text(), QString("Body"));
        QCOMPARE(name.Text(), QString("Driver's Door"));
        // A picked name the metadata does not know is appended, the category stays.
        parts.NamePicked("Flux Capacitor");
        QCOMPARE(name.Text(), QString("Flux Capacitor"));
        QCOMPARE(name.ItemText(name.Count() - 1), QString("Flux Capacitor"));
        QCOMPARE(category.Text(), QString("Body"));
    }

    void partWithoutCategorySelectsOther()
    {
        FormsFixture f;
        QFile meta(f.t.DataFolder() + "meta.xml");
        QVERIFY(meta.open(QIODevice::WriteOnly | QIODevice::Truncate));
        meta.write("<kv_response><meta_info><part_info_used><category><value id=\"5\">Engine</value></category>"
                   "<name><value id=\"1\" category_id=\"5\">Starter</value>"
                   "<value id=\"2\" category_id=\"0\">Gadget</value></name></part_info_used></meta_info></kv_response>");
        meta.close();
        theMeta().init();
        ItemList condition, category, name;
        condition.AddItem("Used");
        condition.SetCurrentIndex(0);
        PartNameController parts(condition, category, name);
        parts.ConditionChanged("ALL PARTS", QString());
        QCOMPARE(category.CurrentIndex(), 1);
        name.SetText("Gadget");
        parts.NameChanged();
        QCOMPARE(category.Text(), QString("Other"));
        QCOMPARE(category.ItemText(category.Count() - 1), QString("Other"));
    }

    void dialogSubmitsWhatWasTypedAndCloses()
    {
        FormsFixture f;
        NewQueryDlg dlg(&f.host, "Parts - New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QString("Parts - New Query"));
        QCOMPARE(Child<QComboBox>(&dlg, "marketCombo")->currentText(), QString("National Parts Exchange"));
        FillQuery(&dlg);
        Type(&dlg, "maxPriceEdit", "125.50");
        QTest::keyClicks(Child<QPlainTextEdit>(&dlg, "notesEdit"), "Left side, please");
        QTest::mouseClick(Child<QPushButton>(&dlg, "submitCloseButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(f.Posts("newQuery"), 1);
        QCOMPARE(f.Text("SELECT V_MAKE || '/' || V_MODEL || '/' || P_CATEGORY || '/' || P_NAME FROM Queries"),
                 QString("Ford/Focus/Engine/Starter"));
        QCOMPARE(f.Text("SELECT P_MAX_PRICE FROM Queries"), QString("125.5"));
        QCOMPARE(f.Text("SELECT P_NOTES FROM Queries"), QString("Left side, please"));
    }

    // The year steps within the market's years, or is left empty; Notes stop at their limit.
    void yearAndNotesStayInRange()
    {
        FormsFixture f;
        NewQueryDlg dlg(&f.host, "New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *year = Child<QSpinBox>(&dlg, "yearEdit");
        QCOMPARE(year->text(), QString("2000"));
        year->setValue(2500);
        QTest::keyClick(year, Qt::Key_Up);
        QCOMPARE(year->text(), QString("2500"));
        year->setValue(1900);
        QTest::keyClick(year, Qt::Key_Down);
        QCOMPARE(year->text(), QString());
        QTest::keyClick(year, Qt::Key_Down);
        QCOMPARE(year->text(), QString());
        auto *notes = Child<QPlainTextEdit>(&dlg, "notesEdit");
        notes->insertPlainText(QString(1100, 'n'));
        QCOMPARE(notes->toPlainText().size(), 1023);
    }

    // A label's mnemonic must land in a control that takes keys, not in the
    // row that holds it.
    void everyMnemonicReachesAControlThatTakesKeys()
    {
        FormsFixture f;
        NewQueryDlg dlg(&f.host, "New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // A label gives no focus to a buddy that takes none.
        for (QLabel *label : dlg.findChildren<QLabel *>()) {
            if (label->buddy())
                QVERIFY2(label->buddy()->focusPolicy() != Qt::NoFocus, qPrintable(label->text()));
        }
    }

    // These fields' Alt+letters once reached two fields each: now each one
    // reaches its field alone.
    void fieldMnemonicsAreUnique()
    {
        FormsFixture f;
        NewQueryDlg dlg(&f.host, "New Query");
        QMap<QChar, QStringList> byLetter;
        QMap<QString, QChar> letterOf;
        for (QLabel *label : dlg.findChildren<QLabel *>()) {
            const QString text = label->text();
            const qsizetype at = text.indexOf(u'&');
            if (!label->buddy() || at < 0 || at + 1 >= text.size())
                continue;
            byLetter[text[at + 1].toLower()] << text;
            letterOf[QString(text).remove(u'&')] = text[at + 1].toLower();
        }
        for (const char *field :
             {"Model", "Fuel Delivery", "Fuel", "Time Frame", "Color", "Notes", "Aspiration", "Max Price", "Engine Type"}) {
            QVERIFY2(letterOf.contains(field), field);
            const QStringList sharing = byLetter.value(letterOf.value(field));
            QVERIFY2(sharing.size() == 1, qPrintable(sharing.join(", ")));
        }
    }

    void missingFieldsKeepTheDialogOpen()
    {
        FormsFixture f;
        NewQueryDlg dlg(&f.host, "New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(Child<QPushButton>(&dlg, "submitCloseButton"), Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(f.Posts("newQuery"), 0);
        QVERIFY(f.t.dialogs.log.Calls().value(0).contains("- Make\n"));
    }

    void doubleClickOnSubmitAndNewSendsOnceAndKeepsTheVehicle()
    {
        FormsFixture f;
        theSettings().SetInt(Setting::SendQueryConfirm, 0);
        f.server.Script("newQuery", Answer(0, "<query_id>Q-1</query_id>", {}, 400));
        NewQueryDlg dlg(&f.host, "New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        FillQuery(&dlg);
        Child<QSpinBox>(&dlg, "quantitySpin")->setValue(4);
        QPushButton *submitNew = Child<QPushButton>(&dlg, "submitNewButton");
        bool secondClickWhileBusy = false;
        QTimer::singleShot(100, &dlg, [&] {
            secondClickWhileBusy = !submitNew->isEnabled();
            QTest::mouseClick(submitNew, Qt::LeftButton);
        });
        QTest::mouseClick(submitNew, Qt::LeftButton);
        QVERIFY(secondClickWhileBusy);
        QCOMPARE(f.Posts("newQuery"), 1);
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Queries"), 1);
        QVERIFY(dlg.isVisible());
        QVERIFY(submitNew->isEnabled());
        QCOMPARE(Child<QComboBox>(&dlg, "makeCombo")->currentText(), QString("Ford"));
        QCOMPARE(Child<QComboBox>(&dlg, "modelCombo")->currentText(), QString("Focus"));
        QCOMPARE(Child<QComboBox>(&dlg, "marketCombo")->currentText(), QString("National Parts Exchange"));
        QCOMPARE(Child<QComboBox>(&dlg, "categoryCombo")->currentIndex(), 0);
        QCOMPARE(Child<QComboBox>(&dlg, "partNameCombo")->currentText(), QString("-- Select Part Category First --"));
        QCOMPARE(Child<QSpinBox>(&dlg, "quantitySpin")->value(), 1);
    }

    void refusalSubscribeClosesTheDialog()
    {
        FormsFixture f;
        f.server.Script("newQuery", Answer(110));
        f.t.dialogs.QueueAnswer(0);
        NewQueryDlg dlg(&f.host, "New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        FillQuery(&dlg);
        QTest::mouseClick(Child<QPushButton>(&dlg, "submitCloseButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(f.host.log.Calls(), QStringList{"ShowMarketSubscription|MP-100|1|0"});
    }
};

KORVANT_TEST_MAIN(TestNewQuery)
#include "tst_newquery.moc"
