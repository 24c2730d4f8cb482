// Under a real display (xvfb-run): the part query form, filled as a member
// would, saved to the build's screenshots folder, checked not to be blank
// and to hold every labelled control inside its window.

#include "FormsFixture.h"

#include "forms/NewQueryDlg.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSet>

class ShotNewQuery : public QObject
{
    Q_OBJECT
private slots:
    void newQueryForm()
    {
        FormsFixture f;
        NewQueryDlg dlg(&f.host, "Parts - New Query");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.findChild<QComboBox *>("makeCombo")->setCurrentText("Ford");
        dlg.findChild<QComboBox *>("categoryCombo")->setCurrentText("Engine");
        QTest::qWait(100);

        const QRect inside = dlg.rect();
        int labelled = 0;
        for (const QLabel *label : dlg.findChildren<QLabel *>()) {
            const QWidget *control = label->buddy();
            if (!control)
                continue;
            ++labelled;
            for (const QWidget *w : {static_cast<const QWidget *>(label), control}) {
                const QRect r(w->mapTo(&dlg, QPoint(0, 0)), w->size());
                QVERIFY2(w->isVisible() && inside.contains(r),
                         qPrintable(QStringLiteral("%1 outside the form").arg(label->text())));
            }
        }
        QVERIFY(labelled >= 25);

        const QImage image = dlg.grab().toImage();
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/newquery.png")));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
    }
};

KORVANT_TEST_MAIN(ShotNewQuery)
#include "shot_newquery.moc"
