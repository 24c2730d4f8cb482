// Under a real display (xvfb-run): the tray pop-up with a poll's alert, slid
// in at the corner of the screen without taking the focus from the window
// the member works in; saved to the build's screenshots folder.

#include "TestApp.h"
#include "TestEnv.h"

#include "frame/CTrayPopupWnd.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSet>
#include <QTest>

class ShotTrayPopup : public QObject
{
    Q_OBJECT
private slots:
    void popupAfterPoll();
};

void ShotTrayPopup::popupAfterPoll()
{
    TestApp t;
    QWidget work;
    work.setWindowTitle("Work");
    work.resize(400, 300);
    work.show();
    work.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&work));

    CTrayPopupWnd::Options o;
    o.displayMs = 0;
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("You have new queries : 3.\nClick here to see.", 0, o);
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    const QRect full = popup->Placement().rect;
    QTRY_COMPARE(popup->geometry(), full);
    QTest::qWait(200);
    // The member's window keeps the focus.
    QCOMPARE(QApplication::activeWindow(), &work);

    // The corner of the screen, as the member sees it.
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = full.adjusted(-60, -40, 0, 0).intersected(screen->geometry());
    const QImage image = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
    QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/tray-popup.png")));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 10, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
    popup->CloseAnimated();
    QTRY_VERIFY(popup.isNull());
}

KORVANT_TEST_MAIN(ShotTrayPopup)
#include "shot_traypopup.moc"
