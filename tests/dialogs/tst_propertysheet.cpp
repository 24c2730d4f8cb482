// The shared sheet with pages that come and go while it is open: Back/Next
// follow the active page, Enter pages forward except in a multi-line edit
// and on the last page, and a page taken out is neither applied nor asked.

#include "TestApp.h"
#include "TestEnv.h"

#include "dialogs/PropertySheet.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <QtTest/QtTest>

namespace {

class CountingPage : public PropertyPage
{
public:
    explicit CountingPage(const QString &title, bool withNotes = false) : PropertyPage(title)
    {
        auto *layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        edit->setObjectName(title + QStringLiteral("Edit"));
        layout->addWidget(edit);
        if (withNotes) {
            notes = new QPlainTextEdit(this);
            layout->addWidget(notes);
        }
    }
    bool OnApply() override
    {
        ++applied;
        return true;
    }
    int OnQuerySiblings(int) override
    {
        ++asked;
        return refuse ? 1 : 0;
    }

    QLineEdit *edit;
    QPlainTextEdit *notes = nullptr;
    int applied = 0;
    int asked = 0;
    bool refuse = false;
};

void Enter(QWidget *w)
{
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Return);
}

} // namespace

class TestPropertySheet : public QObject
{
    Q_OBJECT

private slots:
    void pagesComeAndGoWhileOpen()
    {
        TestApp t;
        PropertySheet sheet(QStringLiteral("Sheet"), nullptr, PropertySheet::Navigation::Tabs);
        auto *first = new CountingPage(QStringLiteral("First"));
        auto *second = new CountingPage(QStringLiteral("Second"));
        auto *extra = new CountingPage(QStringLiteral("Extra"));
        sheet.AddPage(first);
        sheet.AddPage(second);
        sheet.AddBackNext();
        sheet.SetActivePage(0);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QPushButton *back = sheet.BackButton();
        QPushButton *next = sheet.NextButton();
        auto *tabs = sheet.findChild<QTabBar *>(QStringLiteral("pageTabs"));
        QVERIFY(!back->isEnabled() && next->isEnabled() && next->isDefault());

        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(sheet.ActivePage(), second);
        QVERIFY(back->isEnabled() && !next->isEnabled());
        QVERIFY(sheet.OkButton()->isDefault());

        // A page appended while the last one is shown: Next comes back, the shown page stays.
        sheet.AddPage(extra);
        QCOMPARE(sheet.ActivePage(), second);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->currentIndex(), 1);
        QVERIFY(next->isEnabled() && next->isDefault());
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(sheet.ActivePage(), extra);
        QTest::keyClicks(extra->edit, QStringLiteral("kept"));

        // Taking out the shown page goes back one; the page keeps its values.
        sheet.RemovePage(extra);
        QCOMPARE(sheet.ActivePage(), second);
        QCOMPARE(tabs->count(), 2);
        QVERIFY(!next->isEnabled());
        QVERIFY(!extra->isVisible());
        sheet.RemovePage(extra);  // twice: nothing happens
        QCOMPARE(sheet.PageCount(), 2);
        QCOMPARE(sheet.Commit(first), 0);
        QCOMPARE(extra->asked, 0);
        QCOMPARE(second->asked, 1);

        // In front of the shown page: the shown page stays shown.
        sheet.InsertPage(0, extra);
        QCOMPARE(sheet.ActivePage(), second);
        QCOMPARE(tabs->currentIndex(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Extra"));
        QCOMPARE(extra->edit->text(), QStringLiteral("kept"));
        QTest::mouseClick(back, Qt::LeftButton);
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(sheet.ActivePage(), extra);
        QVERIFY(!back->isEnabled());

        sheet.RemovePage(extra);
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(first->applied, 1);
        QCOMPARE(second->applied, 1);
        QCOMPARE(extra->applied, 0);
    }

    void enterPagesExceptInNotesAndOnTheLastPage()
    {
        TestApp t;
        PropertySheet sheet(QStringLiteral("Sheet"), nullptr, PropertySheet::Navigation::Tabs);
        auto *first = new CountingPage(QStringLiteral("First"), true);
        auto *last = new CountingPage(QStringLiteral("Last"));
        sheet.AddPage(first);
        sheet.AddPage(last);
        sheet.AddBackNext();
        sheet.SetActivePage(0);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));

        Enter(first->notes);
        QCOMPARE(sheet.ActivePage(), first);
        QCOMPARE(first->notes->toPlainText(), QStringLiteral("\n"));
        Enter(first->edit);
        QCOMPARE(sheet.ActivePage(), last);
        QVERIFY(sheet.isVisible());
        // On the last page Enter is OK.
        Enter(last->edit);
        QVERIFY(!sheet.isVisible());
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(last->applied, 1);
    }
};

KORVANT_TEST_MAIN(TestPropertySheet)
#include "tst_propertysheet.moc"
