#include "TestApp.h"
#include "TestEnv.h"

#include "app/MhtCreator.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

struct Part
{
    QMap<QByteArray, QByteArray> headers;  // lower-case names
    QByteArray body;                        // decoded
};

// A small reader of the writer's output: the root headers and the decoded parts.
bool ParseMessage(const QByteArray &message, QMap<QByteArray, QByteArray> *root, QList<Part> *parts)
{
    const qsizetype headEnd = message.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    QByteArray head = message.left(headEnd);
    head.replace("\r\n\t", " ");
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            root->insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const QRegularExpression b(QStringLiteral("boundary=\"([^\"]+)\""));
    const auto m = b.match(QString::fromLatin1(root->value("content-type")));
    if (!m.hasMatch())
        return false;
    const QByteArray boundary = "--" + m.captured(1).toLatin1();
    const QList<QByteArray> chunks = message.mid(headEnd).split('\n');
    Part *current = nullptr;
    bool inBody = false;
    QByteArray encoded;
    auto finish = [&] {
        if (current)
            current->body = QByteArray::fromBase64(encoded);
        encoded.clear();
    };
    for (QByteArray line : chunks) {
        line = line.trimmed();
        if (line == boundary || line == boundary + "--") {
            finish();
            if (line.endsWith("--"))
                return true;
            parts->append(Part());
            current = &parts->last();
            inBody = false;
        } else if (current && !inBody) {
            if (line.isEmpty()) {
                inBody = true;
            } else {
                const qsizetype colon = line.indexOf(':');
                current->headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
            }
        } else if (current) {
            encoded += line;
        }
    }
    return false;
}

} // namespace

class TestMht : public QObject
{
    Q_OBJECT
private slots:
    void fileUrl_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("url");
        QTest::newRow("windows") << "C:\\Program Files\\Korvant\\data\\a.jpg" << "file:///C:/Program%20Files/Korvant/data/a.jpg";
        QTest::newRow("posix") << "/home/m/.local/share/Korvant/data/a.jpg" << "file:///home/m/.local/share/Korvant/data/a.jpg";
        QTest::newRow("hash and quote") << "/tmp/a#1'\".jpg" << "file:///tmp/a%231%27%22.jpg";
        QTest::newRow("non-ascii") << "/tmp/\u00e9.jpg" << "file:///tmp/%C3%A9.jpg";
    }
    void fileUrl()
    {
        QFETCH(QString, path);
        QFETCH(QString, url);
        QCOMPARE(MhtCreator::FileUrl(path), url);
    }

    void emptyListGivesPageOnly()
    {
        QByteArray message;
        QVERIFY(MhtCreator().BuildMessage(QStringLiteral("<p>x</p>"), {}, &message));
        QMap<QByteArray, QByteArray> root;
        QList<Part> parts;
        QVERIFY2(ParseMessage(message, &root, &parts), message.constData());
        QVERIFY(root.value("content-type").startsWith("multipart/related;"));
        QVERIFY(root.value("content-type").contains("type=\"text/html\""));
        QVERIFY(!root.value("date").isEmpty());
        QCOMPARE(root.value("mime-version"), QByteArray("1.0"));
        QCOMPARE(parts.size(), 1);
        QCOMPARE(parts[0].headers.value("content-location"), QByteArray("file:///"));
        QCOMPARE(parts[0].body, QByteArray("<p>x</p>"));
    }

    // The page is written as UTF-8 bytes; each file is one part at its address.
    void pageAndPicturesParseBack()
    {
        const QString folder = TestEnv::NewFolder();
        const QString picture = folder + "/deal pic.png";
        QFile f(picture);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray png = QByteArray::fromBase64(
            "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");
        f.write(png);
        f.close();
        const QString html = QStringLiteral("<p>Caf\u00e9 \u20ac 100 \u4e2d</p><img src=\"%1\">").arg(MhtCreator::PageUrl(picture));
        const QString target = folder + "/hotdealtmp.mht";
        QVERIFY(MhtCreator().SaveToFile(html, {picture}, target));
        QFile out(target);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QMap<QByteArray, QByteArray> root;
        QList<Part> parts;
        QVERIFY(ParseMessage(out.readAll(), &root, &parts));
        QCOMPARE(parts.size(), 2);
        QVERIFY(parts[0].headers.value("content-type").contains("charset=\"utf-8\""));
        QCOMPARE(QString::fromUtf8(parts[0].body), html);
        QCOMPARE(parts[1].headers.value("content-location"), MhtCreator::FileUrl(picture).toLatin1());
        QCOMPARE(parts[1].headers.value("content-type"), QByteArray("image/png"));
        QCOMPARE("cid:" + parts[1].headers.value("content-id").mid(1).chopped(1), MhtCreator::PageUrl(picture).toLatin1());
        QCOMPARE(parts[1].body, png);
    }

    // A file that cannot be read fails the build and writes nothing.
    void unreadableFileWritesNothing()
    {
        const QString folder = TestEnv::NewFolder();
        const QString target = folder + "/out.mht";
        QString error;
        QVERIFY(!MhtCreator().SaveToFile(QStringLiteral("<p/>"), {"C:\\missing\\a.jpg"}, target, &error));
        QVERIFY(error.contains("C:\\missing\\a.jpg"));
        QVERIFY(!QFileInfo::exists(target));
    }
};

KORVANT_TEST_MAIN(TestMht)
#include "tst_mht.moc"
