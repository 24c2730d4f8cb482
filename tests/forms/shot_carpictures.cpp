// Under a real display (xvfb-run): the car pictures page with two pictures,
// saved to the build's screenshots folder and checked not to be blank.

#include "FormsFixture.h"

#include "forms/inventoryImagesDlg.h"

#include <QDir>
#include <QPainter>
#include <QSet>

namespace {
QString Photo(const QString &dir, const char *name, QColor sky, QColor body, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(sky);
    QPainter p(&img);
    p.setBrush(body);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRect(size.width() / 6, size.height() / 2, size.width() * 2 / 3, size.height() / 4), 20, 20);
    p.setBrush(Qt::black);
    p.drawEllipse(QPoint(size.width() / 3, size.height() * 3 / 4), size.height() / 10, size.height() / 10);
    p.drawEllipse(QPoint(size.width() * 2 / 3, size.height() * 3 / 4), size.height() / 10, size.height() / 10);
    p.end();
    const QString path = dir + "/" + name;
    return img.save(path, "JPG") ? path : QString();
}
} // namespace

class ShotCarPictures : public QObject
{
    Q_OBJECT
private slots:
    void twoPictures()
    {
        FormsFixture f;
        const QString dir = TestEnv::NewFolder();
        PropertySheet sheet("Cars - Catalog Record");
        auto *page = new inventoryImagesDlg;
        sheet.AddPage(page);
        page->Slots().SetPicture(0, Photo(dir, "front.jpg", QColor(135, 206, 235), Qt::red, {1600, 1200}), "Front");
        page->Slots().SetPicture(3, Photo(dir, "side.JPG", QColor(250, 230, 180), Qt::darkBlue, {900, 1200}), "Side");
        page->ShowSlots();
        sheet.resize(720, 520);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QTest::qWait(100);

        page->CollectPictures();
        QCOMPARE(page->Pictures().size(), 6);
        QCOMPARE(page->Pictures()[3].text, QString("Side"));

        const QImage image = sheet.grab().toImage();
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/carpictures.png")));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
        // The previews show the pictures' own colours.
        bool red = false, blue = false;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) {
                const QColor c = image.pixelColor(x, y);
                red = red || (c.red() > 200 && c.green() < 60 && c.blue() < 60);
                blue = blue || (c.blue() > 100 && c.red() < 40 && c.green() < 40);
            }
        QVERIFY(red && blue);
    }
};

KORVANT_TEST_MAIN(ShotCarPictures)
#include "shot_carpictures.moc"
