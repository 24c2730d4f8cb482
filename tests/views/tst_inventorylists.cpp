#include "TestEnv.h"
#include "ViewsFixture.h"

#include "sync/CRateSystem.h"
#include "views/XInventoryListCtrl.h"

#include <QDialog>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace {

void AddPart(const QString &stock, const QString &name, double price, const QString &make)
{
    theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_QUANTITY, P_PRICE, V_MAKE) "
                          "VALUES (?, ?, 2, ?, ?)",
                          {stock, name, price, make});
}

// IDs 1-3; 1 rated 90, 3 rated 50.
std::unique_ptr<CRateSystem> RatedFixture()
{
    AddPart("S1", "Door", 10, "Ford");
    AddPart("S2", "Axle", 0, "Audi");
    AddPart("S3", "Bumper", 1234.5, "BMW");
    auto rating = std::make_unique<CRateSystem>();
    rating->Params().addContextInventory("3", 50);
    rating->Params().addContextInventory("1", 90);
    return rating;
}

} // namespace

class TestInventoryLists : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
        m_host.node = 20105;
        m_host.log.Clear();
    }
    void cleanup() { m_app.reset(); }

    void plainListColumns()
    {
        AddPart("S2", "Axle", 0, "Audi");
        AddPart("S1", "Door", 1234.5, "Ford");
        XInventoryListCtrl list(&m_host, nullptr);
        list.SetFolder(20105);
        list.Refill();
        QCOMPARE(list.GetSortOrder(), QString("P_STOCK_NUMBER ASC"));
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QString("Part #"));
        QCOMPARE(ColumnTexts(list, 0), (QStringList{"S1", "S2"}));
        QCOMPARE(ColumnTexts(list, 3), (QStringList{"$1,234.50", "0"}));
        QCOMPARE(ColumnTexts(list, 2), (QStringList{"2", "2"}));
        QVERIFY(list.CanDo(XBaseListCtrl::OpDelete));
        QVERIFY(!list.CanDo(XBaseListCtrl::OpMarkNew));
        list.DeselectAll();
        QVERIFY(!list.CanDo(XBaseListCtrl::OpDetails));
        QVERIFY(list.CanDo(XBaseListCtrl::OpAny));
    }

    void ratedListShowsBestFirst()
    {
        XInventoryListCtrl list(&m_host, nullptr, RatedFixture());
        list.SetDialogMode(false);
        list.Refill();
        ShowList(&list);
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QString("Rating %"));
        QCOMPARE(ColumnTexts(list, 1), (QStringList{"S1", "S3", "S2"}));
        QCOMPARE(ColumnTexts(list, 0), (QStringList{"90", "50", "0"}));
        ClickHeader(list, 0);  // the reverse
        QCOMPARE(ColumnTexts(list, 1), (QStringList{"S2", "S3", "S1"}));
        ClickHeader(list, 0);
        QCOMPARE(ColumnTexts(list, 1), (QStringList{"S1", "S3", "S2"}));
        ClickHeader(list, 2);  // Part Name: its own order
        QCOMPARE(ColumnTexts(list, 2), (QStringList{"Axle", "Bumper", "Door"}));
        QCOMPARE(ColumnTexts(list, 0), (QStringList{"0", "50", "90"}));
        ClickRow(list, 1);
        QCOMPARE(list.GetSelectedId(), 3);
    }

    void enterInADialogOnlyEmitsRecordOpened()
    {
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        auto *list = new XInventoryListCtrl(&m_host, &dialog, RatedFixture());
        layout->addWidget(list);
        list->Refill();
        ShowList(&dialog);
        QSignalSpy opened(list, &XBaseListCtrl::recordOpened);
        ClickRow(*list, 1);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(m_host.log.Calls(), QStringList());
        dialog.close();
        QVERIFY(dialog.isHidden());
    }

    void enterInTheCatalogOpensTheForm()
    {
        AddPart("S1", "Door", 1, "Ford");
        XInventoryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20105);
        QSignalSpy opened(&list, &XBaseListCtrl::recordOpened);
        ClickRow(list, 0);
        QTest::keyClick(&list, Qt::Key_Enter);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 1)).center());
        QCOMPARE(opened.count(), 0);
        QCOMPARE(m_host.log.Count("OpenDetails"), 2);
    }

    void carListColumns()
    {
        theDatabase().Execute("INSERT INTO Inventory_Cars (STOCK_NUMBER, YEAR, MAKE, MODEL, SUBMODEL, ASKING_PRICE) "
                              "VALUES ('C1', '2010', 'Ford', 'Focus', 'SE', '9000')");
        XInventoryCarsListCtrl list(&m_host, nullptr);
        list.SetFolder(155);
        list.Refill();
        QCOMPARE(list.GetSortOrder(), QString("STOCK_NUMBER ASC"));
        QCOMPARE(list.model()->columnCount(), 10);
        QCOMPARE(ColumnTexts(list, 3), QStringList{"Focus/SE"});
        QCOMPARE(ColumnTexts(list, 4), QStringList{"$9,000.00"});
    }

    // Widths survive the list (and the program): the layout is saved and read back.
    void columnWidthsSurvive()
    {
        int untouched = 0;
        {
            XInventoryListCtrl list(&m_host, nullptr);
            untouched = list.horizontalHeader()->sectionSize(2);
            list.horizontalHeader()->resizeSection(1, 233);
        }
        XInventoryListCtrl again(&m_host, nullptr);
        QCOMPARE(again.horizontalHeader()->sectionSize(1), 233);
        QCOMPARE(again.horizontalHeader()->sectionSize(2), untouched);
    }

private:
    std::unique_ptr<TestApp> m_app;
    FakeListHost m_host;
};

KORVANT_TEST_MAIN(TestInventoryLists)
#include "tst_inventorylists.moc"
