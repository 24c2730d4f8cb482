// Window geometry and column widths kept between runs.

#include "TestApp.h"
#include "TestEnv.h"

#include "dialogs/LayoutAdapters.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

class TestLayouts : public QObject
{
    Q_OBJECT
private slots:
    void geometrySurvivesReopen();
    void minimisedWindowOpensAtDefaultPlace();
    void columnsBeyondCountIgnored();
};

void TestLayouts::geometrySurvivesReopen()
{
    TestApp t;
    {
        QWidget w;
        w.setGeometry(40, 50, 333, 222);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        XLayoutSettings layout("NewQuery");
        LayoutAdapters::StorePlacement(layout, &w);
    }
    QWidget again;
    XLayoutSettings layout("NewQuery");
    layout.Load();
    QVERIFY(LayoutAdapters::RestorePlacement(layout, &again));
    QCOMPARE(again.size(), QSize(333, 222));
}

void TestLayouts::minimisedWindowOpensAtDefaultPlace()
{
    TestApp t;
    {
        XLayoutSettings layout("MainFrm");
        QWidget w;
        w.resize(300, 200);
        w.showMinimized();
        LayoutAdapters::StorePlacement(layout, &w);
    }
    QWidget again;
    again.resize(640, 480);
    XLayoutSettings layout("MainFrm");
    layout.Load();
    QVERIFY(!LayoutAdapters::RestorePlacement(layout, &again));
    QCOMPARE(again.size(), QSize(640, 480));
}

void TestLayouts::columnsBeyondCountIgnored()
{
    TestApp t;
    QStandardItemModel model(1, 3);
    QTreeView view;
    view.setModel(&model);
    QHeaderView *header = view.header();
    header->setStretchLastSection(false);
    header->resizeSection(0, 120);
    header->resizeSection(1, 80);
    header->resizeSection(2, 200);
    {
        XLayoutSettings layout("QueryList", 2);
        LayoutAdapters::StoreColumns(layout, header);
    }
    QSettings raw(t.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value("Settings/Layout/QueryListColumn").toString(), QString("120,80,"));
    header->resizeSection(0, 50);
    header->resizeSection(1, 50);
    header->resizeSection(2, 50);
    XLayoutSettings layout("QueryList", 2);
    layout.Load();
    LayoutAdapters::RestoreColumns(layout, header);
    QCOMPARE(header->sectionSize(0), 120);
    QCOMPARE(header->sectionSize(1), 80);
    QCOMPARE(header->sectionSize(2), 50);
}

KORVANT_TEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
