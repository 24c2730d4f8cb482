#include "TestEnv.h"

#include "import/CBaseImport.h"
#include "import/ImportText.h"

#include <QFile>
#include <QtTest/QtTest>

#include <clocale>

using namespace ImportText;

// The field readers, numbers and line reading of the import files.
class TestFields : public QObject
{
    Q_OBJECT
private slots:
    void getField_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("value");
        QTest::newRow("quoted first") << "\"a\",\"b\"" << 0 << true << "a";
        QTest::newRow("quoted second") << "\"a\",\"b\"" << 1 << true << "b";
        QTest::newRow("quoted past end") << "\"a\",\"b\"" << 2 << false << "";
        QTest::newRow("escaped comma") << "a\\,b,c" << 0 << true << "a,b";
        QTest::newRow("after escaped comma") << "a\\,b,c" << 1 << true << "c";
        QTest::newRow("backslashes dropped") << "C:\\dir,x" << 0 << true << "C:dir";
        QTest::newRow("doubled quote is one quote") << "\"say \"\"hi\"\"\",\"x\"" << 0 << true << "say \"hi\"";
        QTest::newRow("only a quote") << "\"\"\"\",\"x\"" << 0 << true << "\"";
        QTest::newRow("empty quoted") << "\"\",\"x\"" << 0 << false << "";
        QTest::newRow("comma in quotes") << "\"a,b\",\"c\"" << 0 << true << "a,b";
        QTest::newRow("empty last field") << "a,b," << 2 << false << "";
        QTest::newRow("no field after last") << "a,b," << 3 << false << "";
        QTest::newRow("plain quoted value") << "a,\"b c\",d" << 1 << true << "b c";
        QTest::newRow("plain lone quote") << "a,\",d" << 1 << true << "\"";
        QTest::newRow("negative index") << "a,b" << -1 << false << "";
        QTest::newRow("non-ascii") << "\"Škoda\",\"Öl\"" << 1 << true << "Öl";
    }
    void getField()
    {
        QFETCH(QString, line);
        QFETCH(int, index);
        QString value = "stale";
        QTEST(CBaseImport::GetField(value, line, index), "result");
        QTEST(value, "value");
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("present");
        QTest::addColumn<double>("dbl");
        QTest::addColumn<int>("lng");
        QTest::newRow("plain") << "a,12.5,c" << 1 << true << 12.5 << 12;
        QTest::newRow("quoted in plain line") << "a,\"12.5\",c" << 1 << true << 12.5 << 12;
        QTest::newRow("quoted line") << "\"a\",\"7\"" << 1 << true << 7.0 << 7;
        QTest::newRow("abc") << "a,abc" << 1 << true << 0.0 << 0;
        QTest::newRow("leading part") << "a,42abc" << 1 << true << 42.0 << 42;
        QTest::newRow("overflow") << "a,1e400" << 1 << true << 0.0 << 1;
        QTest::newRow("inf") << "a,inf" << 1 << true << 0.0 << 0;
        QTest::newRow("negative") << "a, -3.25" << 1 << true << -3.25 << -3;
        QTest::newRow("plus sign") << "a,+4" << 1 << true << 4.0 << 4;
        QTest::newRow("too large long") << "a,99999999999" << 1 << true << 99999999999.0 << 2147483647;
        QTest::newRow("empty") << "a," << 1 << true << 0.0 << 0;
        QTest::newRow("missing") << "a" << 1 << false << 0.0 << 0;
    }
    void numbers()
    {
        // A comma locale must not change how numbers read.
        const char *old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QFETCH(QString, line);
        QFETCH(int, index);
        double d = 99;
        long l = 99;
        QTEST(CBaseImport::GetFieldDouble(d, line, index), "present");
        QTEST(CBaseImport::GetFieldLong(l, line, index), "present");
        QTEST(d, "dbl");
        QTEST(int(l), "lng");
        if (old)
            std::setlocale(LC_NUMERIC, "C");
    }

    void formatDouble()
    {
        const char *old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QCOMPARE(FormatDouble(12.5), std::string("12.500000"));
        QCOMPARE(FormatDouble(0), std::string("0.000000"));
        if (old)
            std::setlocale(LC_NUMERIC, "C");
    }

    void unterminatedQuote()
    {
        FieldSplitter f;
        QVERIFY(!f.Split("\"a\",\"b"));
        QVERIFY(f.Split("\"a\",\"b\""));
        QVERIFY(f.Split("a,\"b"));  // a plain line has no quoting to leave open
    }

    void text()
    {
        std::string utf8 = "Caf\xC3\xA9";
        MakeUtf8(utf8);
        QCOMPARE(utf8, std::string("Caf\xC3\xA9"));
        std::string cp1252 = "Caf\xE9 \x80 \x96";
        MakeUtf8(cp1252);
        QCOMPARE(QString::fromStdString(cp1252), QString::fromUtf8("Café € –"));
        QVERIFY(!IsValidUtf8("\xC0\xAF"));          // overlong
        QVERIFY(!IsValidUtf8("\xED\xA0\x80"));      // surrogate
        QVERIFY(IsValidUtf8("\xF0\x9F\x98\x80 ok"));
    }

    void lines()
    {
        const QString path = TestEnv::NewFolder() + "/lines.txt";
        QByteArray big(MaxLineBytes + 10, 'x');
        QByteArray bytes = "one\r\ntwo\nthrXee\r\n" + big + "\nlast";
        bytes[12] = '\0';
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        LineReader r;
        QVERIFY(r.Open(path));
        std::string line;
        LineFault fault;
        QVERIFY(r.Next(line, fault));
        QCOMPARE(line, std::string("one"));
        QVERIFY(r.Next(line, fault));
        QCOMPARE(line, std::string("two"));
        QCOMPARE(fault, LineFault::None);
        QVERIFY(r.Next(line, fault));
        QCOMPARE(fault, LineFault::Nul);
        QVERIFY(r.Next(line, fault));
        QCOMPARE(fault, LineFault::TooLong);
        QVERIFY(line.size() < 10000);
        QVERIFY(r.Next(line, fault));
        QCOMPARE(fault, LineFault::None);
        QCOMPARE(line, std::string("last"));
        QCOMPARE(r.LineNumber(), qint64(5));
        QVERIFY(!r.Next(line, fault));
        QCOMPARE(CountLines(path), int64_t(5));
    }
};

KORVANT_TEST_MAIN(TestFields)
#include "tst_fields.moc"
