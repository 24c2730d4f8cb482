#pragma once

// The setting the poll and auto-reply benchmarks share: private temporary
// folders, the globals of a test run with a real database, the fake server.

#include "FakeServer.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "net/NetInit.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QFile>

#include <cstdio>
#include <memory>

struct BenchEnv
{
    static TestApp::Options Options()
    {
        TestApp::Options o;
        o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
                   {GlobalSlot::MarketPlaces, [] { return std::make_unique<XMarketPlaces>(); }},
                   {GlobalSlot::Poller, [] { return std::make_unique<XPoller>(); }}};
        return o;
    }

    BenchEnv() : t(Options())
    {
        server.Start();
        theSettings().SetString(Setting::ServerURL, server.Url());
        theSettings().SetInt(Setting::DispAlertsOnInc, 0);
        theSettings().SetInt(Setting::AutoReply, 0);
        theSettings().SetInt(Setting::AutoReplyCars, 0);
        theApp().GetSession().SetPassportId(QStringLiteral("P1000"));
        theApp().GetSession().LoggedIn(QStringLiteral("S-1"));
        ok = theDatabase().init();
    }
    ~BenchEnv()
    {
        thePoller().Exit();
        XRequest::CancelAll(false);
        server.Stop();
    }

    static void Write(const QString &name, const QByteArray &bytes)
    {
        QFile f(theApp().GetDataFolder() + name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

    NetInit net;
    FakeServer server;
    TestApp t;
    bool ok = false;
};
