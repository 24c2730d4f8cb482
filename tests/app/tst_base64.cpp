#include "TestEnv.h"

#include "app/Utils.h"
#include "app/XBase64.h"
#include "app/XVersionInfo.h"

#include <QRandomGenerator>

class TestBase64 : public QObject
{
    Q_OBJECT
private slots:
    void rfcVectors_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("f") << QByteArray("f") << QByteArray("Zg==");
        QTest::newRow("fo") << QByteArray("fo") << QByteArray("Zm8=");
        QTest::newRow("foo") << QByteArray("foo") << QByteArray("Zm9v");
        QTest::newRow("foob") << QByteArray("foob") << QByteArray("Zm9vYg==");
        QTest::newRow("fooba") << QByteArray("fooba") << QByteArray("Zm9vYmE=");
        QTest::newRow("foobar") << QByteArray("foobar") << QByteArray("Zm9vYmFy");
        QTest::newRow("high bits") << QByteArray("\xff\xfe\x00", 3) << QByteArray("//4A");
    }
    void rfcVectors()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, text);
        QCOMPARE(XBase64::EncodeToText(bytes), text);
        QCOMPARE(XBase64::DecodeText(text), bytes);

        // The buffer forms: sizes as documented, a terminating zero, exact decode.
        XBase64 b64;
        QByteArray encoded;
        const qsizetype size = b64.AllocEncodeBuffer(bytes.size(), encoded);
        QCOMPARE(size, text.size() + 1);
        b64.Encode(bytes.constData(), bytes.size(), encoded);
        QCOMPARE(encoded.size(), size);
        QCOMPARE(encoded.back(), '\0');
        QCOMPARE(QByteArray(encoded.constData()), text);

        QByteArray decoded;
        QCOMPARE(b64.AllocDecodeBuffer(text, decoded), bytes.size());
        QCOMPARE(b64.Decode(text, decoded), bytes.size());
        QCOMPARE(decoded, bytes);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("57 bytes end with a break") << 57 << QByteArray("\r\n");
        QTest::newRow("58 bytes") << 58 << QByteArray("==");
        QTest::newRow("114 bytes") << 114 << QByteArray("\r\n");
    }
    void lineBreaks()
    {
        QFETCH(int, length);
        QFETCH(QByteArray, tail);
        const QByteArray bytes(length, 'x');
        const QByteArray text = XBase64::EncodeToText(bytes);
        QVERIFY(text.endsWith(tail));
        QCOMPARE(text.indexOf("\r\n"), 76);
        if (length == 58) {
            QCOMPARE(text.size(), 76 + 2 + 4);
        }
        QCOMPARE(XBase64::EncodedSize(length), text.size() + 1);
    }

    // Long texts: lines of 76 characters, round trip, the size estimate never short.
    void roundTripLines()
    {
        for (int length : {1, 56, 171, 1000, 4099}) {
            QByteArray bytes(length, Qt::Uninitialized);
            for (char &c : bytes)
                c = char(QRandomGenerator::global()->bounded(256));
            const QByteArray text = XBase64::EncodeToText(bytes);
            const QList<QByteArray> lines = text.split('\n');
            for (qsizetype i = 0; i + 1 < lines.size(); ++i)
                QCOMPARE(lines[i], lines[i].left(76) + "\r");
            QCOMPARE(XBase64::DecodeText(text), bytes);

            XBase64 b64;
            QByteArray buffer;
            QVERIFY(b64.AllocDecodeBuffer(text, buffer) >= bytes.size());
            QCOMPARE(b64.Decode(text, buffer), bytes.size());
            QCOMPARE(buffer.left(bytes.size()), bytes);
        }
    }

    // Every length up to a few lines: no stray zero bytes (lengths 55, 56,
    // 112, 113 once ended in two), exact round trip, the estimate never short.
    void roundTripEveryLength_data()
    {
        QTest::addColumn<int>("length");
        for (int n = 0; n <= 300; ++n)
            QTest::addRow("%d", n) << n;
    }
    void roundTripEveryLength()
    {
        QFETCH(int, length);
        QByteArray bytes(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i)
            bytes[i] = char(i * 7 + 3);
        const QByteArray text = XBase64::EncodeToText(bytes);
        QVERIFY(!text.contains('\0'));
        QCOMPARE(text.size() - 2 * text.count("\r\n"), 4 * ((length + 2) / 3));
        QCOMPARE(XBase64::DecodeText(text), bytes);
        QVERIFY(XBase64::EncodedSize(length) >= text.size() + 1);
        XBase64 b64;
        QByteArray buffer;
        b64.Encode(bytes.constData(), bytes.size(), buffer);
        QCOMPARE(QByteArray(buffer.constData()), text);
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("blanks only") << QByteArray(" \r\n\t") << QByteArray();
        QTest::newRow("incomplete group ignored") << QByteArray("Zm9vYg") << QByteArray("foo");
        QTest::newRow("garbage between") << QByteArray("Z!m*9~v") << QByteArray("foo");
        QTest::newRow("stray = in the middle") << QByteArray("Z=9v") << QByteArray("\x64\x0f\x6f", 3);
        QTest::newRow("only padding") << QByteArray("========") << QByteArray(2, '\0');
        QTest::newRow("padding then data") << QByteArray("Zg==Zm8=") << QByteArray("ffo");
    }
    void malformed()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(XBase64::DecodeText(text), bytes);
    }

    // Texts whose decoded size is above the estimate are cut at the buffer, never overrun.
    void decodeNeverOverruns_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("group before padding") << QByteArray("AAAA==");
        QTest::newRow("line breaks and padding") << QByteArray("QUJD\r\nREVG\r\n=");
        QTest::newRow("short with =") << QByteArray("AAAA=");
        QTest::newRow("three characters") << QByteArray("AAA");
    }
    void decodeNeverOverruns()
    {
        QFETCH(QByteArray, text);
        const QByteArray full = XBase64::DecodeText(text);
        XBase64 b64;
        QByteArray buffer;
        const qsizetype size = b64.AllocDecodeBuffer(text, buffer);
        const qsizetype n = b64.Decode(text, buffer);
        QVERIFY(n <= size);
        QCOMPARE(buffer.size(), size);
        QCOMPARE(buffer.left(n), full.left(n));
        // A caller's small buffer is respected too.
        QByteArray one(1, '\0');
        QVERIFY(b64.Decode(text, one) <= 1);
        QCOMPARE(one.size(), 1);
    }

    void randomInputIsSafe()
    {
        QRandomGenerator rng(4242);
        for (int round = 0; round < 300; ++round) {
            QByteArray text(int(rng.bounded(200)), Qt::Uninitialized);
            const char alphabet[] = "AZaz09+/=\r\n !";
            for (char &c : text)
                c = round % 2 ? char(rng.bounded(256)) : alphabet[rng.bounded(int(sizeof alphabet - 1))];
            XBase64 b64;
            QByteArray buffer;
            const qsizetype size = b64.AllocDecodeBuffer(text, buffer);
            QVERIFY(b64.Decode(text, buffer) <= size);
            QVERIFY(XBase64::DecodeText(text).size() <= 3 * (text.size() / 4));
        }
    }

    void version()
    {
        XVersionInfo info;
        QVERIFY(info.Open(QCoreApplication::applicationFilePath()));
        QCOMPARE(info.GetProductVersion(), QStringLiteral("3.1"));
        QCOMPARE(info.GetProductBuild(), QStringLiteral("52"));
        QCOMPARE(XVersionInfo::FullVersion(), QStringLiteral("3.1.0.52"));
        QCOMPARE(Utils::GetClientVersion(), QStringLiteral("3.1.52"));

        XVersionInfo missing;
        QVERIFY(!missing.Open(TestEnv::NewFolder() + "/no-such-file"));
        QVERIFY(missing.GetProductVersion().isEmpty());
        QVERIFY(missing.GetProductBuild().isEmpty());
        XVersionInfo folder;
        QVERIFY(!folder.Open(TestEnv::NewFolder()));
    }
};

KORVANT_TEST_MAIN(TestBase64)
#include "tst_base64.moc"
