#pragma once

// What the trading-form tests share (header only: every tst_*.cpp is its own
// program): a temporary database, the parts metadata and marketplaces of the
// fixtures, a signed-in member, the fake server and a recording window.

#include "FakeFormHost.h"
#include "FakeServer.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "net/NetInit.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <QFile>
#include <QTest>

inline TestApp::Options FormsOptions()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Meta, [] { return std::make_unique<XMetaData>(); }},
               {GlobalSlot::MetaCars, [] { return std::make_unique<XMetaDataCars>(); }},
               {GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
               {GlobalSlot::MarketPlaces, [] { return std::make_unique<XMarketPlaces>(); }},
               {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

inline FakeServer::Answer Answer(int code, const QByteArray &inner = {}, const QByteArray &message = {},
                                 int delayMs = 0)
{
    FakeServer::Answer a;
    a.body = FakeServer::Response(code, inner, message);
    a.delayMs = delayMs;
    return a;
}

struct FormsFixture
{
    FormsFixture() : t(FormsOptions())
    {
        server.Start();
        server.Script("login", Answer(0, "<session_id>S-2</session_id>"));
        server.Script("newQuery", Answer(0, "<query_id>Q-77</query_id><create_time>2009-03-04 05:06:07</create_time>"));
        server.Script("newMessage",
                      Answer(0, "<message_id>M-9</message_id><create_time>2009-03-04 05:06:07</create_time>"));
        theSettings().SetString(Setting::ServerURL, server.Url());
        Session &s = theApp().GetSession();
        s.SetPassportId(QStringLiteral("P1000"));
        s.SetPassword(QStringLiteral("pw"));
        s.LoggedIn(QStringLiteral("S-1"));
        t.login.onLogin = [] {
            XRequest r(QStringLiteral("login"));
            if (!r.Send())
                return false;
            theApp().GetSession().LoggedIn(r.GetResponseText(QStringLiteral("session_id")));
            return true;
        };
        if (!theDatabase().init())
            qFatal("database init failed");
        const QString data = theApp().GetDataFolder();
        QFile::copy(TestEnv::SourceDir() + "/tests/fixtures/net/getMetaInfo.xml", data + "meta.xml");
        theMeta().init();
        QFile places(data + "mplaces.xml");
        if (places.open(QIODevice::WriteOnly))
            places.write("<market_place_list version=\"1\">"
                         "<market_place default=\"1\" as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\">"
                         "<market_id>MP-100</market_id><name>National Parts Exchange</name><type>parts</type>"
                         "</market_place>"
                         "<market_place default=\"0\" as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\">"
                         "<market_id>MP-102</market_id><name>Members' Yard</name><type>parts</type>"
                         "</market_place>"
                         "</market_place_list>");
        places.close();
        theMarketPlaces().init();
        ProfileData p;
        p.name = QStringLiteral("Dana Buyer");
        p.email = QStringLiteral("dana@example.com");
        p.businessType = QStringLiteral("Body Shop");
        p.qualification = QStringLiteral("3");
        theProfile().Set(p);
    }
    ~FormsFixture()
    {
        XRequest::CancelAll(false);
        server.Stop();
    }
    int Count(const QString &sql, const QVariantList &args = {}) { return theDatabase().ExecuteScalar(sql, args); }
    QString Text(const QString &sql, const QVariantList &args = {})
    {
        return theDatabase().Connection().Scalar(sql, args).toString();
    }
    int Posts(const QString &op) const { return server.RequestsFor(op).size(); }
    QByteArray LastBody(const QString &op) const
    {
        const auto r = server.RequestsFor(op);
        return r.isEmpty() ? QByteArray() : r.last().body;
    }

    NetInit net;
    FakeServer server;
    TestApp t;
    FakeFormHost host;
};
