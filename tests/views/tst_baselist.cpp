#include "TestEnv.h"
#include "ViewsFixture.h"

#include "db/RecordCursor.h"
#include "dialogs/CSortHeaderCtrl.h"
#include "views/ListRegistry.h"
#include "views/XHotDealListCtrl.h"
#include "views/ViewsPaneFactory.h"
#include "views/XInventoryListCtrl.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QVBoxLayout>

namespace {

// The hot deal list with a secondary sort column, as the query lists have.
class DealsWithSecondary : public XHotDealListCtrl
{
public:
    using XHotDealListCtrl::XHotDealListCtrl;
    void UseSecondary(int column)
    {
        SetSecondarySortColumn(column);
        SetSort(SortColumn(), SortAscending());
    }
};

// Six incoming deals "A".."F" (titles), newest first by date.
void AddSixDeals()
{
    const QString titles = "ABCDEF";
    for (int i = 0; i < titles.size(); ++i)
        AddDeal(QStringLiteral("D%1").arg(i + 1), titles.mid(i, 1), true, 1,
                QStringLiteral("2024-05-0%1 10:00:00").arg(9 - i));
}

} // namespace

class TestBaseList : public QObject
{
    Q_OBJECT
    static void WriteDealSheet()
    {
        QDir().mkpath(theApp().GetXslFolder());
        QFile sheet(theApp().GetXslFolder() + "/hotdeal-detail.xsl");
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        sheet.write("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                    "<xsl:template match=\"/\"><html><body><xsl:value-of select=\"name(/*)\"/></body></html>"
                    "</xsl:template></xsl:stylesheet>");
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
        m_host.node = 130;
        m_host.log.Clear();
    }
    void cleanup() { m_app.reset(); }

    void sortText_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<int>("secondary");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("start") << QList<int>{} << -1 << "POST_DATE DESC" << QStringList{"A", "B", "C", "D", "E", "F"};
        QTest::newRow("new column") << QList<int>{1} << -1 << "TITLE ASC" << QStringList{"A", "B", "C", "D", "E", "F"};
        QTest::newRow("same column twice") << QList<int>{1, 1} << -1 << "TITLE DESC"
                                           << QStringList{"F", "E", "D", "C", "B", "A"};
        QTest::newRow("back to the first") << QList<int>{1, 0} << -1 << "POST_DATE ASC"
                                           << QStringList{"F", "E", "D", "C", "B", "A"};
        QTest::newRow("secondary appended") << QList<int>{2} << 1 << "YEAR ASC, TITLE DESC"
                                            << QStringList{"F", "E", "D", "C", "B", "A"};
        QTest::newRow("secondary not repeated") << QList<int>{1} << 1 << "TITLE ASC"
                                                << QStringList{"A", "B", "C", "D", "E", "F"};
    }
    void sortText()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(int, secondary);
        QFETCH(QString, order);
        QFETCH(QStringList, titles);
        AddSixDeals();
        DealsWithSecondary list(&m_host, nullptr);
        if (secondary >= 0)
            list.UseSecondary(secondary);
        OpenFolder(list, 130);
        for (int c : clicks)
            ClickHeader(list, c);
        QCOMPARE(list.GetSortOrder(), order);
        QCOMPARE(ColumnTexts(list, 1), titles);
        QCOMPARE(list.horizontalHeader()->sortIndicatorSection(), clicks.isEmpty() ? 0 : clicks.last());
    }

    // Columns open wide enough for their headers and their usual texts, whatever the font.
    void columnsFitTheirTexts()
    {
        const QFont before = QApplication::font();
        QFont big = before;
        big.setPointSize(18);
        QApplication::setFont(big);
        XHotDealListCtrl list(&m_host, nullptr);
        QApplication::setFont(before);
        const QFontMetrics fm(big);
        QHeaderView *header = list.horizontalHeader();
        QVERIFY(header->sectionSize(0) > fm.horizontalAdvance("12-31 23:59"));
        QVERIFY(header->sectionSize(7) > fm.horizontalAdvance("Originator"));
    }

    // An empty list takes the new order and arrow but reads nothing.
    void emptyListSortsWithoutReading()
    {
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        const int snapshots = list.Cursor().SnapshotsTaken();
        ClickHeader(list, 3);
        QCOMPARE(list.GetSortOrder(), QString("MAKE ASC"));
        QCOMPARE(list.horizontalHeader()->sortIndicatorSection(), 3);
        QCOMPARE(list.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
        // The list's own header draws the arrow.
        auto *header = qobject_cast<CSortHeaderCtrl *>(list.horizontalHeader());
        QVERIFY(header);
        QCOMPARE(header->SortColumn(), 3);
        QVERIFY(header->SortAscending());
        QCOMPARE(list.Cursor().SnapshotsTaken(), snapshots);
        QCOMPARE(list.Cursor().RowsRead(), 0);
    }

    void refillKeepsFocusedSelection()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        QCOMPARE(Selected(list), QList<int>{0});  // nothing remembered yet: row 0
        ClickRow(list, 2);
        ClickRow(list, 4, Qt::ControlModifier);
        AddDeal("D0", "0", true, 1, "2024-05-10 10:00:00");  // a new row on top shifts the rows
        list.Refill();
        QCOMPARE(Selected(list), (QList<int>{3, 5}));
        QCOMPARE(list.currentIndex().row(), 5);
    }

    void refillFallsBackToNeighbourThenFirstRow()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        ClickRow(list, 3);
        ClickRow(list, 4, Qt::ControlModifier);
        SqlConnection other(theDatabase().DatabasePath());
        other.Exec("DELETE FROM HotDeals WHERE ID = 'D5'");  // the focused row (E)
        list.Refill();
        QCOMPARE(Selected(list), QList<int>{2});  // C, above the first selected, alone
        QCOMPARE(list.SelectionMemory(), QSet<QString>{"D3"});

        ClickRow(list, 3);
        ClickRow(list, 4, Qt::ControlModifier);  // D and F: neighbour C, focus F
        other.Exec("DELETE FROM HotDeals WHERE ID IN ('D6', 'D3')");
        list.Refill();
        QCOMPARE(Selected(list), QList<int>{0});
    }

    // A list in a dialog and the frame's list keep their own states, also for
    // folders whose ids differ only in the lowest bit.
    void dialogAndFrameListsKeepSeparateStates()
    {
        AddSixDeals();
        AddDeal("M1", "mine", false, 0, "2024-05-01 10:00:00");
        AddDeal("M2", "mine too", false, 0, "2024-05-02 10:00:00");
        XHotDealListCtrl frameList(&m_host, nullptr);
        XHotDealListCtrl dialogList(&m_host, nullptr);
        XHotDealListCtrl ownList(&m_host, nullptr);
        dialogList.SetDialogMode(true);
        for (XHotDealListCtrl *l : {&frameList, &dialogList})
            l->SetFolder(130);
        ownList.SetFolder(131);
        for (XHotDealListCtrl *l : {&frameList, &dialogList, &ownList}) {
            l->Refill();
            ShowList(l);
        }
        ClickRow(frameList, 4);
        ClickRow(dialogList, 2);
        ClickRow(ownList, 1);
        for (XHotDealListCtrl *l : {&frameList, &dialogList, &ownList})
            l->Refill();
        QCOMPARE(Selected(frameList), QList<int>{4});
        QCOMPARE(Selected(dialogList), QList<int>{2});
        QCOMPARE(Selected(ownList), QList<int>{1});
        QCOMPARE(ListStateMap::Instance().Count(), 3);
    }

    // Another folder than the shown one: a fresh selection and that folder's sort.
    void refillForAnotherNodeTakesItsState()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        ClickHeader(list, 1);
        ClickHeader(list, 1);  // TITLE DESC, remembered for 130
        ClickRow(list, 3);
        m_host.node = 131;  // the frame comes from My Hot Deals
        list.SetFolder(130);
        list.Refill();
        QCOMPARE(list.GetSortOrder(), QString("TITLE DESC"));
        QCOMPARE(Selected(list), QList<int>{3});
    }

    void deleteRemovesExactlyTheSelectedRecords()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        ClickRow(list, 1);
        ClickRow(list, 3, Qt::ControlModifier);
        ClickRow(list, 5, Qt::ControlModifier);
        QVERIFY(list.DeleteSelected());
        QCOMPARE(ColumnTexts(list, 1), (QStringList{"A", "C", "E"}));
        QCOMPARE(m_host.log.Calls(), QStringList{"RefreshCounters|7|130"});
    }

    void ctrlClickDeselectSparesTheRow()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        ClickRow(list, 1);
        ClickRow(list, 3, Qt::ControlModifier);
        ClickRow(list, 5, Qt::ControlModifier);
        ClickRow(list, 3, Qt::ControlModifier);
        QCOMPARE(list.SelectionMemory(), (QSet<QString>{"D2", "D6"}));
        QVERIFY(list.DeleteSelected());
        QCOMPARE(ColumnTexts(list, 1), (QStringList{"A", "C", "D", "E"}));
    }

    void failedDeleteChangesNothing()
    {
        AddSixDeals();
        theDatabase().Execute("CREATE TRIGGER keep BEFORE DELETE ON HotDeals WHEN old.ID = 'D4' "
                              "BEGIN SELECT RAISE(ABORT, 'kept'); END");
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        ClickRow(list, 1);
        ClickRow(list, 3, Qt::ControlModifier);
        ClickRow(list, 5, Qt::ControlModifier);
        QVERIFY(!list.DeleteSelected());
        QCOMPARE(Scalar("SELECT COUNT(*) FROM HotDeals"), QString("6"));
        QCOMPARE(m_app->dialogs.log.Count("MessageBox|Can not delete the records"), 1);
        QCOMPARE(Selected(list), (QList<int>{1, 3, 5}));
    }

    // A row deleted by another connection after the refill draws empty.
    void rowDeletedElsewhereDrawsEmpty()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        SqlConnection other(theDatabase().DatabasePath());
        other.Exec("DELETE FROM HotDeals WHERE ID = 'D2'");
        list.Cursor().DropCache();
        list.viewport()->repaint();
        QCOMPARE(ColumnTexts(list, 1), (QStringList{"A", "", "C", "D", "E", "F"}));
        QVERIFY(!list.model()->index(1, 9).data().isValid());
    }

    // Scrolling to the end of a long list reads the pages shown, not the table.
    void endOfLongListReadsOnlyShownPages()
    {
        theDatabase().Execute("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 100000) "
                              "INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME) SELECT printf('S%06d', i), 'part' FROM k");
        XInventoryListCtrl list(&m_host, nullptr);
        OpenFolder(list, 20105);
        QCOMPARE(list.RowCount(), 100000);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_End, Qt::ControlModifier);
        list.viewport()->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(list.currentIndex().row(), 99999);
        QCOMPARE(list.model()->index(99999, 0).data().toString(), QString("S100000"));
        QVERIFY2(list.Cursor().RowsRead() <= 4 * RecordCursor::PageSize,
                 qPrintable(QString::number(list.Cursor().RowsRead())));
    }

    void detailsRenderOncePerTurn()
    {
        AddSixDeals();
        WriteDealSheet();
        FakeBrowser browser;
        XHotDealListCtrl list(&m_host, nullptr);
        list.SetDetailsBrowser(&browser);
        OpenFolder(list, 130);
        QTRY_COMPARE(browser.log.Count("SetHtml"), 1);
        browser.log.Clear();
        list.SelectItem(1, true);
        list.SelectItem(2, true);
        list.SelectItem(3, true);
        QCOMPARE(browser.log.Calls(), QStringList());
        QCoreApplication::processEvents();
        QCOMPARE(browser.log.Calls(), QStringList{"SetHtml|<html><body>details</body></html>"});
    }

    // The Details bar follows the list: a refill that leaves no record
    // clears it, rather than leave the last record with its links.
    void detailsClearedWhenTheListEmpties()
    {
        AddDeal("H1", "Brake pads", true, 0, "2024-05-02 10:00:00");
        WriteDealSheet();
        FakeBrowser browser;
        XHotDealListCtrl list(&m_host, nullptr);
        list.SetDetailsBrowser(&browser);
        OpenFolder(list, 130);
        QTRY_COMPARE(browser.log.Count("SetHtml"), 1);
        browser.log.Clear();
        theDatabase().Execute("DELETE FROM HotDeals");
        list.Refill();
        QCOMPARE(list.RowCount(), 0);
        QTRY_COMPARE(browser.log.Calls(), QStringList{"Clear"});
    }

    void actionMenuOnlyOutsideDialogMode()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        RightClickRow(list, 1);
        QCOMPARE(m_host.log.Count("ShowActionMenu"), 1);
        list.SetDialogMode(true);
        RightClickRow(list, 1);
        QCOMPARE(m_host.log.Count("ShowActionMenu"), 1);
    }

    void focusAndRegistryFollowTheShownList()
    {
        AddSixDeals();
        AddDeal("M1", "mine", false, 0, "2024-05-01 10:00:00");
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 0);
        list.activateWindow();
        list.setFocus();
        QTRY_COMPARE(GetActiveListType(), int(ListHotDeals));
        ClickRow(list, 0);
        QVERIFY(ListRegistry::Instance().IsOperationEnabled(IRecordViews::ListKind::HotDeals, 14));
        ClickRow(list, 6);
        QVERIFY(!ListRegistry::Instance().IsOperationEnabled(IRecordViews::ListKind::HotDeals, 14));
        QVERIFY(!ListRegistry::Instance().IsOperationEnabled(IRecordViews::ListKind::Orders, 14));
    }

    void selectAllThenAction()
    {
        AddSixDeals();
        XHotDealListCtrl list(&m_host, nullptr);
        OpenFolder(list, 130);
        list.SelectAll();
        QCOMPARE(list.SelectedCount(), 6);
        list.MarkNew();
        QCOMPARE(Scalar("SELECT COUNT(*) FROM HotDeals WHERE STATUS_CODE = 0 AND STATUS = 'New'"), QString("6"));
    }

    void factoryMakesTheBuiltListsAndHandsOnTheRest()
    {
        PlaceholderPaneFactory placeholders;
        ViewsPaneFactory factory(placeholders, &m_host);
        auto parent = std::make_unique<QWidget>();
        auto deals = factory.CreateRecordList(IPaneFactory::ListKind::HotDeals, parent.get());
        auto orders = factory.CreateRecordList(IPaneFactory::ListKind::Orders, parent.get());
        auto parts = factory.CreateRecordList(IPaneFactory::ListKind::PartInventory, parent.get());
        auto cars = factory.CreateRecordList(IPaneFactory::ListKind::CarInventory, parent.get());
        auto messages = factory.CreateRecordList(IPaneFactory::ListKind::Messages, parent.get());
        QVERIFY(qobject_cast<XHotDealListCtrl *>(deals->Widget()));
        QCOMPARE(XBaseListCtrl::FromPane(orders.get())->ListType(), ListOrders);
        QCOMPARE(XBaseListCtrl::FromPane(parts.get())->ListType(), ListPartInventory);
        QCOMPARE(XBaseListCtrl::FromPane(cars.get())->ListType(), ListCarInventory);
        QCOMPARE(XBaseListCtrl::FromPane(messages.get())->ListType(), ListMessages);
        auto partQueries = factory.CreateRecordList(IPaneFactory::ListKind::PartQueries, parent.get());
        auto carQueries = factory.CreateRecordList(IPaneFactory::ListKind::CarQueries, parent.get());
        QCOMPARE(XBaseListCtrl::FromPane(partQueries.get())->ListType(), ListPartQueries);
        QCOMPARE(XBaseListCtrl::FromPane(carQueries.get())->ListType(), ListCarQueries);
        QCOMPARE(deals->Widget()->parentWidget(), parent.get());
        AddSixDeals();
        deals->SetFolder(130);
        deals->Reload();
        QCOMPARE(deals->RowCount(), 6);
        QCOMPARE(deals->GetSelectedStatus(), 1);
        parent.reset();  // the widgets go with their parent; the panes stay safe
        QCOMPARE(deals->Widget(), nullptr);
        QCOMPARE(deals->RowCount(), 0);
    }

    void fitText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("fits") << "Brake pads" << 400 << false;
        QTest::newRow("cut") << "Brake pads for the front axle" << 80 << true;
        QTest::newRow("nothing left") << "Brake" << 2 << true;
        QTest::newRow("empty") << "" << 0 << false;
    }
    void fitText()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, shortened);
        const QFontMetrics fm(QApplication::font());
        bool cut = false;
        const QString out = XBaseListCtrl::FitText(fm, text, width, 12, &cut);
        QCOMPARE(cut, shortened);
        if (!shortened) {
            QCOMPARE(out, text);
            return;
        }
        QVERIFY(out.endsWith("..."));
        QVERIFY(text.startsWith(out.chopped(3)));
        if (out.size() > 3)
            QVERIFY(fm.horizontalAdvance(out) + 12 <= width);
    }

private:
    std::unique_ptr<TestApp> m_app;
    FakeListHost m_host;
};

KORVANT_TEST_MAIN(TestBaseList)
#include "tst_baselist.moc"
