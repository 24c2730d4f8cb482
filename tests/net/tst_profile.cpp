#include "NetTestUtil.h"
#include "TestEnv.h"

#include "net/XProfile.h"

#include <QXmlStreamReader>

#include <thread>

namespace {

TestApp::Options WithProfile()
{
    return TestApp::Options{.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }}}};
}

FakeServer::Answer ProfileWithFilter(const QByteArray &filter)
{
    QByteArray body = SampleAnswers::Load("getProfile.xml");
    body.replace("<filter>@make,,Ford,,#EQ</filter>", "<filter>" + filter + "</filter>");
    return FakeServer::Answer{body};
}

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { static NetInit net; }

    void cleanFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("business type") << "@bi_business_type,,Jobber,,#EQ" << "X,,X,,#EQ";
        QTest::newRow("two values") << "@bi_business_type,,Jobber,,#EQ,,@bi_business_type,,Mechanic,,#EQ,,#OR"
                                    << "X,,X,,#EQ,,X,,X,,#EQ,,#OR";
        QTest::newRow("same value twice") << "@bi_business_type,,Jobber,,#EQ,,@bi_business_type,,Jobber,,#EQ,,#OR"
                                          << "X,,X,,#EQ,,X,,X,,#EQ,,#OR";
        QTest::newRow("qualification") << "@make,,Ford,,#EQ,,@bi_qualification,,>2,,#GT,,#AND"
                                       << "@make,,Ford,,#EQ,,X,,X,,#GT,,#AND";
        QTest::newRow("both") << "@bi_qualification,,>1,,#GT,,@bi_business_type,,Jobber,,#EQ,,#AND"
                              << "X,,X,,#GT,,X,,X,,#EQ,,#AND";
        QTest::newRow("value at the end stays") << "@make,,Ford,,#EQ,,@bi_business_type,,Jobber"
                                                << "@make,,Ford,,#EQ,,@bi_business_type,,Jobber";
        QTest::newRow("no operand") << "@make,,Ford,,#EQ" << "@make,,Ford,,#EQ";
        QTest::newRow("empty") << "" << "";
    }
    void cleanFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, cleaned);
        QCOMPARE(XProfile::CleanFilter(filter), cleaned);
    }

    void isSeller_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<bool>("seller");
        QTest::newRow("Both") << "Both" << true;
        QTest::newRow("Seller") << "Seller" << true;
        QTest::newRow("Buyer") << "Buyer" << false;
        QTest::newRow("lower case") << "seller" << false;
        QTest::newRow("empty") << "" << false;
    }
    void isSeller()
    {
        QFETCH(QString, role);
        QFETCH(bool, seller);
        XProfile p;
        p.Update([&](ProfileData &d) { d.role = role; });
        QCOMPARE(p.IsSeller(), seller);
    }

    void getProfileReadsTheRecord()
    {
        ServerFixture f(WithProfile());
        QVERIFY(theProfile().GetProfile());
        // Logged in first, then fetched; a clean filter is not sent back.
        QCOMPARE(f.Posts("login"), 1);
        QCOMPARE(f.Posts("changeProfile"), 0);
        const ProfileData d = theProfile().Get();
        QCOMPARE(d.name, QString("Dana Whitlock"));
        QCOMPARE(d.country, QString("UNITED STATES"));
        QCOMPARE(d.qualification, QString(">2"));
        QCOMPARE(d.filter, QString("@make,,Ford,,#EQ"));
        QVERIFY(d.partsEnabled);
        QVERIFY(!d.carsEnabled);
        QVERIFY(d.IsSeller());
        QCOMPARE(f.t.views.log.Calls(), QStringList{"BuildSpecialityFilterXml"});
    }

    void disableFlags_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("1") << QByteArray("1") << false;
        QTest::newRow("0") << QByteArray("0") << true;
        QTest::newRow("empty") << QByteArray("") << true;
        QTest::newRow("other") << QByteArray("yes") << true;
    }
    void disableFlags()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, enabled);
        XmlDoc doc = XmlDoc::Parse("<profile><disable>" + text + "</disable></profile>");
        const ProfileData d = ProfileData::FromXml(doc.Root());
        QCOMPARE(d.partsEnabled, enabled);
        QVERIFY(d.carsEnabled);  // missing reads as enabled
    }

    void dirtyFilterIsCleanedAndSaved()
    {
        ServerFixture f(WithProfile());
        theApp().GetSession().LoggedIn("S-1");
        f.server.Script("getProfile", ProfileWithFilter("@bi_business_type,,Jobber,,#EQ,,@make,,Ford,,#EQ,,#AND"));
        QVERIFY(theProfile().GetProfile());
        QCOMPARE(theProfile().Get().filter, QString("X,,X,,#EQ,,@make,,Ford,,#EQ,,#AND"));
        const QList<FakeServer::Request> changes = f.server.RequestsFor("changeProfile");
        QCOMPARE(changes.size(), 1);
        QVERIFY(changes[0].body.contains("<filter>X,,X,,#EQ,,@make,,Ford,,#EQ,,#AND</filter>"));
        QCOMPARE(f.t.views.log.Count("BuildSpecialityFilterXml"), 1);
    }

    void failedCleanUpKeepsTheServersFilter()
    {
        ServerFixture f(WithProfile());
        theApp().GetSession().LoggedIn("S-1");
        f.server.Script("getProfile", ProfileWithFilter("@bi_qualification,,>1,,#GT"));
        f.server.Script("changeProfile", FakeServer::Answer{FakeServer::Response(9, {}, "Refused")});
        QVERIFY(!theProfile().GetProfile());
        QCOMPARE(theProfile().Get().filter, QString("@bi_qualification,,>1,,#GT"));
        QCOMPARE(theProfile().Get().name, QString("Dana Whitlock"));
        QCOMPARE(f.t.dialogs.log.Calls(),
                 (QStringList{QString("MessageBox|Refused [Code: 9]|Cannot update profile|%1").arg(MsgBox::IconError),
                              "MessageBox|Can't set specialty||0"}));
        QCOMPARE(f.t.views.log.Calls(), QStringList());
    }

    void failedFetchKeepsTheRecord()
    {
        ServerFixture f(WithProfile());
        theApp().GetSession().LoggedIn("S-1");
        theProfile().Update([](ProfileData &d) { d.name = "Before"; });
        f.server.Script("getProfile", FakeServer::Answer{"<kv_response result_code='0'><profile>"});
        QVERIFY(!theProfile().GetProfile());
        QCOMPARE(theProfile().Get().name, QString("Before"));
        QCOMPARE(f.t.dialogs.log.Count("MessageBox|The server's answer is not valid XML"), 1);
        QVERIFY(f.t.dialogs.log.Calls().first().contains("|Cannot get profile information|"));
    }

    void newProfileSendsTheRecordInOrder()
    {
        ServerFixture f(WithProfile());
        theProfile().Update([](ProfileData &d) {
            d.name = "New Member";
            d.password = "pw-1";
            d.partsEnabled = false;
        });
        QVERIFY(theProfile().NewProfile());
        QCOMPARE(theApp().GetSession().PassportId(), QString("P7788"));
        const QByteArray body = f.server.RequestsFor("newProfile").first().body;
        QXmlStreamReader xml(body);
        xml.readNextStartElement();  // kv_request
        xml.readNextStartElement();  // profile
        QCOMPARE(xml.name().toString(), QString("profile"));
        QStringList names;
        QStringList values;
        while (xml.readNextStartElement()) {
            names << xml.name().toString();
            values << xml.readElementText();
        }
        QCOMPARE(names, (QStringList{"name", "email", "phone", "fax", "mobile", "city", "street", "state", "zip",
                                     "country", "company", "business_type", "car_business_type", "website",
                                     "password", "role", "car_role", "filter", "car_filter", "qualification",
                                     "signature", "car_signature", "referer_id", "disable", "car_disable"}));
        QCOMPARE(values.at(14), QString("pw-1"));
        QCOMPARE(values.at(23), QString("1"));
        QCOMPARE(values.at(24), QString("0"));
    }

    void failedNewProfileShowsItsBox()
    {
        ServerFixture f(WithProfile());
        f.server.Script("newProfile", FakeServer::Answer{FakeServer::Response(201, {}, "Passport taken")});
        QVERIFY(!theProfile().NewProfile());
        QCOMPARE(f.t.dialogs.log.Calls(),
                 QStringList{QString("MessageBox|Passport taken [Code: 201]|Error - Cannot Create New Profile|%1")
                                 .arg(MsgBox::IconError)});
        QCOMPARE(theApp().GetSession().PassportId(), QString("P1000"));
    }

    void readersGetWholeRecordsWhileItChanges()
    {
        XProfile p;
        std::atomic<bool> stop{false};
        std::atomic<int> torn{0};
        std::thread reader([&] {
            while (!stop.load()) {
                const ProfileData d = p.Get();
                if (d.name.size() != d.email.size())
                    ++torn;
            }
        });
        for (int i = 0; i < 2000; ++i) {
            ProfileData d;
            d.name = QString(i % 50, 'n');
            d.email = QString(i % 50, 'e');
            p.Set(d);
        }
        stop = true;
        reader.join();
        QCOMPARE(torn.load(), 0);
    }
};

KORVANT_TEST_MAIN(TestProfile)
#include "tst_profile.moc"
