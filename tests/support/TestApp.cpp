#include "TestApp.h"

#include "TestEnv.h"

#include "app/TasksDispatcher.h"
#include "app/XSettings.h"

#include <QFile>

TestApp::TestApp() : TestApp(Options{}) {}

TestApp::TestApp(const Options &options)
{
    Globals::Teardown();
    const QString folder = TestEnv::NewFolder(QStringLiteral("app"));
    m_settingsFile = folder + QStringLiteral("/Korvant.ini");

    auto app = std::make_unique<AppCore>();
    app->SetModuleFolder(folder + QStringLiteral("/program"));
    app->ParseCommandLine(QStringLiteral("-dbpath %1/data ").arg(folder) + options.commandLine);
    app->SetDialogs(&dialogs);
    app->SetMainFrame(&frame);
    app->SetRecordViews(&views);
    app->SetImport(&import);
    app->SetCrashHooks(&crash);
    app->SetLoginHook(&login);
    Globals::Install(GlobalSlot::App, std::move(app));

    for (int i = 1; i < static_cast<int>(GlobalSlot::Count); ++i) {
        const auto slot = static_cast<GlobalSlot>(i);
        if (auto it = options.extra.find(slot); it != options.extra.end()) {
            Globals::Install(slot, it->second());
        } else if (slot == GlobalSlot::Settings && options.installSettings) {
            Globals::Install(slot, std::make_unique<XSettings>(m_settingsFile));
            if (options.initSettings)
                theSettings().init();
        } else if (slot == GlobalSlot::TasksDispatcher) {
            Globals::Install(slot, std::make_unique<TasksDispatcher>());
        }
    }
}

TestApp::~TestApp()
{
    if (AppCore *app = theAppIfAny())
        app->Dispatcher().Shutdown();
    Globals::Teardown();
}

QString TestApp::LogText()
{
    QFile f(DataFolder() + QStringLiteral("kvc.log"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}
