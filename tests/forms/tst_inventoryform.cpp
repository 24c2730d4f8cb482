// The parts inventory record form and the part picture dialog: the rules on
// the record (validation, the buy address) and the dialogs driven with
// clicks and keys.

#include "FormsFixture.h"

#include "app/XPhotoSet.h"
#include "dialogs/GuiUtils.h"
#include "forms/CSelectPartImage.h"
#include "forms/InventoryPartForm.h"
#include "forms/NewInventoryDlg.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
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

void Type(QWidget *dlg, const char *name, const QString &text)
{
    QLineEdit *edit = Child<QLineEdit>(dlg, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

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

qint64 AddPart(const QString &stock, const QString &make = "Ford")
{
    theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_TYPE, P_CATEGORY, P_PRICE, V_MAKE, V_MODEL, "
                          "V_YEAR, V_END_YEAR, P_QUANTITY) VALUES (?, 'Starter', 'Used', 'Engine', 25, ?, 'Focus', "
                          "'2004', '2006', 1)",
                          {stock, make});
    return theDatabase().Connection().Scalar("SELECT MAX(ID) FROM Inventory").toLongLong();
}

QString Picture(const char *name)
{
    QImage img(640, 480, QImage::Format_RGB32);
    img.fill(Qt::darkRed);
    const QString path = TestEnv::NewFolder() + "/" + name;
    return img.save(path, "JPG") ? path : QString();
}

void Show(QDialog &dlg)
{
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
}

} // namespace

class TestInventoryForm : public QObject
{
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<FormsFixture>(); }
    void cleanup() { f.reset(); }

    void validation_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("category");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("lines");
        QTest::newRow("complete") << false << "NEW-1" << "Engine" << 5.0 << "";
        QTest::newRow("stock number taken") << false << "S-1" << "Engine" << 5.0
                                            << "- Stock Number (must be unique)\n";
        QTest::newRow("own stock number on edit") << true << "S-1" << "Engine" << 5.0 << "";
        QTest::newRow("category placeholder") << false << "NEW-1" << InventoryPartForm::CategoryPlaceholder << 5.0
                                              << "- Part category\n";
        QTest::newRow("no stock, no price") << false << "" << "Engine" << 0.0
                                            << "- Stock Number\n- Price (must be greater than zero)\n";
    }
    void validation()
    {
        QFETCH(bool, existing);
        QFETCH(QString, stock);
        QFETCH(QString, category);
        QFETCH(double, price);
        QFETCH(QString, lines);
        const qint64 id = AddPart("S-1");
        InventoryPartForm form;
        if (existing)
            QVERIFY(form.Open(id));
        XInventorySet &r = form.Record();
        r.SetText("P_STOCK_NUMBER", stock);
        r.SetText("V_MAKE", "Ford");
        r.SetText("V_MODEL", "Focus");
        r.SetText("P_TYPE", "Used");
        r.SetText("P_CATEGORY", category);
        r.SetText("P_NAME", "Starter");
        r.SetDouble("P_PRICE", price);
        QCOMPARE(form.MissingFields(), lines);
    }

    void buyUrl_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opened");
        QTest::newRow("bare host") << "x.com" << "http://x.com";
        QTest::newRow("https kept") << "https://x" << "https://x";
        QTest::newRow("blanks trimmed") << "  http://y.org " << "http://y.org";
    }
    void buyUrl()
    {
        QFETCH(QString, typed);
        QFETCH(QString, opened);
        QStringList urls;
        const auto previous = GuiUtils::SetUrlOpener([&urls](const QUrl &u) {
            urls << u.toString();
            return true;
        });
        NewInventoryDlg dlg(&f->host, 0);
        Show(dlg);
        Type(&dlg, "urlEdit", typed);
        QTest::mouseClick(Child<QPushButton>(&dlg, "openUrlButton"), Qt::LeftButton);
        GuiUtils::SetUrlOpener(previous);
        QCOMPARE(urls, QStringList{opened});
    }

    // The record shown is the one of the ID given, not the row at a list position.
    void editOpensTheRecordByItsId()
    {
        AddPart("A-1");
        const qint64 id = AddPart("Z-9", "Volvo");
        AddPart("M-5");
        NewInventoryDlg dlg(&f->host, id);
        Show(dlg);
        QCOMPARE(Child<QLineEdit>(&dlg, "stockEdit")->text(), QString("Z-9"));
        QCOMPARE(Child<QSpinBox>(&dlg, "endYearSpin")->value(), 2006);
        Type(&dlg, "priceEdit", "31.5");
        QTest::mouseClick(Child<QPushButton>(&dlg, "saveCloseButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Inventory WHERE ID = ? AND P_PRICE = 31.5 AND V_MAKE = 'Volvo'", {id}), 1);
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Inventory"), 3);
        QVERIFY(f->host.log.Calls().contains("OpenInventoryList|0"));
    }

    void saveAndNewKeepsTheVehicleAndThePicture()
    {
        f->t.dialogs.QueueFileName(Picture("part.jpg"));
        NewInventoryDlg dlg(&f->host, 0);
        Show(dlg);
        Type(&dlg, "stockEdit", "N-1");
        Choose(&dlg, "makeCombo", "Ford");
        Choose(&dlg, "modelCombo", "Focus");
        Choose(&dlg, "categoryCombo", "Engine");
        Choose(&dlg, "partNameCombo", "Starter");
        Type(&dlg, "priceEdit", "12");
        QTimer::singleShot(0, &dlg, [&dlg] {
            auto *picture = dlg.findChild<CSelectPartImage *>();
            QTest::mouseClick(Child<QPushButton>(picture, "browseButton"), Qt::LeftButton);
            picture->accept();
        });
        QTest::mouseClick(Child<QPushButton>(&dlg, "pictureButton"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(&dlg, "saveNewButton"), Qt::LeftButton);
        QCOMPARE(f->t.dialogs.log.Count("MessageBox"), 0);
        const qint64 id = f->Text("SELECT ID FROM Inventory WHERE P_STOCK_NUMBER = 'N-1'").toLongLong();
        QVERIFY(id > 0);
        QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("part_images", QString::number(id), "1", true)));
        // A new record: the vehicle kept, the part back to its defaults, no picture.
        QVERIFY(dlg.isVisible());
        QCOMPARE(Child<QComboBox>(&dlg, "makeCombo")->currentText(), QString("Ford"));
        QVERIFY(Child<QLineEdit>(&dlg, "stockEdit")->text().isEmpty());
        QVERIFY(Child<QLineEdit>(&dlg, "priceEdit")->text().isEmpty());
        QVERIFY(dlg.Picture().PictureFile().isEmpty());
        Type(&dlg, "stockEdit", "N-1");
        QTest::mouseClick(Child<QPushButton>(&dlg, "saveCloseButton"), Qt::LeftButton);
        QVERIFY(f->t.dialogs.log.Calls().last().contains("- Stock Number (must be unique)"));
        QVERIFY(dlg.isVisible());
    }

    void pictureDialogTakesOnlyPictures()
    {
        QFile text(TestEnv::NewFolder() + "/notes.jpg");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("hello");
        text.close();
        const QString good = Picture("good.JPG");
        CSelectPartImage dlg;
        dlg.SetPictureFile(good);
        Show(dlg);
        f->t.dialogs.QueueFileName(text.fileName());
        QTest::mouseClick(Child<QPushButton>(&dlg, "browseButton"), Qt::LeftButton);
        QCOMPARE(f->t.dialogs.log.Count("MessageBox"), 1);
        QCOMPARE(dlg.PictureFile(), good);
        QCOMPARE(dlg.Pictures().value(0).file, good);

        // "X" and OK: one picture with an empty path.
        QTest::mouseClick(Child<QPushButton>(&dlg, "clearButton"), Qt::LeftButton);
        dlg.accept();
        QCOMPARE(dlg.Pictures().size(), 1);
        QVERIFY(dlg.Pictures()[0].file.isEmpty());
        QCOMPARE(dlg.Pictures()[0].text, QString("part_image"));
        QCOMPARE(dlg.Pictures()[0].number, QString("1"));

        // A typed path is kept trimmed.
        Show(dlg);
        Type(&dlg, "pathEdit", "  " + good + "  ");
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.Pictures()[0].file, good);
    }

private:
    std::unique_ptr<FormsFixture> f;
};

KORVANT_TEST_MAIN(TestInventoryForm)
#include "tst_inventoryform.moc"
