#include "TestApp.h"
#include "TestEnv.h"

#include "app/CPicture.h"
#include "app/XPhotoSet.h"
#include "app/XSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <thread>
#include <QFile>

static QString WriteImage(const QString &path, int w, int h, const char *format = "JPG")
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    return img.save(path, format) ? path : QString();
}

static QSize SizeOfJpeg(const QByteArray &bytes)
{
    return QImage::fromData(bytes, "JPG").size();
}

// Photo files: the two sizes, pairs on disk, inventory pictures, scaling.
class TestPhotos : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void scaleToFit_data()
    {
        QTest::addColumn<QSize>("in");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QSize>("out");
        QTest::newRow("portrait small") << QSize(600, 800) << 160 << QSize(120, 160);
        QTest::newRow("not enlarged") << QSize(600, 800) << 800 << QSize(600, 800);
        QTest::newRow("landscape") << QSize(1600, 1200) << 800 << QSize(800, 600);
        QTest::newRow("square") << QSize(300, 300) << 160 << QSize(160, 160);
        QTest::newRow("thin strip keeps a pixel") << QSize(2000, 3) << 160 << QSize(160, 1);
        QTest::newRow("truncated") << QSize(1000, 333) << 160 << QSize(160, 53);
    }
    void scaleToFit()
    {
        QFETCH(QSize, in);
        QFETCH(int, limit);
        QFETCH(QSize, out);
        CPicture p;
        static_cast<QImage &>(p) = QImage(in, QImage::Format_RGB32);
        ScaleToFit(p, limit);
        QCOMPARE(p.size(), out);
    }

    void fitSize_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("out");
        QTest::newRow("fits") << QSize(50, 40) << QSize(100, 100) << QSize(50, 40);
        QTest::newRow("too wide") << QSize(200, 50) << QSize(100, 100) << QSize(100, 25);
        QTest::newRow("too high") << QSize(50, 200) << QSize(100, 100) << QSize(25, 100);
        QTest::newRow("both, width decides") << QSize(400, 200) << QSize(100, 100) << QSize(100, 50);
        QTest::newRow("both, height decides") << QSize(200, 400) << QSize(100, 100) << QSize(50, 100);
    }
    void fitSize()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, box);
        QFETCH(QSize, out);
        QCOMPARE(FitPictureSize(image, box), out);
    }

    void loadPhotoMakesBothSizes()
    {
        const QString dir = TestEnv::NewFolder();
        const QString src = WriteImage(dir + "/big_photo.jpg", 1600, 1200);
        XPhotoSet set;
        QVERIFY(set.LoadPhoto(src, 2, false));
        QCOMPARE(SizeOfJpeg(set.GetSlot(2).small), QSize(160, 120));
        QCOMPARE(SizeOfJpeg(set.GetSlot(2).big), QSize(800, 600));
        QVERIFY(!set.IsSlotFilled(0));
        QVERIFY(!set.LoadPhoto(dir + "/missing.jpg", 0, false));
        QVERIFY(!set.LoadPhoto(src, 6, false));
    }

    void pairNamingUsesTheFileNameOnly()
    {
        const QString dir = TestEnv::NewFolder("a_b");
        WriteImage(dir + "/12_1_sm.jpg", 160, 120);
        WriteImage(dir + "/12_1_big.jpg", 800, 600);
        XPhotoSet set;
        QVERIFY(set.LoadPhoto(dir + "/12_1_sm.jpg", 0, true));
        QCOMPARE(SizeOfJpeg(set.GetSlot(0).big), QSize(800, 600));
        QCOMPARE(XPhotoSet::PairBase(dir + "/12_1_sm.jpg"), dir + "/12_1");
        // The folder's "_" is not the pair's.
        QCOMPARE(XPhotoSet::PairBase(dir + "/photo.jpg"), QString());
        QVERIFY(!set.LoadPhoto(dir + "/photo.jpg", 1, true));
    }

    void extensionDecidesTheType()
    {
        const QString dir = TestEnv::NewFolder();
        CPicture p;
        QVERIFY(LoadPictureFile(p, WriteImage(dir + "/UPPER.JPG", 10, 10)));
        QVERIFY(!LoadPictureFile(p, WriteImage(dir + "/noext", 10, 10)));
        QCOMPARE(CPicture::TypeOfPath("x.BMP"), 1);
        QCOMPARE(CPicture::TypeOfPath("x.jpeg"), 2);
        QCOMPARE(CPicture::TypeOfPath("x.gif"), 0);
    }

    void saveAndNames()
    {
        XPhotoSet set;
        const QString dir = TestEnv::NewFolder();
        QVERIFY(set.SavePhotoFiles(0, dir + "/s.jpg", dir + "/b.jpg"));  // empty slot
        QVERIFY(!QFile::exists(dir + "/s.jpg"));
        set.SetSlotBytes(0, "S", "B");
        QVERIFY(set.SavePhotoFiles(0, dir + "/s.jpg", dir + "/b.jpg"));
        QVERIFY(QFile::exists(dir + "/b.jpg"));
        QVERIFY(!set.SavePhotoFiles(0, dir + "/no/such/s.jpg", dir + "/no/such/b.jpg"));
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|"), 1);

        const QString data = m_app->DataFolder();
        QCOMPARE(XPhotoSet::GetPhotoFileName("part_images", "7", "1", true), data + "part_images/7_1_big.jpg");
        QCOMPARE(XPhotoSet::GetQuotePhotoFileName("images", "Q9", "3", false), data + "images/outcoming/qt_Q9_3_sm.jpg");
    }

    void inventoryPictureOfAnImportedRecord()
    {
        const QString host = TestEnv::NewFolder();
        theSettings().SetString(Setting::ITrackProIniFilePath, host + "/itrack.ini");
        const QString images = host + "/images";
        QVERIFY(QDir().mkpath(images));
        QFile ini(host + "/itrack.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.close();
        QCOMPARE(theSettings().GetImagesFolder(), images);
        // Qt writes no GIF: PNG bytes under the name prove the reader detects the format.
        QVERIFY(!WriteImage(images + "/ST5_01.gif", 20, 10, "PNG").isEmpty());
        PictureHolder holder;
        XPhotoSet::LoadInventoryPicture(holder, "ITR", "ST5", 1);
        QCOMPARE(holder.path, images + "/ST5_01.gif");
        QCOMPARE(holder.image.size(), QSize(20, 10));

        PictureHolder none;
        XPhotoSet::LoadInventoryPicture(none, "ITR", "NOPE", 1);
        QVERIFY(none.path.isEmpty());

        QDir().mkpath(m_app->DataFolder() + "part_images");
        WriteImage(m_app->DataFolder() + "part_images/42_1_big.jpg", 30, 30);
        PictureHolder own;
        XPhotoSet::LoadInventoryPicture(own, "", "X", 42);
        QCOMPARE(own.image.size(), QSize(30, 30));
    }

    void collectYieldsEverySlot()
    {
        PictureCollection pictures(XPhotoSet::SlotCount);
        pictures.SetPicture(1, "  /tmp/side.jpg ", "Side");
        pictures.SetPicture(4, "/tmp/engine.jpg", "Engine");
        // Auto-reply collects on its own thread: no window, no main thread needed.
        std::thread worker([&pictures] { pictures.CollectPictures(); });
        worker.join();
        const QList<InvPicture> &list = pictures.Pictures();
        QCOMPARE(list.size(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(list[i].number, QString::number(i + 1));
        QCOMPARE(list[1].file, QString("/tmp/side.jpg"));
        QCOMPARE(pictures.File(1), QString("/tmp/side.jpg"));
        QCOMPARE(list[4].text, QString("Engine"));
        QVERIFY(list[0].file.isEmpty() && list[5].file.isEmpty());
    }

    // New, unchanged and removed pictures of a record, and a file that is no picture.
    void inventoryPicturesFollowTheSlots()
    {
        const QString src = TestEnv::NewFolder();
        const QString a = WriteImage(src + "/a.jpg", 1600, 1200);
        const QString b = WriteImage(src + "/b.JPG", 300, 200);
        auto big = [](const char *n) { return XPhotoSet::GetPhotoFileName("images", "7", n, true); };
        auto small = [](const char *n) { return XPhotoSet::GetPhotoFileName("images", "7", n, false); };

        QStringList titles;
        QVERIFY(XPhotoSet::SaveCarInventoryPictures("7", {{a, "Front", "1"}, {"", "", "2"}, {b, "Back", "3"}}, titles));
        QCOMPARE(titles, QStringList({"Front", "", "Back", "", "", ""}));
        QCOMPARE(QImage(big("1")).size(), QSize(800, 600));
        QCOMPARE(QImage(small("1")).size(), QSize(160, 120));
        QCOMPARE(QImage(big("3")).size(), QSize(300, 200));  // never enlarged

        // Unchanged: picture 1 is its own big file; 3 removed.
        const QDateTime written(QDate(2001, 2, 3), QTime(4, 5, 6));
        {
            QFile f(big("1"));
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(written, QFileDevice::FileModificationTime));
        }
        QVERIFY(XPhotoSet::SaveCarInventoryPictures("7", {{big("1"), "Front", "1"}, {"", "", "3"}}, titles));
        QCOMPARE(QFileInfo(big("1")).lastModified(), written);
        QVERIFY(!QFile::exists(big("3")) && !QFile::exists(small("3")));
        QCOMPARE(titles.value(0), QString("Front"));
        QVERIFY(titles.value(2).isEmpty());

        // A text file named .jpg is refused and the old pair stays.
        QFile text(src + "/notes.jpg");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
        text.close();
        QVERIFY(!XPhotoSet::SaveCarInventoryPictures("7", {{text.fileName(), "Oops", "1"}}, titles));
        QCOMPARE(QImage(big("1")).size(), QSize(800, 600));
    }

    void quotePicturesCopiedToInventory()
    {
        const QString src = TestEnv::NewFolder();
        const QString a = WriteImage(src + "/a.jpg", 400, 300);
        QDir().mkpath(m_app->DataFolder() + "images/outcoming");
        for (int n = 1; n <= 6; ++n) {
            QVERIFY(XPhotoSet::ConvertToJpeg(a, XPhotoSet::GetQuotePhotoFileName("images", "CQ-1", QString::number(n), false), false));
            QVERIFY(XPhotoSet::ConvertToJpeg(a, XPhotoSet::GetQuotePhotoFileName("images", "CQ-1", QString::number(n), true), true));
        }
        QCOMPARE(XPhotoSet::CopyQuotePicturesToInventory("images", "CQ-1", "12", 6), 6);
        for (int n = 1; n <= 6; ++n)
            QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("images", "12", QString::number(n), false)));

        // A hostile quote id names no file.
        const int before = QDir(m_app->DataFolder() + "images").entryList(QDir::Files).size();
        QCOMPARE(XPhotoSet::CopyQuotePicturesToInventory("images", "../../x", "13", 6), 0);
        QCOMPARE(QDir(m_app->DataFolder() + "images").entryList(QDir::Files).size(), before);
        QStringList titles;
        QVERIFY(!XPhotoSet::SaveCarInventoryPictures("../x", {{a, "t", "1"}}, titles));
        QVERIFY(!QFile::exists(m_app->DataFolder() + "x_1_big.jpg"));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestPhotos)
#include "tst_photos.moc"
