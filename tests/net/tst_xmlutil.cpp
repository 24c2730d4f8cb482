#include "TestApp.h"
#include "TestEnv.h"

#include "net/NetInit.h"
#include "app/Utils.h"
#include "net/XmlUtil.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QTemporaryFile>

#include <unistd.h>

class TestXmlUtil : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }

    void readersOnEmptyNodesGiveEmptyValues()
    {
        const XmlNode none;
        QCOMPARE(GetChildText(none, "a"), QString());
        QCOMPARE(GetChildTextN(none, "a", 3), QString());
        QCOMPARE(GetAttributeText(none, "id"), QString());
        QCOMPARE(GetChildDate(none, "d"), XmlTime(0));
        QVERIFY(SelectNode(none, "a").IsNull());
        XmlDoc doc = XmlDoc::Parse("<r a='1'><x>t</x></r>");
        QVERIFY(SelectNode(doc.Root(), "missing").IsNull());
        QVERIFY(SelectNode(doc.Root(), "x/text()").IsNull());  // not an element
        QVERIFY(SelectNode(doc.Root(), "[[bad xpath").IsNull());
        QCOMPARE(GetChildText(doc.Root(), "@a"), QString("1"));
        QCOMPARE(GetChildText(doc.Root(), "x"), QString("t"));
    }

    void writersThrowOnEmptyParent()
    {
        QVERIFY_THROWS_EXCEPTION(XmlError, AddChildElement(XmlNode(), "a", "b"));
        XmlDoc doc = CreateDomDocument("r");
        QVERIFY_THROWS_EXCEPTION(XmlError, AddChildElement(doc.Root(), "bad name", "b"));
    }

    void childTextN_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("expected");
        QTest::newRow("shorter") << "abc" << 10 << "abc";
        QTest::newRow("longer") << "abcdef" << 4 << "abcd";
        QTest::newRow("accents") << QString::fromUtf8("ÄÖÜäöü") << 3 << QString::fromUtf8("ÄÖÜ");
        QTest::newRow("astral kept whole") << QString::fromUtf8("a😀b") << 2 << QString::fromUtf8("a😀");
        QTest::newRow("zero") << "abc" << 0 << "";
    }
    void childTextN()
    {
        QFETCH(QString, text);
        QFETCH(int, max);
        QFETCH(QString, expected);
        XmlDoc doc = CreateDomDocument("r");
        AddChildElement(doc.Root(), "t", text);
        // Through text, then back through the parser, as an answer would come.
        XmlDoc back = XmlDoc::Parse(doc.ToXml());
        QCOMPARE(GetChildTextN(back.Root(), "t", max), expected);
    }

    void numberWritersIgnoreTheLocale_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << 2.0 << "2.00";
        QTest::newRow("rounded") << 3.14159 << "3.14";
        QTest::newRow("up") << 2.675001 << "2.68";
        QTest::newRow("negative") << -0.5 << "-0.50";
        QTest::newRow("large") << 1234567.891 << "1234567.89";
    }
    void numberWritersIgnoreTheLocale()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(QLocale::German));
        XmlDoc doc = CreateDomDocument("r");
        AddChildElementFloat(doc.Root(), "f", value);
        AddChildElementInt(doc.Root(), "i", -1234567);
        AddChildElementLong(doc.Root(), "l", 9876543210LL);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(GetChildText(doc.Root(), "f"), expected);
        QCOMPARE(GetChildText(doc.Root(), "i"), QString("-1234567"));
        QCOMPARE(GetChildText(doc.Root(), "l"), QString("9876543210"));
    }

    void cdataAndTextEscaping()
    {
        XmlDoc doc = CreateDomDocument("r");
        AddChildElementMB(doc.Root(), "c", "a<b&c");
        AddChildElement(doc.Root(), "t", "a<b&c");
        const QByteArray xml = doc.ToXml(false);
        QVERIFY(xml.contains("<c><![CDATA[a<b&c]]></c>"));
        QVERIFY(xml.contains("<t>a&lt;b&amp;c</t>"));
        XmlDoc back = XmlDoc::Parse(xml);
        QCOMPARE(GetChildText(back.Root(), "c"), QString("a<b&c"));
        QCOMPARE(GetChildText(back.Root(), "t"), QString("a<b&c"));
    }

    void childDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");  // invalid: 0
        const QDateTime none;
        QTest::newRow("iso date") << "2008-05-17" << QDateTime(QDate(2008, 5, 17), QTime(0, 0));
        QTest::newRow("iso time") << "2008-05-17 10:20:30" << QDateTime(QDate(2008, 5, 17), QTime(10, 20, 30));
        QTest::newRow("iso T") << "2008-05-17T10:20:30.250" << QDateTime(QDate(2008, 5, 17), QTime(10, 20, 30));
        QTest::newRow("us pm") << "05/20/2008 3:15 PM" << QDateTime(QDate(2008, 5, 20), QTime(15, 15));
        QTest::newRow("us 12 am") << "05/20/2008 12:05:09 AM" << QDateTime(QDate(2008, 5, 20), QTime(0, 5, 9));
        QTest::newRow("us date") << "12/31/1999" << QDateTime(QDate(1999, 12, 31), QTime(0, 0));
        QTest::newRow("1899") << "1899-12-30" << none;
        QTest::newRow("impossible") << "2023-02-30" << none;
        QTest::newRow("bad hour") << "2008-05-17 25:00" << none;
        QTest::newRow("words") << "yesterday" << none;
        QTest::newRow("empty") << "" << none;
    }
    void childDate()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        XmlDoc doc = CreateDomDocument("r");
        AddChildElement(doc.Root(), "d", text);
        QCOMPARE(GetChildDate(doc.Root(), "d"), expected.isValid() ? expected.toSecsSinceEpoch() : XmlTime(0));
    }

    void parsing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << QByteArray("<r><a>1</a></r>") << true;
        QTest::newRow("declaration") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>") << true;
        QTest::newRow("unclosed") << QByteArray("<r><a>1</r>") << false;
        QTest::newRow("truncated") << QByteArray("<r><a>1</a") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("text only") << QByteArray("HTTP ok") << false;
        QTest::newRow("internal entity")
            << QByteArray("<!DOCTYPE r [<!ENTITY e \"boom\">]><r>&e;</r>") << false;
        QTest::newRow("external entity")
            << QByteArray("<!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><r>&e;</r>") << false;
        QTest::newRow("laughs")
            << QByteArray("<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><r>&c;&c;&c;&c;</r>")
            << false;
    }
    void parsing()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QString error;
        XmlDoc doc = XmlDoc::Parse(text, &error);
        QCOMPARE(!doc.IsNull(), ok);
        QCOMPARE(error.isEmpty(), ok);
    }

    void whitespaceOnlyTextIsDropped()
    {
        XmlDoc doc = XmlDoc::Parse("<r>\n  <a> x </a>\n  <b/>\n</r>");
        const QList<XmlNode> kids = doc.Root().Children();
        QCOMPARE(kids.size(), 2);
        QCOMPARE(doc.Root().Text(), QString(" x "));
        QCOMPARE(doc.ToXml(false), QByteArray("<r><a> x </a><b/></r>"));
    }

    // Whitespace between elements reads the same however it was written, so
    // what we write reads back and writes again unchanged.
    void blanksAsReferencesReadLikePlainOnes_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("space before an element") << QByteArray("<r>&#32;<b/></r>") << QByteArray("<r><b/></r>");
        QTest::newRow("tab and carriage return") << QByteArray("<r>&#9;\r<b/>\r\n</r>") << QByteArray("<r><b/></r>");
        QTest::newRow("line feed after an element") << QByteArray("<r><b/>&#10;<c/>&#32;</r>")
                                                    << QByteArray("<r><b/><c/></r>");
        QTest::newRow("only child") << QByteArray("<r>&#32;</r>") << QByteArray("<r> </r>");
        QTest::newRow("carriage return reference") << QByteArray("<r>&#13;<b/></r>") << QByteArray("<r>&#13;<b/></r>");
        QTest::newRow("after a first text") << QByteArray("<r>x<b/>&#32;<c/></r>") << QByteArray("<r>x<b/> <c/></r>");
        QTest::newRow("space preserved") << QByteArray("<r xml:space=\"preserve\">&#32;<b/></r>")
                                         << QByteArray("<r xml:space=\"preserve\"> <b/></r>");
        QTest::newRow("between two CDATA sections") << QByteArray("<r><![CDATA[x]]>&#9;<![CDATA[y]]></r>")
                                                    << QByteArray("<r><![CDATA[xy]]></r>");
    }
    void blanksAsReferencesReadLikePlainOnes()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QByteArray, written);
        const QByteArray once = XmlDoc::Parse(xml).ToXml(false);
        QCOMPARE(once, written);
        QCOMPARE(XmlDoc::Parse(once).ToXml(false), once);
    }

    // A large answer is cut into its big lists, each read on its own as the
    // whole answer reads it; what cannot be cut so is read whole.
    void outlineCutsLargeLists_data()
    {
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<int>("parts");
        QTest::newRow("plain root") << QByteArray("<poll result_code=\"0\">") << 2;
        QTest::newRow("namespace on the root") << QByteArray("<poll xmlns:x=\"urn:x\" result_code=\"0\">") << 0;
        QTest::newRow("space kept on the root") << QByteArray("<poll xml:space=\"preserve\" result_code=\"0\">") << 0;
    }
    void outlineCutsLargeLists()
    {
        QFETCH(QByteArray, root);
        QFETCH(int, parts);
        QByteArray items;
        // Large enough that the parser moves on through its buffer several times.
        for (int i = 0; i < 20000; ++i)
            items += "<query id=\"" + QByteArray::number(i) + "\"><name>Door &amp; &#233;</name></query>\n";
        const QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root +
                                "<query_list>" + items + "</query_list><error_message>none</error_message>"
                                "<query_list><query id=\"late\"/></query_list><small_list><x/></small_list></poll>";
        QList<XmlDoc::Part> cut;
        QString error;
        const XmlDoc outline = XmlDoc::ParseOutline(text, 1024, &cut, &error);
        QVERIFY2(!outline.IsNull(), qPrintable(error));
        QCOMPARE(int(cut.size()), parts);
        const XmlDoc whole = XmlDoc::Parse(text);
        QCOMPARE(outline.Root().Attr("result_code"), QString("0"));
        QCOMPARE(outline.Root().ChildText("error_message"), QString("none"));
        QCOMPARE(outline.Root().Select("small_list").ToXml(), QByteArray("<small_list><x/></small_list>"));
        QList<QByteArray> lists;
        QList<QList<QByteArray>> cutItems;
        for (const XmlDoc::Part &p : cut) {
            QCOMPARE(p.name, QString("query_list"));
            lists << XmlDoc::Parse(text.mid(p.offset, p.size)).Root().ToXml();
            // Its items, found by the same pass, each read alone.
            cutItems.append(QList<QByteArray>());
            for (const XmlDoc::Part &item : p.children) {
                QCOMPARE(item.name, QString("query"));
                cutItems.last() << XmlDoc::Parse(text.mid(p.offset + item.offset, item.size)).Root().ToXml();
            }
        }
        if (parts == 0) {
            QCOMPARE(outline.ToXml(false), whole.ToXml(false));
        } else {
            const QList<XmlNode> original = whole.Root().SelectAll("query_list");
            QCOMPARE(lists, (QList<QByteArray>{original[0].ToXml(), original[1].ToXml()}));
            QVERIFY(outline.Root().Select("query_list").IsNull());
            for (int k = 0; k < 2; ++k) {
                QList<QByteArray> expected;
                for (const XmlNode &n : original[k].Children())
                    expected << n.ToXml();
                QCOMPARE(cutItems[k], expected);
            }
        }
        // What the whole parse refuses, the outline refuses with the same reason.
        QString wholeError;
        QVERIFY(XmlDoc::Parse(text.left(text.size() - 3), &wholeError).IsNull());
        QVERIFY(XmlDoc::ParseOutline(text.left(text.size() - 3), 1024, &cut, &error).IsNull());
        QCOMPARE(error, wholeError);
        QVERIFY(cut.isEmpty());
    }

    // A list whose items would lose what it declares for them (namespaces,
    // xml:space) or whose items are prefixed is not cut into items.
    void outlineKeepsListsWithDeclarationsWhole_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<int>("items");
        QTest::newRow("plain") << QByteArray("<l>") << QByteArray("<i>x</i>") << 3;
        QTest::newRow("namespace") << QByteArray("<l xmlns:x=\"urn:x\">") << QByteArray("<i>x</i>") << 0;
        QTest::newRow("space kept") << QByteArray("<l xml:space=\"preserve\">") << QByteArray("<i> </i>") << 0;
        QTest::newRow("prefixed item") << QByteArray("<l>") << QByteArray("<x:i xmlns:x=\"urn:x\">x</x:i>") << 0;
    }
    void outlineKeepsListsWithDeclarationsWhole()
    {
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, item);
        QFETCH(int, items);
        const QByteArray text = "<r>" + list + item + item + item + "</l><m/></r>";
        QList<XmlDoc::Part> cut;
        QVERIFY(!XmlDoc::ParseOutline(text, 8, &cut).IsNull());
        QCOMPARE(int(cut.size()), 1);
        QCOMPARE(int(cut[0].children.size()), items);
    }

    // A text starting with U+FEFF is not a byte-order mark: it reads back whole.
    void leadingFeffKept()
    {
        const QString text = QString(QChar(0xFEFF)) + "x";
        XmlDoc doc = XmlDoc::Create("r");
        doc.Root().AddChild("a", text);
        doc.Root().SetAttr("b", text);
        const XmlDoc back = XmlDoc::Parse(doc.ToXml());
        QCOMPARE(back.Root().ChildText("a"), text);
        QCOMPARE(back.Root().Attr("b"), text);
        QCOMPARE(back.Root().Select("a").Text(), text);
        QCOMPARE(Utils::FromUtf8Text("\xEF\xBB\xBF"), QString(QChar(0xFEFF)));
        QCOMPARE(Utils::FromUtf8Text("ab", 1), QString("a"));
    }

    void selectAllAndCopies()
    {
        XmlDoc a = XmlDoc::Parse("<r><v id='1'>A</v><v id='2'>B</v></r>");
        const QList<XmlNode> vs = a.Root().SelectAll("v");
        QCOMPARE(vs.size(), 2);
        QCOMPARE(vs[1].Attr("id"), QString("2"));
        XmlDoc b = CreateDomDocument("copy");
        XmlNode root = b.SetRootCopy(a.Root());
        a = XmlDoc();  // the copy does not depend on the source
        QCOMPARE(root.Name(), QString("r"));
        QCOMPARE(GetChildText(b.Root(), "v[@id='2']"), QString("B"));
    }

    // Plain name paths are walked without XPath; they must select what XPath does.
    void namePathsSelectAsXPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("one step") << "a";
        QTest::newRow("two steps") << "a/b";
        QTest::newRow("three steps") << "a/b/c";
        QTest::newRow("no match") << "a/z";
        QTest::newRow("dashed name") << "d-e.f";
    }
    void namePathsSelectAsXPath()
    {
        QFETCH(QString, path);
        const XmlDoc doc = XmlDoc::Parse(
            "<r><a/><a><b>1<c>x</c></b><b>2</b></a><n:a xmlns:n='urn:n'><b>ns</b></n:a><a><b><c>y</c></b><b>3</b></a>"
            "<d-e.f>de</d-e.f><a>tail</a></r>");
        const XmlNode root = doc.Root();
        const QString xpath = "./" + path;
        auto texts = [](const QList<XmlNode> &nodes) {
            QStringList out;
            for (const XmlNode &n : nodes)
                out << n.Text();
            return out;
        };
        QCOMPARE(texts(root.SelectAll(path)), texts(root.SelectAll(xpath)));
        QCOMPARE(root.Select(path).Raw(), root.Select(xpath).Raw());
        QCOMPARE(root.ChildText(path), root.ChildText(xpath));
    }

    void nodesKeepTheirDocumentAlive()
    {
        XmlNode node;
        {
            XmlDoc doc = XmlDoc::Parse("<r><a>kept</a></r>");
            node = doc.Root().Select("a");
        }
        QCOMPARE(node.Text(), QString("kept"));
    }

    void saveIsAtomic()
    {
        const QString folder = TestEnv::NewFolder();
        const QString path = folder + "/doc.xml";
        XmlDoc doc = XmlDoc::Parse("<r><a>1</a></r>");
        QVERIFY(doc.SaveFile(path));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"doc.xml"});
        QCOMPARE(GetChildText(XmlDoc::LoadFile(path).Root(), "a"), QString("1"));
        // A folder that cannot be written keeps the old file.
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool saved = XmlDoc::Parse("<r><a>2</a></r>").SaveFile(path);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (::geteuid() != 0)  // root writes anyway
            QVERIFY(!saved);
        else
            QSKIP("running as root: permissions do not stop writes");
        QCOMPARE(GetChildText(XmlDoc::LoadFile(path).Root(), "a"), QString("1"));
    }

    void leadingInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("blanks sign") << "  -7x" << -7;
        QTest::newRow("plus") << "+3.9" << 3;
        QTest::newRow("none") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("huge") << "99999999999" << 2147483647;
    }
    void leadingInt()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(ParseLeadingInt(text), value);
    }

    // Bytes taken as they stand or read as text: the same document either way.
    void utf8ChildWritesAsTextChild_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("markup") << QByteArray("a<b&c>\"'") << QByteArray("<t>a&lt;b&amp;c&gt;\"'</t>");
        QTest::newRow("line ends") << QByteArray("a\r\nb\tc") << QByteArray("<t>a&#13;\nb\tc</t>");
        QTest::newRow("accents") << QByteArray("Gr\xC3\xBC\xC3\x9F" "e") << QByteArray("<t>Gr\xC3\xBC\xC3\x9F" "e</t>");
        QTest::newRow("control dropped") << QByteArray("a\x01" "b\x7F") << QByteArray("<t>ab\x7F</t>");
        QTest::newRow("broken UTF-8") << QByteArray("a\xFF" "b") << QByteArray("<t>a\xEF\xBF\xBD" "b</t>");
        QTest::newRow("empty") << QByteArray() << QByteArray("<t/>");
        // Long enough to be checked many bytes at a time.
        QTest::newRow("control in a long line") << QByteArray(40, 'x') + "\x01" + QByteArray(40, 'y')
                                                << "<t>" + QByteArray(40, 'x') + QByteArray(40, 'y') + "</t>";
        QTest::newRow("accent at a block's end") << QByteArray(15, 'a') + "\xC3\xBC" + QByteArray(16, 'b')
                                                 << "<t>" + QByteArray(15, 'a') + "\xC3\xBC" + QByteArray(16, 'b') + "</t>";
        QTest::newRow("long line ends") << QByteArray("abcdef\r\n\t").repeated(10)
                                        << "<t>" + QByteArray("abcdef&#13;\n\t").repeated(10) + "</t>";
    }
    void utf8ChildWritesAsTextChild()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, xml);
        XmlDoc bytes = XmlDoc::Create("r");
        bytes.Root().AddChildUtf8("t", value);
        XmlDoc text = XmlDoc::Create("r");
        text.Root().AddChild("t", QString::fromUtf8(value));
        QCOMPARE(bytes.ToXml(false), "<r>" + xml + "</r>");
        QCOMPARE(bytes.ToXml(false), text.ToXml(false));
        QCOMPARE(XmlDoc::Parse(bytes.ToXml()).Root().ChildText("t"), text.Root().ChildText("t"));
        QVERIFY_THROWS_EXCEPTION(XmlError, XmlNode().AddChildUtf8("t", value));
    }

    // Written to a device piece by piece: the same text as ToXml, and a
    // device that refuses is a failure, not a short file.
    void writeXmlToDevice()
    {
        XmlDoc doc = XmlDoc::Create("r");
        doc.Root().SetAttr("id", "a\"b");
        doc.Root().AddChildUtf8("big", QByteArray(300000, 'x') + "\r\n");
        doc.Root().AddChild("small", QString::fromUtf8("\xC3\xBC"));
        QByteArray written;
        QBuffer buffer(&written);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(doc.Root().WriteXml(buffer));
        QCOMPARE(written.size(), doc.ToXml(false).size());
        QVERIFY(written == doc.ToXml(false));
        QVERIFY(written.endsWith("x&#13;\n</big><small>\xC3\xBC</small></r>"));
        QBuffer closed;
        QVERIFY(!doc.Root().WriteXml(closed));
        QVERIFY(!XmlNode().WriteXml(buffer));
    }

    // From a device, the text goes into the tree as the bytes version puts it.
    void utf8ChildFromDevice_data() { utf8ChildWritesAsTextChild_data(); }
    void utf8ChildFromDevice()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, xml);
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("skipped" + value);
        QVERIFY(file.seek(7));
        XmlDoc doc = XmlDoc::Create("r");
        doc.Root().AddChildUtf8("t", file);
        QCOMPARE(doc.ToXml(false), "<r>" + xml + "</r>");
        QVERIFY(file.atEnd());
        QFile closed(file.fileName());
        QVERIFY_THROWS_EXCEPTION(XmlError, doc.Root().AddChildUtf8("u", closed));
    }

    // Read in pieces of any size, large texts escaped as they are read: the
    // same bytes as ToXml, also after a seek.
    void readStreamMatchesToXml_data()
    {
        QTest::addColumn<QByteArray>("large");
        QTest::addColumn<int>("piece");
        const QByteArray mixed = QByteArray("a<b>&c\r\n\t\xC3\xBC").repeated(20000);
        QTest::newRow("markup, one byte") << mixed.left(70000) << 1;
        QTest::newRow("markup, three bytes") << mixed << 3;
        QTest::newRow("markup, 64 KB") << mixed << 65536;
        QTest::newRow("plain, 7 bytes") << QByteArray(200000, 'x') << 7;
        // A page's lines: a carriage return every 78 bytes, nothing else to escape.
        const QByteArray line = QByteArray("QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAxMjM0") + "\r\n";
        QTest::newRow("page lines, 4 KB") << line.repeated(3000) << 4096;
        // Escapes on both sides of every 16-byte step, and a stretch longer
        // than 255 steps without any.
        QByteArray edges(120000, 'y');
        for (qsizetype i = 0; i < 40000; i += 16) {
            edges[i] = "<>&\r"[(i / 16) % 4];
            edges[i + 15] = "&\r<>"[(i / 16) % 4];
        }
        edges[119999] = '<';
        QTest::newRow("block edges, 1000 bytes") << edges << 1000;
        QTest::newRow("small, whole") << QByteArray("a<b\r") << 5;
    }
    void readStreamMatchesToXml()
    {
        QFETCH(QByteArray, large);
        QFETCH(int, piece);
        XmlDoc doc = XmlDoc::Create("r");
        doc.Root().SetAttr("id", "1\"2");
        doc.Root().AddChild("a", "before");
        XmlNode deal = doc.Root().AddChild("deal");
        deal.AddChildUtf8("content", large);
        deal.AddChildUtf8("second", large);
        doc.Root().AddChild("z", QString::fromUtf8("after \xC3\xBC"));
        const QByteArray expected = doc.ToXml(false);

        XmlReadStream stream(doc.Root());
        QCOMPARE(stream.Whole() != nullptr, large.size() < XmlReadStream::LargeTextBytes);
        QCOMPARE(stream.Size(), qint64(expected.size()));
        QByteArray read;
        QByteArray buffer(piece, Qt::Uninitialized);
        for (qint64 n; (n = stream.Read(buffer.data(), piece)) > 0;)
            read.append(buffer.constData(), qsizetype(n));
        QVERIFY(read == expected);
        const qint64 from = expected.size() / 3;
        QVERIFY(stream.Seek(from));
        read.clear();
        for (qint64 n; (n = stream.Read(buffer.data(), piece)) > 0;)
            read.append(buffer.constData(), qsizetype(n));
        QVERIFY(read == expected.mid(from));
        QVERIFY(!stream.Seek(expected.size() + 1));
    }

    void xmlErrorBox()
    {
        TestApp t;
        ShowXmlError(XmlError("bad path", "XPath"));
        const QStringList calls = t.dialogs.log.Calls();
        QCOMPARE(calls.size(), 1);
        QVERIFY(calls[0].startsWith("MessageBox|ErrorMessage: "));
        QVERIFY(calls[0].contains("Description: bad path\nSource: XPath\n|XML Error|"));
    }
};

KORVANT_TEST_MAIN(TestXmlUtil)
#include "tst_xmlutil.moc"
