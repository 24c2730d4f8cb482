// Under a real display (xvfb-run): "Incoming Leads" with the parts filter bar
// filled from sample queries, over the query list's placeholder, after one
// choice; saved to the build's screenshots folder and checked not blank.

#include "FilterFixture.h"
#include "TestEnv.h"

#include "dialogs/PaneInterfaces.h"
#include "frame/CChildView.h"
#include "frame/CRestrictionBar.h"

#include <QComboBox>
#include <QDir>
#include <QSet>
#include <QTest>

class ShotFilterBar : public QObject
{
    Q_OBJECT
private slots:
    void partsBarOverIncomingLeads();
};

void ShotFilterBar::partsBarOverIncomingLeads()
{
    TestApp t(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();

    CChildView view;
    view.setWindowTitle(QStringLiteral("Incoming Leads"));
    PlaceholderPaneFactory factory;
    auto parts = factory.CreateRecordList(IPaneFactory::ListKind::PartQueries, &view);
    auto cars = factory.CreateRecordList(IPaneFactory::ListKind::CarQueries, &view);
    view.AddPane(cars->Widget());
    view.ShowPaneWidget(parts->Widget());
    const InstalledFilterBars bars = InstallFilterBars(view, parts.get(), cars.get());
    bars.parts->FillLists();
    bars.parts->ApplyFilter(true);
    view.ShowFilterBar(CChildView::PartsFilter, true);
    view.resize(1000, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QComboBox *make = bars.parts->List(FilterBars::IdMake);
    make->setCurrentIndex(make->findText("Ford"));
    emit make->activated(make->currentIndex());
    QComboBox *model = bars.parts->List(FilterBars::IdModel);
    model->setCurrentIndex(model->findText("Focus"));
    emit model->activated(model->currentIndex());
    QTest::qWait(200);

    const QImage image = view.grab().toImage();
    QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
    QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/filter-bar.png")));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 20, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
}

KORVANT_TEST_MAIN(ShotFilterBar)
#include "shot_filterbar.moc"
