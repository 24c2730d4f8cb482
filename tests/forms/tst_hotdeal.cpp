// The hot deal's page as it travels: the page file's bytes inside "newDeal"
// exactly as written, and "send.xml" the same request as the one posted.

#include "FormsFixture.h"

#include "forms/HotDealForm.h"

#include <QImage>
#include <QRandomGenerator>
#include <QXmlStreamReader>

class TestHotDeal : public QObject
{
    Q_OBJECT

private slots:
    void pageTravelsByteForByte()
    {
        FormsFixture f;
        f.t.App().SetModuleFolder(TestEnv::SourceDir() + "/res/");
        f.server.Script("newDeal", Answer(0, "<deal_id>HD-1</deal_id>"));
        // Noise, so the page is larger than what is sent as one piece.
        QImage image(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, QRandomGenerator::global()->generate() | 0xff000000u);
        // A name a URL must encode: the page stays plain ASCII all the same.
        const QString picture = f.t.DataFolder() + QString::fromUtf8("Felge vorn & Grüße.jpg");
        QVERIFY(image.save(picture, "JPG", 100));

        HotDealForm form;
        form.title = QString::fromUtf8("Felgen <18\"> für 4 & mehr");
        form.notes = "line one\r\nline two";
        form.picturePath[0] = picture;
        form.pictureTitle[0] = "front";
        SubmitPipeline pipeline;
        QCOMPARE(form.Submit(pipeline), FormOutcome::Sent);
        QCOMPARE(form.DealId(), QString("HD-1"));

        const QByteArray body = f.LastBody("newDeal");
        QFile page(HotDealForm::PagePath());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray mht = page.readAll();
        QVERIFY(mht.contains("\r\n") && mht.contains("Content-ID: <"));
        QVERIFY(mht.size() > XmlReadStream::LargeTextBytes);
        QXmlStreamReader xml(body);
        QByteArray content;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"content")
                content = xml.readElementText().toUtf8();
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(content.size(), mht.size());
        QVERIFY(content == mht);

        // Saved before the session was filled in; otherwise the same bytes.
        QFile saved(f.t.DataFolder() + "send.xml");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QByteArray posted = body;
        posted.replace(" session_id=\"S-1\"", " session_id=\"\"");
        QVERIFY(posted != body);
        QVERIFY(saved.readAll() == posted);
    }
};

KORVANT_TEST_MAIN(TestHotDeal)
#include "tst_hotdeal.moc"
