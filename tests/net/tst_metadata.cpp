#include "NetTestUtil.h"
#include "TestEnv.h"

#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QDir>
#include <QFile>

namespace {

TestApp::Options WithMeta()
{
    return TestApp::Options{.extra = {{GlobalSlot::Meta, [] { return std::make_unique<XMetaData>(); }},
                                      {GlobalSlot::MetaCars, [] { return std::make_unique<XMetaDataCars>(); }}}};
}

// A fixture with both metadata objects loaded from the sample answers.
struct MetaFixture : ServerFixture
{
    MetaFixture() : ServerFixture(WithMeta())
    {
        theMeta().init();
        theMetaCars().init();
    }
};

} // namespace

class TestMetadata : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }

    void initFetchesAndCaches()
    {
        MetaFixture f;
        QCOMPARE(f.Posts("getMetaInfo"), 1);
        QCOMPARE(f.Posts("getCarMetaInfo"), 1);
        QCOMPARE(theMeta().LoadedVersion(), QString("2.1"));
        QCOMPARE(theMetaCars().LoadedVersion(), QString("1.4"));
        QVERIFY(QFile::exists(f.t.DataFolder() + "meta.xml"));
        QVERIFY(QFile::exists(f.t.DataFolder() + "meta_car.xml"));
        QCOMPARE(theMeta().GetScript(), QString("function Rate(o) { return 1; }"));
        QCOMPARE(theMetaCars().GetScript(), QString("function RateCar(o) { return 2; }"));
        QCOMPARE(f.t.dialogs.log.Calls(), QStringList());

        // A second object reads the cache without asking the server.
        XMetaData again;
        again.init();
        QCOMPARE(f.Posts("getMetaInfo"), 1);
        QCOMPARE(again.LoadedVersion(), QString("2.1"));
    }

    void fixedListCounts()
    {
        XMetaData parts;
        parts.RebuildLists();
        const XMetaData::FixedLists &p = parts.Fixed();
        const QList<qsizetype> partCounts{p.originTypes.size(),     p.conditionsAny.size(),  p.conditionsOther.size(),
                                          p.engineSizeUnits.size(), p.fuelSystems.size(),    p.timeFrames.size(),
                                          p.businessTypes.size(),   p.doingBusinessWith.size(), p.stateCodes.size(),
                                          p.sidePositions.size(),   p.turboOptions.size(),   p.numbers12To30.size(),
                                          p.numbers5To12.size(),    p.qualifications.size(), p.countries.size(),
                                          p.priceSteps.size(),      p.mileageSteps.size(),   p.distances.size(),
                                          p.vehicleCategories.size(), p.unused.size()};
        QCOMPARE(partCounts, (QList<qsizetype>{5, 4, 4, 3, 2, 4, 30, 7, 66, 6, 2, 19, 8, 5, 150, 40, 10, 9, 9, 0}));
        QCOMPARE(p.priceSteps.first(), QString("$1,000"));
        QCOMPARE(p.priceSteps.at(24), QString("$25,000"));
        QCOMPARE(p.priceSteps.at(25), QString("$30,000"));
        QCOMPARE(p.priceSteps.last(), QString("$100,000"));
        QCOMPARE(p.mileageSteps.first(), QString("10,000"));
        QCOMPARE(p.mileageSteps.last(), QString("100,000"));
        QCOMPARE(p.stateCodes.first(), QString("AL"));
        QCOMPARE(p.stateCodes.at(8), QString("DC"));
        QCOMPARE(p.stateCodes.last(), QString("VI"));
        QCOMPARE(p.countries.first(), QString("UNITED STATES"));
        QCOMPARE(p.countries.last(), QString("ZIMBABWE"));
        QCOMPARE(p.numbers12To30.first(), QString("12"));
        QCOMPARE(p.numbers12To30.last(), QString("30"));
        QCOMPARE(p.conditionsAny, (QStringList{"Used", "Remanufactured", "New", "Any"}));

        XMetaDataCars cars;
        cars.RebuildLists();
        const XMetaDataCars::FixedLists &c = cars.Fixed();
        const QList<qsizetype> carCounts{c.titleKinds.size(), c.bodyStyles.size(), c.transmissions.size(),
                                         c.conditions.size(), c.colours.size(),    c.colours2.size(),
                                         c.doors.size(),      c.cylinders.size(),  c.driveTrains.size(),
                                         c.damageTypes.size()};
        QCOMPARE(carCounts, (QList<qsizetype>{2, 15, 2, 4, 26, 26, 5, 8, 6, 41}));
        QCOMPARE(c.doors.last(), QString("Other/Don't Know"));
        QCOMPARE(c.damageTypes.first(), QString("All Over"));
        QCOMPARE(c.damageTypes.last(), QString("Water"));
    }

    void lists_data()
    {
        QTest::addColumn<bool>("cars");
        QTest::addColumn<int>("condition");  // -1: as constructed
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("parent");     // -2: a plain list
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<qint64>>("data");
        QTest::newRow("makes") << false << -1 << 0 << -2 << QStringList{"Ford", "Honda", "Toyota", "Ford"}
                               << QList<qint64>{1, 2, 3, 1};
        QTest::newRow("all models") << false << -1 << 1 << -1
                                    << QStringList{"Focus", "Mustang", "Civic", "Corolla", "Camry"}
                                    << QList<qint64>{0, 0, 0, 0, 0};
        QTest::newRow("models of make 1") << false << -1 << 1 << 1 << QStringList{"Focus", "Mustang"}
                                          << QList<qint64>{0, 0};
        QTest::newRow("used categories") << false << -1 << 2 << -2 << QStringList{"Engine", "Body"}
                                         << QList<qint64>{5, 6};
        QTest::newRow("new part names of 7") << false << 0 << 3 << 7 << QStringList{"Alternator", "Battery"}
                                             << QList<qint64>{7, 7};
        QTest::newRow("remanufactured names") << false << 2 << 3 << -1 << QStringList{"Transmission Assembly"}
                                              << QList<qint64>{8};
        QTest::newRow("no path") << false << -1 << 10 << -2 << QStringList{} << QList<qint64>{};
        QTest::newRow("car models of 4") << true << -1 << 1 << 4 << QStringList{"Outback", "Impreza"}
                                         << QList<qint64>{0, 0};
        QTest::newRow("car colours") << true << -1 << 4 << -2 << QStringList{"Red", "Blue"} << QList<qint64>{1, 2};
        QTest::newRow("car kind 5") << true << -1 << 5 << -2 << QStringList{} << QList<qint64>{};
        QTest::newRow("car titles") << true << -1 << 21 << -2 << QStringList{"Clean"} << QList<qint64>{1};
    }
    void lists()
    {
        QFETCH(bool, cars);
        QFETCH(int, condition);
        QFETCH(int, kind);
        QFETCH(int, parent);
        QFETCH(QStringList, texts);
        QFETCH(QList<qint64>, data);
        MetaFixture f;
        XMetaDataBase &meta = cars ? static_cast<XMetaDataBase &>(theMetaCars()) : theMeta();
        if (condition >= 0)
            theMeta().SetPartCondition(condition);
        ItemList box;
        if (parent == -2)
            meta.FillList(box, kind);
        else
            meta.FillDependentList(box, kind, parent);
        QCOMPARE(box.Texts(), texts);
        QList<qint64> got;
        for (const ItemList::Item &i : box.Items())
            got << i.data;
        QCOMPARE(got, data);
    }

    void dependentPaths()
    {
        XMetaData m;
        m.SetPartCondition(0);
        // The parent's id is compared in code, never written into the path.
        QCOMPARE(m.GetDependentPath(3), QString("part_info_new/name/*"));
        QCOMPARE(m.GetDependentPath(1), QString("vehicle_info/model/*"));
        QCOMPARE(m.GetDependentPath(2), QString());
        m.SetPartCondition(7);  // unknown: unchanged
        QCOMPARE(m.PartConditionList(), QString("part_info_new"));
        QCOMPARE(m.GetListPath(2), QString("part_info_new/category/*"));
    }

    void distinctAndMaps()
    {
        MetaFixture f;
        ItemList box;
        box.AddItem("honda");  // already there, in another case
        theMeta().FillListDistinct(box, 0);
        QCOMPARE(box.Texts(), (QStringList{"honda", "Ford", "Toyota"}));
        QMap<QString, QString> ids;
        theMeta().GetNameIdMap(ids, 0);
        QCOMPARE(ids.value("Toyota"), QString("3"));
        QCOMPARE(ids.size(), 3);
        QMap<QString, QString> names;
        theMeta().GetDependentMap(names, 3, 6);
        QCOMPARE(names.keys(), (QStringList{"Driver's Door", "Other"}));
        QCOMPARE(names.value("Other"), QString("6"));
    }

    void findPartName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("id");
        QTest::newRow("plain") << "Starter" << true << "101";
        QTest::newRow("apostrophe") << "Driver's Door" << true << "102";
        QTest::newRow("quote and bracket") << "x'] | //*[1='1" << false << "";
        QTest::newRow("case differs") << "starter" << false << "";
        QTest::newRow("other condition") << "Alternator" << false << "";
    }
    void findPartName()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(QString, id);
        MetaFixture f;
        MetaPartInfo info;
        info.name = name;
        info.id = "unchanged";
        QCOMPARE(theMeta().FindPartName(info), found);
        QCOMPARE(info.id, found ? id : QString("unchanged"));
        QCOMPARE(info.name, name);
        QCOMPARE(f.t.dialogs.log.Calls(), QStringList());
    }

    void checkVersion_data()
    {
        QTest::addColumn<QByteArray>("serverVersion");
        QTest::addColumn<int>("fetches");
        QTest::newRow("same") << QByteArray("2.1") << 0;
        QTest::newRow("different") << QByteArray("2.2") << 1;
        QTest::newRow("empty") << QByteArray("") << 0;
    }
    void checkVersion()
    {
        QFETCH(QByteArray, serverVersion);
        QFETCH(int, fetches);
        MetaFixture f;
        f.server.ClearRequests();
        f.server.Script("getMainInfo", FakeServer::Answer{FakeServer::Response(
                                           0, "<meta_version>" + serverVersion + "</meta_version>")});
        QByteArray newer = SampleAnswers::Load("getMetaInfo.xml");
        newer.replace("<meta_info version=\"2.1\">", "<meta_info version=\"2.2\">");
        f.server.Script("getMetaInfo", FakeServer::Answer{newer});
        theMeta().CheckVersion();
        QCOMPARE(f.Posts("getMainInfo"), 1);
        QCOMPARE(f.Posts("getMetaInfo"), fetches);
        QCOMPARE(theMeta().LoadedVersion(), fetches ? QString("2.2") : QString("2.1"));
        QCOMPARE(XmlDoc::LoadFile(f.t.DataFolder() + "meta.xml").Select("meta_info").Attr("version"),
                 theMeta().LoadedVersion());
        // Nothing but the cache files is left in the data folder.
        QCOMPARE(QDir(f.t.DataFolder()).entryList({"meta*"}, QDir::Files),
                 (QStringList{"meta.xml", "meta_car.xml"}));
    }

    void checkVersionWithoutCacheRefreshes()
    {
        ServerFixture f(WithMeta());
        theMetaCars().CheckVersion();
        QCOMPARE(f.Posts("getMainInfo"), 0);
        QCOMPARE(f.Posts("getCarMetaInfo"), 1);
        QCOMPARE(theMetaCars().LoadedVersion(), QString("1.4"));
    }

    // A newer answer whose cache write fails partway (the disk refuses more
    // bytes) leaves the old cache whole and in use.
    void failedCacheWriteKeepsOldCache()
    {
        MetaFixture f;
        const QString cache = f.t.DataFolder() + "meta.xml";
        auto read = [&] {
            QFile file(cache);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = read();
        QVERIFY(before.contains("version=\"2.1\""));
        QByteArray newer = SampleAnswers::Load("getMetaInfo.xml");
        newer.replace("<meta_info version=\"2.1\">", "<meta_info version=\"2.2\">");
        newer.replace("</meta_info>", "<notes>" + QByteArray(64 * 1024, 'n') + "</notes></meta_info>");
        f.server.Script("getMetaInfo", FakeServer::Answer{newer});
        {
            TestEnv::FileSizeLimit limit(16 * 1024);
            theMeta().Refresh();
        }
        QCOMPARE(f.Posts("getMetaInfo"), 2);
        QCOMPARE(read(), before);
        QCOMPARE(theMeta().LoadedVersion(), QString("2.1"));
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|"), 1);
        QVERIFY(f.t.dialogs.log.Calls().first().contains("Cannot retrieve metadata"));
    }

    void failuresAreReported()
    {
        ServerFixture f(WithMeta());
        f.server.Script("getMetaInfo", FakeServer::Answer{FakeServer::Response(5, {}, "Maintenance")});
        theMeta().init();
        QCOMPARE(f.t.dialogs.log.Calls(),
                 (QStringList{QString("MessageBox|Maintenance [Code: 5]|Cannot retrieve metadata|%1").arg(MsgBox::IconError),
                              QString("MessageBox|Cannot initialize metadata|Error|%1").arg(MsgBox::IconError)}));
        ItemList box;
        theMeta().FillList(box, 0);  // no document: nothing
        QCOMPARE(box.Count(), 0);
        QVERIFY_THROWS_EXCEPTION(XmlError, theMeta().GetScript());

        // A broken cache file: "Cannot load metadata", and the fixed lists still come.
        f.t.dialogs.log.Clear();
        QFile broken(f.t.DataFolder() + "meta_car.xml");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("<kv_response><car_meta_info version=\"1\">");
        broken.close();
        theMetaCars().init();
        QCOMPARE(f.t.dialogs.log.Calls(),
                 QStringList{QString("MessageBox|Cannot load metadata|Error|%1").arg(MsgBox::IconError)});
        QCOMPARE(theMetaCars().Fixed().damageTypes.size(), 41);
    }

    // --- combo fillers ----------------------------------------------------------------

    void fillCombo_data()
    {
        QTest::addColumn<QString>("placeholder");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("selected");
        QTest::addColumn<qint64>("selectedData");
        const QString ph = "-- Please Select Make --";
        QTest::newRow("no placeholder") << "no_first_item" << "" << QStringList{"Ford", "Honda", "Toyota", "Ford"} << 0
                                        << qint64(1);
        QTest::newRow("typed begins an item") << ph << "toy" << QStringList{ph, "Ford", "Honda", "Toyota", "Ford"}
                                              << 3 << qint64(3);
        QTest::newRow("typed unknown") << ph << "Zastava" << QStringList{ph, "Zastava", "Ford", "Honda", "Toyota", "Ford"}
                                       << 1 << qint64(-2);
        QTest::newRow("placeholder only") << ph << "" << QStringList{ph, "Ford", "Honda", "Toyota", "Ford"} << 0
                                          << qint64(0);
    }
    void fillCombo()
    {
        QFETCH(QString, placeholder);
        QFETCH(QString, typed);
        QFETCH(QStringList, texts);
        QFETCH(int, selected);
        QFETCH(qint64, selectedData);
        MetaFixture f;
        MetaUtils utils(theMeta());
        ItemList box;
        utils.FillCombo(box, 0, placeholder, false, typed);
        QCOMPARE(box.Texts(), texts);
        QCOMPARE(box.CurrentIndex(), selected);
        QCOMPARE(box.ItemData(selected), selectedData);

        ItemList ignoring;
        utils.FillCombo(ignoring, 0, placeholder, true, typed);
        QCOMPARE(ignoring.CurrentIndex(), 0);
        QVERIFY(!ignoring.Texts().contains("Zastava"));
    }

    void dependentCombo_data()
    {
        QTest::addColumn<qint64>("parentData");  // 99: parent without selection
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("text");
        const QString ph = "-- Please Select Model --";
        const QString hint = "-- Select a Make First --";
        QTest::newRow("no parent selection") << qint64(99) << "" << QStringList{} << ph;
        QTest::newRow("all") << qint64(-1) << "" << QStringList{ph, "Focus", "Mustang", "Civic", "Corolla", "Camry"}
                             << "";
        QTest::newRow("typed make") << qint64(-2) << "Model T" << QStringList{ph, "Model T"} << "Model T";
        QTest::newRow("typed make, hint text") << qint64(-2) << hint << QStringList{hint} << ph;
        QTest::newRow("make with previous") << qint64(1) << "Mustang" << QStringList{ph, "Focus", "Mustang"}
                                            << "Mustang";
        QTest::newRow("make, previous unknown") << qint64(1) << "Pinto" << QStringList{ph, "Pinto", "Focus", "Mustang"}
                                                << "Pinto";
        QTest::newRow("placeholder parent, previous") << qint64(0) << "Camry"
                                                      << QStringList{ph, "Focus", "Mustang", "Civic", "Corolla", "Camry"}
                                                      << "Camry";
        QTest::newRow("placeholder parent, dash") << qint64(0) << "-- x" << QStringList{hint} << ph;
        QTest::newRow("placeholder parent") << qint64(0) << "" << QStringList{hint} << ph;
    }
    void dependentCombo()
    {
        QFETCH(qint64, parentData);
        QFETCH(QString, previous);
        QFETCH(QStringList, texts);
        QFETCH(QString, text);
        MetaFixture f;
        MetaUtils utils(theMeta());
        ItemList parent;
        parent.AddItem("Make", parentData == 99 ? 0 : parentData);
        if (parentData != 99)
            parent.SetCurrentIndex(0);
        ItemList models;
        utils.FillDependentCombo(parent, models, 1, "-- Please Select Model --", "-- Select a Make First --",
                                 previous);
        QCOMPARE(models.Texts(), texts);
        QCOMPARE(models.Text(), text);
    }

    void resetDependentCombo()
    {
        MetaFixture f;
        MetaUtils utils(theMeta());
        ItemList parent;
        parent.AddItem("Honda", 2);
        parent.SetCurrentIndex(0);
        ItemList models;
        models.AddItem("stale");
        utils.ResetDependentCombo(parent, models, 1, "-- Model --", "");
        QCOMPARE(models.Texts(), (QStringList{"-- Model --", "Civic"}));
        QCOMPARE(models.CurrentIndex(), 0);
    }

    void partAmount_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("amount");
        QTest::newRow("placeholder") << "-- Please Select Part Name --" << 0 << "0.50";
        QTest::newRow("known qt") << "  Starter " << 1 << "0.80";
        QTest::newRow("known ci") << "Engine Assembly" << 2 << "0.75";
        QTest::newRow("unknown") << "Flux Capacitor" << 1 << "0.25";
        QTest::newRow("empty") << "" << 2 << "0.10";
        QTest::newRow("kind out of range") << "Starter" << 5 << "keep";
    }
    void partAmount()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(QString, amount);
        MetaFixture f;
        QString out = "keep";
        QVERIFY(MetaUtils::GetPartAmount(name, out, kind));
        QCOMPARE(out, amount);
    }

    void partAmountWithoutOther()
    {
        ServerFixture f(WithMeta());
        QByteArray body = SampleAnswers::Load("getMetaInfo.xml");
        body.replace(">Other</value>", ">Misc</value>");
        f.server.Script("getMetaInfo", FakeServer::Answer{body});
        theMeta().init();
        QString out = "keep";
        QVERIFY(!MetaUtils::GetPartAmount("Flux Capacitor", out, 0));
        QCOMPARE(out, QString("keep"));
    }
};

KORVANT_TEST_MAIN(TestMetadata)
#include "tst_metadata.moc"
