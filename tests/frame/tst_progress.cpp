#include "TestEnv.h"

#include "frame/CProgStatusBar.h"
#include "frame/ProgressModel.h"

#include <QProgressBar>
#include <QTest>

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void fourSteps();
    void stepsOfAnEmptyRange_data();
    void stepsOfAnEmptyRange();
    void manyStepsDrawOncePerPercent();
    void barRect_data();
    void barRect();
    void statusBarRunAndEnd();
};

void TestProgress::fourSteps()
{
    ProgressModel m;
    m.Begin("Importing data:");
    m.SetRange(0, 4);
    QList<int> drawn;
    ProgressModel::Change last = ProgressModel::Change::None;
    for (int i = 0; i < 4; ++i) {
        last = m.Step();
        if (last == ProgressModel::Change::Redraw)
            drawn << m.Percent();
    }
    QCOMPARE(drawn, (QList<int>{25, 50, 75}));
    QCOMPARE(last, ProgressModel::Change::Ended);
    QVERIFY(!m.IsVisible());
    QVERIFY(!m.IsRunning());
    // The end gives the range back for a run that sets none.
    QCOMPARE(m.Lower(), 0);
    QCOMPARE(m.Upper(), 100);
    QCOMPARE(m.Position(), 0);
    QVERIFY(m.Text().isEmpty());
}

void TestProgress::stepsOfAnEmptyRange_data()
{
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::newRow("0..0") << 0 << 0;
    QTest::newRow("5..2") << 5 << 2;
}

void TestProgress::stepsOfAnEmptyRange()
{
    QFETCH(int, lower);
    QFETCH(int, upper);
    ProgressModel m;
    m.Begin("x");
    m.SetRange(lower, upper);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m.Step(), ProgressModel::Change::None);
    QCOMPARE(m.Percent(), 0);
    QCOMPARE(m.SetPos(7), ProgressModel::Change::None);
}

void TestProgress::manyStepsDrawOncePerPercent()
{
    CProgStatusBar bar;
    bar.resize(600, 24);
    bar.show();
    bar.BeginProgress("Importing data:");
    bar.SetRange(0, 10000);
    const int before = bar.Pane()->RedrawCount();
    for (int i = 0; i < 10000; ++i)
        bar.StepProgress();
    QVERIFY(bar.Pane()->RedrawCount() - before <= 101);
    QVERIFY(!bar.Model().IsVisible());
    QCOMPARE(bar.PaneWidth(), CProgStatusBar::IdleWidth);
}

void TestProgress::barRect_data()
{
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<QRect>("expected");
    // Pane 0,0 200x20, blank 4: an empty text starts at the left edge.
    QTest::newRow("no text") << 0 << QRect(QPoint(0, 2), QPoint(139, 17));
    QTest::newRow("text") << 84 << QRect(QPoint(100, 2), QPoint(169, 17));
    QTest::newRow("text wider than the pane") << 400 << QRect(QPoint(416, 2), QPoint(415, 17));
}

void TestProgress::barRect()
{
    QFETCH(int, textWidth);
    QFETCH(QRect, expected);
    QCOMPARE(ProgressModel::BarRect(QRect(0, 0, 200, 20), textWidth, 4), expected);
}

void TestProgress::statusBarRunAndEnd()
{
    CProgStatusBar bar;
    bar.resize(600, 24);
    bar.show();
    QCOMPARE(bar.PaneWidth(), CProgStatusBar::IdleWidth);
    QVERIFY(!bar.GetProgressCtrl()->isVisible());
    bar.BeginProgress("Synchronizing");
    bar.SetRange(0, 4);
    QCOMPARE(bar.PaneWidth(), CProgStatusBar::RunningWidth);
    QVERIFY(bar.GetProgressCtrl()->isVisible());
    bar.StepProgress();
    QCOMPARE(bar.GetProgressCtrl()->value(), 1);
    bar.SetProgressPos(3);
    QCOMPARE(bar.Model().Percent(), 75);
    bar.EndProgress();
    bar.EndProgress();  // a second end changes nothing
    QCOMPARE(bar.PaneWidth(), CProgStatusBar::IdleWidth);
    QVERIFY(!bar.GetProgressCtrl()->isVisible());
    QCOMPARE(bar.GetProgressCtrl()->maximum(), 100);
    QCOMPARE(bar.GetProgressCtrl()->value(), 0);
}

KORVANT_TEST_MAIN(TestProgress)
#include "tst_progress.moc"
