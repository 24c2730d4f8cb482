// Under a real display (xvfb-run): each page of the car query sheet, the
// trade-in page included, saved to the build's screenshots folder and
// checked not to be blank and to keep every labelled control inside the sheet.

#include "CarFormsFixture.h"

#include "forms/NewQueryCarsPropSheet.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSet>

class ShotCarQuery : public QObject
{
    Q_OBJECT
private slots:
    void everyPage()
    {
        CarFormsFixture f;
        NewQueryCarsPropSheet sheet(&f.host, "Cars - New Query");
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        sheet.findChild<QComboBox *>("makeCombo")->setCurrentText("Subaru");
        sheet.findChild<QComboBox *>("categoryCombo")->setCurrentText("Salvage/Damaged");
        QTest::mouseClick(sheet.findChild<QRadioButton *>("tradeYesRadio"), Qt::LeftButton, {}, QPoint(6, 6));
        QCOMPARE(sheet.PageCount(), 3);
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        for (int page = 0; page < sheet.PageCount(); ++page) {
            sheet.SetActivePage(page);
            QTest::qWait(100);
            const QRect inside = sheet.rect();
            for (const QLabel *label : sheet.Page(page)->findChildren<QLabel *>()) {
                const QWidget *control = label->buddy();
                if (!control || !control->isVisible())
                    continue;
                for (const QWidget *w : {static_cast<const QWidget *>(label), control}) {
                    const QRect r(w->mapTo(&sheet, QPoint(0, 0)), w->size());
                    QVERIFY2(inside.contains(r), qPrintable(QStringLiteral("%1 outside the sheet").arg(label->text())));
                }
            }
            const QImage image = sheet.grab().toImage();
            QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/carquery_%1.png").arg(page + 1)));
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); y += 4)
                for (int x = 0; x < image.width(); x += 4)
                    colours.insert(image.pixel(x, y));
            QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("page %1: %2 colours").arg(page).arg(colours.size())));
        }
    }
};

KORVANT_TEST_MAIN(ShotCarQuery)
#include "shot_carquery.moc"
