// The inventory pickers: OK with or without a selected row, Enter on a row.

#include "TestEnv.h"
#include "ViewsFixture.h"

#include "sync/CRateSystem.h"
#include "views/InventoryPickers.h"
#include "views/XInventoryListCtrl.h"

#include <QDialogButtonBox>
#include <QPushButton>

namespace {

std::unique_ptr<CRateSystem> Rated()
{
    for (const char *stock : {"S1", "S2", "S3"})
        theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_PRICE) VALUES (?, 'Door', 5)",
                              {QString::fromLatin1(stock)});
    auto rating = std::make_unique<CRateSystem>();
    rating->Params().addContextInventory("2", 80);
    rating->Params().addContextInventory("3", 60);
    return rating;
}

void ClickOk(QDialog &dlg)
{
    auto *box = dlg.findChild<QDialogButtonBox *>();
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void okWithoutSelectionGivesMinusOne()
    {
        CSelectPartFromInv dlg(Rated());
        ShowList(&dlg);
        dlg.List()->DeselectAll();
        ClickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.SelectedId(), qint64(-1));
    }

    void okTakesTheSelectedRecord()
    {
        CSelectPartFromInv dlg(Rated());
        ShowList(&dlg);
        QCOMPARE(ColumnTexts(*dlg.List(), 1), (QStringList{"S2", "S3", "S1"}));
        ClickRow(*dlg.List(), 1);
        ClickOk(dlg);
        QCOMPARE(dlg.SelectedId(), qint64(3));
    }

    void enterOnACarRowPicksIt()
    {
        theDatabase().Execute("INSERT INTO Inventory_Cars (STOCK_NUMBER, MAKE) VALUES ('C1', 'Volvo')");
        auto rating = std::make_unique<CRateSystem>();
        rating->Params().addContextInventory("1", 70);
        InventorySelDlg dlg(std::move(rating));
        ShowList(&dlg);
        ClickRow(*dlg.List(), 0);
        QTest::keyClick(dlg.List(), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.SelectedId(), qint64(1));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestPickers)
#include "tst_pickers.moc"
