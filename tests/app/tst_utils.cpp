#include "TestApp.h"
#include "TestEnv.h"

#include "app/CSortStringArray.h"
#include "app/Utils.h"

#include <QDate>
#include <QTcpServer>

#include <libxml/parser.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace {
void WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

const QByteArray kDetailSheet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"html\" encoding=\"UTF-8\"/>"
    "<xsl:param name=\"xsl-path\"/>"
    "<xsl:template match=\"/\">"
    "<html><body><p id=\"name\"><xsl:value-of select=\"/record/name\"/></p><p id=\"path\"><xsl:value-of select=\"$xsl-path\"/></p></body></html>"
    "</xsl:template>"
    "</xsl:stylesheet>";

QString XslError(TestApp &t)
{
    for (const QString &call : t.dialogs.log.Calls()) {
        if (call.startsWith("MessageBox|") && call.contains("|Error of XSL transformation|"))
            return call;
    }
    return QString();
}
} // namespace

class TestUtils : public QObject
{
    Q_OBJECT
private slots:
    void formatNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("money");
        QTest::newRow("grouping") << 1234567.891 << 2 << "1,234,567.89" << "$1,234,567.89";
        QTest::newRow("negative no decimals") << -1234.4 << 0 << "-1,234" << "-$1,234";
        QTest::newRow("three digits") << 999.0 << 0 << "999" << "$999";
        QTest::newRow("thousand") << 1000.0 << 0 << "1,000" << "$1,000";
        QTest::newRow("pads decimals") << 123.0 << 2 << "123.00" << "$123.00";
        QTest::newRow("small negative") << -0.25 << 2 << "-0.25" << "-$0.25";
        QTest::newRow("negative money") << -1234.5 << 2 << "-1,234.50" << "-$1,234.50";
        QTest::newRow("six digits") << -100000.0 << 1 << "-100,000.0" << "-$100,000.0";
        QTest::newRow("negative decimals count as 0") << 1234.0 << -3 << "1,234" << "$1,234";
        QTest::newRow("zero") << 0.0 << 2 << "0.00" << "$0.00";
        QTest::newRow("NaN") << std::nan("") << 2 << "0.00" << "$0.00";
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 0 << "0" << "$0";
        QTest::newRow("denormal") << -1e-310 << 2 << "0.00" << "$0.00";
        // A negative amount that rounds to zero is zero, without a sign.
        QTest::newRow("rounds to zero") << -0.005 << 0 << "0" << "$0";
        QTest::newRow("rounds to zero cents") << -0.004 << 2 << "0.00" << "$0.00";
        QTest::newRow("negative zero") << -0.0 << 1 << "0.0" << "$0.0";
        QTest::newRow("huge") << 1e20 << 0 << "100,000,000,000,000,000,000" << "$100,000,000,000,000,000,000";
    }
    void formatNumber()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, number);
        QFETCH(QString, money);
        QCOMPARE(Utils::FormatNumber(value, decimals), number);
        QCOMPARE(Utils::FormatMoney(value, decimals), money);
    }

    void normalizeMoney_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("money");
        QTest::newRow("round trip") << "$1,234,567" << 0 << "$1,234,567";
        QTest::newRow("leading blanks") << "  12.5" << 2 << "$12.50";
        QTest::newRow("grouped plain") << "1,234.5" << 2 << "$1,234.50";
        QTest::newRow("no number") << "abc" << 2 << "$0.00";
        QTest::newRow("empty") << "" << 0 << "$0";
        QTest::newRow("negative as formatted") << "-$1,234.50" << 2 << "-$1,234.50";
    }
    void normalizeMoney()
    {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QFETCH(QString, money);
        QCOMPARE(Utils::NormalizeMoney(text, decimals), money);
    }

    void strToDouble_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "1.5" << 1.5;
        QTest::newRow("leading number") << "  -2.25abc" << -2.25;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("plus") << "+3" << 3.0;
        QTest::newRow("comma is not a point") << "1,5" << 1.0;
        QTest::newRow("none") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("nan") << "nan" << 0.0;
        QTest::newRow("overflow") << "1e999" << 0.0;
    }
    void strToDouble()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Utils::StrToDouble(text), value);
    }

    // Qt takes LC_NUMERIC from the environment; a comma locale must change nothing.
    void numbersUnderCommaLocale()
    {
        TestApp t;
        const QByteArray saved = std::setlocale(LC_NUMERIC, nullptr);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QFAIL("de_DE.UTF-8 is not available (scripts/setup.sh generates it)");
        QCOMPARE(std::localeconv()->decimal_point[0], ',');
        const QString number = Utils::FormatNumber(1234567.891, 2);
        const QString money = Utils::FormatMoney(-1234.5, 2);
        const QString normal = Utils::NormalizeMoney("$1,234.5", 2);
        const double parsed = Utils::StrToDouble("2.75");
        const int integer = Utils::StrToInt(" 2147483648");
        std::setlocale(LC_NUMERIC, saved.constData());
        QCOMPARE(number, QStringLiteral("1,234,567.89"));
        QCOMPARE(money, QStringLiteral("-$1,234.50"));
        QCOMPARE(normal, QStringLiteral("$1,234.50"));
        QCOMPARE(parsed, 2.75);
        QCOMPARE(integer, std::numeric_limits<int>::max());
    }

    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("blanks sign tail") << " -7x" << -7;
        QTest::newRow("plus") << "+5" << 5;
        QTest::newRow("decimal cut") << "12.9" << 12;
        QTest::newRow("none") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("max") << "2147483647" << std::numeric_limits<int>::max();
        QTest::newRow("max + 1") << "2147483648" << std::numeric_limits<int>::max();
        QTest::newRow("far above") << "99999999999999999999999" << std::numeric_limits<int>::max();
        QTest::newRow("min") << "-2147483648" << std::numeric_limits<int>::min();
        QTest::newRow("below min") << "-2147483649" << std::numeric_limits<int>::min();
        QTest::newRow("far below") << "-99999999999999999999999" << std::numeric_limits<int>::min();
    }
    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(Utils::StrToInt(text), value);
    }

    void strToRating_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rating");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("three") << "3" << 3;
        QTest::newRow("five") << "5" << 5;
        QTest::newRow("six") << "6" << 5;
        QTest::newRow("seven") << "7" << 5;
        QTest::newRow("text") << "abc" << 0;
    }
    void strToRating()
    {
        QFETCH(QString, text);
        QFETCH(int, rating);
        QCOMPARE(Utils::StrToRating(text), rating);
    }

    void compareNumbers()
    {
        QCOMPARE(Utils::CompareNumbers("10", "9"), 1);
        QCOMPARE(Utils::CompareNumbers("2", "2x"), 0);
        QCOMPARE(Utils::CompareNumbers("-1", "0"), -1);
    }

    void isNumeric_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("blanks only") << "   " << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("digits with blanks") << " 123 " << true;
        QTest::newRow("letter after") << "12a" << false;
        QTest::newRow("point") << "1.5" << false;
        QTest::newRow("sign") << "-1" << false;
        QTest::newRow("blank inside") << "1 2" << false;
    }
    void isNumeric()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(Utils::IsNumeric(text), numeric);
    }

    void escapeSqlQuotes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("name") << "O'Brien" << "O''Brien";
        QTest::newRow("pair doubled") << "a''b" << "a''''b";
        QTest::newRow("run of three") << "'''" << "''''''";
        QTest::newRow("none") << "plain" << "plain";
        QTest::newRow("empty") << "" << "";
    }
    void escapeSqlQuotes()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(Utils::EscapeSqlQuotes(text), escaped);
    }

    void addHttpPrefix_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("bare host") << "www.example.com" << "http://www.example.com";
        QTest::newRow("http") << "http://a.b" << "http://a.b";
        QTest::newRow("upper HTTP") << "HTTP://a.b" << "HTTP://a.b";
        QTest::newRow("https") << "https://a.b" << "https://a.b";
        QTest::newRow("mixed HtTpS") << "HtTpS://a.b" << "HtTpS://a.b";
        QTest::newRow("other scheme") << "ftp://a.b" << "http://ftp://a.b";
        QTest::newRow("looks like http") << "httpx.com" << "http://httpx.com";
    }
    void addHttpPrefix()
    {
        QFETCH(QString, url);
        QFETCH(QString, result);
        QCOMPARE(Utils::AddHttpPrefix(url), result);
    }

    void toCrLf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("mixed") << "a\nb\r\nc" << "a\r\nb\r\nc";
        QTest::newRow("leading") << "\n" << "\r\n";
        QTest::newRow("kept") << "\r\n\r\n" << "\r\n\r\n";
        QTest::newRow("lone CR") << "a\rb" << "a\rb";
        QTest::newRow("two LF") << "a\n\n" << "a\r\n\r\n";
    }
    void toCrLf()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(Utils::ToCrLf(text), result);
    }

    void randomDigitsAndYear()
    {
        QSet<QChar> seen;
        for (int i = 0; i < 300; ++i) {
            const QString digits = Utils::GenerateRandomDigits(i == 0);
            QCOMPARE(digits.size(), 8);
            for (QChar c : digits) {
                QVERIFY(c >= u'0' && c <= u'8');
                seen.insert(c);
            }
        }
        QCOMPARE(seen.size(), 9);
        QCOMPARE(Utils::GetCurrentYear(), QString::number(QDate::currentDate().year()));
    }

    void sortStringArray()
    {
        CSortStringArray list({"b", "B", "a", "Z", "\u00e9"});
        list.Sort();
        QCOMPARE(QStringList(list), QStringList({"B", "Z", "a", "b", "\u00e9"}));
        list.Sort([](const QString &a, const QString &b) { return CSortStringArray::CompareBytes(b, a); });
        QCOMPARE(list.first(), QStringLiteral("\u00e9"));
    }

    // --- XSL ---------------------------------------------------------------------------

    void transform()
    {
        TestApp t;
        WriteFile(t.App().GetXslFolder() + "/detail.xsl", kDetailSheet);
        const QString html = Utils::TransformXml(QByteArray("<record><name>Brake &amp; pad</name></record>"),
                                                 "detail.xsl");
        QVERIFY2(html.contains("<p id=\"name\">Brake &amp; pad</p>"), qPrintable(html));
        QVERIFY2(html.contains("<p id=\"path\">" + t.App().GetXslFolder() + "</p>"), qPrintable(html));
        QVERIFY(XslError(t).isEmpty());
    }

    // A folder name with both quote kinds reaches the sheet as a string, never as XPath.
    void pathParameterIsQuoted()
    {
        TestApp t;
        const QString program = TestEnv::NewFolder() + "/it's a \"test\") or (1";
        t.App().SetModuleFolder(program);
        WriteFile(t.App().GetXslFolder() + "/detail.xsl", kDetailSheet);
        const QString html = Utils::TransformXml(QByteArray("<record/>"), "detail.xsl");
        QVERIFY2(XslError(t).isEmpty(), qPrintable(XslError(t)));
        QVERIFY2(html.contains("<p id=\"path\">" + t.App().GetXslFolder() + "</p>"), qPrintable(html));
    }

    void transformErrors_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("missing sheet") << QByteArray() << QByteArray("<record/>");
        QTest::newRow("malformed document") << kDetailSheet << QByteArray("<record><name>x</record>");
        QTest::newRow("empty document") << kDetailSheet << QByteArray();
        QTest::newRow("malformed sheet") << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=") << QByteArray("<r/>");
        QTest::newRow("not a sheet") << QByteArray("<html/>") << QByteArray("<r/>");
        QTest::newRow("terminating message")
            << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">stop here</xsl:message></xsl:template>"
    "</xsl:stylesheet>")
            << QByteArray("<r/>");
    }
    void transformErrors()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, xml);
        TestApp t;
        Utils::ClearXslCache();
        if (!sheet.isEmpty())
            WriteFile(t.App().GetXslFolder() + "/bad.xsl", sheet);
        QVERIFY(Utils::TransformXml(xml, "bad.xsl").isEmpty());
        QVERIFY2(!XslError(t).isEmpty(), qPrintable(t.dialogs.log.Calls().join('\n')));
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 1);
    }

    // A sheet may not reach the network nor write files.
    void securityRefusals_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("newFolder");  // the file's folder does not exist yet
        QTest::newRow("document() over http")
            << QByteArray("<xsl:copy-of select=\"document('http://127.0.0.1:PORT/x.xml')\"/>") << true;
        const QByteArray xslWrite = "<xsl:document href=\"OUT\" method=\"text\">x</xsl:document>";
        const QByteArray exslWrite =
            "<exsl:document xmlns:exsl=\"http://exslt.org/common\" href=\"OUT\" method=\"text\">x</exsl:document>";
        QTest::newRow("xsl:document into an existing folder") << xslWrite << false;
        QTest::newRow("xsl:document creating a folder") << xslWrite << true;
        QTest::newRow("exsl:document into an existing folder") << exslWrite << false;
        QTest::newRow("exsl:document creating a folder") << exslWrite << true;
    }
    void securityRefusals()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, newFolder);
        TestApp t;
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        const QString out = TestEnv::NewFolder() + (newFolder ? "/sub/written.txt" : "/written.txt");
        body.replace("PORT", QByteArray::number(listener.serverPort())).replace("OUT", out.toUtf8());
        const QByteArray sheet = "<xsl:stylesheet version=\"1.1\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\""
                                 " extension-element-prefixes=\"exsl\" xmlns:exsl=\"http://exslt.org/common\">"
                                 "<xsl:template match=\"/\"><out>" + body + "</out></xsl:template></xsl:stylesheet>";
        WriteFile(t.App().GetXslFolder() + "/evil.xsl", sheet);
        Utils::ClearXslCache();
        const QString html = Utils::TransformXml(QByteArray("<r/>"), "evil.xsl");
        QVERIFY(!QFileInfo::exists(out));
        QCOMPARE(QFileInfo::exists(QFileInfo(out).path()), !newFolder);
        QVERIFY(!listener.hasPendingConnections());
        QVERIFY2(html.isEmpty(), qPrintable(html));
        QVERIFY(!XslError(t).isEmpty());
    }

    // A missing or broken sheet is reported once, not read again until it
    // changes, and used as soon as it is mended.
    void failedSheetReportedOnceUntilChanged_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("broken") << QByteArray("<xsl:stylesheet version=\"1.0\" xmlns:xsl=");
    }
    void failedSheetReportedOnceUntilChanged()
    {
        QFETCH(QByteArray, sheet);
        TestApp t;
        Utils::ClearXslCache();
        const QString path = t.App().GetXslFolder() + "/once.xsl";
        QDir().mkpath(t.App().GetXslFolder());
        if (!sheet.isEmpty())
            WriteFile(path, sheet);
        for (int i = 0; i < 3; ++i)
            QVERIFY(Utils::TransformXml(QByteArray("<record/>"), "once.xsl").isEmpty());
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 1);
        QVERIFY(!XslError(t).isEmpty());
        WriteFile(path, kDetailSheet);
        QVERIFY(Utils::TransformXml(QByteArray("<record><name>ok</name></record>"), "once.xsl").contains(">ok<"));
        QCOMPARE(t.dialogs.log.Count("MessageBox|"), 1);
    }

    // A changed sheet is compiled again; the cached one serves until then.
    void changedSheetRecompiled()
    {
        TestApp t;
        const QString path = t.App().GetXslFolder() + "/v.xsl";
        auto sheet = [](const QByteArray &text) {
            return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                   "<xsl:output method=\"text\"/><xsl:template match=\"/\">" + text + "</xsl:template></xsl:stylesheet>";
        };
        WriteFile(path, sheet("one"));
        QCOMPARE(Utils::TransformXml(QByteArray("<r/>"), "v.xsl"), QStringLiteral("one"));
        QCOMPARE(Utils::TransformXml(QByteArray("<r/>"), "v.xsl"), QStringLiteral("one"));
        WriteFile(path, sheet("second"));
        QCOMPARE(Utils::TransformXml(QByteArray("<r/>"), "v.xsl"), QStringLiteral("second"));
    }

    // The parsed-document form leaves the caller's document as it was.
    void documentOverloadKeepsSource()
    {
        TestApp t;
        WriteFile(t.App().GetXslFolder() + "/strip.xsl",
                  "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                  "<xsl:strip-space elements=\"*\"/><xsl:output method=\"text\"/>"
                  "<xsl:template match=\"/\"><xsl:value-of select=\"count(//node())\"/></xsl:template>"
                  "</xsl:stylesheet>");
        const QByteArray xml = "<r>\n  <a>1</a>\n  <b>2</b>\n</r>";
        xmlDocPtr doc = xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr, 0);
        QVERIFY(doc);
        auto dump = [doc] {
            xmlChar *bytes = nullptr;
            int size = 0;
            xmlDocDumpMemory(doc, &bytes, &size);
            QByteArray out(reinterpret_cast<const char *>(bytes), size);
            xmlFree(bytes);
            return out;
        };
        const QByteArray before = dump();
        QCOMPARE(Utils::TransformXml(doc, "strip.xsl"), QStringLiteral("5"));
        QCOMPARE(dump(), before);
        xmlFreeDoc(doc);
    }
};

KORVANT_TEST_MAIN(TestUtils)
#include "tst_utils.moc"
