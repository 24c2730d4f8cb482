// The filter bars as the member uses them, offscreen: choices by mouse and
// keys, what reaches the query list, Show All, Enter and Escape, and the
// bars installed into the main window's client view.

#include "FilterFixture.h"
#include "TestEnv.h"

#include "dialogs/PaneInterfaces.h"
#include "frame/CChildView.h"
#include "frame/CRestrictionBar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

namespace {

class RecordingList : public IRecordList
{
public:
    QWidget *Widget() override { return nullptr; }
    void SetFolder(int nodeId) override { folder = nodeId; }
    int GetFolder() const override { return folder; }
    void SetFilter(const SqlExpr &filter) override
    {
        last = filter;
        log.Add("SetFilter|" + filter.text);
    }
    void Reload() override { log.Add("Reload"); }
    int RowCount() const override { return 0; }
    bool CanDo(int) const override { return false; }
    int GetSelectedStatus() const override { return -1; }
    void SelectAll() override {}
    void SetDetailsBrowser(IBrowserPane *) override {}

    int folder = 0;
    SqlExpr last;
    CallLog log;
};

// Opens the drop-down with a click, walks to the entry with the arrow keys
// and takes it with Enter.
void Choose(QComboBox *box, const QString &text)
{
    QVERIFY(box->isEnabled());
    const int entry = box->findText(text, Qt::MatchExactly);
    QVERIFY2(entry >= 0, qPrintable(text));
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView *view = box->view();
    QTRY_VERIFY(view->isVisible());
    for (int at = view->currentIndex().row(); at != entry; at += at < entry ? 1 : -1)
        QTest::keyClick(view, at < entry ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(box->currentText(), text);
}

QStringList Entries(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

struct BarState
{
    QStringList texts;
    QList<bool> enabled;
    bool operator==(const BarState &) const = default;
};

BarState StateOf(CRestrictionBar &bar)
{
    BarState s;
    for (QComboBox *box : bar.findChildren<QComboBox *>()) {
        s.texts << box->currentText();
        s.enabled << box->isEnabled();
    }
    return s;
}

} // namespace

class TestFilterBars : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layoutOfBothBars_data();
    void layoutOfBothBars();
    void eachChoiceSendsOneFilter();
    void makeAnyAfterModel();
    void showAllResetsEveryList();
    void enterAndEscapeChangeNothing();
    void fillFromAnotherThreadRunsOnTheBarsThread();
    void installedBarsReachThePlaceholderList();

private:
    std::unique_ptr<TestApp> m_app;
};

void TestFilterBars::init()
{
    m_app = std::make_unique<TestApp>(FilterOptions());
    QVERIFY(theDatabase().init());
    AddSampleQueries();
}

void TestFilterBars::cleanup()
{
    m_app.reset();
}

void TestFilterBars::layoutOfBothBars_data()
{
    QTest::addColumn<bool>("cars");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("parts") << false
                           << QStringList{"Date", "Rating", "Year", "Make", "Model", "Category", "Part", "State"};
    QTest::newRow("cars") << true
                          << QStringList{"Date", "Rating", "Min Year", "Max Year", "Make", "Model", "Category", "State"};
}

void TestFilterBars::layoutOfBothBars()
{
    QFETCH(bool, cars);
    QFETCH(QStringList, labels);
    std::unique_ptr<CRestrictionBar> bar(cars ? new CRestrictionBarCars : new CRestrictionBar);
    bar->resize(1000, bar->sizeHint().height());
    bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
    // Empty until the frame fills them.
    for (QComboBox *box : bar->findChildren<QComboBox *>())
        QCOMPARE(box->count(), 0);
    bar->FillLists();
    int lastX = -1;
    for (const QString &label : labels) {
        auto *box = bar->findChild<QComboBox *>(label);
        QVERIFY2(box, qPrintable(label));
        QVERIFY(!box->isEditable());
        QVERIFY(box->x() > lastX);
        lastX = box->x();
        // The label stands above its list.
        QLabel *caption = nullptr;
        for (QLabel *l : bar->findChildren<QLabel *>())
            if (l->buddy() == box)
                caption = l;
        QVERIFY(caption);
        QCOMPARE(caption->text(), label);
        QVERIFY(caption->geometry().bottom() < box->geometry().top());
    }
    QCOMPARE(bar->ShowAllButton()->text(), QStringLiteral("Show &All"));
    QVERIFY(bar->ShowAllButton()->x() > lastX);
    QVERIFY(!bar->List(FilterBars::IdModel)->isEnabled());
    QCOMPARE(Entries(bar->List(FilterBars::IdModel)), QStringList{"Select Make"});
}

void TestFilterBars::eachChoiceSendsOneFilter()
{
    RecordingList list;
    CRestrictionBar bar;
    bar.SetQueryList(&list);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.FillLists();
    QCOMPARE(list.log.Calls(), QStringList{});

    Choose(bar.List(FilterBars::IdDate), "2008-05-17");
    QCOMPARE(list.log.Calls(), (QStringList{"SetFilter|POST_DATE >= ? AND POST_DATE < date(?, '+1 day') AND " +
                                                FilterBars::BaseCondition,
                                            "Reload"}));
    Choose(bar.List(FilterBars::IdMake), "Ford");
    Choose(bar.List(FilterBars::IdRating), "3 Stars");
    QCOMPARE(list.log.Count("SetFilter"), 3);
    QCOMPARE(list.log.Count("Reload"), 3);
    QCOMPARE(list.last.args, (QVariantList{"2008-05-17", "2008-05-17", "3", "Ford"}));
    QCOMPARE(MatchingIds("Queries", list.last), QStringList{"Q1"});

    // By key on the focused list: one step down, one filter.
    QComboBox *state = bar.List(FilterBars::IdState);
    state->setFocus();
    QTest::keyClick(state, Qt::Key_Down);
    QCOMPARE(state->currentText(), QStringLiteral("CA"));
    QCOMPARE(list.log.Count("SetFilter"), 4);
    QCOMPARE(list.log.Count("Reload"), 4);
    QCOMPARE(list.last.args.last(), QVariant("CA"));
}

void TestFilterBars::makeAnyAfterModel()
{
    RecordingList list;
    CRestrictionBar bar;
    bar.SetQueryList(&list);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.FillLists();

    QComboBox *make = bar.List(FilterBars::IdMake);
    QComboBox *model = bar.List(FilterBars::IdModel);
    Choose(make, "O'Neil");
    QVERIFY(model->isEnabled());
    QCOMPARE(Entries(model), (QStringList{" Any", "Roadster"}));
    QCOMPARE(list.last, SqlExpr("V_MAKE = ? AND " + FilterBars::BaseCondition, {"O'Neil"}));
    Choose(model, "Roadster");
    QCOMPARE(list.last.args, (QVariantList{"O'Neil", "Roadster"}));

    Choose(make, " Any");
    QVERIFY(!model->isEnabled());
    QCOMPARE(Entries(model), QStringList{"Select Make"});
    QCOMPARE(list.last, SqlExpr(FilterBars::BaseCondition));
    QCOMPARE(list.log.Count("SetFilter"), 3);
}

void TestFilterBars::showAllResetsEveryList()
{
    RecordingList list;
    CRestrictionBarCars bar;
    bar.SetQueryList(&list);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.FillLists();
    Choose(bar.List(FilterBars::IdDate), "2008-05-17");
    Choose(bar.List(FilterBars::IdMaxYear), "2005");
    Choose(bar.List(FilterBars::IdMake), "Ford");
    Choose(bar.List(FilterBars::IdModel), "Mustang");
    Choose(bar.List(FilterBars::IdCategory), "Coupe");
    QCOMPARE(MatchingIds("Queries_Cars", list.last), QStringList{"C1"});
    list.log.Clear();

    QTest::mouseClick(bar.ShowAllButton(), Qt::LeftButton);
    for (QComboBox *box : bar.findChildren<QComboBox *>())
        QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(bar.List(FilterBars::IdDate)->count(), 4);
    QVERIFY(!bar.List(FilterBars::IdModel)->isEnabled());
    QCOMPARE(Entries(bar.List(FilterBars::IdModel)), QStringList{"Select Make"});
    QCOMPARE(list.log.Calls(), (QStringList{"SetFilter|" + FilterBars::BaseCondition, "Reload"}));
    QCOMPARE(list.last.args, QVariantList{});

    // Alt+A does the same.
    Choose(bar.List(FilterBars::IdState), "TX");
    bar.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&bar));
    QTest::keyClick(bar.List(FilterBars::IdState), Qt::Key_A, Qt::AltModifier);
    // The mnemonic animates a click.
    QTRY_COMPARE(bar.List(FilterBars::IdState)->currentIndex(), 0);
    QCOMPARE(list.last, SqlExpr(FilterBars::BaseCondition));
}

void TestFilterBars::enterAndEscapeChangeNothing()
{
    RecordingList list;
    QDialog host;
    auto *bar = new CRestrictionBar(&host);
    new QVBoxLayout(&host);
    host.layout()->addWidget(bar);
    bar->SetQueryList(&list);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    bar->FillLists();
    Choose(bar->List(FilterBars::IdMake), "Ford");
    Choose(bar->List(FilterBars::IdModel), "Focus");
    list.log.Clear();
    const BarState before = StateOf(*bar);

    QWidget *targets[] = {bar->List(FilterBars::IdMake), bar->List(FilterBars::IdState), bar->ShowAllButton(), bar};
    for (QWidget *target : targets) {
        target->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(target, key);
    }
    QVERIFY(host.isVisible());
    QCOMPARE(host.result(), 0);
    QVERIFY(bar->isVisible());
    QVERIFY(StateOf(*bar) == before);
    QCOMPARE(list.log.Calls(), QStringList{});
}

void TestFilterBars::fillFromAnotherThreadRunsOnTheBarsThread()
{
    CRestrictionBar bar;
    QThread *worker = QThread::create([&bar] { bar.FillLists(); });
    worker->start();
    QVERIFY(worker->wait(5000));
    delete worker;
    QCOMPARE(bar.List(FilterBars::IdMake)->count(), 0);
    QTRY_COMPARE(bar.List(FilterBars::IdMake)->count(), 5);
}

void TestFilterBars::installedBarsReachThePlaceholderList()
{
    CChildView view;
    PlaceholderPaneFactory factory;
    auto parts = factory.CreateRecordList(IPaneFactory::ListKind::PartQueries, &view);
    auto cars = factory.CreateRecordList(IPaneFactory::ListKind::CarQueries, &view);
    view.AddPane(cars->Widget());
    view.ShowPaneWidget(parts->Widget());
    const InstalledFilterBars bars = InstallFilterBars(view, parts.get(), cars.get());
    QCOMPARE(view.FilterBar(CChildView::PartsFilter), bars.parts);
    QCOMPARE(view.FilterBar(CChildView::CarsFilter), bars.cars);
    QCOMPARE(bars.parts->parentWidget(), &view);
    QCOMPARE(bars.parts->QueryList(), parts.get());
    QCOMPARE(bars.cars->QueryList(), cars.get());
    QVERIFY(!view.IsFilterBarShown(CChildView::PartsFilter));
    QVERIFY(!view.IsFilterBarShown(CChildView::CarsFilter));

    // As the frame shows "Incoming Leads" with the search bar on.
    view.resize(1000, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    bars.parts->FillLists();
    bars.parts->ApplyFilter(true);
    view.ShowFilterBar(CChildView::PartsFilter, true);
    QTRY_VERIFY(bars.parts->isVisible());
    QVERIFY(bars.parts->geometry().bottom() < parts->Widget()->mapTo(&view, QPoint(0, 0)).y());

    Choose(bars.parts->List(FilterBars::IdMake), "O'Neil");
    auto *label = qobject_cast<QLabel *>(parts->Widget());
    QVERIFY(label);
    QVERIFY2(label->text().contains("Filter: V_MAKE = ? AND " + FilterBars::BaseCondition), qPrintable(label->text()));
    QVERIFY2(label->text().contains("Values: \"O'Neil\""), qPrintable(label->text()));
    QTest::mouseClick(bars.parts->ShowAllButton(), Qt::LeftButton);
    QVERIFY(label->text().contains("Values: none"));
}

KORVANT_TEST_MAIN(TestFilterBars)
#include "tst_filterbars.moc"
