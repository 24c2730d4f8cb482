#pragma once

// What the poll, rating and auto-reply tests share (header only: every
// tst_*.cpp is its own program): a temporary database, the poller, the
// member's marketplaces and the fake server wired into the settings.

#include "FakeServer.h"
#include "TestApp.h"

#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/Schema.h"
#include "db/SqlDb.h"
#include "net/NetInit.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

inline TestApp::Options SyncOptions()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
               {GlobalSlot::MarketPlaces, [] { return std::make_unique<XMarketPlaces>(); }},
               {GlobalSlot::Poller, [] { return std::make_unique<XPoller>(); }}};
    return o;
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The rating script as the metadata cache carries it.
inline void WriteScript(const QByteArray &script, bool cars = false)
{
    const QByteArray body = "<![CDATA[" + script + "]]>";
    if (cars)
        WriteFile(theApp().GetDataFolder() + "meta_car.xml",
                  "<kv_response><car_meta_info version=\"1\"><script>" + body + "</script></car_meta_info></kv_response>");
    else
        WriteFile(theApp().GetDataFolder() + "meta.xml",
                  "<kv_response><meta_info version=\"1\"><script>" + body + "</script></meta_info></kv_response>");
}

// Marketplaces: "Sell Here" (seller, parts), "Buy Only" (buyer, parts), "Car Lot" (seller, cars).
inline void WriteMarketPlaces()
{
    WriteFile(theApp().GetDataFolder() + "mplaces.xml",
              "<market_place_list version=\"1\">"
              "<market_place as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\"><market_id>M1</market_id>"
              "<name>Sell Here</name><type>parts</type></market_place>"
              "<market_place as_seller=\"0\" as_buyer=\"1\" subscribed=\"1\"><market_id>M2</market_id>"
              "<name>Buy Only</name><type>parts</type></market_place>"
              "<market_place as_seller=\"1\" as_buyer=\"1\" subscribed=\"1\"><market_id>M3</market_id>"
              "<name>Car Lot</name><type>cars</type></market_place>"
              "</market_place_list>");
    theMarketPlaces().init();
}

// A digest of every row of every table: equal digests, nothing stored changed.
inline QByteArray DatabaseDigest()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    SqlConnection &c = theDatabase().Connection();
    for (const TableDef &table : Schema::Tables()) {
        SqlStatement &st = c.Prepare(QByteArray("SELECT * FROM [") + table.name + "] ORDER BY rowid");
        st.Reset();
        while (st.Step()) {
            for (int i = 0; i < st.ColumnCount(); ++i)
                hash.addData(st.Value(i).toString().toUtf8() + '\x1f');
            hash.addData("\x1e");
        }
        st.Reset();
    }
    return hash.result();
}

// A server answer carrying `inner` below the root.
inline FakeServer::Answer Ok(const QByteArray &inner = {})
{
    FakeServer::Answer a;
    a.body = FakeServer::Response(0, inner);
    return a;
}

struct SyncFixture
{
    explicit SyncFixture(const TestApp::Options &options = SyncOptions()) : t(options)
    {
        server.Start();
        theSettings().SetString(Setting::ServerURL, server.Url());
        theApp().GetSession().SetPassportId(QStringLiteral("P1000"));
        theApp().GetSession().LoggedIn(QStringLiteral("S-1"));
        theApp().SetMainWindowFlag(true);
        theSettings().SetInt(Setting::PlaySoundOnInc, 0);
        if (!theDatabase().init())
            qFatal("database init failed");
    }
    ~SyncFixture()
    {
        thePoller().Exit();
        XRequest::CancelAll(false);
        server.Stop();
    }
    int Count(const QString &sql)
    {
        return theDatabase().ExecuteScalar(sql);
    }

    NetInit net;
    FakeServer server;
    TestApp t;
};
