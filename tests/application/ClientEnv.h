#pragma once

// The globals of one application-object test: a CClientApp on a fresh data
// folder with recording fakes of every window service and of the main
// window's factory, the server link's objects, the database and the poller.

#include "Fakes.h"
#include "TestEnv.h"

#include "app/Globals.h"
#include "app/TasksDispatcher.h"
#include "app/XSLTransformer.h"
#include "app/XSettings.h"
#include "application/CClientApp.h"
#include "db/KVDatabase.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QFile>

#include <atomic>
#include <stdexcept>

class FakeFrameFactory : public IFrameFactory
{
public:
    explicit FakeFrameFactory(IMainFrame *frame) : m_frame(frame) {}
    void ShowSplash() override
    {
        log.Add("ShowSplash");
        if (throwUnknownOnSplash)
            throw 42;
    }
    void DestroySplash() override { log.Add("DestroySplash"); }
    bool EnableControlContainer() override { return true; }
    IMainFrame *CreateMainFrame() override
    {
        log.Add("CreateMainFrame");
        return noFrame ? nullptr : m_frame;
    }
    QString WhyNoFrame() const override { return QStringLiteral("no frame in this test"); }
    bool LoadFrame() override
    {
        log.Add("LoadFrame");
        if (throwOnLoad)
            throw std::runtime_error("the frame's window could not be built");
        return true;
    }
    void ShowFrame() override { log.Add("ShowFrame"); }
    void ActivateMainWindow() override
    {
        log.Add("ActivateMainWindow");
        ++activated;
    }

    bool noFrame = false;
    bool throwOnLoad = false;
    bool throwUnknownOnSplash = false;
    std::atomic<int> activated{0};
    CallLog log;

private:
    IMainFrame *m_frame;
};

struct ClientEnvConfig
{
    QString commandLine{};   // besides -dbpath (unless noDbPath)
    bool noDbPath = false;   // no override: the single-instance guard runs
    QString instanceName{};
    bool crashHandler = false;
    QString folder{};        // reuse a folder (a second start)
    bool xslTransformer = false;  // the pages' renderer, as the program installs it
};

class ClientEnv
{
public:
    using Config = ClientEnvConfig;

    explicit ClientEnv(const Config &config = {}) : factory(&frame)
    {
        Globals::Teardown();
        folder = config.folder.isEmpty() ? TestEnv::NewFolder(QStringLiteral("client")) : config.folder;
        settingsFile = folder + QStringLiteral("/Korvant.ini");
        CClientApp::Options options;
        options.installCrashHandler = config.crashHandler;
        options.instanceName = config.instanceName.isEmpty()
                                   ? QStringLiteral("korvant-test-%1").arg(QCoreApplication::applicationPid())
                                   : config.instanceName;
        auto app = std::make_unique<CClientApp>(options);
        app->SetModuleFolder(folder + QStringLiteral("/program"));
        QString line = config.commandLine;
        if (!config.noDbPath)
            line = QStringLiteral("-dbpath %1/data ").arg(folder) + line;
        app->ParseCommandLine(line);
        app->SetDialogs(&dialogs);
        app->SetRecordViews(&views);
        app->SetImport(&import);
        if (!config.crashHandler)
            app->SetCrashHooks(&crash);
        app->SetFrameFactory(&factory);
        Globals::Install(GlobalSlot::App, std::move(app));
        Globals::Install(GlobalSlot::Meta, std::make_unique<XMetaData>());
        Globals::Install(GlobalSlot::MetaCars, std::make_unique<XMetaDataCars>());
        Globals::Install(GlobalSlot::Settings, std::make_unique<XSettings>(settingsFile));
        Globals::Install(GlobalSlot::Profile, std::make_unique<XProfile>());
        Globals::Install(GlobalSlot::MarketPlaces, std::make_unique<XMarketPlaces>());
        Globals::Install(GlobalSlot::Database, std::make_unique<KVDatabase>());
        auto poller = std::make_unique<XPoller>();
        poller->SetPollBody([this](XPoller &) { ++polls; });
        Globals::Install(GlobalSlot::Poller, std::move(poller));
        if (config.xslTransformer)
            Globals::Install(GlobalSlot::XslTransformer, std::make_unique<XSLTransformer>());
        Globals::Install(GlobalSlot::TasksDispatcher, std::make_unique<TasksDispatcher>());
        XRequest::CancelAll(false);
    }

    ~ClientEnv()
    {
        if (XPoller *p = thePollerIfAny())
            p->Exit();
        app().Dispatcher().Shutdown();
        Globals::Teardown();
        XRequest::CancelAll(false);
    }

    ClientEnv(const ClientEnv &) = delete;
    ClientEnv &operator=(const ClientEnv &) = delete;

    CClientApp &app() { return theClientApp(); }

    // Settings as the member left them: written to the file start-up reads.
    void StoreSettings(const std::function<void(XSettings &)> &change)
    {
        XSettings s(settingsFile);
        s.init();
        change(s);
        s.Save();
    }

    QString LogText()
    {
        QFile f(app().GetDataFolder() + QStringLiteral("kvc.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    FakeDialogs dialogs;
    FakeMainFrame frame;
    FakeRecordViews views;
    FakeImport import;
    FakeCrashHooks crash;
    FakeFrameFactory factory;
    std::atomic<int> polls{0};
    QString folder;
    QString settingsFile;
};
