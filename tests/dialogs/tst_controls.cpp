#include "TestApp.h"
#include "TestEnv.h"

#include "dialogs/CMyHyperLink.h"
#include "dialogs/CSortHeaderCtrl.h"
#include "dialogs/CSplitterControl.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/RBitmapButton.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <memory>

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void groupChecksExclusively();
    void buttonWithoutGroupChecksAlone();
    void sameGroupTwiceKeepsOneEntry();
    void destroyedButtonLeavesGroup();
    void lastOfGroupLeavesNoGroup();
    void releaseSendsUserValue();
    void arrowLines_data();
    void arrowLines();
    void sortColumnPaintsArrowSection();
    void splitterClampsToRange();
    void splitterStartsWithoutRoom();
    void splitterChangeHeight();
    void notifyParentLinkNeverOpens();
    void plainLinkOpensItsUrl();
};

void TestControls::groupChecksExclusively()
{
    QWidget parent;
    RBitmapButton a(&parent), b(&parent), c(&parent);
    for (RBitmapButton *button : {&a, &b, &c})
        QVERIFY(button->SetGroup("market"));
    parent.show();
    QTest::mouseClick(&a, Qt::LeftButton);
    QVERIFY(a.IsChecked());
    QTest::mouseClick(&b, Qt::LeftButton);
    QVERIFY(b.IsChecked());
    QVERIFY(!a.IsChecked());
    QVERIFY(!c.IsChecked());
    // A second click on the checked button keeps it checked.
    QTest::mouseClick(&b, Qt::LeftButton);
    QVERIFY(b.IsChecked());
    c.SetChecked(true);
    QVERIFY(!b.IsChecked());
    c.SetChecked(false);
    QVERIFY(!c.IsChecked());
}

void TestControls::buttonWithoutGroupChecksAlone()
{
    RBitmapButton lone, grouped;
    QVERIFY(!lone.SetGroup(QString()));
    QVERIFY(grouped.SetGroup("g"));
    grouped.SetChecked(true);
    lone.SetChecked(true);
    QVERIFY(lone.IsChecked());
    QVERIFY(grouped.IsChecked());
}

void TestControls::sameGroupTwiceKeepsOneEntry()
{
    RBitmapButton a;
    QVERIFY(a.SetGroup("twice"));
    QVERIFY(a.SetGroup("twice"));
    QCOMPARE(RBitmapButton::GroupSize("twice"), 1);
    QVERIFY(a.SetGroup("other"));
    QCOMPARE(RBitmapButton::GroupSize("twice"), 0);
    QCOMPARE(RBitmapButton::GroupSize("other"), 1);
}

void TestControls::destroyedButtonLeavesGroup()
{
    TestApp env({.commandLine = QStringLiteral("-level 5")});
    auto a = std::make_unique<RBitmapButton>();
    RBitmapButton b;
    a->SetGroup("gone");
    b.SetGroup("gone");
    a->SetChecked(true);
    a.reset();
    QCOMPARE(RBitmapButton::GroupSize("gone"), 1);
    b.SetChecked(true);  // no dangling member to uncheck
    QVERIFY(b.IsChecked());
    QVERIFY(!env.LogText().contains("Clear DIB objects"));
}

// The last button of a group takes the group with it; the others stay.
void TestControls::lastOfGroupLeavesNoGroup()
{
    RBitmapButton other;
    QVERIFY(other.SetGroup("kept"));
    const int groups = RBitmapButton::GroupCount();
    {
        RBitmapButton last;
        QVERIFY(last.SetGroup("last"));
        QCOMPARE(RBitmapButton::GroupCount(), groups + 1);
    }
    QCOMPARE(RBitmapButton::GroupCount(), groups);
    QCOMPARE(RBitmapButton::GroupSize("kept"), 1);
}

void TestControls::releaseSendsUserValue()
{
    RBitmapButton button;
    button.SetUserValue(1);
    button.resize(60, 60);
    button.show();
    QSignalSpy spy(&button, &RBitmapButton::ctxButtonClicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QVERIFY(button.IsChecked());
}

void TestControls::arrowLines_data()
{
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QList<QLine>>("lines");
    QTest::addColumn<int>("shadowFrom");
    // Section 0,0 100x20: q = 5, r = 99, b = 19.
    QTest::newRow("ascending") << true
                               << QList<QLine>{QLine(89, 5, 94, 13), QLine(82, 13, 94, 13), QLine(89, 5, 82, 13)} << 2;
    QTest::newRow("descending") << false
                                << QList<QLine>{QLine(93, 5, 88, 14), QLine(83, 5, 88, 14), QLine(83, 5, 93, 5)} << 1;
}

void TestControls::arrowLines()
{
    QFETCH(bool, ascending);
    QFETCH(QList<QLine>, lines);
    QFETCH(int, shadowFrom);
    const auto arrow = CSortHeaderCtrl::ArrowLines(QRect(0, 0, 100, 20), ascending);
    QCOMPARE(arrow.lines, lines);
    QCOMPARE(arrow.shadowFrom, shadowFrom);
}

void TestControls::sortColumnPaintsArrowSection()
{
    QStandardItemModel model(1, 3);
    model.setHorizontalHeaderLabels({"Make", "Model", "Year"});
    CSortHeaderCtrl header;
    header.setModel(&model);
    header.resize(300, 20);
    QCOMPARE(header.SortColumn(), -1);
    const QImage before = header.grab().toImage();
    header.SetSortArrow(2, false);
    QCOMPARE(header.SortColumn(), 2);
    QVERIFY(!header.SortAscending());
    const QImage after = header.grab().toImage();
    // Only the sort column's section changes.
    const int firstX = header.sectionViewportPosition(2);
    QCOMPARE(before.copy(0, 0, firstX, 20), after.copy(0, 0, firstX, 20));
    QVERIFY(before != after);
}

void TestControls::splitterClampsToRange()
{
    QWidget dialog;
    dialog.resize(400, 300);
    CSplitterControl splitter(QRect(10, 100, 300, 20), &dialog);
    QCOMPARE(splitter.GetOrientation(), CSplitterControl::Horizontal);
    QCOMPARE(splitter.height(), 5);
    splitter.SetRange(40, 60);
    dialog.show();
    QSignalSpy moved(&splitter, &CSplitterControl::moved);
    const QPoint at(50, 2);
    QTest::mousePress(&splitter, Qt::LeftButton, {}, at);
    QTest::mouseMove(&splitter, at + QPoint(0, 500));
    QTest::mouseRelease(&splitter, Qt::LeftButton, {}, at + QPoint(0, 500));
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toInt(), 60);
    // A release where the drag began moves nothing.
    QTest::mousePress(&splitter, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&splitter, Qt::LeftButton, {}, at);
    QCOMPARE(moved.at(1).at(0).toInt(), 0);
}

void TestControls::splitterStartsWithoutRoom()
{
    QWidget dialog;
    CSplitterControl splitter(QRect(100, 10, 4, 200), &dialog);
    QCOMPARE(splitter.GetOrientation(), CSplitterControl::Vertical);
    dialog.show();
    QSignalSpy moved(&splitter, &CSplitterControl::moved);
    QTest::mousePress(&splitter, Qt::LeftButton, {}, QPoint(2, 50));
    QTest::mouseMove(&splitter, QPoint(80, 50));
    QTest::mouseRelease(&splitter, Qt::LeftButton, {}, QPoint(80, 50));
    QCOMPARE(moved.at(0).at(0).toInt(), 0);
}

void TestControls::splitterChangeHeight()
{
    QWidget parent;
    QWidget top(&parent), bottom(&parent);
    top.setGeometry(0, 0, 100, 50);
    bottom.setGeometry(0, 60, 100, 50);
    CSplitterControl::ChangeHeight(&top, 20, CSplitterControl::AlignTop);
    CSplitterControl::ChangeHeight(&bottom, 20, CSplitterControl::AlignBottom);
    QCOMPARE(top.geometry(), QRect(0, 0, 100, 70));
    QCOMPARE(bottom.geometry(), QRect(0, 80, 100, 30));
}

void TestControls::notifyParentLinkNeverOpens()
{
    QStringList opened;
    auto previous = GuiUtils::SetUrlOpener([&](const QUrl &url) {
        opened << url.toString();
        return true;
    });
    CMyHyperLink link(nullptr, 194);
    link.SetLinkText("Contact Us");
    link.SetLinkUrl("https://www.korvant.example/contact");
    link.SetNotifyParent(true);
    link.show();
    QSignalSpy clicked(&link, &CMyHyperLink::linkClicked);
    QTest::mouseClick(&link, Qt::LeftButton);
    GuiUtils::SetUrlOpener(previous);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), 194);
    QVERIFY(opened.isEmpty());
}

void TestControls::plainLinkOpensItsUrl()
{
    QStringList opened;
    auto previous = GuiUtils::SetUrlOpener([&](const QUrl &url) {
        opened << url.toString();
        return true;
    });
    CMyHyperLink link;
    link.SetLinkText("Release notes");
    link.SetLinkUrl("https://www.korvant.example/notes");
    link.SetUseToolTip(true);
    link.SetToolTipText("Read them");
    link.show();
    QSignalSpy clicked(&link, &CMyHyperLink::linkClicked);
    QTest::mouseClick(&link, Qt::LeftButton);
    GuiUtils::SetUrlOpener(previous);
    QCOMPARE(opened, QStringList{"https://www.korvant.example/notes"});
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(link.toolTip(), QStringLiteral("Read them"));
}

KORVANT_TEST_MAIN(TestControls)
#include "tst_controls.moc"
