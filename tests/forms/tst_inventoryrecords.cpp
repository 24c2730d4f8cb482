// Inventory records stored with their pictures: the new row's own ID, one
// transaction for the row and its titles, and the copy of a sent quote.

#include "FormsFixture.h"

#include "app/XPhotoSet.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XQuoteCarsSet.h"
#include "forms/InventoryRecords.h"

#include <QDir>
#include <QImage>

namespace {

QString Picture(const QString &dir, const char *name)
{
    QImage img(640, 480, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    const QString path = dir + "/" + name;
    return img.save(path, "JPG") ? path : QString();
}

void AddPart(const char *stock)
{
    XInventorySet inv;
    inv.AddNew();
    inv.SetText("P_STOCK_NUMBER", stock);
    inv.SetDouble("P_PRICE", 5);
    inv.Update();
}

QString PartFile(qint64 id, bool big)
{
    return XPhotoSet::GetPhotoFileName("part_images", QString::number(id), "1", big);
}

} // namespace

class TestInventoryRecords : public QObject
{
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<FormsFixture>(); }
    void cleanup() { f.reset(); }

    void newPartTakesTheIdOfItsInsert()
    {
        AddPart("ZZ-9");
        AddPart("MM-1");
        const QString src = Picture(TestEnv::NewFolder(), "p.jpg");
        XInventorySet set;
        set.SetSort("P_STOCK_NUMBER");  // another row sorts last
        QVERIFY(set.Open());
        set.AddNew();
        set.SetText("P_STOCK_NUMBER", "AA-1");
        set.SetDouble("P_PRICE", 9);
        const qint64 id = InventoryRecords::SavePart(set, {{src, "part_image", "1"}});
        QCOMPARE(QString::number(id), f->Text("SELECT ID FROM Inventory WHERE P_STOCK_NUMBER = 'AA-1'"));
        QVERIFY(QFile::exists(PartFile(id, true)));
        QCOMPARE(QDir(theApp().GetDataFolder() + "part_images").entryList(QDir::Files).size(), 2);
    }

    void removedPictureDeletesThePair()
    {
        AddPart("S-1");
        const qint64 id = f->Text("SELECT ID FROM Inventory").toLongLong();
        QDir().mkpath(theApp().GetDataFolder() + "part_images");
        const QString src = Picture(TestEnv::NewFolder(), "p.jpg");
        QVERIFY(XPhotoSet::ConvertToJpeg(src, PartFile(id, false), false));
        QVERIFY(XPhotoSet::ConvertToJpeg(src, PartFile(id, true), true));
        XInventorySet set;
        QVERIFY(set.Open());
        set.Edit();
        set.SetDouble("P_PRICE", 12);
        QCOMPARE(InventoryRecords::SavePart(set, {{"", "part_image", "1"}}), id);
        QVERIFY(!QFile::exists(PartFile(id, false)) && !QFile::exists(PartFile(id, true)));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Inventory WHERE P_PRICE = 12"), 1);
    }

    void carTitlesFollowThePicturesAndAFailureStoresNothing()
    {
        const QString dir = TestEnv::NewFolder();
        const QString side = Picture(dir, "side.jpg"), engine = Picture(dir, "engine.jpg");
        QList<InvPicture> pictures;
        for (int n = 1; n <= 6; ++n)
            pictures.append({n == 2 ? side : n == 5 ? engine : QString(), n == 2 ? "Side" : n == 5 ? "Engine" : "",
                             QString::number(n)});
        XInventoryCarsSet set;
        set.AddNew();
        set.SetText("MAKE", "Volvo");
        const qint64 id = InventoryRecords::SaveCar(set, pictures);
        QCOMPARE(f->Text("SELECT IMG2_TITLE || '/' || IMG5_TITLE || '/' || IFNULL(IMG1_TITLE, '') FROM Inventory_Cars "
                         "WHERE ID = ?", {id}),
                 QString("Side/Engine/"));
        QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), "5", true)));
        QVERIFY(!QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), "1", true)));

        QFile text(dir + "/readme.jpg");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("plain text");
        text.close();
        XInventoryCarsSet bad;
        bad.AddNew();
        bad.SetText("MAKE", "Saab");
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 InventoryRecords::SaveCar(bad, {{side, "Side", "1"}, {text.fileName(), "x", "2"}}));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Inventory_Cars"), 1);
        QCOMPARE(QDir(theApp().GetDataFolder() + "images").entryList(QDir::Files).size(), 4);
    }

    void sentCarQuoteBecomesARecordWithSixPairs()
    {
        AddPart("unrelated");
        XInventoryCarsSet other;
        other.AddNew();
        other.SetText("STOCK_NUMBER", "ZZZ");
        other.Update();
        const QString src = Picture(TestEnv::NewFolder(), "car.jpg");
        QDir().mkpath(theApp().GetDataFolder() + "images/outcoming");
        for (int n = 1; n <= 6; ++n) {
            for (bool big : {false, true})
                QVERIFY(XPhotoSet::ConvertToJpeg(
                    src, XPhotoSet::GetQuotePhotoFileName("images", "CQ-5", QString::number(n), big), big));
        }
        XQuoteCarsSet quote;
        quote.AddNew();
        quote.SetText("ID", "CQ-5");
        quote.SetText("MAKE", "Volvo");
        quote.SetText("STOCK_NUMBER", "AAA");
        SqlTransaction scope(theDatabase().Connection());
        const qint64 id = InventoryRecords::StoreCarQuote(quote);
        scope.Commit();
        QCOMPARE(QString::number(id), f->Text("SELECT ID FROM Inventory_Cars WHERE STOCK_NUMBER = 'AAA'"));
        for (int n = 1; n <= 6; ++n) {
            QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), QString::number(n), false)));
            QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("images", QString::number(id), QString::number(n), true)));
        }
    }

private:
    std::unique_ptr<FormsFixture> f;
};

KORVANT_TEST_MAIN(TestInventoryRecords)
#include "tst_inventoryrecords.moc"
