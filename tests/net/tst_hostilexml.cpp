#include "NetTestUtil.h"
#include "TestEnv.h"

#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XmlUtil.h"

#include <QFile>

// Text from outside (server answers, cache files, the member's input) in
// the XML layer: whatever arrives gives a clear error or a sound document,
// and whatever is written reads back.
class TestHostileXml : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }

    void hostileDocumentsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("truncated answer") << QByteArray("<kv_response result_code=\"0\"><meta_info version=\"2\"><a>");
        QTest::newRow("doctype without entities") << QByteArray("<!DOCTYPE kv_response><kv_response/>");
        QTest::newRow("parameter entity")
            << QByteArray("<!DOCTYPE r [<!ENTITY % p \"<!ENTITY e 'x'>\"> %p;]><r>&e;</r>");
        QTest::newRow("latin-1 bytes without declaration") << QByteArray("<r>caf\xe9 cr\xe8me</r>");
        QTest::newRow("nul inside") << QByteArray("<r>a\0b</r>", 10);
        QTest::newRow("forbidden character reference") << QByteArray("<r>&#1;</r>");
        QTest::newRow("deep nesting") << QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000);
        QTest::newRow("two roots") << QByteArray("<r/><r/>");
    }
    void hostileDocumentsAreRefused()
    {
        QFETCH(QByteArray, text);
        QString error;
        const XmlDoc doc = XmlDoc::Parse(text, &error);
        QVERIFY(doc.IsNull());
        QVERIFY(!error.isEmpty());
    }

    void hugeTextNode()
    {
        // A 10 MB text node (a large picture in base64) reads whole.
        QString error;
        const XmlDoc doc = XmlDoc::Parse("<r>" + QByteArray(10 * 1024 * 1024, 'a') + "</r>", &error);
        QVERIFY2(!doc.IsNull(), qPrintable(error));
        QCOMPARE(doc.Root().Text().size(), 10 * 1024 * 1024);
    }

    void declaredEncodingIsHonoured()
    {
        const XmlDoc doc = XmlDoc::Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xe9</r>");
        QVERIFY(!doc.IsNull());
        QCOMPARE(doc.Root().Text(), QString::fromUtf8("caf\xc3\xa9"));
    }

    // Characters XML 1.0 cannot carry (most C0 controls, U+FFFE, U+FFFF, a
    // lone surrogate) are dropped when written, so the document always reads
    // back; tab, line feed and carriage return are kept.
    void writtenTextReadsBack_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("controls") << QString::fromUtf8("a\x01" "b\x0b" "c\x1f" "d\x1b" "e")
                                  << QString("abcde");
        QTest::newRow("kept blanks") << QString("a\tb\nc") << QString("a\tb\nc");
        QTest::newRow("non-characters") << (QString("x") + QChar(0xFFFE) + QChar(0xFFFF) + "y") << QString("xy");
        QTest::newRow("lone surrogate") << (QString("x") + QChar(0xD800) + "y") << QString("xy");
        QTest::newRow("astral kept") << QString::fromUtf8("car \xf0\x9f\x9a\x97") << QString::fromUtf8("car \xf0\x9f\x9a\x97");
        QTest::newRow("markup and cdata end") << QString("<b>]]>&amp;</b>") << QString("<b>]]>&amp;</b>");
    }
    void writtenTextReadsBack()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        XmlDoc doc = CreateDomDocument("r");
        AddChildElement(doc.Root(), "t", value);
        AddChildElementMB(doc.Root(), "c", value);
        XmlNode s = doc.Root().AddChild("s", "old");
        s.SetText(value);
        doc.Root().SetAttr("a", value);

        QString error;
        const XmlDoc back = XmlDoc::Parse(doc.ToXml(), &error);
        QVERIFY2(!back.IsNull(), qPrintable(error));
        QCOMPARE(GetChildText(back.Root(), "t"), expected);
        QCOMPARE(GetChildText(back.Root(), "c"), expected);
        QCOMPARE(GetChildText(back.Root(), "s"), expected);
        QCOMPARE(back.Root().Attr("a"), expected);

        // The same through the atomic save and a load from the file.
        const QString path = TestEnv::NewFolder() + "/doc.xml";
        QVERIFY(doc.SaveFile(path));
        QVERIFY(!XmlDoc::LoadFile(path).IsNull());
    }

    void serverTextNeverBuildsAnXPath()
    {
        // Names with quotes and brackets are compared, not pasted into a path.
        XmlDoc doc = XmlDoc::Parse("<kv_response><meta_info><part_info_used><name>"
                                   "<value id=\"7\" category_id=\"3\">Door ']|//*['</value>"
                                   "<value id=\"8\" category_id=\"3\">Hood \"x\"</value>"
                                   "</name></part_info_used></meta_info></kv_response>");
        QVERIFY(!doc.IsNull());
        TestApp t;
        const QString path = t.DataFolder() + "meta.xml";
        QVERIFY(doc.SaveFile(path));
        XMetaData meta;
        meta.init();
        MetaPartInfo info;
        info.name = "Door ']|//*['";
        QVERIFY(meta.FindPartName(info));
        QCOMPARE(info.id, QString("7"));
        info = {};
        info.name = "Hood \"x\"";
        QVERIFY(meta.FindPartName(info));
        QCOMPARE(info.id, QString("8"));
        info = {};
        info.name = "']|//*['";
        QVERIFY(!meta.FindPartName(info));
    }

    // A hostile metadata answer never replaces a good cache file.
    void hostileMetadataAnswerKeepsTheCache_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("truncate");
        const QByteArray good = FakeServer::Response(0, "<meta_info version=\"9\"><part_info_used/></meta_info>");
        QTest::newRow("cut in the transfer") << good << true;
        QTest::newRow("cut xml") << good.left(good.size() - 20) << false;
        QTest::newRow("doctype") << QByteArray("<!DOCTYPE kv_response [<!ENTITY e \"x\">]>"
                                               "<kv_response result_code=\"0\">&e;</kv_response>")
                                 << false;
        QTest::newRow("latin-1") << QByteArray("<kv_response result_code=\"0\">\xe9</kv_response>") << false;
        QTest::newRow("huge result code")
            << QByteArray(good).replace("result_code=\"0\"", "result_code=\"99999999999999999999\"") << false;
    }
    void hostileMetadataAnswerKeepsTheCache()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, truncate);
        FakeServer::Answer answer{body};
        answer.truncate = truncate;
        ServerFixture f(TestApp::Options{.extra = {{GlobalSlot::Meta, [] { return std::make_unique<XMetaData>(); }}}});
        theMeta().init();
        const QString cache = f.t.DataFolder() + "meta.xml";
        QFile file(cache);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        QVERIFY(!before.isEmpty());

        f.server.Script("getMetaInfo", answer);
        theMeta().Refresh();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(theMeta().LoadedVersion(), QString("2.1"));
    }

    // Market ids name icon files: only [A-Za-z0-9_-] and a bounded length.
    void iconFileNames_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QString("MP-101_a") << true;
        QTest::newRow("64 characters") << QString(64, 'a') << true;
        QTest::newRow("65 characters") << QString(65, 'a') << false;
        QTest::newRow("200 characters") << QString(200, 'b') << false;
        QTest::newRow("parent") << QString("../x") << false;
        QTest::newRow("slash") << QString("a/b") << false;
        QTest::newRow("dot") << QString("a.b") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("non-ascii") << QString::fromUtf8("\xc3\xa9") << false;
        QTest::newRow("line break") << QString("a\nb") << false;
    }
    void iconFileNames()
    {
        QFETCH(QString, id);
        QFETCH(bool, safe);
        QCOMPARE(XMarketPlaces::IsSafeId(id), safe);
    }
};

KORVANT_TEST_MAIN(TestHostileXml)
#include "tst_hostilexml.moc"
