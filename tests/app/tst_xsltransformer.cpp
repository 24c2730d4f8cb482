#include "Fakes.h"
#include "TestEnv.h"

#include "app/AppCore.h"
#include "app/XSLTransformer.h"

#include <QDir>
#include <QFile>

#include <libxml/parser.h>

namespace {

void WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray Sheet(const QByteArray &body)
{
    return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\""
           " xmlns:str=\"http://exslt.org/strings\" exclude-result-prefixes=\"str\">"
           "<xsl:output method=\"text\"/><xsl:param name=\"xsl-path\"/>"
           "<xsl:template match=\"/\">" + body + "</xsl:template></xsl:stylesheet>";
}

// Counts the reads of sheet files.
class CountingTransformer : public XSLTransformer
{
public:
    int loads = 0;

protected:
    bool LoadStylesheet(int slot, const QString &path, QString *error) override
    {
        ++loads;
        return XSLTransformer::LoadStylesheet(slot, path, error);
    }
};

// The application core alone: the override flag is on only when the command line sets it.
struct CoreEnv
{
    explicit CoreEnv(const QString &commandLine = QString())
    {
        Globals::Teardown();
        auto app = std::make_unique<AppCore>();
        app->SetModuleFolder(TestEnv::NewFolder() + QStringLiteral("/program"));
        app->ParseCommandLine(commandLine);
        app->SetDialogs(&dialogs);
        Globals::Install(GlobalSlot::App, std::move(app));
    }
    ~CoreEnv() { Globals::Teardown(); }
    AppCore &App() { return theApp(); }

    FakeDialogs dialogs;
};

struct Doc
{
    explicit Doc(const QByteArray &xml) : doc(xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr, 0)) {}
    ~Doc() { xmlFreeDoc(doc); }
    xmlDocPtr doc;
};

} // namespace

class TestXslTransformer : public QObject
{
    Q_OBJECT
private slots:
    void kindsOutsideTheTableReadNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("7") << 7;
        QTest::newRow("-1") << -1;
    }
    void kindsOutsideTheTableReadNothing()
    {
        QFETCH(int, kind);
        CoreEnv t;
        CountingTransformer x;
        Doc d("<r/>");
        QVERIFY(x.Transform(kind, d.doc).isEmpty());
        QCOMPARE(x.loads, 0);
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 0);
    }

    void rendersEachKindFromItsFile()
    {
        CoreEnv t;
        for (int kind = 0; kind < XSLTransformer::KindCount; ++kind)
            WriteFile(t.App().GetXslFolder() + '/' + XSLTransformer::SheetFile(kind),
                      Sheet("<xsl:value-of select=\"concat('" + QByteArray::number(kind) + ":', /r)\"/>"));
        CountingTransformer x;
        Doc d("<r>a &amp; b</r>");
        for (int kind = 0; kind < XSLTransformer::KindCount; ++kind)
            QCOMPARE(x.Transform(kind, d.doc), QString::number(kind) + ":a & b");
        QCOMPARE(x.Transform(0, d.doc), QStringLiteral("0:a & b"));
        QCOMPARE(x.loads, int(XSLTransformer::KindCount));
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 0);
    }

    // A sheet that failed is never applied; it is read again only under the override flag.
    void failedLoadIsKept_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("loadsAfterRepair");
        QTest::addColumn<QString>("afterRepair");
        QTest::newRow("plain") << QString() << 1 << QString();
        QTest::newRow("override") << QStringLiteral("-url http://127.0.0.1:1") << 2 << QStringLiteral("fixed");
    }
    void failedLoadIsKept()
    {
        QFETCH(QString, commandLine);
        QFETCH(int, loadsAfterRepair);
        QFETCH(QString, afterRepair);
        CoreEnv t(commandLine);
        const QString path = t.App().GetXslFolder() + "/order.xsl";
        WriteFile(path, "<xsl:stylesheet version=\"1.0\" xmlns:xsl=");
        CountingTransformer x;
        Doc d("<r/>");
        QVERIFY(x.Transform(XSLTransformer::Order, d.doc).isEmpty());
        QCOMPARE(x.loads, 1);
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 1);
        QVERIFY(t.dialogs.log.Calls().constFirst().contains("|Error of XSL transformation|"));

        WriteFile(path, Sheet("fixed"));
        QCOMPARE(x.Transform(XSLTransformer::Order, d.doc), afterRepair);
        QCOMPARE(x.loads, loadsAfterRepair);
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), afterRepair.isEmpty() ? 2 : 1);
    }

    // Under the override flag an edited sheet renders at the next call.
    void overrideReadsEditedSheet()
    {
        CoreEnv t(QStringLiteral("-url http://127.0.0.1:1"));
        const QString path = t.App().GetXslFolder() + "/dashboard.xsl";
        WriteFile(path, Sheet("one"));
        XSLTransformer x;
        Doc d("<r/>");
        QCOMPARE(x.Transform(XSLTransformer::Dashboard, d.doc), QStringLiteral("one"));
        WriteFile(path, Sheet("two"));
        QCOMPARE(x.Transform(XSLTransformer::Dashboard, d.doc), QStringLiteral("two"));
    }

    // The folder reaches the sheet as a string whatever quotes it holds; EXSLT is there.
    void pathParameterAndExslt()
    {
        CoreEnv t;
        t.App().SetModuleFolder(TestEnv::NewFolder() + "/it's \"here\"");
        WriteFile(t.App().GetXslFolder() + "/message-detail.xsl",
                  Sheet("<xsl:value-of select=\"$xsl-path\"/>|<xsl:value-of select=\"str:encode-uri(/r, true())\"/>"));
        XSLTransformer x;
        Doc d("<r>a&amp;b c%</r>");
        QCOMPARE(x.Transform(XSLTransformer::MessageDetail, d.doc), t.App().GetXslFolder() + "|a%26b%20c%25");
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 0);
    }

    void transformErrorShowsBox()
    {
        CoreEnv t;
        WriteFile(t.App().GetXslFolder() + "/hotdeal.xsl",
                  Sheet("<xsl:message terminate=\"yes\">stop</xsl:message>"));
        XSLTransformer x;
        Doc d("<r/>");
        QVERIFY(x.Transform(XSLTransformer::HotDeal, d.doc).isEmpty());
        QVERIFY(x.Transform(XSLTransformer::HotDeal, nullptr).isEmpty());
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 2);
    }
};

KORVANT_TEST_MAIN(TestXslTransformer)
#include "tst_xsltransformer.moc"
