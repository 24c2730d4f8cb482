#pragma once

// What the request-layer tests share: the process-wide network set-up, a
// fixture with the fake server wired into the settings, and a login hook that
// performs a real "login" exchange.

#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestApp.h"

#include "app/XSettings.h"
#include "net/NetInit.h"
#include "net/XRequest.h"

#include <memory>

// Logs in against the server with the session's credentials, as the
// application's login does.
inline bool RealLogin()
{
    Session &s = theApp().GetSession();
    XRequest r(QStringLiteral("login"));
    r.AddParam(QStringLiteral("passport_id"), s.PassportId());
    r.AddParam(QStringLiteral("password"), s.Password());
    if (!r.Send())
        return false;
    s.LoggedIn(r.GetResponseText(QStringLiteral("session_id")));
    return true;
}

// A TestApp whose settings point at a started fake server with every sample
// answer scripted and whose login hook logs in for real.
struct ServerFixture
{
    explicit ServerFixture(const TestApp::Options &options = {}) : t(options)
    {
        server.Start();
        SampleAnswers::ScriptAll(server);
        theSettings().SetString(Setting::ServerURL, server.Url());
        theApp().GetSession().SetPassportId(QStringLiteral("P1000"));
        theApp().GetSession().SetPassword(QStringLiteral("secret-pw"));
        t.login.onLogin = [] { return RealLogin(); };
    }
    int Posts(const QString &op) const { return server.RequestsFor(op).size(); }

    FakeServer server;
    TestApp t;
};
