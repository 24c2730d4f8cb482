#include "TestApp.h"
#include "TestEnv.h"

#include "frame/CTrayPopupWnd.h"
#include "frame/PopupPlacement.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using PopupPlacement::Edge;

Q_DECLARE_METATYPE(PopupPlacement::Edge)

namespace {

const QRect Screen(0, 0, 1280, 800);

CTrayPopupWnd::Options Quick(QPoint *cursor)
{
    CTrayPopupWnd::Options o;
    o.displayMs = 0;
    o.animationMs = 0;
    o.cursor = [cursor] { return *cursor; };
    o.screen = Screen;
    o.available = QRect(0, 0, 1280, 760);
    return o;
}

} // namespace

class TestTrayPopup : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { CTrayPopupWnd::CloseAll(); }
    void placement_data();
    void placement();
    void slideFollowsTheEdge_data();
    void slideFollowsTheEdge();
    void staysWhileHovered();
    void closesSoonAfterTheMouseLeaves();
    void displayTimeEndsItUnhovered();
    void clicks_data();
    void clicks();
    void toolWindowWithoutFocus();
    void slidesInAndBack();
    void closeAllAtExit();
};

void TestTrayPopup::placement_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<int>("height");
    QTest::addColumn<Edge>("edge");
    QTest::addColumn<QRect>("rect");

    QTest::newRow("panel at the bottom") << QRect(0, 0, 1280, 760) << 110 << Edge::Bottom << QRect(1160, 650, 120, 110);
    QTest::newRow("panel at the top") << QRect(0, 30, 1280, 770) << 110 << Edge::Top << QRect(1160, 30, 120, 110);
    QTest::newRow("panel on the left") << QRect(48, 0, 1232, 800) << 110 << Edge::Left << QRect(48, 690, 120, 110);
    QTest::newRow("panel on the right") << QRect(0, 0, 1232, 800) << 110 << Edge::Right << QRect(1112, 690, 120, 110);
    QTest::newRow("no panel: bottom-right of the area")
        << QRect(0, 0, 1280, 800) << 110 << Edge::None << QRect(1160, 690, 120, 110);
    QTest::newRow("height cut to the area") << QRect(0, 0, 1280, 90) << 110 << Edge::Bottom << QRect(1160, 0, 120, 90);
    // Two panels: the wider one decides.
    QTest::newRow("top bar and bottom panel") << QRect(0, 24, 1280, 720) << 110 << Edge::Bottom
                                              << QRect(1160, 634, 120, 110);
}

void TestTrayPopup::placement()
{
    QFETCH(QRect, available);
    QFETCH(int, height);
    QFETCH(Edge, edge);
    QFETCH(QRect, rect);
    const PopupPlacement::Placement p = PopupPlacement::Place(QSize(120, height), Screen, available);
    QCOMPARE(p.edge, edge);
    QCOMPARE(p.rect, rect);
}

void TestTrayPopup::slideFollowsTheEdge_data()
{
    QTest::addColumn<Edge>("edge");
    QTest::addColumn<QRect>("collapsed");
    QTest::addColumn<QPoint>("halfwayOffset");
    // Of the pop-up at (100, 200, 120, 110). Bottom: grows upwards, the top of the picture leads.
    QTest::newRow("bottom") << Edge::Bottom << QRect(100, 309, 120, 1) << QPoint(0, 0);
    QTest::newRow("top") << Edge::Top << QRect(100, 200, 120, 1) << QPoint(0, -55);
    QTest::newRow("left") << Edge::Left << QRect(100, 200, 1, 110) << QPoint(-60, 0);
    QTest::newRow("right") << Edge::Right << QRect(219, 200, 1, 110) << QPoint(0, 0);
}

void TestTrayPopup::slideFollowsTheEdge()
{
    QFETCH(Edge, edge);
    QFETCH(QRect, collapsed);
    QFETCH(QPoint, halfwayOffset);
    const QRect full(100, 200, 120, 110);
    QCOMPARE(PopupPlacement::Collapsed(full, edge), collapsed);
    const QSize half = (edge == Edge::Left || edge == Edge::Right) ? QSize(60, 110) : QSize(120, 55);
    QCOMPARE(PopupPlacement::ContentOffset(full.size(), half, edge), halfwayOffset);
    QCOMPARE(PopupPlacement::ContentOffset(full.size(), full.size(), edge), QPoint(0, 0));
}

void TestTrayPopup::staysWhileHovered()
{
    TestApp t;
    QPoint cursor(1200, 700);  // on the pop-up
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("You have new queries : 2.\nClick here to see.", 0, Quick(&cursor));
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    QSignalSpy closing(popup.data(), &CTrayPopupWnd::closing);
    // The display time is over while the mouse rests on it: it stays and looks every 50 ms.
    popup->OnTimer(CTrayPopupWnd::DisplayTimer);
    QVERIFY(!popup->IsClosing());
    QVERIFY(popup->IsTimerActive(CTrayPopupWnd::HoverTimer));
    QVERIFY(!popup->IsTimerActive(CTrayPopupWnd::DisplayTimer));
    for (int i = 0; i < 200; ++i)
        popup->OnTimer(CTrayPopupWnd::HoverTimer);
    QVERIFY(!popup->IsClosing());
    QCOMPARE(closing.count(), 0);
    // The first look after the mouse left closes it.
    cursor = QPoint(10, 10);
    popup->OnTimer(CTrayPopupWnd::HoverTimer);
    QCOMPARE(closing.count(), 1);
    QTRY_VERIFY(popup.isNull());
}

void TestTrayPopup::closesSoonAfterTheMouseLeaves()
{
    TestApp t;
    QPoint cursor(1200, 700);
    CTrayPopupWnd::Options o = Quick(&cursor);
    o.displayMs = 100;
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("Import finished", 1, o);
    QSignalSpy closing(popup.data(), &CTrayPopupWnd::closing);
    QTest::qWait(400);
    QVERIFY(popup);
    QCOMPARE(closing.count(), 0);
    QElapsedTimer clock;
    cursor = QPoint(0, 0);
    clock.start();
    QVERIFY(closing.wait(2000));
    // One hover period, plus what a loaded machine adds to a timer.
    QVERIFY2(clock.elapsed() < CTrayPopupWnd::HoverPollMs + 150, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY(popup.isNull());
}

void TestTrayPopup::displayTimeEndsItUnhovered()
{
    TestApp t;
    QPoint cursor(0, 0);
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("x", 0, Quick(&cursor));
    popup->OnTimer(CTrayPopupWnd::DisplayTimer);
    QVERIFY(popup->IsClosing());
    QTRY_VERIFY(popup.isNull());

    // Hovered, but the pop-up does not stay when told not to.
    cursor = QPoint(1200, 700);
    CTrayPopupWnd::Options o = Quick(&cursor);
    o.stayWhileHovered = false;
    popup = CTrayPopupWnd::Show("x", 0, o);
    popup->OnTimer(CTrayPopupWnd::DisplayTimer);
    QVERIFY(popup->IsClosing());
}

void TestTrayPopup::clicks_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("onOptions");
    QTest::addColumn<QString>("signal");
    QTest::newRow("poll news") << 0 << false << "PoolNotify";
    QTest::newRow("import news") << 1 << false << "ImportNotify";
    QTest::newRow("options of poll news") << 0 << true << "PoolNotifyOpt";
    QTest::newRow("options of import news") << 1 << true << "PoolNotifyOpt";
}

void TestTrayPopup::clicks()
{
    QFETCH(int, action);
    QFETCH(bool, onOptions);
    QFETCH(QString, signal);
    TestApp t;
    QStringList got;
    AppSignals &s = t.App().Signals();
    connect(&s, &AppSignals::PoolNotify, this, [&] { got << "PoolNotify"; });
    connect(&s, &AppSignals::PoolNotifyOpt, this, [&] { got << "PoolNotifyOpt"; });
    connect(&s, &AppSignals::ImportNotify, this, [&] { got << "ImportNotify"; });
    QPoint cursor(0, 0);
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("You have new messages : 1.\n Click to see.", action, Quick(&cursor));
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    QVERIFY(popup->OptionsRect().width() > 10);
    const QPoint at = onOptions ? popup->OptionsRect().center() : QPoint(60, 80);
    QTest::mouseClick(popup, Qt::LeftButton, {}, at);
    QTRY_COMPARE(got, QStringList{signal});
    QTRY_VERIFY(popup.isNull());
}

void TestTrayPopup::toolWindowWithoutFocus()
{
    TestApp t;
    QPoint cursor(0, 0);
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("<b>not bold</b>", 0, Quick(&cursor));
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    const Qt::WindowFlags f = popup->windowFlags();
    QVERIFY(f.testFlag(Qt::Tool));
    QVERIFY(f.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(f.testFlag(Qt::FramelessWindowHint));
    // Shown without taking the focus (the screenshot under a real X server checks the effect).
    QVERIFY(popup->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(f.testFlag(Qt::WindowDoesNotAcceptFocus));
    QCOMPARE(popup->size(), QSize(CTrayPopupWnd::ClientWidth, CTrayPopupWnd::ClientHeight));
    QCOMPARE(popup->Text(), QStringLiteral("<b>not bold</b>"));
    popup->CloseAnimated();
}

void TestTrayPopup::slidesInAndBack()
{
    TestApp t;
    QPoint cursor(0, 0);
    CTrayPopupWnd::Options o = Quick(&cursor);
    o.animationMs = 150;
    QPointer<CTrayPopupWnd> popup = CTrayPopupWnd::Show("x", 0, o);
    // It starts as a line on the panel's edge and grows up to its place.
    QCOMPARE(popup->Placement().edge, Edge::Bottom);
    QVERIFY(popup->height() < 20);
    QCOMPARE(popup->geometry().bottom(), 759);
    QTRY_COMPARE(popup->geometry(), QRect(1160, 650, 120, 110));
    popup->CloseAnimated();
    QVERIFY(popup);  // still sliding back
    QTRY_VERIFY(popup.isNull());
}

void TestTrayPopup::closeAllAtExit()
{
    TestApp t;
    QPoint cursor(0, 0);
    QPointer<CTrayPopupWnd> a = CTrayPopupWnd::Show("a", 0, Quick(&cursor));
    QPointer<CTrayPopupWnd> b = CTrayPopupWnd::Show("b", 1, Quick(&cursor));
    QCOMPARE(CTrayPopupWnd::OpenCount(), 2);
    CTrayPopupWnd::CloseAll();
    QVERIFY(a.isNull());
    QVERIFY(b.isNull());
    QCOMPARE(CTrayPopupWnd::OpenCount(), 0);
}

KORVANT_TEST_MAIN(TestTrayPopup)
#include "tst_traypopup.moc"
