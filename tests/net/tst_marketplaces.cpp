#include "NetTestUtil.h"
#include "TestEnv.h"

#include "app/XBase64.h"
#include "net/XMarketPlaces.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <thread>

namespace {

TestApp::Options WithMarkets()
{
    return TestApp::Options{
        .extra = {{GlobalSlot::MarketPlaces, [] { return std::make_unique<XMarketPlaces>(); }}}};
}

QByteArray BmpBase64()
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::green);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return XBase64::EncodeToText(bytes);
}

QByteArray Place(const QByteArray &id, const QByteArray &name, const QByteArray &type, bool subscribed,
                 const QByteArray &icon = {})
{
    return "<market_place subscribed=\"" + QByteArray(subscribed ? "1" : "0") + "\" allow_search=\"1\"><market_id>" +
           id + "</market_id><name>" + name + "</name><type>" + type + "</type>" + icon + "</market_place>";
}

FakeServer::Answer List(const QByteArray &places, const QByteArray &version = "9")
{
    return FakeServer::Answer{
        FakeServer::Response(0, "<market_place_list version=\"" + version + "\">" + places + "</market_place_list>")};
}

QString CacheText()
{
    QFile f(theMarketPlaces().CachePath());
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

} // namespace

class TestMarketPlaces : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }

    void firstCheckFetchesTheListAndItsIcons()
    {
        ServerFixture f(WithMarkets());
        XMarketPlaces &m = theMarketPlaces();
        m.init();  // no cache yet: nothing
        QCOMPARE(m.All().size(), 0);
        m.CheckVersion(0);
        QCOMPARE(f.Posts("getMainInfo"), 0);
        QCOMPARE(f.Posts("getMarketPlaces"), 1);
        QVERIFY(QFile::exists(f.t.DataFolder() + "mplaces.xml"));

        const QList<XMarketPlace> all = m.All();
        QCOMPARE(all.size(), 3);
        QCOMPARE(m.CachedVersion(), QString("5"));
        QCOMPARE(m.GetMarketCount(0), 2);
        QCOMPARE(m.GetSubscribedCount(0), 1);
        QCOMPARE(m.GetMarketCount(1), 1);
        QCOMPARE(m.GetSubscribedCount(1), 1);

        // Subscribed with an icon: a file and an index; not subscribed: neither.
        QCOMPARE(all[0].iconIndex, 0);
        QCOMPARE(m.GetIconFileName("MP-100"), f.t.DataFolder() + "MP-100.bmp");
        QVERIFY(!QImage(m.GetIconFileName("MP-100")).isNull());
        QCOMPARE(all[1].iconIndex, -1);
        QVERIFY(!QFile::exists(f.t.DataFolder() + "MP-101.bmp"));
        QCOMPARE(m.GetIconFileName("MP-101"), QString());

        QCOMPARE(all[0].createTime, QDateTime(QDate(2008, 5, 17), QTime(10, 20, 30)).toSecsSinceEpoch());
        QCOMPARE(all[2].createTime, QDateTime(QDate(2008, 5, 20), QTime(15, 15)).toSecsSinceEpoch());
        QCOMPARE(all[2].updateTime, XmlTime(0));
        QVERIFY(all[0].isDefault && all[0].asSeller && all[0].asBuyer && all[0].allowSearch);
        QVERIFY(all[1].allowSearch2 && !all[1].allowSearch);

        // More parts marketplaces than before: news, kept in the file and on the node.
        QVERIFY(m.HasNewMarkets(0));
        QVERIFY(!m.HasNewMarkets(1));
        QVERIFY(CacheText().contains("new=\"1\""));
        QCOMPARE(f.t.frame.log.Calls(), QStringList{"SetItemCounter|124|2|1|1"});

        m.ResetNewFlag(0);
        QVERIFY(!m.HasNewMarkets(0));
        QVERIFY(CacheText().contains("new=\"0\""));
        QCOMPARE(f.t.frame.log.Calls().last(), QString("SetItemBold|124|0"));

        // The flags survive a restart through the file.
        XMarketPlaces again;
        again.init();
        QCOMPARE(again.All().size(), 3);
        QVERIFY(!again.HasNewMarkets(0));
        QCOMPARE(f.t.dialogs.log.Calls(), QStringList());
    }

    // A start reads the icons from the cache: a file that holds its icon is
    // left as it is, a damaged one is written again.
    void startKeepsIconFilesThatHoldTheIcon()
    {
        ServerFixture f(WithMarkets());
        theMarketPlaces().CheckVersion(0);
        const QString icon = f.t.DataFolder() + "MP-100.bmp";
        const QDateTime past(QDate(2001, 2, 3), QTime(4, 5, 6));
        {
            QFile file(icon);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        }
        XMarketPlaces again;
        again.init();
        QCOMPARE(again.GetIconFileName("MP-100"), icon);
        QCOMPARE(QFileInfo(icon).lastModified(), past);

        {
            QFile damaged(icon);
            QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
            damaged.write("x");
        }
        XMarketPlaces third;
        third.init();
        QCOMPARE(third.GetIconFileName("MP-100"), icon);
        QVERIFY(!QImage(icon).isNull());
    }

    void versionDecidesTheRefresh_data()
    {
        QTest::addColumn<QByteArray>("serverVersion");
        QTest::addColumn<int>("fetches");
        QTest::newRow("same") << QByteArray("5") << 0;
        QTest::newRow("different") << QByteArray("6") << 1;
    }
    void versionDecidesTheRefresh()
    {
        QFETCH(QByteArray, serverVersion);
        QFETCH(int, fetches);
        ServerFixture f(WithMarkets());
        theMarketPlaces().CheckVersion(0);
        f.server.ClearRequests();
        f.server.Script("getMainInfo", FakeServer::Answer{FakeServer::Response(
                                           0, "<market_list_version>" + serverVersion + "</market_list_version>")});
        theMarketPlaces().CheckVersion(0);
        QCOMPARE(f.Posts("getMainInfo"), 1);
        QCOMPARE(f.Posts("getMarketPlaces"), fetches);
    }

    void parsing_data()
    {
        QTest::addColumn<QByteArray>("places");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("icons");  // ids that got an icon file
        const QByteArray good = "<icon content_type=\"image/bmp\">" + BmpBase64() + "</icon>";
        QTest::newRow("icon kinds")
            << Place("A1", "a", "parts", true, good)
            << QStringList{"A1"} << QStringList{"A1"};
        QTest::newRow("unknown content type")
            << Place("A2", "a", "parts", true, "<icon content_type=\"image/png\">" + BmpBase64() + "</icon>")
            << QStringList{"A2"} << QStringList{};
        QTest::newRow("not an image")
            << Place("A3", "a", "parts", true, "<icon content_type=\"image/x-icon\">bm90IGFuIGljb24=</icon>")
            << QStringList{"A3"} << QStringList{};
        QTest::newRow("unsafe id") << Place("../../escape", "a", "parts", true, good)
                                   << QStringList{"../../escape"} << QStringList{};
        QTest::newRow("id with a slash") << Place("a/b", "a", "parts", true, good) << QStringList{"a/b"}
                                         << QStringList{};
        QTest::newRow("duplicate ids") << Place("D", "first", "parts", true) + Place("E", "e", "cars", false) +
                                              Place("D", "second", "parts", false)
                                       << QStringList{"D", "E"} << QStringList{};
    }
    void parsing()
    {
        QFETCH(QByteArray, places);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, icons);
        ServerFixture f(WithMarkets());
        f.server.Script("getMarketPlaces", List(places));
        theMarketPlaces().Refresh(0);
        QStringList gotIds, gotIcons;
        for (const XMarketPlace &m : theMarketPlaces().All()) {
            gotIds << m.marketId;
            if (m.iconIndex >= 0)
                gotIcons << m.marketId;
        }
        QCOMPARE(gotIds, ids);
        QCOMPARE(gotIcons, icons);
        // Only icon files of accepted ids, and nothing outside the data folder.
        QStringList files = QDir(f.t.DataFolder()).entryList({"*.bmp", "*.ico"});
        QStringList expectedFiles;
        for (const QString &id : icons)
            expectedFiles << id + ".bmp";
        QCOMPARE(files, expectedFiles);
        QVERIFY(!QFile::exists(f.t.DataFolder() + "../../escape.bmp"));
        if (QTest::currentDataTag() == QLatin1String("duplicate ids")) {
            XMarketPlace d;
            d.marketId = "D";
            QCOMPARE(theMarketPlaces().FindMarketPlace(d, 0), 1);
            QCOMPARE(d.name, QString("second"));
            QCOMPARE(theMarketPlaces().GetMarketCount(0), 1);
        }
    }

    void emptyListKeepsThePreviousMap()
    {
        ServerFixture f(WithMarkets());
        theMarketPlaces().Refresh(0);
        QCOMPARE(theMarketPlaces().All().size(), 3);
        f.server.Script("getMarketPlaces", List({}, "6"));
        f.t.frame.log.Clear();
        theMarketPlaces().Refresh(0);
        QCOMPARE(theMarketPlaces().All().size(), 3);
        QCOMPARE(theMarketPlaces().GetMarketCount(0), 2);
        QCOMPARE(theMarketPlaces().CachedVersion(), QString("6"));
        QCOMPARE(f.t.frame.log.Calls(), QStringList{"SetItemCounter|124|2|1|0"});
    }

    void failedFetchKeepsEverything()
    {
        ServerFixture f(WithMarkets());
        theMarketPlaces().Refresh(1);
        const QString before = CacheText();
        f.server.Script("getMarketPlaces", FakeServer::Answer{"<kv_response result_code=\"0\"><market_place_list>"});
        theMarketPlaces().Refresh(1);
        QCOMPARE(CacheText(), before);
        QCOMPARE(theMarketPlaces().All().size(), 3);
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|The server's answer is not valid XML"), 1);
        QVERIFY(f.t.dialogs.log.Calls().last().contains("|Cannot get the marketplaces.|"));
    }

    void carsModeNews()
    {
        ServerFixture f(WithMarkets());
        theMarketPlaces().Refresh(1);
        QVERIFY(theMarketPlaces().HasNewMarkets(1));
        QVERIFY(!theMarketPlaces().HasNewMarkets(0));
        QVERIFY(CacheText().contains("new_cars=\"1\""));
        QCOMPARE(f.t.frame.log.Calls(), QStringList{"SetItemCounter|168|1|1|1"});
        // The same list again brings no news.
        theMarketPlaces().Refresh(1);
        QVERIFY(!theMarketPlaces().HasNewMarkets(1));
    }

    void lookups_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("parts all") << 0 << 0u << QStringList{"National Parts Exchange", "Recyclers' Circle"};
        QTest::newRow("parts subscribed") << 0 << 1u << QStringList{"National Parts Exchange"};
        QTest::newRow("parts buyer") << 0 << 2u << QStringList{"National Parts Exchange", "Recyclers' Circle"};
        QTest::newRow("parts seller") << 0 << 4u << QStringList{"National Parts Exchange"};
        QTest::newRow("parts search") << 0 << 8u << QStringList{"National Parts Exchange", "Recyclers' Circle"};
        QTest::newRow("parts subscribed search") << 0 << 9u << QStringList{"National Parts Exchange"};
        QTest::newRow("cars all") << 1 << 0u << QStringList{"Salvage Cars West"};
        QTest::newRow("cars search") << 1 << 8u << QStringList{};
        QTest::newRow("other mode") << 5 << 0u << QStringList{};
    }
    void lookups()
    {
        QFETCH(int, mode);
        QFETCH(unsigned, flags);
        QFETCH(QStringList, names);
        ServerFixture f(WithMarkets());
        theMarketPlaces().Refresh(0);
        QStringList got;
        theMarketPlaces().GetMarketNames(got, flags, mode);
        QCOMPARE(got, names);
        if (mode == 5)
            QCOMPARE(theMarketPlaces().GetDefaultMarketName(mode), QString());
    }

    void findByIdOrName()
    {
        ServerFixture f(WithMarkets());
        theMarketPlaces().Refresh(0);
        XMarketPlaces &m = theMarketPlaces();
        XMarketPlace byName;
        byName.name = "Salvage Cars West";
        QCOMPARE(m.FindMarketPlace(byName, 0), 0);  // not of the parts kind
        QCOMPARE(m.FindMarketPlace(byName, 1), 1);
        QCOMPARE(byName.marketId, QString("MC_200"));
        XMarketPlace byId;
        byId.marketId = "MP-101";
        QCOMPARE(m.FindMarketPlace(byId, 1), 1);  // an id finds any kind
        QCOMPARE(byId.name, QString("Recyclers' Circle"));
        XMarketPlace missing;
        missing.marketId = "nope";
        QCOMPARE(m.FindMarketPlace(missing, 0), 0);
        QCOMPARE(m.GetDefaultMarketName(0), QString("National Parts Exchange"));
        QCOMPARE(m.GetDefaultMarketName(1), QString("Salvage Cars West"));
    }

    void brokenCacheFileIsReported()
    {
        TestApp t(WithMarkets());
        QFile f(t.DataFolder() + "mplaces.xml");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<market_place_list version=\"3\"><market_pla");
        f.close();
        theMarketPlaces().init();
        QCOMPARE(t.dialogs.log.Calls(),
                 QStringList{QString("MessageBox|Cannot initialize marketplaces|Error|%1").arg(MsgBox::IconError)});
        QCOMPARE(theMarketPlaces().All().size(), 0);
    }

    void readersRunWhileTheListIsRefreshed()
    {
        ServerFixture f(WithMarkets());
        XMarketPlaces &m = theMarketPlaces();
        m.Refresh(0);
        std::atomic<bool> stop{false};
        std::atomic<int> misses{0};
        std::thread reader([&] {
            while (!stop.load()) {
                XMarketPlace r;
                r.marketId = "MC_200";
                if (m.FindMarketPlace(r, 1) != 1 || r.name != "Salvage Cars West")
                    ++misses;
            }
        });
        for (int i = 0; i < 10; ++i)
            m.Refresh(i % 2);
        stop = true;
        reader.join();
        QCOMPARE(misses.load(), 0);
    }
};

KORVANT_TEST_MAIN(TestMarketPlaces)
#include "tst_marketplaces.moc"
