// The specialty wizard: its list rules as tables, and the dialog driven by
// clicks against the fake server, from the main window and from the profile
// sheet.

#include "FormsFixture.h"
#include "../dialogs/ModalHelper.h"

#include "dialogs/CWizardScopeDlg.h"
#include "forms/ProfilePropertySheet.h"

#include <QCheckBox>
#include <QDate>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

using Rows = QSet<int>;
Q_DECLARE_METATYPE(Rows)

namespace {

QListWidget *List(QWidget *dlg, const char *name)
{
    auto *list = dlg->findChild<QListWidget *>(QLatin1String(name));
    if (!list)
        qFatal("no list %s", name);
    return list;
}

void ClickRow(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

QStringList Selected(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            texts << list->item(i)->text();
    }
    return texts;
}

QStringList Texts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void Click(QWidget *root, const char *name)
{
    auto *b = root->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY2(b && b->isVisible() && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestWizardScope : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u','))); }

    void anyEntry_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<Rows>("after");
        QTest::addColumn<int>("any");
        QTest::addColumn<int>("others");
        QTest::addColumn<Rows>("result");
        QTest::newRow("other clears any") << Rows{0} << Rows{0, 2} << 0 << 4 << Rows{2};
        QTest::newRow("any clears others") << Rows{1, 2} << Rows{0, 1, 2} << 0 << 4 << Rows{0};
        QTest::newRow("all others is any") << Rows{1, 2, 3} << Rows{1, 2, 3, 4} << 0 << 4 << Rows{0};
        QTest::newRow("nothing is any") << Rows{2} << Rows{} << 0 << 4 << Rows{0};
        QTest::newRow("any not first") << Rows{3} << Rows{0, 3} << 3 << 3 << Rows{0};
        QTest::newRow("all but any, any last") << Rows{0, 1} << Rows{0, 1, 2} << 3 << 3 << Rows{3};
        // A list with one entry besides "any": choosing it is choosing all.
        QTest::newRow("the only other") << Rows{0} << Rows{0, 1} << 0 << 1 << Rows{0};
    }
    void anyEntry()
    {
        QFETCH(Rows, before);
        QFETCH(Rows, after);
        QFETCH(int, any);
        QFETCH(int, others);
        QFETCH(Rows, result);
        QCOMPARE(WizardScopeRules::ApplyAnyEntry(before, after, any, others), result);
    }

    void years()
    {
        using R = WizardScopeRules;
        QCOMPARE(R::TemplateYears(R::LatestModels, 2026), std::make_pair(1980, 0));
        QCOMPARE(R::TemplateYears(R::AntiqueModels, 2026), std::make_pair(0, 1970));
        QCOMPARE(R::TemplateYears(R::OtherYears, 2026), std::make_pair(1960, 2026));
        QCOMPARE(R::TemplateYears(R::AnyYears, 2026), std::make_pair(0, 0));
        for (auto t : {R::AnyYears, R::LatestModels, R::AntiqueModels, R::OtherYears}) {
            const auto [from, till] = R::TemplateYears(t, 2026);
            QCOMPARE(R::TemplateOf(from, till), t);
        }
        QCOMPARE(R::TemplateOf(1980, 1990), R::OtherYears);
        QCOMPARE(R::CategoryListOf("New"), 0);
        QCOMPARE(R::CategoryListOf("Remanufactured"), 2);
        QCOMPARE(R::CategoryListOf("Used"), 1);
        QCOMPARE(R::CategoryListOf("Any"), 1);
    }

    // Mode 1 from the main window: three pages clicked through, the filter sent.
    void clickedThroughAndSent()
    {
        FormsFixture f;
        f.server.Script("changeProfile", Answer(0));
        // The part form's condition list is shared; the wizard must leave it as it was.
        theMeta().SetPartCondition(0);
        CWizardScopeDlg dlg(nullptr, 1);
        dlg.show();
        QCOMPARE(dlg.CurrentPage(), 0);
        QVERIFY(!dlg.findChild<QPushButton *>("backButton")->isEnabled());
        QListWidget *business = List(&dlg, "businessList");
        QCOMPARE(Selected(business), QStringList{"-- Any --"});
        ClickRow(business, "Body Shop");
        ClickRow(business, "Jobber");
        QCOMPARE(Selected(business), QStringList({"Body Shop", "Jobber"}));
        ClickRow(List(&dlg, "stateList"), "TX");

        Click(&dlg, "nextButton");
        QCOMPARE(dlg.CurrentPage(), 1);
        QListWidget *makes = List(&dlg, "makeList");
        QListWidget *models = List(&dlg, "modelList");
        QCOMPARE(Texts(makes), QStringList({"-- Any --", "Ford", "Honda", "Toyota"}));
        ClickRow(makes, "Ford");
        ClickRow(models, "Mustang");
        ClickRow(models, "---Ford---");
        QCOMPARE(Selected(models), QStringList{"Mustang"});
        // Another make keeps the models chosen so far.
        ClickRow(makes, "Toyota");
        QCOMPARE(Texts(models), QStringList({"-- All Models --", "---Ford---", "Focus", "Mustang", "---Toyota---",
                                              "Corolla", "Camry"}));
        QCOMPARE(Selected(models), QStringList{"Mustang"});
        ClickRow(List(&dlg, "yearTemplateList"), "Others");
        auto *from = dlg.findChild<QSpinBox *>("fromSpin");
        QVERIFY(from->isEnabled());
        QCOMPARE(from->value(), 1960);
        from->setFocus();
        QTest::keyClick(from, Qt::Key_Up);
        QCOMPARE(from->value(), 1961);
        auto *till = dlg.findChild<QSpinBox *>("tillSpin");
        till->setFocus();
        QTest::keyClick(till, Qt::Key_Up);
        QCOMPARE(till->value(), QDate::currentDate().year());
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(till, Qt::Key_Down);

        Click(&dlg, "nextButton");
        QCOMPARE(dlg.CurrentPage(), 2);
        QVERIFY(!dlg.findChild<QPushButton *>("nextButton")->isEnabled());
        QListWidget *conditions = List(&dlg, "conditionList");
        QListWidget *categories = List(&dlg, "categoryList");
        QCOMPARE(Selected(conditions), QStringList{"Any"});
        QCOMPARE(Texts(categories), QStringList({"-- All Categories --", "Engine", "Body"}));
        ClickRow(conditions, "New");
        QCOMPARE(Texts(categories), QStringList({"-- All Categories --", "Electrical"}));
        ClickRow(conditions, "Remanufactured");
        ClickRow(categories, "Transmission");
        // Every condition but "Any" is "Any"; the used list's categories return.
        ClickRow(conditions, "Used");
        QCOMPARE(Selected(conditions), QStringList{"Any"});
        QCOMPARE(Texts(categories), QStringList({"-- All Categories --", "Engine", "Body"}));
        QCOMPARE(Selected(categories), QStringList{"-- All Categories --"});
        ClickRow(conditions, "Remanufactured");
        ClickRow(conditions, "Used");
        QCOMPARE(Texts(categories), QStringList({"-- All Categories --", "Engine", "Body", "Transmission"}));
        ClickRow(categories, "Transmission");
        QCOMPARE(Selected(categories), QStringList{"Transmission"});

        QCOMPARE(theMeta().PartConditionList(), QString("part_info_new"));
        Click(&dlg, "finishButton");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const int till3 = QDate::currentDate().year() - 3;
        const QString expected =
            "@bi_business_type,,Body Shop,,#EQ,,@bi_business_type,,Jobber,,#EQ,,#OR,,@si_state,,TX,,#EQ,,"
            "@pi_type,,Used,,#EQ,,@pi_type,,Remanufactured,,#EQ,,#OR,,@pi_category,,Transmission,,#EQ,,"
            "@vi_make,,Ford,,#EQ,,@vi_model,,Mustang,,#EQ,,#AND,,@vi_make,,Toyota,,#EQ,,#OR,,#AND,,#AND,,#AND,,#AND"
            ",,@vi_year,," + QString::number(till3 + 1) + ",,#LT,,#AND,,@vi_year,,1960,,#GT,,#AND";
        QCOMPARE(theProfile().Get().filter, expected);
        QCOMPARE(f.Posts("changeProfile"), 1);
        QVERIFY2(f.LastBody("changeProfile").contains("<filter>" + expected.toUtf8() + "</filter>"),
                 f.LastBody("changeProfile").constData());

        // Opened again, the wizard shows what it wrote and writes it unchanged.
        CWizardScopeDlg again(nullptr, 0);
        QCOMPARE(Selected(List(&again, "modelList")), QStringList{"Mustang"});
        QCOMPARE(Selected(List(&again, "yearTemplateList")), QStringList{"Others"});
        QCOMPARE(again.BuildFilter(), expected);
        // Stepping stops at 1900; a year once given never steps back to none.
        auto *againFrom = again.findChild<QSpinBox *>("fromSpin");
        QVERIFY(againFrom->isEnabled());
        for (int i = 0; i < 8; ++i)
            QTest::keyClick(againFrom, Qt::Key_PageDown);
        QCOMPARE(againFrom->value(), 1900);
        QVERIFY(again.BuildFilter().endsWith(",,@vi_year,,1899,,#GT,,#AND"));
    }

    void refusedSendKeepsTheOldFilter()
    {
        FormsFixture f;
        f.server.Script("changeProfile", Answer(17, {}, "refused"));
        theProfile().Update([](ProfileData &d) { d.filter = "@si_state,,OH,,#EQ"; });
        CWizardScopeDlg dlg(nullptr, 1);
        dlg.show();
        QCOMPARE(Selected(List(&dlg, "stateList")), QStringList{"OH"});
        ClickRow(List(&dlg, "stateList"), "TX");
        Click(&dlg, "finishButton");
        QCOMPARE(f.Posts("changeProfile"), 1);
        // No condition read means no condition written.
        QVERIFY2(f.LastBody("changeProfile").contains("<filter>@si_state,,OH,,#EQ,,@si_state,,TX,,#EQ,,#OR</filter>"),
                 f.LastBody("changeProfile").constData());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(theProfile().Get().filter, QString("@si_state,,OH,,#EQ"));
        const QStringList boxes = f.t.dialogs.log.Calls();
        QCOMPARE(boxes.filter("Cannot update profile").size(), 1);
        QCOMPARE(boxes.filter("Can't set specialty").size(), 1);
    }

    void receiveNothingReopensTicked()
    {
        FormsFixture f;
        {
            CWizardScopeDlg dlg(nullptr, 0);
            dlg.show();
            ClickRow(List(&dlg, "stateList"), "TX");
            auto *nothing = dlg.findChild<QCheckBox *>("receiveNothingCheck");
            QTest::mouseClick(nothing, Qt::LeftButton, {}, QPoint(5, nothing->height() / 2));
            Click(&dlg, "finishButton");
        }
        QCOMPARE(theProfile().Get().filter, QString("A,,B,,#EQ"));
        QCOMPARE(f.Posts("changeProfile"), 0);
        CWizardScopeDlg again(nullptr, 0);
        QVERIFY(again.findChild<QCheckBox *>("receiveNothingCheck")->isChecked());
    }

    // From the profile sheet the wizard only stores; the sheet sends it with the
    // profile, and Cancel takes it back.
    void fromTheProfileSheet()
    {
        FormsFixture f;
        f.server.Script("changeProfile", Answer(0));
        ProfileData p = theProfile().Get();
        p.phone = "1", p.street = "s", p.city = "c", p.zip = "z", p.country = "GERMANY";
        theProfile().Set(p);
        theSettings().SetString(Setting::Password, "pw");
        for (bool finish : {false, true}) {
            ProfilePropertySheet sheet(&f.host, "Edit My Profile", 1);
            sheet.show();
            sheet.SetActivePage(2);
            ModalHelper::WhenModal("CWizardScopeDlg", [](QWidget *w) {
                ClickRow(List(w, "stateList"), "NV");
                Click(w, "finishButton");
            });
            Click(sheet.Page(2), "specialityButton");
            QCOMPARE(f.Posts("changeProfile"), 0);
            QCOMPARE(theProfile().Get().filter, QString("@si_state,,NV,,#EQ"));
            Click(&sheet, finish ? "okButton" : "cancelButton");
            QCOMPARE(theProfile().Get().filter, finish ? QString("@si_state,,NV,,#EQ") : QString());
        }
        QCOMPARE(f.Posts("changeProfile"), 1);
        QVERIFY(f.LastBody("changeProfile").contains("<filter>@si_state,,NV,,#EQ</filter>"));
    }
};

KORVANT_TEST_MAIN(TestWizardScope)
#include "tst_wizardscope.moc"
