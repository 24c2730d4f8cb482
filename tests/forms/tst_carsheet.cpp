// The car quote and car inventory sheet driven with clicks and keys: a car
// opened by its own ID with its pictures, "X" and Save deleting a picture,
// the damage page following the category, Enter in Notes, and a quote that
// the server calls obsolete.

#include "CarFormsFixture.h"

#include "app/XPhotoSet.h"
#include "dialogs/NodeIds.h"
#include "dialogs/PaneInterfaces.h"
#include "forms/CarOptionPages.h"
#include "forms/NewInventoryCarsPropSheet.h"
#include "forms/NewQuoteDlg.h"
#include "forms/SellerQueries.h"
#include "forms/inventoryImagesDlg.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using CarForms::Child;
using CarForms::Choose;

namespace {

class TextPane : public IBrowserPane
{
public:
    explicit TextPane(QWidget *parent) : m_label(new QLabel(parent)) {}
    QWidget *Widget() override { return m_label; }
    void Navigate(const QString &) override {}
    void SetHtml(const QString &html) override { m_label->setText(html.left(100)); }
    void Clear() override {}

private:
    QLabel *m_label;
};

qint64 AddCar(const QString &stock)
{
    theDatabase().Execute("INSERT INTO Inventory_Cars (STOCK_NUMBER, YEAR, MAKE, MODEL, CATEGORY, BODY_STYLE, "
                          "ASKING_PRICE, MILEAGE, CONDITION, EXT_COLOR, TRANSMISSION, LOCATION_ADDRESS, LOCATION_CITY, "
                          "IMG2_TITLE) VALUES (?, '2011', 'Subaru', 'Outback', 'Pre-Owned', 'Wagon', '9000', '80000', "
                          "'Good', 'Blue', 'Automatic', '1 Main St', 'Salem', 'Side')",
                          {stock});
    return theDatabase().Connection().Scalar("SELECT MAX(ID) FROM Inventory_Cars").toLongLong();
}

void WritePair(qint64 id, const char *number)
{
    QDir().mkpath(theApp().GetDataFolder() + "images");
    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    for (bool big : {false, true})
        QVERIFY(img.save(XPhotoSet::GetPhotoFileName("images", QString::number(id), number, big), "JPG"));
}

void Show(QDialog &dlg)
{
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
}

} // namespace

class TestCarSheet : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        NewQuoteDlg::SetPaneMaker([](QWidget *parent) { return std::make_unique<TextPane>(parent); });
    }

    void carOpensByItsIdAndXDeletesThePicture()
    {
        CarFormsFixture f;
        AddCar("A-1");
        const qint64 id = AddCar("Z-9");
        AddCar("M-5");
        WritePair(id, "2");
        WritePair(id, "4");
        NewInventoryCarsPropSheet sheet(&f.host, "Cars - Catalog Record", false, id);
        Show(sheet);
        QCOMPARE(Child<QLineEdit>(&sheet, "stockEdit")->text(), QString("Z-9"));
        inventoryImagesDlg *pictures = sheet.PicturesPage();
        QCOMPARE(Child<QLineEdit>(pictures, "title2")->text(), QString("Side"));
        QVERIFY(!Child<QLineEdit>(pictures, "path4")->text().isEmpty());
        sheet.SetActivePage(sheet.indexOfPage(pictures));
        QTest::mouseClick(Child<QPushButton>(pictures, "clear4"), Qt::LeftButton);
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QCOMPARE(f.t.dialogs.log.Count("MessageBox"), 0);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QVERIFY(!QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), "4", true)));
        QVERIFY(!QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), "4", false)));
        QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), "2", true)));
        QCOMPARE(f.Text("SELECT IMG2_TITLE FROM Inventory_Cars WHERE ID = ?", {id}), QString("Side"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Inventory_Cars"), 3);
        QVERIFY(f.host.log.Calls().contains("OpenInventoryList|1"));
    }

    void damagePageFollowsTheCategoryAndEnterStaysInNotes()
    {
        CarFormsFixture f;
        NewInventoryCarsPropSheet sheet(&f.host, "Cars - Catalog Record", false, 0);
        Show(sheet);
        QCOMPARE(sheet.PageCount(), 3);
        Choose(&sheet, "categoryCombo", "Repairable");
        QVERIFY(sheet.HasPage(sheet.DamagePage()));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        Choose(&sheet, "categoryCombo", "Classic");
        QVERIFY(!sheet.HasPage(sheet.DamagePage()));
        QPlainTextEdit *notes = Child<QPlainTextEdit>(&sheet, "notesEdit");
        notes->setFocus();
        QTest::keyClick(notes, Qt::Key_Return);
        QCOMPARE(sheet.ActiveIndex(), 0);
    }

    // Ctrl+Left / Ctrl+Right step through the incoming leads, also from an edit.
    void ctrlArrowsStepThroughTheLeads()
    {
        CarFormsFixture f;
        for (const char *model : {"Outback", "Forester"})
            theDatabase().Execute("INSERT INTO Queries_Cars (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, "
                                  "C_NAME, MAKE, MODEL, CATEGORY) VALUES (?, 1, 0, 'New', 0, 'Robin', 'Subaru', ?, "
                                  "'Pre-Owned')",
                                  {QString("CQ-") + model, model});
        f.host.sellerQueries = [] {
            return std::make_unique<QueryIdList>("Queries_Cars", SqlExpr("STATUS_CODE IN (0, 1)"), "MODEL DESC",
                                                 NodeCarsIncomingLeads, 0);
        };
        NewInventoryCarsPropSheet sheet(&f.host, "Cars - Send Quote", true, 0);
        Show(sheet);
        QComboBox *model = Child<QComboBox>(&sheet, "modelCombo");
        QLineEdit *price = Child<QLineEdit>(&sheet, "priceEdit");
        QCOMPARE(model->currentText(), QString("Outback"));
        for (const auto &[key, expected] : {std::pair{Qt::Key_Right, "Forester"}, std::pair{Qt::Key_Right, "Forester"},
                                            std::pair{Qt::Key_Left, "Outback"}}) {
            price->setFocus();
            QTest::keyClick(price, key, Qt::ControlModifier);
            QCOMPARE(model->currentText(), QString(expected));
        }
        QVERIFY(sheet.isVisible());
    }

    void sheetIsModal()
    {
        CarFormsFixture f;
        NewInventoryCarsPropSheet sheet(&f.host, "Cars - Catalog Record", false, 0);
        QWidget *modal = nullptr;
        QTimer::singleShot(0, &sheet, [&] {
            modal = QApplication::activeModalWidget();
            sheet.reject();
        });
        QCOMPARE(sheet.DoModal(), int(MsgBox::IdCancel));
        QCOMPARE(modal, static_cast<QWidget *>(&sheet));
    }

    void obsoleteQueryKeepsTheSheetOpen()
    {
        CarFormsFixture f;
        theDatabase().Execute("INSERT INTO Queries_Cars (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, C_NAME, "
                              "MAKE, MODEL, CATEGORY) VALUES ('CQ1', 1, 0, 'New', 0, 'Robin', 'Subaru', 'Outback', "
                              "'Pre-Owned')");
        f.host.sellerQueries = [] {
            return std::make_unique<QueryIdList>("Queries_Cars", SqlExpr("STATUS_CODE IN (0, 1)"), "ID",
                                                 NodeCarsIncomingLeads, 0);
        };
        f.server.Enqueue("newCarQuote", Answer(102));
        NewInventoryCarsPropSheet sheet(&f.host, "Cars - Send Quote", true, 0);
        Show(sheet);
        QCOMPARE(Child<QComboBox>(&sheet, "makeCombo")->currentText(), QString("Subaru"));
        for (const auto &[name, text] : {std::pair{"priceEdit", "7000"}, std::pair{"mileageEdit", "50000"},
                                         std::pair{"addressEdit", "1 Main St"}, std::pair{"cityEdit", "Salem"}}) {
            QLineEdit *edit = Child<QLineEdit>(&sheet, name);
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        Choose(&sheet, "bodyStyleCombo", "Wagon");
        Choose(&sheet, "conditionCombo", "Good");
        Choose(&sheet, "extColorCombo", "Blue");
        Choose(&sheet, "transmissionCombo", "Automatic");
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QCOMPARE(f.Posts("newCarQuote"), 1);
        QVERIFY(f.t.dialogs.log.Calls().last().contains(CarQuoteForm::ObsoleteText));
        QVERIFY(sheet.isVisible());
        QCOMPARE(f.Count("SELECT COUNT(*) FROM Quotes_Cars"), 0);
        QCOMPARE(f.Count("SELECT STATUS_CODE FROM Queries_Cars"), 0);
    }
};

KORVANT_TEST_MAIN(TestCarSheet)
#include "tst_carsheet.moc"
