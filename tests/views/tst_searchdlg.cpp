// The local search dialog over a temporary database: caption and list per
// list type, the hit count, Go To into the main window's list (a reply row
// gives its query), and a text too long for one statement.

#include "TestEnv.h"
#include "ViewsFixture.h"

#include "dialogs/CSplitterControl.h"
#include "dialogs/NodeIds.h"
#include "views/ListRegistry.h"
#include "views/SearchDlg.h"
#include "views/XInventoryListCtrl.h"
#include "views/XQueryListCtrl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {
void AddQuery(const QString &id, const QString &part, const QString &date)
{
    theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, C_NAME, "
                          "P_NAME, MARKET_ID, MARKET_NAME) VALUES (?, 0, 0, 2, 'Replied', ?, 'Lee', ?, 'MP-1', 'M')",
                          {id, date, part});
}

void AddQuote(const QString &id, const QString &queryId)
{
    theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, "
                          "C_NAME) VALUES (?, ?, 1, 0, 0, 'New', '2024-05-02 11:00:00', 'Kim')",
                          {id, queryId});
}
} // namespace

class TestSearchDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestApp> m_app;
    FakeListHost m_host;

    void Type(SearchDlg &dlg, const QString &text)
    {
        auto *edit = dlg.findChild<QLineEdit *>("searchEdit");
        edit->clear();
        edit->setText(text);
        QTest::mouseClick(dlg.findChild<QPushButton *>("startButton"), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(ViewsOptions());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void captionAndListPerType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("listClass");
        QTest::newRow("part queries") << 1 << "Parts - Search for queries" << "XQueryListCtrl";
        QTest::newRow("car queries") << 2 << "Parts - Search for queries" << "XQueryCarsListCtrl";
        QTest::newRow("part inventory") << 3 << "Parts - Search for catalog records" << "XInventoryListCtrl";
        QTest::newRow("car inventory") << 4 << "Parts - Search for catalog records" << "XInventoryCarsListCtrl";
    }
    void captionAndListPerType()
    {
        QFETCH(int, type);
        QFETCH(QString, caption);
        QFETCH(QString, listClass);
        FakeBrowser browser;
        SearchDlg dlg(type, &m_host, nullptr, &browser);
        QCOMPARE(dlg.windowTitle(), caption);
        QCOMPARE(QString(dlg.Results()->metaObject()->className()), listClass);
        QCOMPARE(int(dlg.Results()->ListType()), type);
    }

    // The bar between the pages and the record's page moves both, within the room there is.
    void splitterResizesPagesAndRecord()
    {
        struct PageBrowser : FakeBrowser
        {
            QLabel *page = new QLabel(QStringLiteral("record"));  // the dialog takes it
            QWidget *Widget() override { return page; }
        } browser;
        SearchDlg dlg(1, &m_host, nullptr, &browser);
        dlg.resize(720, 560);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *bar = dlg.findChild<CSplitterControl *>("searchSplitter");
        QVERIFY(bar);
        auto *tabs = dlg.findChild<QTabWidget *>("searchTabs");
        const int tabs0 = tabs->height();
        const int page0 = browser.page->height();
        auto drag = [bar](int dy) {
            const QPoint at = bar->rect().center();
            QTest::mousePress(bar, Qt::LeftButton, {}, at);
            QTest::mouseMove(bar, at + QPoint(0, dy));
            QTest::mouseRelease(bar, Qt::LeftButton, {}, at + QPoint(0, dy));
        };
        drag(50);
        QTRY_COMPARE(tabs->height(), tabs0 + 50);
        QTRY_COMPARE(browser.page->height(), page0 - 50);
        // Never above the pages' first height.
        drag(-200);
        QTRY_COMPARE(tabs->height(), tabs0);
    }

    void noHitsDisablesGoToAndEmptiesThePane()
    {
        AddQuery("Q1", "Starter", "2024-05-02 10:00:00");
        FakeBrowser browser;
        SearchDlg dlg(1, &m_host, nullptr, &browser);
        dlg.show();
        Type(dlg, "Alternator");
        QCOMPARE(dlg.StatusText(), QString("Search is complete. Records found: 0"));
        QVERIFY(!dlg.findChild<QPushButton *>("goToButton")->isEnabled());
        QCOMPARE(browser.log.Calls().last(), QString("Clear"));
        QCOMPARE(dlg.findChild<QTabWidget *>("searchTabs")->currentIndex(), 1);

        Type(dlg, "Starter");
        QCOMPARE(dlg.StatusText(), QString("Search is complete. Records found: 1"));
        QVERIFY(dlg.findChild<QPushButton *>("goToButton")->isEnabled());
    }

    void goToOnAReplyRowSelectsItsQuery()
    {
        AddQuery("Q1", "Starter motor", "2024-05-02 10:00:00");
        AddQuery("Q2", "Radiator", "2024-05-03 10:00:00");
        AddQuote("A", "Q1");
        m_host.node = 20003;
        XQueryListCtrl shown(&m_host, nullptr);
        OpenFolder(shown, 20003);
        ListRegistry::Instance().SetShown(IRecordViews::ListKind::Queries, &shown);
        for (int row = 0; row < shown.RowCount(); ++row)
            if (shown.RowId(row) == "Q2")
                shown.SelectItem(row, true);
        const QString before = shown.SelectedKeys().value(0);
        FakeBrowser browser;
        {
            SearchDlg dlg(1, &m_host, nullptr, &browser);
            dlg.show();
            Type(dlg, "Starter");
            auto *hits = qobject_cast<XTreeListCtrl *>(dlg.Results());
            // The folder shows every query with its quotes opened: the hit and its reply.
            QCOMPARE(hits->RowCount(), 2);
            hits->SelectItem(1, true);
            QVERIFY(!hits->IsTopLevelRow(1));
            QTest::mouseClick(dlg.findChild<QPushButton *>("goToButton"), Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(before, QString("1|Q2"));
        QCOMPARE(shown.SelectedKeys(), QStringList{"1|Q1"});
        ListRegistry::Instance().SetShown(IRecordViews::ListKind::Queries, nullptr);
    }

    // A catalog hit is selected in the window's own list, in place of what it had selected.
    void goToOnACatalogHitSelectsIt_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("parts") << 3;
        QTest::newRow("cars") << 4;
    }
    void goToOnACatalogHitSelectsIt()
    {
        QFETCH(int, type);
        const bool cars = type == 4;
        for (const char *stock : {"S1", "S2", "S3"}) {
            const QString name = stock == QLatin1String("S2") ? "Bumper" : "Door";
            if (cars)
                theDatabase().Execute("INSERT INTO Inventory_Cars (STOCK_NUMBER, YEAR, MAKE, MODEL) "
                                      "VALUES (?, '2010', 'Ford', ?)", {stock, name});
            else
                theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_QUANTITY, V_MAKE) "
                                      "VALUES (?, ?, 1, 'Ford')", {stock, name});
        }
        const int folder = cars ? NodeCarsCatalog : NodePartsCatalog;
        const auto kind = cars ? IRecordViews::ListKind::CarInventory : IRecordViews::ListKind::Inventory;
        m_host.node = folder;
        std::unique_ptr<XBaseListCtrl> shown;
        if (cars)
            shown = std::make_unique<XInventoryCarsListCtrl>(&m_host, nullptr);
        else
            shown = std::make_unique<XInventoryListCtrl>(&m_host, nullptr);
        OpenFolder(*shown, folder);
        ListRegistry::Instance().SetShown(kind, shown.get());
        shown->SelectItem(0, true);
        const QString before = shown->SelectedKeys().value(0);
        QString hit;
        FakeBrowser browser;
        {
            SearchDlg dlg(type, &m_host, nullptr, &browser);
            dlg.show();
            Type(dlg, "Bumper");
            QCOMPARE(dlg.StatusText(), QString("Search is complete. Records found: 1"));
            hit = dlg.Results()->SelectedKeys().value(0);
            QTest::mouseClick(dlg.findChild<QPushButton *>("goToButton"), Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QVERIFY(!hit.isEmpty());
        QVERIFY(hit != before);
        QCOMPARE(shown->SelectedKeys(), QStringList{hit});
        ListRegistry::Instance().SetShown(kind, nullptr);
    }

    // A search the database cannot run is reported as the search's failure,
    // and the dialog stays for another try.
    void databaseErrorSaysSoAndStaysOpen()
    {
        AddQuery("Q1", "Starter", "2024-05-02 10:00:00");
        FakeBrowser browser;
        SearchDlg dlg(1, &m_host, nullptr, &browser);
        dlg.show();
        theDatabase().Execute("ALTER TABLE Queries RENAME TO QueriesGone");
        Type(dlg, "Starter");
        QVERIFY(dlg.isVisible());
        const QStringList boxes = m_app->dialogs.log.Calls().filter("MessageBox|");
        QVERIFY2(!boxes.isEmpty() && boxes.first().startsWith("MessageBox|Search.\nSource : "), qPrintable(boxes.join("; ")));
        theDatabase().Execute("ALTER TABLE QueriesGone RENAME TO Queries");
        Type(dlg, "Starter");
        QCOMPARE(dlg.StatusText(), QString("Search is complete. Records found: 1"));
    }

    void tooManyWordsSaysSoAndStaysOpen()
    {
        AddQuery("Q1", "Starter", "2024-05-02 10:00:00");
        FakeBrowser browser;
        SearchDlg dlg(1, &m_host, nullptr, &browser);
        dlg.show();
        QStringList words;
        for (int i = 0; i < 1200; ++i)
            words << QStringLiteral("w%1").arg(i);
        Type(dlg, words.join(' '));
        QVERIFY(dlg.isVisible());
        QCOMPARE(m_app->dialogs.log.Calls().value(0),
                 QString("MessageBox|%1|Search|%2").arg(SearchDlg::TooManyWordsText()).arg(int(MsgBox::IconWarning)));
        QVERIFY(dlg.StatusText().startsWith("Search is complete."));
    }
};

KORVANT_TEST_MAIN(TestSearchDlg)
#include "tst_searchdlg.moc"
