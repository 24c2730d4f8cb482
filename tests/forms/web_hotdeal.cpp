// The hot deal editor and viewer over a real web engine: the page with its
// pictures, the payment page deciding whether the deal is kept, and the
// viewer stepping through a list.

#include "OrderFixture.h"
#include "../browser/WebTestUtil.h"

#include "browser/CWebBrowser2.h"
#include "forms/HotDealEditorDlg.h"
#include "forms/HotDealPrevDlg.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QXmlStreamReader>

namespace {

struct DealFixture : WebFormsFixture
{
    DealFixture()
    {
        server.Script("newDeal", Answer(0, "<deal_id>HD-1</deal_id>"));
        server.Script("removeDeal", Answer(0));
        server.SetResponder(QString(), [](const FakeServer::Request &r) {
            std::optional<FakeServer::Answer> a;
            if (r.path.startsWith("/pay_hot_deal/")) {
                a = Answer(0);
                a->body = "<html><body><a id='pay' href='app:deal-pay-done'>Pay now</a></body></html>";
                a->contentType = "text/html";
            }
            return a;
        });
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        picture = t.DataFolder() + "Wheel Rim.JPG";
        image.save(picture, "JPG");
        notPicture = t.DataFolder() + "notes.jpg";
        QFile f(notPicture);
        if (f.open(QIODevice::WriteOnly))
            f.write("not a picture");
    }
    void Fill(HotDealEditorDlg &dlg)
    {
        QTest::keyClicks(dlg.findChild<QLineEdit *>("productEdit"), "Chrome rims");
        QTest::keyClicks(dlg.findChild<QLineEdit *>("priceEdit"), "$120 & up");
        dlg.findChild<QLineEdit *>("imageEdit1")->setText("  ");
        dlg.findChild<QLineEdit *>("titleEdit1")->setText("title only");
        dlg.findChild<QLineEdit *>("imageEdit2")->setText(picture);
        dlg.findChild<QLineEdit *>("titleEdit2")->setText("Front <left>");
        dlg.findChild<QLineEdit *>("imageEdit3")->setText(notPicture);
    }
    void Click(QWidget &dlg, const char *button) { QTest::mouseClick(dlg.findChild<QPushButton *>(button), Qt::LeftButton); }
    QString picture;
    QString notPicture;
};

// Clicks the payment page's link once it has loaded.
void PayWhenShown(QWidget *editor)
{
    WhenChildShown(editor, "BrowserDlg", [](QDialog *w) {
        auto *browser = w->findChild<QWebEngineView *>("browser");
        QTimer::singleShot(0, w, [browser] {
            QVERIFY(WaitUntil([&] { return browser->url().path().startsWith("/pay_hot_deal/") && !browser->page()->isLoading(); }));
            browser->page()->runJavaScript("document.getElementById('pay').click()");
        });
    });
}

// The page and the attached parts' Content-IDs of the message a request carried.
struct Message
{
    QString html;
    QStringList ids;
};

Message ParseContent(const QByteArray &request)
{
    QXmlStreamReader xml(request);
    QByteArray mht;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"content")
            mht = xml.readElementText().toUtf8().replace('\r', "");
    const qsizetype at = mht.indexOf("boundary=\"") + 10;
    const QByteArray boundary = "--" + mht.mid(at, mht.indexOf('"', at) - at);
    Message m;
    const QByteArray &joined = mht;
    qsizetype from = joined.indexOf(boundary);
    while (from >= 0) {
        const qsizetype next = joined.indexOf(boundary, from + boundary.size());
        if (next < 0)
            break;
        const QByteArray part = joined.mid(from + boundary.size(), next - from - boundary.size());
        const qsizetype split = part.indexOf("\n\n");
        const QByteArray headers = part.left(split);
        const QByteArray data = QByteArray::fromBase64(part.mid(split + 2));
        if (headers.contains("text/html"))
            m.html = QString::fromUtf8(data);
        const qsizetype id = headers.indexOf("Content-ID: <");
        if (id >= 0)
            m.ids << QString::fromLatin1(headers.mid(id + 13, headers.indexOf('>', id) - id - 13));
        from = next;
    }
    return m;
}

class ListCursor : public IHotDealCursor
{
public:
    QStringList ids;
    int row = 0;
    QStringList messages;
    int Count() const override { return int(ids.size()); }
    int Current() const override { return row; }
    void Select(int r) override { row = r; }
    QString CurrentId() const override { return ids.value(row); }
    void ComposeMessage(int kind) override { messages << QString::number(kind); }
};

} // namespace

class WebHotDeal : public QObject
{
    Q_OBJECT
private slots:
    // Only rows with a path naming a picture; the page goes inside "newDeal".
    void paidDealIsKept()
    {
        DealFixture f;
        HotDealEditorDlg dlg(&f.host);
        dlg.show();
        f.Fill(dlg);
        PayWhenShown(&dlg);
        f.Click(dlg, "submitButton");
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.Posts("newDeal"), 1);
        QCOMPARE(f.Posts("removeDeal"), 0);
        const QByteArray body = f.LastBody("newDeal");
        const Message page = ParseContent(body);
        QCOMPARE(page.ids.size(), 1);
        QVERIFY2(page.html.contains("src=\"cid:" + page.ids[0] + "\""), qPrintable(page.html));
        QVERIFY(page.html.contains("Front &lt;left&gt;") && page.html.contains("Chrome rims"));
        QVERIFY(!page.html.contains("title only") && !page.html.contains("notes.jpg"));
        QCOMPARE(f.Text("SELECT ID || '|' || TITLE || '|' || PRICE || '|' || LIVE_TIME || '|' || IS_INCOMING FROM HotDeals"),
                 QString("HD-1|Chrome rims|$120 & up|90|0"));
        QVERIFY(f.host.log.Calls().contains("RefreshMyHotDeals|1"));
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|Thank you. Your Hot Deal has been sent successfully."), 1);
        QVERIFY(QFile::exists(HotDealForm::PagePath()));
    }

    void cancelledPaymentWithdraws_data()
    {
        QTest::addColumn<int>("removeCode");
        QTest::addColumn<int>("boxes");
        QTest::newRow("withdrawn") << 0 << 0;
        QTest::newRow("withdrawal refused") << 9 << 1;
    }
    void cancelledPaymentWithdraws()
    {
        QFETCH(int, removeCode);
        QFETCH(int, boxes);
        DealFixture f;
        f.server.Script("removeDeal", Answer(removeCode, {}, "Deal is locked"));
        HotDealEditorDlg dlg(&f.host);
        dlg.show();
        f.Fill(dlg);
        WhenChildShown(&dlg, "BrowserDlg", [](QDialog *w) { QTimer::singleShot(100, w, &QDialog::reject); });
        f.Click(dlg, "submitButton");
        QCOMPARE(f.Posts("removeDeal"), 1);
        QVERIFY(f.LastBody("removeDeal").contains("<deal_id>HD-1</deal_id>"));
        QCOMPARE(f.Count("SELECT COUNT(*) FROM HotDeals"), 0);
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|The hot deal could not be withdrawn"), boxes);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void productIsRequired()
    {
        DealFixture f;
        HotDealEditorDlg dlg(&f.host);
        dlg.show();
        f.Click(dlg, "submitButton");
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|The \"Product\" must be entered."), 1);
        QCOMPARE(f.Posts("newDeal"), 0);
        QVERIFY(!QFile::exists(HotDealForm::PagePath()));
        QVERIFY(dlg.isVisible());
    }

    void viewerCaption_data()
    {
        QTest::addColumn<QStringList>("ymm");
        QTest::addColumn<QString>("caption");
        QTest::newRow("make only") << QStringList{"Any", "Ford", ""} << "Hot Deal Preview - Product [Rims] <Ford>";
        QTest::newRow("all") << QStringList{"2004", "Ford", "Focus"} << "Hot Deal Preview - Product [Rims] <2004, Ford, Focus>";
        QTest::newRow("none") << QStringList{"ANY", "", "any"} << "Hot Deal Preview - Product [Rims] ";
    }
    void viewerCaption()
    {
        QFETCH(QStringList, ymm);
        QFETCH(QString, caption);
        QCOMPARE(HotDealPrevDlg::Caption("Rims", ymm[0], ymm[1], ymm[2]), caption);
    }

    void viewerSteps()
    {
        DealFixture f;
        theDatabase().Execute("INSERT INTO HotDeals (ID, TITLE, IS_INCOMING, MAKE, YEAR, MODEL, C_ID, C_NAME, STATUS_CODE) "
                              "VALUES ('HD 1', 'Rims', 1, 'Ford', 'Any', '', 'P7', 'Sam', 1), "
                              "('HD-2', 'Mirrors', 0, '', '', '', 'P1000', 'Dana', 1)");
        ListCursor deals;
        deals.ids = {"HD 1"};
        {
            HotDealPrevDlg dlg(deals);
            dlg.show();
            QCOMPARE(dlg.windowTitle(), QString("Hot Deal Preview - Product [Rims] <Ford>"));
            QVERIFY(!dlg.findChild<QPushButton *>("previousButton")->isEnabled());
            QVERIFY(!dlg.findChild<QPushButton *>("nextButton")->isEnabled());
            QVERIFY(dlg.findChild<QPushButton *>("askButton")->isVisible());
            QVERIFY(WaitUntil([&] { return dlg.Browser().View()->url().path(QUrl::FullyEncoded) == "/hot_deal/HD%201"; }));
            QTest::mouseClick(dlg.findChild<QPushButton *>("buyButton"), Qt::LeftButton);
            QCOMPARE(deals.messages, QStringList{"3"});
        }
        deals.ids = {"HD 1", "HD-2"};
        HotDealPrevDlg dlg(deals);
        dlg.show();
        QTest::mouseClick(dlg.findChild<QPushButton *>("nextButton"), Qt::LeftButton);
        QCOMPARE(deals.row, 1);
        QCOMPARE(dlg.windowTitle(), QString("Hot Deal Preview - Product [Mirrors] "));
        QVERIFY(!dlg.findChild<QPushButton *>("askButton")->isVisible());
        QVERIFY(dlg.findChild<QPushButton *>("previousButton")->isEnabled());
        QVERIFY(!dlg.findChild<QPushButton *>("nextButton")->isEnabled());
    }
};

KORVANT_WEB_TEST_MAIN(WebHotDeal)
#include "web_hotdeal.moc"
