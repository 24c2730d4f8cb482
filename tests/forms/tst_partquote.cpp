// The part quote form: the query copied into the quote, validation, the walk
// through the pending queries, the quick quote, and the store of a sent quote
// (with its status change and inventory copy) against the fake server.

#include "FormsFixture.h"

#include "app/XPhotoSet.h"
#include "dialogs/NodeIds.h"
#include "dialogs/PaneInterfaces.h"
#include "forms/CSelectPartImage.h"
#include "forms/NewQuoteDlg.h"
#include "forms/SellerQueries.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The details pane without a web engine: it keeps the last page it was given.
class TextPane : public IBrowserPane
{
public:
    explicit TextPane(QWidget *parent) : m_label(new QLabel(parent)) { m_label->setObjectName("detailsPane"); }
    QWidget *Widget() override { return m_label; }
    void Navigate(const QString &) override {}
    void SetHtml(const QString &html) override { m_label->setText(html.left(200)); }
    void Clear() override { m_label->clear(); }

private:
    QLabel *m_label;
};

template<class T>
T *Child(QWidget *dlg, const char *name)
{
    T *w = dlg->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void Type(QWidget *dlg, const char *name, const QString &text)
{
    QLineEdit *edit = Child<QLineEdit>(dlg, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void Click(QWidget *dlg, const char *name)
{
    QTest::mouseClick(Child<QPushButton>(dlg, name), Qt::LeftButton);
}

void AddQuery(const QString &id, const QString &type = "Used", int status = 0)
{
    theDatabase().Execute("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, C_NAME, MARKET_ID, "
                          "MARKET_NAME, P_TYPE, P_CATEGORY, P_NAME, P_QUANTITY, V_MAKE, V_MODEL, V_YEAR, "
                          "IS_CONTACT_FULL) VALUES (?, 1, 0, 'New', ?, 'Alex Buyer', 'MP-100', "
                          "'National Parts Exchange', ?, 'Engine', 'Starter', 2, 'Ford', 'Focus', '2005', 1)",
                          {id, status, type});
}

std::unique_ptr<ISellerQueries> Pending(int index = 0)
{
    return std::make_unique<QueryIdList>("Queries", SqlExpr("IS_INCOMING = 1 AND STATUS_CODE IN (0, 1)"), "ID",
                                         NodeIncomingLeads, index);
}

// The pending list, noting each contact fetch the form asks of it.
class ContactRecordingList : public QueryIdList
{
public:
    explicit ContactRecordingList(QStringList &asked)
        : QueryIdList("Queries", SqlExpr("IS_INCOMING = 1 AND STATUS_CODE IN (0, 1)"), "ID", NodeIncomingLeads, 0),
          m_asked(asked)
    {
    }
    bool RequestContactInfo() override
    {
        m_asked.append(IdAt(CurrentIndex()));
        return true;
    }

private:
    QStringList &m_asked;
};

FakeServer::Answer QuoteId(const QByteArray &id)
{
    return Answer(0, "<quote_id>" + id + "</quote_id><create_time>2009-03-04 05:06:07</create_time>");
}

void Show(QDialog &dlg)
{
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
}

} // namespace

class TestPartQuote : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        NewQuoteDlg::SetPaneMaker([](QWidget *parent) { return std::make_unique<TextPane>(parent); });
    }
    void init()
    {
        f = std::make_unique<FormsFixture>();
        theSettings().SetInt(Setting::SendQuoteConfirm, 0);
        theSettings().SetInt(Setting::SaveToInventoryParts, 0);
    }
    void cleanup() { f.reset(); }

    void anyConditionMustBeChosen()
    {
        AddQuery("Q1", "Any");
        NewQuoteDlg dlg(&f->host, Pending());
        Show(dlg);
        QCOMPARE(Child<QComboBox>(&dlg, "conditionCombo")->currentText(), PartQuoteForm::ChooseOne);
        QCOMPARE(Child<QLineEdit>(&dlg, "priceEdit")->text(), QString());
        QVERIFY(dlg.windowTitle().contains("QueryID [Q1] <2005 Ford Focus Starter 1>"));
        Type(&dlg, "priceEdit", "40");
        Child<QCheckBox>(&dlg, "storeCheck")->setChecked(true);
        Click(&dlg, "submitButton");
        const QString box = f->t.dialogs.log.Calls().value(0);
        QVERIFY2(box.contains("- Part Condition\n-Stock nubmer (to save quote to inventory)"), qPrintable(box));
        QCOMPARE(f->Posts("newQuote"), 0);
    }

    void emptyPriceStopsAtTheField()
    {
        AddQuery("Q1");
        NewQuoteDlg dlg(&f->host, Pending());
        Show(dlg);
        QString shown;
        QTimer::singleShot(0, &dlg, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        Click(&dlg, "submitButton");
        QVERIFY2(shown.contains("Price"), qPrintable(shown));
        QCOMPARE(f->Posts("newQuote"), 0);
        QVERIFY(dlg.isVisible());
    }

    // Each send moves to the next pending query; OK after the last.
    void walksThePendingQueries()
    {
        AddQuery("Q1");
        AddQuery("Q2");
        AddQuery("Q3");
        AddQuery("Q4", "Used", 5);  // completed: not pending, never touched
        f->server.Enqueue("newQuote", QuoteId("QT-1"));
        f->server.Enqueue("newQuote", QuoteId("QT-2"));
        f->server.Enqueue("newQuote", QuoteId("QT-3"));
        NewQuoteDlg dlg(&f->host, Pending(1));
        Show(dlg);
        QVERIFY(Child<QPushButton>(&dlg, "prevButton")->isEnabled());
        QVERIFY(Child<QPushButton>(&dlg, "nextButton")->isEnabled());
        // From the edit that has the focus, which would take it as a word move.
        QLineEdit *price = Child<QLineEdit>(&dlg, "priceEdit");
        price->setFocus();
        QTest::keyClick(price, Qt::Key_Left, Qt::ControlModifier);
        QVERIFY(dlg.windowTitle().contains("[Q1]"));
        QVERIFY(!Child<QPushButton>(&dlg, "prevButton")->isEnabled());
        for (const char *price : {"10", "20", "30"}) {
            Type(&dlg, "priceEdit", price);
            Click(&dlg, "submitButton");
        }
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(f->Text("SELECT GROUP_CONCAT(QUERY_ID || '=' || ID || ':' || P_PRICE, ' ') FROM "
                         "(SELECT * FROM Quotes ORDER BY QUERY_ID)"),
                 QString("Q1=QT-1:10.0 Q2=QT-2:20.0 Q3=QT-3:30.0"));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries WHERE STATUS_CODE = 2 AND STATUS = 'Replied'"), 3);
        QCOMPARE(f->Count("SELECT STATUS_CODE FROM Queries WHERE ID = 'Q4'"), 5);
        QVERIFY(f->host.log.Calls().contains(QStringLiteral("QuoteSent|0|%1").arg(NodeIncomingLeads)));
    }

    // Each query opens with the stored choice of "Store Quote to My Inventory"; Notes stop at their limit.
    void everyMoveRereadsTheStoreChoice()
    {
        AddQuery("Q1");
        AddQuery("Q2");
        NewQuoteDlg dlg(&f->host, Pending(0));
        Show(dlg);
        QCheckBox *store = Child<QCheckBox>(&dlg, "storeCheck");
        QVERIFY(!store->isChecked());
        store->setChecked(true);
        Click(&dlg, "nextButton");
        QVERIFY(dlg.windowTitle().contains("[Q2]"));
        QVERIFY(!store->isChecked());
        theSettings().SetInt(Setting::SaveToInventoryParts, 1);
        Click(&dlg, "prevButton");
        QVERIFY(store->isChecked());
        auto *notes = Child<QPlainTextEdit>(&dlg, "notesEdit");
        notes->insertPlainText(QString(1100, 'n'));
        QCOMPARE(notes->toPlainText().size(), 1023);
    }

    // The buyer's full contact is fetched after a quote only while it is missing.
    void contactFetchedWhenNotFull_data()
    {
        QTest::addColumn<int>("contactFull");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("missing") << 0 << QStringList{"Q1"};
        QTest::newRow("full") << 1 << QStringList{};
    }
    void contactFetchedWhenNotFull()
    {
        QFETCH(int, contactFull);
        QFETCH(QStringList, asked);
        AddQuery("Q1");
        theDatabase().Execute("UPDATE Queries SET IS_CONTACT_FULL = ?", {contactFull});
        f->server.Enqueue("newQuote", QuoteId("QT-1"));
        QStringList seen;
        NewQuoteDlg dlg(&f->host, std::make_unique<ContactRecordingList>(seen));
        Show(dlg);
        Type(&dlg, "priceEdit", "10");
        Click(&dlg, "submitButton");
        QCOMPARE(f->Posts("newQuote"), 1);
        QCOMPARE(seen, asked);
    }

    void deleteEmptyingTheListCancels()
    {
        AddQuery("Q1");
        NewQuoteDlg dlg(&f->host, Pending());
        Show(dlg);
        Click(&dlg, "deleteButton");
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(f->Count("SELECT COUNT(*) FROM Queries"), 0);
    }

    void otherListsDoNotWalk()
    {
        AddQuery("Q1");
        AddQuery("Q2");
        NewQuoteDlg dlg(&f->host, std::make_unique<QueryIdList>("Queries", SqlExpr(), "ID", NodeRepliedQuotes, 0));
        Show(dlg);
        for (const char *name : {"prevButton", "nextButton", "deleteButton"})
            QVERIFY(!Child<QPushButton>(&dlg, name)->isEnabled());
    }

    void quickQuoteWithoutTypeSendsUsed()
    {
        AddQuery("Q1", "Any");
        f->server.Enqueue("newQuote", QuoteId("QT-9"));
        NewQuoteDlg dlg(&f->host, Pending());
        QVERIFY(dlg.SubmitQuickQuote({{"price", "12.5"}, {"shipping", "3"}, {"part_type", ""}, {"notes", "ok"}}, {}));
        QVERIFY(f->LastBody("newQuote").contains("<type>Used</type>"));
        QCOMPARE(f->Text("SELECT P_TYPE || '/' || P_PRICE || '/' || P_SHIPPING FROM Quotes WHERE ID = 'QT-9'"),
                 QString("Used/12.5/3.0"));
        QVERIFY(!dlg.isVisible());
    }

    // The copy goes to the new row whatever sorts last, with the quote's picture.
    void storeToInventoryTakesTheNewRowsId()
    {
        theDatabase().Execute("INSERT INTO Inventory (P_STOCK_NUMBER, P_NAME, P_PRICE) VALUES ('ZZZ', 'Door', 1)");
        AddQuery("Q1");
        f->server.Enqueue("newQuote", QuoteId("QT-7"));
        QImage img(1200, 900, QImage::Format_RGB32);
        img.fill(Qt::gray);
        const QString pic = TestEnv::NewFolder() + "/part.jpg";
        QVERIFY(img.save(pic, "JPG"));
        NewQuoteDlg dlg(&f->host, Pending());
        dlg.Picture().SetPictureFile(pic);
        Show(dlg);
        Type(&dlg, "priceEdit", "55");
        Type(&dlg, "stockEdit", "AAA");
        Child<QCheckBox>(&dlg, "storeCheck")->setChecked(true);
        Click(&dlg, "submitButton");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        const QString id = f->Text("SELECT ID FROM Inventory WHERE P_STOCK_NUMBER = 'AAA'");
        QVERIFY(!id.isEmpty());
        QCOMPARE(dlg.Form().InventoryCopyId(), id.toLongLong());
        QVERIFY(QFile::exists(XPhotoSet::GetQuotePhotoFileName("part_images", "QT-7", "1", true)));
        QVERIFY(QFile::exists(XPhotoSet::GetPhotoFileName("part_images", id, "1", true)));
        QVERIFY(f->LastBody("newQuote").contains("<image_1_small>"));
        QVERIFY(theSettings().IsOn(Setting::SaveToInventoryParts));
    }

    void hostileQuoteIdWritesNoFile()
    {
        AddQuery("Q1");
        f->server.Enqueue("newQuote", QuoteId("../../evil"));
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::gray);
        const QString pic = TestEnv::NewFolder() + "/part.jpg";
        QVERIFY(img.save(pic, "JPG"));
        NewQuoteDlg dlg(&f->host, Pending());
        QVERIFY(dlg.SubmitQuickQuote({{"price", "5"}}, pic));
        QDir data(theApp().GetDataFolder());
        QVERIFY(data.entryList({"*evil*"}, QDir::Files).isEmpty());
        QVERIFY(QDir(theApp().GetDataFolder() + "part_images/outcoming").entryList(QDir::Files).isEmpty());
    }

private:
    std::unique_ptr<FormsFixture> f;
};

KORVANT_TEST_MAIN(TestPartQuote)
#include "tst_partquote.moc"
