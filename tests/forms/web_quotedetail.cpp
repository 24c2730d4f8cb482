// The quote detail and picture viewer: the cache search, which pictures are
// fetched, and that only whole pictures under safe names reach the cache.

#include "OrderFixture.h"

#include "browser/CWebBrowser2.h"
#include "forms/CarQuoteDetail.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>

namespace {

struct QuoteFixture : WebFormsFixture
{
    QuoteFixture()
    {
        QImage image(10, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
        // Picture 3 of CQ2 exists; picture 2 answers with something else; the rest are missing.
        server.SetResponder(QString(), [this](const FakeServer::Request &r) {
            FakeServer::Answer a;
            a.contentType = "image/jpeg";
            if (r.path.endsWith("/CQ2/3") || r.path.endsWith("/CQ2/5")) {
                a.body = jpeg;
            } else if (r.path.endsWith("/CQ2/2")) {
                a.body = "<html>not a picture</html>";
            } else {
                a.status = 404;
                a.body = "missing";
            }
            return std::optional<FakeServer::Answer>(a);
        });
        theDatabase().Execute("INSERT INTO Quotes_Cars (ID, QUERY_ID, IS_INCOMING, C_ID, C_NAME, STATUS_CODE, IMG2_TITLE, "
                              "IMG4_TITLE) VALUES ('CQ1', 'Q1', 0, 'P1000', 'Dana', 1, 'Front', ''), "
                              "('CQ2', 'Q2', 1, 'P7', 'Sam', 1, '', '')");
    }
    QString Cached(const QString &quote, int n, bool incoming)
    {
        return CarQuoteDetail::GetPictureFileName(false, quote, QString::number(n), incoming, true);
    }
    QStringList ImageRequests() const
    {
        QStringList paths;
        for (const auto &r : server.RequestsFor(QString()))
            paths << r.path;
        return paths;
    }
    QByteArray jpeg;
};

QPushButton *Button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(name);
}

} // namespace

class WebQuoteDetail : public QObject
{
    Q_OBJECT
private slots:
    void cacheNames_data()
    {
        QTest::addColumn<QString>("quote");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("named");
        QTest::newRow("plain") << "CQ-1_a" << "3" << true;
        QTest::newRow("parent folder") << "../x" << "1" << false;
        QTest::newRow("slash") << "a/b" << "1" << false;
        QTest::newRow("hostile number") << "CQ1" << "1/../../x" << false;
        QTest::newRow("too long") << QString(17, 'a') << "1" << false;
    }
    void cacheNames()
    {
        QFETCH(QString, quote);
        QFETCH(QString, number);
        QFETCH(bool, named);
        TestApp t;
        const QString name = CarQuoteDetail::GetPictureFileName(true, quote, number, true, true);
        QCOMPARE(!name.isEmpty(), named);
        if (named)
            QVERIFY(name.endsWith("/part_images/incoming/qt_" + quote + "_" + number + "_big.jpg"));
    }

    // A sent quote: only its cached pictures, the missing ones skipped, nothing fetched.
    void outgoingSearchSkipsMissing()
    {
        QuoteFixture f;
        for (int n : {2, 4}) {
            QFile file(f.Cached("CQ1", n, false));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(f.jpeg);
        }
        CarQuoteDetail dlg;
        dlg.SetQuoteId("CQ1");
        dlg.SetPictureMode(1);
        dlg.Initialize();
        dlg.show();
        QCOMPARE(dlg.CurrentPicture(), 2);
        QCOMPARE(dlg.windowTitle(), QString("Enlarged Picture - Front"));
        QVERIFY(!Button(dlg, "previousButton")->isEnabled());
        QVERIFY(Button(dlg, "nextButton")->isEnabled());
        QTest::mouseClick(Button(dlg, "nextButton"), Qt::LeftButton);
        QCOMPARE(dlg.CurrentPicture(), 4);
        QCOMPARE(dlg.windowTitle(), QString("Enlarged Picture"));
        QVERIFY(!Button(dlg, "nextButton")->isEnabled());
        QVERIFY(WaitUntil([&] { return dlg.Browser().View()->url().toLocalFile() == f.Cached("CQ1", 4, false); }));
        QVERIFY(f.ImageRequests().isEmpty());
    }

    // A received quote: missing pictures fetched once each; a 404 or a non-picture leaves no file.
    void incomingFetchesOnce()
    {
        QuoteFixture f;
        {
            CarQuoteDetail dlg;
            dlg.SetQuoteId("CQ2");
            dlg.SetPictureMode(1);
            dlg.Initialize();
            QCOMPARE(dlg.CurrentPicture(), 3);
        }
        QVERIFY(!QFile::exists(f.Cached("CQ2", 1, true)));
        QVERIFY(!QFile::exists(f.Cached("CQ2", 2, true)));
        QVERIFY(QFile::exists(f.Cached("CQ2", 3, true)));
        QCOMPARE(QDir(QFileInfo(f.Cached("CQ2", 3, true)).path()).entryList(QDir::Files).size(), 1);
        // Whether a next picture exists is looked up, not fetched.
        QCOMPARE(f.ImageRequests(), (QStringList{"/kvp/car_quote_image/CQ2/1", "/kvp/car_quote_image/CQ2/2",
                                                 "/kvp/car_quote_image/CQ2/3"}));
        f.server.ClearRequests();
        CarQuoteDetail again;
        again.SetQuoteId("CQ2");
        again.SetPictureMode(3);
        again.Initialize();
        QCOMPARE(again.CurrentPicture(), 3);
        QVERIFY(!f.ImageRequests().contains("/kvp/car_quote_image/CQ2/3"));
    }

    // A parts quote's one picture is the only one ever asked for.
    void partsQuoteAsksForItsOnePicture()
    {
        QuoteFixture f;
        theDatabase().Execute("INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, STATUS_CODE) VALUES ('PQ1', 'Q1', 1, 1)");
        CarQuoteDetail dlg;
        dlg.SetQuoteId("PQ1");
        dlg.SetParts(true);
        dlg.SetPictureMode(1);
        dlg.Initialize();
        QCOMPARE(dlg.CurrentPicture(), 0);
        QCOMPARE(f.ImageRequests(), QStringList{"/kvp/quote_image/PQ1/1"});
    }

    void hostileIdRequestsNothing()
    {
        QuoteFixture f;
        theDatabase().Execute("INSERT INTO Quotes_Cars (ID, QUERY_ID, IS_INCOMING, STATUS_CODE) VALUES ('../CQ2', 'Q2', 1, 1)");
        CarQuoteDetail dlg;
        dlg.SetQuoteId("../CQ2");
        dlg.SetPictureMode(1);
        dlg.Initialize();
        QCOMPARE(dlg.CurrentPicture(), 0);
        QVERIFY(!Button(dlg, "previousButton")->isEnabled() && !Button(dlg, "nextButton")->isEnabled());
        QVERIFY(f.ImageRequests().isEmpty());
    }

    // The detail page's pictures: only elements with a safe id and a web address.
    void pagePicturesFetched()
    {
        QuoteFixture f;
        const QString base = f.server.Url("/kvp/car_quote_image/CQ2/");
        CarQuoteDetail dlg;
        dlg.SetQuoteId("CQ2");
        dlg.SetHtml(QStringLiteral("<html><body><img id='5' src='%1'><img src='%2'><img id='x/../7' src='%2'>"
                                   "<img id='6' src='korvant://doc/none.jpg'></body></html>")
                        .arg(base + "5", base + "3"));
        QSignalSpy fetched(&dlg, &CarQuoteDetail::picturesFetched);
        dlg.Initialize();
        dlg.show();
        QVERIFY(fetched.wait(30000));
        QVERIFY(QFile::exists(f.Cached("CQ2", 5, true)));
        QCOMPARE(f.ImageRequests(), QStringList{"/kvp/car_quote_image/CQ2/5"});
    }
};

KORVANT_WEB_TEST_MAIN(WebQuoteDetail)
#include "web_quotedetail.moc"
