#include "TestApp.h"
#include "TestEnv.h"

#include "app/CPicture.h"
#include "app/XPhotoSet.h"
#include "app/XSettings.h"

#include <QDir>
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

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestPhotos)
#include "tst_photos.moc"
